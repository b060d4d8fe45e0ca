#include "flats/RegionRepaint.h"

#include <algorithm>

#include "base/RowBands.h"

namespace tessel::flats {

namespace {

// `count` pixels from `pixel` on, `column` bytes apart, with a constant
// number of planes a byte apart, so that the copy unrolls.
template <int kPlanes>
void PaintInterleaved(uint8_t* pixel, int64_t count, int64_t column, const uint8_t* colour) {
  uint8_t bytes[kPlanes];  // a copy the writes cannot alias, kept in registers
  std::copy(colour, colour + kPlanes, bytes);
  for (; count > 0; --count, pixel += column)
    for (int p = 0; p < kPlanes; ++p) pixel[p] = bytes[p];
}

// Paints runs of one row, `paint(begin, end, region)`, in their regions'
// colours.
class RowPainter {
 public:
  RowPainter(const std::vector<std::vector<uint8_t>>& colours, base::ImageBuffer& flats, int colourPlanes, int64_t y)
      : mColours(colours), mRow(&flats.at(0, y, 0)), mColumn(flats.columnBytes()), mPlane(flats.planeBytes()),
        mColourPlanes(colourPlanes) {}

  void operator()(int64_t begin, int64_t end, int32_t region) const {
    const uint8_t* colour = mColours[static_cast<size_t>(region)].data();
    uint8_t* const pixel = mRow + begin * mColumn;
    if (mPlane == 1 && mColourPlanes == 3) return PaintInterleaved<3>(pixel, end - begin, mColumn, colour);
    if (mPlane == 1 && mColourPlanes == 4) return PaintInterleaved<4>(pixel, end - begin, mColumn, colour);
    for (int p = 0; p < mColourPlanes; ++p)
      for (int64_t n = 0; n < end - begin; ++n) pixel[p * mPlane + n * mColumn] = colour[p];
  }

 private:
  const std::vector<std::vector<uint8_t>>& mColours;
  uint8_t* mRow;
  int64_t mColumn, mPlane;
  int mColourPlanes;
};

}  // namespace

void PaintRegionRuns(const RegionRuns& map, const std::vector<std::vector<uint8_t>>& colours,
                     const std::vector<bool>& repaint, base::ImageBuffer& flats, int colourPlanes) {
  base::InRowBands(map.height, [&](int64_t first, int64_t last) {
    for (int64_t y = first; y < last; ++y) {
      const RowPainter paint(colours, flats, colourPlanes, y);
      for (size_t i = map.rowStart[static_cast<size_t>(y)]; i < map.rowStart[static_cast<size_t>(y) + 1]; ++i) {
        const RegionRuns::Run& run = map.runs[i];
        if (repaint[static_cast<size_t>(run.region)]) paint(run.begin, run.end, run.region);
      }
    }
  });
}

void PaintRegionsAndLines(const RegionRuns& map, const LineSpans& lines,
                          const std::vector<std::vector<uint8_t>>& colours, const std::vector<bool>& repaint,
                          base::ImageBuffer& flats, int colourPlanes, int64_t firstRow, int64_t endRow) {
  for (int64_t y = firstRow; y < endRow; ++y) {
    const RowPainter paint(colours, flats, colourPlanes, y);
    ForEachSpanOfRow(map, lines, y, [&](int64_t begin, int64_t end, int32_t region, bool isRun) {
      if (!isRun || repaint[static_cast<size_t>(region)]) paint(begin, end, region);
    });
  }
}

}  // namespace tessel::flats
