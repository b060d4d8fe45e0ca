// A separable exact distance transform with nearest pixels (Felzenszwalb and
// Huttenlocher's lower envelope of parabolas), done row by row so that no
// per-pixel buffer is needed: OpenCV's distance transform gives labels only
// with its 3x3 and 5x5 approximations, which pick wrong regions along
// diagonals. Two observations keep it cheap on line art:
// - a pixel outside the regions in the run [a, b] of its row has a region
//   pixel in its own row at a - 1 or b + 1, no farther than its nearest one,
//   so only columns a - 1 to b + 1 can hold its nearest region pixel;
// - the nearest region pixel above and below in each column is carried down
//   from row to row, and searched for only when the row passes it, and down
//   no farther than a region pixel beside the run in its own row reaches.
// Exact ties are decided by integer arithmetic: the envelope's breakpoints
// are kept as fractions, and a pixel on a breakpoint goes to the left column.
// Most runs outside the regions are one or two pixels wide (lines crossing
// the row); their nearest region pixels follow from the tie rule without an
// envelope, as the two region pixels beside them in the row are at distance 1.
#include "flats/NearestRegion.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <vector>

namespace tessel::flats {

namespace {

constexpr int64_t kFar = std::numeric_limits<int64_t>::max();

// The lower envelope of the parabolas (x - column)^2 + height2, added by
// increasing column, then read by increasing x. Breakpoints are fractions
// num/den with den > 0; with sides up to 300,000 every product below stays
// under 2^57.
class Envelope {
 public:
  void Clear() {
    mParts.clear();
    mAt = 0;
  }

  void Add(int64_t column, int64_t height2, int32_t row) {
    while (!mParts.empty()) {
      const Part& last = mParts.back();
      // Where the new parabola meets the last: equal there, lower right of it.
      const int64_t num = height2 + column * column - last.height2 - last.column * last.column;
      const int64_t den = 2 * (column - last.column);
      if (mParts.size() > 1 && num * last.startDen <= last.startNum * den) {
        mParts.pop_back();  // lower nowhere the ones on either side are not
        continue;
      }
      return Push(column, height2, row, num, den);
    }
    Push(column, height2, row, 0, 1);
  }

  // The parabola lowest at x, the leftmost on a breakpoint; x must not decrease.
  void Lowest(int64_t x, int32_t& column, int32_t& row) {
    while (mAt + 1 < mParts.size() && mParts[mAt + 1].startNum < x * mParts[mAt + 1].startDen) ++mAt;
    column = static_cast<int32_t>(mParts[mAt].column);
    row = mParts[mAt].row;
  }

 private:
  struct Part {
    int64_t column;
    int64_t height2;
    int32_t row;  // of the region pixel the parabola stands for
    int64_t startNum, startDen;  // where it becomes the lowest (unused for the first)
  };

  // Field by field into the vector: a part built whole on the stack and
  // copied in is read back before its fields reach memory, a stall that
  // costs about a fifth of the visit.
  void Push(int64_t column, int64_t height2, int32_t row, int64_t startNum, int64_t startDen) {
    Part& part = mParts.emplace_back();
    part.column = column;
    part.height2 = height2;
    part.row = row;
    part.startNum = startNum;
    part.startDen = startDen;
  }

  std::vector<Part> mParts;
  size_t mAt = 0;
};

// The nearest region pixel within each column, for the row being visited.
class Columns {
 public:
  enum Found { kFound, kNoneInColumn, kBeyondRows };

  // Rows are visited from `firstRow` on; what lies above it is looked up
  // in a column only when a pixel there needs it.
  Columns(const RegionMask& mask, int64_t firstRow)
      : mMask(mask),
        mAbove(static_cast<size_t>(mask.width()), firstRow == 0 ? kNone : kUnknown),
        mBelow(static_cast<size_t>(mask.width()), -1),
        mClearTo(static_cast<size_t>(mask.width()), 0) {}

  // Keeps column x as Nearest would for (x, y), outside the regions, which
  // is not asked about.
  void Pass(int64_t x, int64_t y) {
    if (y > 0 && mMask.at(x, y - 1)) mAbove[static_cast<size_t>(x)] = static_cast<int32_t>(y - 1);
  }

  // The vertical distance from (x, y) to the nearest region pixel of column x,
  // the upper one on a tie, and that pixel's row; kNoneInColumn when the
  // column holds none, or none below within `reach` rows and none above,
  // kBeyondRows when only rows from `rows` on can tell. Asked for every
  // pixel outside the regions, row after row: a pixel's upper neighbour,
  // when not a region pixel, was asked for in the row before.
  Found Nearest(int64_t x, int64_t y, int64_t rows, int64_t reach, int64_t& distance, int32_t& row) {
    if (mMask.at(x, y)) {
      distance = 0;
      row = static_cast<int32_t>(y);
      return kFound;
    }
    int32_t& above = mAbove[static_cast<size_t>(x)];
    int32_t& below = mBelow[static_cast<size_t>(x)];
    if (y > 0 && mMask.at(x, y - 1)) above = static_cast<int32_t>(y - 1);
    if (above == kUnknown) {
      int64_t r = y - 1;
      while (r >= 0 && !mMask.at(x, r)) --r;
      above = static_cast<int32_t>(r);  // kNone when there is none
    }
    if (below < y) {
      // From where a search that stopped short left off.
      int32_t& clearTo = mClearTo[static_cast<size_t>(x)];
      const int64_t last = std::min(mMask.height(), y + 1 + reach), stop = std::min(last, rows);
      int64_t r = std::max<int64_t>(y + 1, clearTo);
      while (r < stop && !mMask.at(x, r)) ++r;
      if (r < stop || stop == mMask.height()) {
        below = static_cast<int32_t>(r);  // the height when there is none
      } else {
        clearTo = static_cast<int32_t>(r);
        if (stop < last) return kBeyondRows;
      }
    }
    const int64_t up = above != kNone ? y - above : kFar;
    const int64_t down = below > y && below < mMask.height() ? below - y : kFar;
    if (up == kFar && down == kFar) return kNoneInColumn;
    distance = std::min(up, down);
    row = up <= down ? above : below;
    return kFound;
  }

