// The nearest region pixel of every pixel outside the regions, by exact
// Euclidean distance. Ties go to the nearest pixel in the leftmost column,
// then to the upper one: among the region pixels (x', y') nearest to (x, y),
// the one with the smallest x', then the smallest y'.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "base/ImageBuffer.h"
#include "flats/RegionMask.h"

namespace tessel::flats {

// Called once for each row holding pixels outside the regions, top to
// bottom. For each such pixel x of row y, (fromX[x], fromY[x]) is its
// nearest region pixel; entries at region pixels are meaningless.
using NearestRowVisitor = std::function<void(int64_t y, const int32_t* fromX, const int32_t* fromY)>;

// Visits the rows; returns false, visiting none, when the mask holds no
// region pixel. Memory beside the mask: a few words per column.
bool VisitNearestRegionPixels(const RegionMask& mask, const NearestRowVisitor& visit);

// The rows [firstRow, endRow) alone, as the whole page's visit would see
// them, so that bands of rows can be visited side by side. The mask must
// hold a region pixel.
void VisitNearestRegionPixels(const RegionMask& mask, const NearestRowVisitor& visit, int64_t firstRow,
                              int64_t endRow);

// The same visit a row at a time, from `firstRow` on, for a mask whose rows
// are found as the visit goes on: a row is visited once the rows below it
// that its pixels' nearest region pixels may lie in are there. The mask must
// hold a region pixel.
class NearestRows {
 public:
  NearestRows(const RegionMask& mask, int64_t firstRow);
  ~NearestRows();
  NearestRows(const NearestRows&) = delete;
  NearestRows& operator=(const NearestRows&) = delete;

  // Visits the next row, as the whole page's visit would, when the mask's
  // rows [0, rows) tell its pixels' nearest region pixels (true); else, or
  // past the last row, visits nothing (false).
  bool VisitNext(int64_t rows, const NearestRowVisitor& visit);
  int64_t next() const { return mNext; }  // the row VisitNext visits

 private:
  struct State;
  const RegionMask& mMask;
  int64_t mNext;
  std::unique_ptr<State> mState;
};

// The nearest region pixels of the pixels [a, b] of row `y`, a whole run of
// pixels outside the regions in that row, into fromX[x], fromY[x] for each
// x of the run: as the page's visit gives them, searched for afresh, for a
// few runs of a page.
void NearestInRun(const RegionMask& mask, int64_t y, int64_t a, int64_t b, int32_t* fromX, int32_t* fromY);

// The nearest region pixel of (x, y) alone, by the same rule, looked for in
// rings about it up to `radius` pixels away in either direction, for a few
// pixels among many: false when none lies nearer than `radius`, so that
// one farther, maybe beyond the rings, cannot be told. `inRegion(x, y)` says
// whether a pixel of the page, `width` by `height`, is a region's.
template <typename InRegion>
bool NearestRegionPixel(int64_t width, int64_t height, int64_t x, int64_t y, int64_t radius, const InRegion& inRegion,
                        int64_t& fromX, int64_t& fromY) {
  int64_t best = -1;
  const auto weigh = [&](int64_t u, int64_t v) {
    if (u < 0 || v < 0 || u >= width || v >= height || !inRegion(u, v)) return;
    const int64_t distance = (u - x) * (u - x) + (v - y) * (v - y);
    if (best < 0 || distance < best || (distance == best && (u < fromX || (u == fromX && v < fromY))))
      best = distance, fromX = u, fromY = v;
  };
  // A ring r away holds no pixel nearer than r.
  for (int64_t r = 1; r <= radius && (best < 0 || r * r <= best); ++r)
    for (int64_t d = -r; d <= r; ++d) {
      weigh(x + d, y - r), weigh(x + d, y + r);
      if (d != -r && d != r) weigh(x - r, y + d), weigh(x + r, y + d);
    }
  return best >= 0 && best <= radius * radius;
}

}  // namespace tessel::flats
