#include "flats/Neighbours.h"

#include <algorithm>
#include <mutex>
#include <stdexcept>

#include "flats/NearestRegion.h"
#include "flats/RowBands.h"

namespace tessel::flats {

namespace {

// Collects the touching pairs of consecutive rows of the nearest-region map,
// as 0-based region indices packed low-high into one word.
class PairCollector {
 public:
  explicit PairCollector(int64_t width)
      : mRow(static_cast<size_t>(width)), mAbove(static_cast<size_t>(width)) {}

  int32_t* row() { return mRow.data(); }

  // Takes in the row just filled in `row()`, compared with the one before it.
  void Commit(bool first) {
    const size_t width = mRow.size();
    if (width > 1) AddDifferences(mRow.data() + 1, mRow.data(), width - 1);
    if (!first) AddDifferences(mRow.data(), mAbove.data(), width);
    mRow.swap(mAbove);
  }

  // Takes in the pairs another collector found.
  void Absorb(PairCollector& other) {
    other.Compact();
    mPairs.insert(mPairs.end(), other.mPairs.begin(), other.mPairs.end());
  }

  NeighbourLists Lists(size_t regions) {
    Compact();
    NeighbourLists lists(regions);
    for (const uint64_t pair : mPairs) {
      const auto low = static_cast<int32_t>(pair >> 32), high = static_cast<int32_t>(pair & 0xffffffffu);
      lists[static_cast<size_t>(low)].push_back(high);
      lists[static_cast<size_t>(high)].push_back(low);
    }
    for (auto& list : lists) std::sort(list.begin(), list.end());
    return lists;
  }

 private:
  void Add(int32_t a, int32_t b) {
    const uint64_t pair = a < b ? (uint64_t(a - 1) << 32 | uint32_t(b - 1)) : (uint64_t(b - 1) << 32 | uint32_t(a - 1));
    // A boundary crosses many rows: the same pair comes back row after row.
    if (!mPairs.empty() && mPairs.back() == pair) return;
    mPairs.push_back(pair);
    if (mPairs.size() >= mCompactAt) {
      Compact();
      mCompactAt = std::max(mCompactAt, 2 * mPairs.size());
    }
  }

  // Labels differ at few places: blocks without a difference are passed over
  // in a loop the compiler vectorises.
  void AddDifferences(const int32_t* a, const int32_t* b, size_t count) {
    constexpr size_t kBlock = 32;
    size_t x = 0;
    for (; x + kBlock <= count; x += kBlock) {
      int32_t differ = 0;
      for (size_t i = 0; i < kBlock; ++i) differ |= a[x + i] ^ b[x + i];
      if (differ == 0) continue;
      for (size_t i = x; i < x + kBlock; ++i)
        if (a[i] != b[i]) Add(a[i], b[i]);
    }
    for (; x < count; ++x)
      if (a[x] != b[x]) Add(a[x], b[x]);
  }

  void Compact() {
    std::sort(mPairs.begin(), mPairs.end());
    mPairs.erase(std::unique(mPairs.begin(), mPairs.end()), mPairs.end());
  }

  std::vector<int32_t> mRow, mAbove;  // labels, every pixel given to a region
  std::vector<uint64_t> mPairs;
  size_t mCompactAt = 1 << 16;
};

}  // namespace

NeighbourLists FindNeighbours(const RegionMask& mask, const RegionRuns& map) {
  if (mask.width() != map.width || mask.height() != map.height)
    throw std::invalid_argument("the region mask and the region map differ in size");
  const int64_t width = map.width;
  PairCollector all(width);
  if (map.regions.empty()) return all.Lists(0);
  // Labels in the row: 1 + the region, 0 outside every region.
  const auto labelRuns = [&](int64_t y, int32_t* row) {
    for (size_t i = map.rowStart[static_cast<size_t>(y)]; i < map.rowStart[static_cast<size_t>(y) + 1]; ++i)
      std::fill(row + map.runs[i].begin, row + map.runs[i].end, map.runs[i].region + 1);
  };
  std::mutex merging;
  InRowBands(map.height, [&](int64_t begin, int64_t end) {
    // From the row above the band, for the pairs across its upper edge.
    const int64_t first = std::max<int64_t>(begin - 1, 0);
    PairCollector pairs(width);
    int64_t next = first;  // the first row not yet committed
    // Rows the visitor skips lie wholly inside regions.
    const auto commitInsideRows = [&](int64_t until) {
      for (; next < until; ++next) {
        labelRuns(next, pairs.row());
        pairs.Commit(next == first);
      }
    };
    size_t hint = 0;
    VisitNearestRegionPixels(
        mask,
        [&](int64_t y, const int32_t* fromX, const int32_t* fromY) {
          commitInsideRows(y);
          int32_t* row = pairs.row();
          labelRuns(y, row);
          for (int64_t a = mask.Next(0, y, false); a < width; a = mask.Next(a, y, false))
            for (const int64_t b = mask.Next(a, y, true); a < b; ++a)
              row[a] = map.RegionAt(fromX[a], fromY[a], hint) + 1;
          pairs.Commit(y == first);
          next = y + 1;
        },
        first, end);
    commitInsideRows(end);
    const std::lock_guard<std::mutex> lock(merging);
    all.Absorb(pairs);
  });
  return all.Lists(map.regions.size());
}

}  // namespace tessel::flats
