#include "flats/LineSpanFinder.h"

#include <mutex>
#include <stdexcept>
#include <utility>

#include "base/RowBands.h"

namespace tessel::flats {

LineSpanFinder::LineSpanFinder(const RegionMask& mask, const RegionRuns& map, int64_t firstRow)
    : mMap(map),
      mRows(mask, firstRow),
      mVisit([this](int64_t y, const int32_t* fromX, const int32_t* fromY) { AddRow(y, fromX, fromY); }),
      mRowOf(static_cast<size_t>(mask.width()), -1),
      mRunOf(static_cast<size_t>(mask.width())) {
  mBand.firstRow = firstRow;
  mBand.rowEnds.reserve(static_cast<size_t>(mask.height() - firstRow));
}

bool LineSpanFinder::FindNext(int64_t rows) {
  // A row wholly inside the regions is not visited, and holds no span.
  if (!mRows.VisitNext(rows, mVisit)) return false;
  mBand.rowEnds.push_back(mBand.spans.size());
  return true;
}

void LineSpanFinder::AddRow(int64_t y, const int32_t* fromX, const int32_t* fromY) {
  const size_t first = mMap.rowStart[static_cast<size_t>(y)], last = mMap.rowStart[static_cast<size_t>(y) + 1];
  int64_t x = 0;
  for (size_t i = first; i <= last; ++i) {
    const bool run = i < last;
    const int64_t gapEnd = run ? mMap.runs[i].begin : mMap.width;
    if (x < gapEnd)
      AddLines(x, gapEnd, {y, fromX, fromY, i > first ? static_cast<int32_t>(i - 1) : -1,
                           run ? static_cast<int32_t>(i) : -1});
    if (!run) break;
    x = mMap.runs[i].end;
  }
}

void LineSpanFinder::AddLines(int64_t a, int64_t b, const Gap& gap) {
  while (a < b) {
    const int32_t run = RunOf(a, gap);
    int64_t end = a + 1;
    while (end < b && RunOf(end, gap) == run) ++end;
    // Field by field: a span built whole on the stack and copied in is read
    // back before its halves reach memory, which stalls every push.
    LineSpans::Span& span = mBand.spans.emplace_back();
    span.end = static_cast<int32_t>(end);
    span.region = run;
    a = end;
  }
}

// A nearest region pixel in the gap's own row is in a run beside it. One
// elsewhere is mostly the one the pixel beside or above had.
int32_t LineSpanFinder::RunOf(int64_t x, const Gap& gap) {
  const int32_t fx = gap.fromX[x], fy = gap.fromY[x];
  if (fy == gap.y) return fx < x ? gap.left : gap.right;
  if (fx == mX && fy == mY) return mRun;
  mX = fx, mY = fy;
  if (mRowOf[static_cast<size_t>(fx)] == fy) return mRun = mRunOf[static_cast<size_t>(fx)];
  mRowOf[static_cast<size_t>(fx)] = fy;
  // Pixels above and below the row are looked up left to right, each side
  // from the run it found last.
  size_t& hint = fy < gap.y ? mAboveHint : mBelowHint;
  return mRun = mRunOf[static_cast<size_t>(fx)] = static_cast<int32_t>(mMap.RunAt(fx, fy, hint));
}

LineSpans FindLineSpans(const RegionMask& mask, const RegionRuns& runs, LineSpans::Band scanned) {
  if (mask.width() != runs.width || mask.height() != runs.height)
    throw std::invalid_argument("the region mask and the region map differ in size");
  const auto found = static_cast<int64_t>(scanned.rowEnds.size());
  if (scanned.firstRow != 0 || found > runs.height) throw std::invalid_argument("rows found as scanned out of place");
  LineSpans lines(runs.height);
  if (runs.runs.empty()) return lines;  // nothing to be nearest to
  lines.Add(std::move(scanned));
  if (found == runs.height) return lines;
  std::mutex adding;
  base::InRowBands(runs.height - found, [&](int64_t begin, int64_t end) {
    LineSpanFinder finder(mask, runs, found + begin);
    // On line art about two spans a run.
    finder.Reserve(3 * (runs.rowStart[static_cast<size_t>(found + end)] -
                        runs.rowStart[static_cast<size_t>(found + begin)]) +
                   static_cast<size_t>(end - begin));
    while (finder.next() < found + end) finder.FindNext(runs.height);
    const std::lock_guard<std::mutex> lock(adding);
    lines.Add(finder.Take());
  });
  return lines;
}

}  // namespace tessel::flats
