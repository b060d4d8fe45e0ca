// A scanline flood fill that knows nothing of images. It walks outward from a
// seed over horizontal runs, asking a region whether each point belongs to it;
// a point that belongs has been painted by the time the region answers.
//
// Pending runs live on an explicit stack, so any shape (spirals, mazes) needs
// only a fixed few call frames. A region must refuse every point outside its
// image and every point it has already painted: that is what ends the fill.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

// Answers whether (x, y) belonged to the region, painting it if so.
using FillCallback = bool (*)(int64_t x, int64_t y);

// One painted run and the cursors of its neighbouring rows still to search.
struct FillSegment {
  int64_t y;
  int64_t left;
  int64_t right;
  int64_t upX;    // next x to try on row y - 1
  int64_t downX;  // next x to try on row y + 1
  // The run this one was found from: painted, so not worth asking again.
  int64_t parentY;
  int64_t parentLeft;
  int64_t parentRight;
};

// A painted run of one row, as a region reports it.
struct FillRun {
  int64_t left;
  int64_t right;
};

// A region, as the fill asks it, one point or one run at a time:
//   bool Take(x, y)                   test and paint one point
//   int64_t ExtendLeft(x, y)          paint leftwards from x - 1; the new left
//   int64_t ExtendRight(x, y)         paint rightwards from x + 1; the new right
//   bool TakeRun(from, to, y, run)    find the first point of from..to that
//                                     belongs and paint its whole run; false
//                                     when none does
//   void Prefetch(left, right, y)     a hint: row y's left..right comes soon
// Run-wide answers let a region test many pixels at once; the runs found, and
// their order, are those of testing one point after the other.

// Adapts a plain callback to the region interface, one point at a time.
class CallbackRegion {
 public:
  explicit CallbackRegion(FillCallback fillFunc) : mFill(fillFunc) {}
  bool Take(int64_t x, int64_t y) { return mFill(x, y); }
  int64_t ExtendLeft(int64_t x, int64_t y) {
    while (mFill(x - 1, y)) --x;
    return x;
  }
  int64_t ExtendRight(int64_t x, int64_t y) {
    while (mFill(x + 1, y)) ++x;
    return x;
  }
  bool TakeRun(int64_t from, int64_t to, int64_t y, FillRun& run) {
    while (from <= to && !mFill(from, y)) ++from;
    if (from > to) return false;
    run.left = ExtendLeft(from, y);
    run.right = ExtendRight(from, y);
    return true;
  }
  void Prefetch(int64_t, int64_t, int64_t) {}

 private:
  FillCallback mFill;
};

namespace scanline_detail {

// How far ahead, in rows, a new run's direction is prefetched, and how much
// wider than the run: shapes widen as often as they narrow.
constexpr int64_t kPrefetchRows = 3;
constexpr int64_t kPrefetchMargin = 32;

// The segment of `run` on row y, found from `parent` (the seed's has none).
inline FillSegment MakeSegment(const FillRun& run, int64_t y, const FillSegment* parent) {
  FillSegment segment;
  segment.y = y;
  segment.left = run.left;
  segment.right = run.right;
  segment.upX = segment.downX = run.left;
  segment.parentY = parent ? parent->y : y;
  segment.parentLeft = parent ? parent->left : 0;
  segment.parentRight = parent ? parent->right : -1;
  return segment;
}

// Searches one neighbouring row from `cursor`; builds the first run found.
// The parent's run is passed over: every point of it would refuse.
template <class Region>
bool SearchRow(Region& region, const FillSegment& segment, int64_t& cursor, int64_t row, FillSegment& child) {
  const bool towardParent = row == segment.parentY;
  while (cursor <= segment.right) {
    int64_t to = segment.right;
    if (towardParent && cursor <= segment.parentRight) {
      if (cursor >= segment.parentLeft) {
        cursor = segment.parentRight + 1;
        continue;
      }
      to = std::min(to, segment.parentLeft - 1);
    }
    FillRun run;
    if (!region.TakeRun(cursor, to, row, run)) {
      cursor = to + 1;
      continue;
    }
    child = MakeSegment(run, row, &segment);
    // The fill tends to carry on the way it went.
    region.Prefetch(child.left - kPrefetchMargin, child.right + kPrefetchMargin,
                    row + (row - segment.y) * kPrefetchRows);
    // Resume past the child: its points fail now, being painted.
    cursor = child.right + 1;
    return true;
  }
  return false;
}

// Whether `row` holds nothing more to search from `cursor`: the cursor is past
// the run's end, or only the parent's painted run is left.
inline bool RowSearched(const FillSegment& segment, int64_t cursor, int64_t row) {
  return cursor > segment.right ||
         (row == segment.parentY && cursor >= segment.parentLeft && segment.parentRight >= segment.right);
}

inline bool Exhausted(const FillSegment& segment) {
  return RowSearched(segment, segment.upX, segment.y - 1) && RowSearched(segment, segment.downX, segment.y + 1);
}

}  // namespace scanline_detail

// Finds the next run adjacent to `segment` (all runs above before any below,
// each row left to right) and builds it into `child`; false when none is left.
template <class Region>
bool NextSegment(FillSegment& segment, Region& region, FillSegment& child) {
  return scanline_detail::SearchRow(region, segment, segment.upX, segment.y - 1, child) ||
         scanline_detail::SearchRow(region, segment, segment.downX, segment.y + 1, child);
}

// Fills the region containing (x, y), depth first. `pending` is working
// storage, reused between fills so that a run costs no allocation.
// `firstOfRegion`: (x, y) is the region's first point in raster order, as a
// scan's seed is, so nothing of it lies above that row or left of x there;
// those places are not searched, which changes nothing that is painted.
template <class Region>
void ScanlineFill(int64_t x, int64_t y, Region& region, std::vector<FillSegment>& pending,
                  bool firstOfRegion = false) {
  if (!region.Take(x, y)) return;
  FillRun seed;
  seed.left = firstOfRegion ? x : region.ExtendLeft(x, y);
  seed.right = region.ExtendRight(x, y);
  pending.clear();
  pending.push_back(scanline_detail::MakeSegment(seed, y, nullptr));
  if (firstOfRegion) pending.back().upX = seed.right + 1;
  FillSegment child;
  while (!pending.empty()) {
    if (!NextSegment(pending.back(), region, child)) {
      pending.pop_back();
      continue;
    }
    // A run with nothing left to search makes way for its child at once, so
    // a corridor one run wide keeps one pending run, not one per row.
    if (scanline_detail::Exhausted(pending.back())) {
      pending.back() = child;
      continue;
    }
    // Modest steps: the stack's spare room is memory beside the image.
    if (pending.size() == pending.capacity()) pending.reserve(pending.capacity() + pending.capacity() / 4 + 64);
    pending.push_back(child);
  }
}

// Fills the region containing (x, y) as `fillFunc` defines it.
inline void ScanlineFill(int64_t x, int64_t y, FillCallback fillFunc) {
  CallbackRegion region(fillFunc);
  std::vector<FillSegment> pending;
  ScanlineFill(x, y, region, pending);
}