 private:
  static constexpr int32_t kNone = -1, kUnknown = -2;
  const RegionMask& mMask;
  std::vector<int32_t> mAbove;    // last region row above, kNone for none
  std::vector<int32_t> mBelow;    // next region row below; stale once passed
  std::vector<int32_t> mClearTo;  // where a search below that stopped short left off: none above it
};

}  // namespace

struct NearestRows::State {
  State(const RegionMask& mask, int64_t firstRow)
      : columns(mask, firstRow),
        fromX(static_cast<size_t>(mask.width()), -1),
        fromY(static_cast<size_t>(mask.width()), -1) {}
  Columns columns;
  Envelope envelope;
  std::vector<int32_t> fromX, fromY;
};

NearestRows::NearestRows(const RegionMask& mask, int64_t firstRow)
    : mMask(mask), mNext(firstRow), mState(std::make_unique<State>(mask, firstRow)) {}

NearestRows::~NearestRows() = default;

bool NearestRows::VisitNext(int64_t rows, const NearestRowVisitor& visit) {
  const int64_t y = mNext, width = mMask.width();
  if (y >= mMask.height() || rows < std::min(y + 2, mMask.height())) return false;
  Columns& columns = mState->columns;
  Envelope& envelope = mState->envelope;
  int32_t* const fromX = mState->fromX.data();
  int32_t* const fromY = mState->fromY.data();
  bool outside = false;
  for (int64_t a = mMask.Next(0, y, false); a < width; a = mMask.Next(a, y, false)) {
    const int64_t b = mMask.Next(a, y, true) - 1;
    outside = true;
    if (a > 0 && b + 1 < width && b - a < 2) {
      // Between two region pixels of the row, at distance 1 from the
      // nearer: the first pixel takes the left one (the leftmost column
      // wins a tie); a second one a region pixel right above or below it,
      // the upper first, else the right one.
      columns.Pass(a, y);
      fromX[a] = static_cast<int32_t>(a - 1);
      fromY[a] = static_cast<int32_t>(y);
      if (b > a) {
        columns.Pass(b, y);
        const bool up = y > 0 && mMask.at(b, y - 1), down = y + 1 < mMask.height() && mMask.at(b, y + 1);
        fromX[b] = static_cast<int32_t>(up || down ? b : b + 1);
        fromY[b] = static_cast<int32_t>(up ? y - 1 : down ? y + 1 : y);
      }
      a = b + 1;
      continue;
    }
    envelope.Clear();
    // A region pixel of the row beside the run is at most `reach` from any
    // of its pixels: one farther down in any column is nearer to none.
    const int64_t length = b - a + 1;
    const int64_t reach = a > 0 && b + 1 < width ? (length + 1) / 2 : a > 0 || b + 1 < width ? length : mMask.height();
    for (int64_t c = std::max<int64_t>(a - 1, 0); c <= std::min(b + 1, width - 1); ++c) {
      int64_t distance = 0;
      int32_t sourceRow = 0;
      const Columns::Found found = columns.Nearest(c, y, rows, reach, distance, sourceRow);
      // Nothing kept of the row so far changes when it is visited again.
      if (found == Columns::kBeyondRows) return false;
      if (found == Columns::kFound) envelope.Add(c, distance * distance, sourceRow);
    }
    for (int64_t x = a; x <= b; ++x) envelope.Lowest(x, fromX[x], fromY[x]);
    a = b + 1;
  }
  if (outside) visit(y, fromX, fromY);
  ++mNext;
  return true;
}

void VisitNearestRegionPixels(const RegionMask& mask, const NearestRowVisitor& visit, int64_t firstRow, int64_t endRow) {
  NearestRows rows(mask, firstRow);
  while (rows.next() < endRow) rows.VisitNext(mask.height(), visit);
}

void NearestInRun(const RegionMask& mask, int64_t y, int64_t a, int64_t b, int32_t* fromX, int32_t* fromY) {
  Envelope envelope;
  for (int64_t c = std::max<int64_t>(a - 1, 0); c <= std::min(b + 1, mask.width() - 1); ++c) {
    // Columns mask.at answers for at once: nothing is carried from a row before.
    int64_t above = y - 1, below = y + 1;
    if (mask.at(c, y)) {
      above = below = y;
    } else {
      while (above >= 0 && !mask.at(c, above)) --above;
      while (below < mask.height() && !mask.at(c, below)) ++below;
    }
    const int64_t up = above >= 0 ? y - above : kFar, down = below < mask.height() ? below - y : kFar;
    if (up == kFar && down == kFar) continue;
    const int64_t distance = std::min(up, down);
    envelope.Add(c, distance * distance, static_cast<int32_t>(up <= down ? above : below));
  }
  for (int64_t x = a; x <= b; ++x) envelope.Lowest(x, fromX[x], fromY[x]);
}

bool VisitNearestRegionPixels(const RegionMask& mask, const NearestRowVisitor& visit) {
  if (mask.empty()) return false;
  VisitNearestRegionPixels(mask, visit, 0, mask.height());
  return true;
}

}  // namespace tessel::flats
