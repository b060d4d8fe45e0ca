#include "flats/LineSpans.h"

namespace tessel::flats {

void LineSpans::Add(Band band) {
  Span* spans = band.spans.data();
  size_t begin = 0;
  for (size_t i = 0; i < band.rowEnds.size(); ++i) {
    mRows[static_cast<size_t>(band.firstRow) + i] = {spans + begin, spans + band.rowEnds[i]};
    begin = band.rowEnds[i];
  }
  mBands.push_back(std::move(band));
}

}  // namespace tessel::flats
