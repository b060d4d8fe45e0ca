#include "flats/Neighbours.h"

#include <algorithm>
#include <mutex>
#include <stdexcept>
#include <utility>

#include "base/RowBands.h"
#include "flats/NearestRegion.h"

namespace tessel::flats {

namespace {

// A span of a row of the nearest-region map: pixels of one region, its own
// or under the lines, up to a column.
struct Span {
  int32_t end;
  int32_t region;
};

// A row's spans, written field by field into room for the most a row can
// hold: a span built whole on the stack and copied in is read back before
// its halves reach memory, which stalls every push.
class SpanRow {
 public:
  explicit SpanRow(int64_t width) : mSpans(static_cast<size_t>(width) + 1) {}
  void Clear() { mSize = 0; }
  void Add(int64_t end, int32_t region) {
    Span& span = mSpans[mSize++];
    span.end = static_cast<int32_t>(end);
    span.region = region;
  }
  size_t size() const { return mSize; }
  const Span& operator[](size_t i) const { return mSpans[i]; }

 private:
  std::vector<Span> mSpans;
  size_t mSize = 0;
};

// Sorted, each pair once.
void Compact(std::vector<uint64_t>& pairs) {
  if (!std::is_sorted(pairs.begin(), pairs.end())) std::sort(pairs.begin(), pairs.end());
  pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
}

// Touching pairs of regions, packed low-high into one word. A boundary
// crosses many rows, so the same pair comes back row after row: a small
// table of the pairs seen last keeps most repeats out of the list.
class PairCollector {
 public:
  void Add(int32_t a, int32_t b) {
    const uint64_t pair = PackPair(a, b);
    uint64_t& seen = mSeen[(pair * 0x9E3779B97F4A7C15u) >> (64 - kSeenBits)];
    if (seen == pair) return;
    seen = pair;
    mPairs.push_back(pair);
    if (mPairs.size() >= mCompactAt) {  // repeats the table missed, on a page of many regions
      Compact(mPairs);
      mCompactAt = std::max(mCompactAt, 2 * mPairs.size());
    }
  }

  // Pairs of consecutive spans in a row, and of overlapping spans in it and
  // the row above. A boundary the row above has in the same column between
  // the same two regions gave its pair there already.
  void AddRow(const SpanRow& row, const SpanRow* above) {
    if (!above) {
      for (size_t i = 1; i < row.size(); ++i)
        if (row[i].region != row[i - 1].region) Add(row[i].region, row[i - 1].region);
      return;
    }
    const SpanRow& up = *above;
    for (size_t i = 0, j = 0; i < row.size() && j < up.size();) {
      if (row[i].region != up[j].region) Add(row[i].region, up[j].region);
      if (row[i].end < up[j].end) {
        if (row[i + 1].region != row[i].region) Add(row[i].region, row[i + 1].region);
        ++i;
      } else if (up[j].end < row[i].end) {
        ++j;
      } else {
        if (i + 1 < row.size() && row[i + 1].region != row[i].region &&
            (up[j].region != row[i].region || up[j + 1].region != row[i + 1].region))
          Add(row[i].region, row[i + 1].region);
        ++i, ++j;
      }
    }
  }

  std::vector<uint64_t>& pairs() { return mPairs; }

 private:
  static constexpr int kSeenBits = 12;  // 32 KiB: stays in the first-level cache
  std::vector<uint64_t> mSeen = std::vector<uint64_t>(size_t{1} << kSeenBits, ~uint64_t{0});
  std::vector<uint64_t> mPairs;
  size_t mCompactAt = size_t{1} << 20;
};

// Builds one row's spans: its region runs, and between them the pixels
// outside the regions, each given the region of its nearest region pixel.
class RowSpans {
 public:
  explicit RowSpans(const RegionRuns& map)
      : mMap(map), mRowOf(static_cast<size_t>(map.width), -1), mRegionOf(static_cast<size_t>(map.width)) {}

  // Row y, whose pixels outside the regions have their nearest region pixel
  // at (fromX, fromY); null for a row wholly inside regions.
  void Build(int64_t y, const int32_t* fromX, const int32_t* fromY, SpanRow& row) {
    row.Clear();
    const size_t first = mMap.rowStart[static_cast<size_t>(y)], last = mMap.rowStart[static_cast<size_t>(y) + 1];
    int64_t x = 0;
    for (size_t i = first; i <= last; ++i) {
      const bool run = i < last;
      const int64_t gapEnd = run ? mMap.runs[i].begin : mMap.width;
      if (x < gapEnd) {
        Gap gap{y, fromX, fromY, i > first ? mMap.runs[i - 1].region : -1, run ? mMap.runs[i].region : -1};
        AddLines(x, gapEnd, gap, row);
      }
      if (!run) break;
      row.Add(mMap.runs[i].end, mMap.runs[i].region);
      x = mMap.runs[i].end;
    }
  }

 private:
  // Pixels outside the regions between two runs of a row (or a side of the
  // page), and where their nearest region pixels lie.
  struct Gap {
    int64_t y;
    const int32_t *fromX, *fromY;
    int32_t left, right;  // the runs' regions, -1 for the side of the page
  };

  void AddLines(int64_t a, int64_t b, const Gap& gap, SpanRow& row) {
    while (a < b) {
      const int32_t region = RegionOf(a, gap);
      int64_t end = a + 1;
      while (end < b && RegionOf(end, gap) == region) ++end;
      row.Add(end, region);
      a = end;
    }
  }

  // A nearest region pixel in the gap's own row is in a run beside it. One
  // elsewhere is mostly the one the pixel beside or above had.
  int32_t RegionOf(int64_t x, const Gap& gap) {
    const int32_t fx = gap.fromX[x], fy = gap.fromY[x];
    if (fy == gap.y) return fx < x ? gap.left : gap.right;
    if (fx == mX && fy == mY) return mRegion;
    mX = fx, mY = fy;
    if (mRowOf[static_cast<size_t>(fx)] == fy) return mRegion = mRegionOf[static_cast<size_t>(fx)];
    mRowOf[static_cast<size_t>(fx)] = fy;
    // Pixels above and below the row are looked up left to right, each side
    // from the run it found last.
    size_t& hint = fy < gap.y ? mAboveHint : mBelowHint;
    return mRegion = mRegionOf[static_cast<size_t>(fx)] = mMap.RegionAt(fx, fy, hint);
  }

  const RegionRuns& mMap;
  int32_t mX = -1, mY = -1, mRegion = -1;  // the last pixel asked for, and its answer
  std::vector<int32_t> mRowOf, mRegionOf;  // per column, the last pixel asked for there
  size_t mAboveHint = 0, mBelowHint = 0;
};

// Room for a band's spans under the lines: on line art about two a run.
// Only what they reach is ever touched.
void Reserve(const RegionRuns& map, int64_t begin, int64_t end, LineSpans::Band& band) {
  band.firstRow = begin;
  band.rowEnds.reserve(static_cast<size_t>(end - begin));
  band.spans.reserve(3 * (map.rowStart[static_cast<size_t>(end)] - map.rowStart[static_cast<size_t>(begin)]) +
                     static_cast<size_t>(end - begin));
}

// Row y's spans under the lines into `band`, told from the runs': a run's
// span starts where the run does, and a span under the lines never does.
void Keep(const RegionRuns& map, int64_t y, const SpanRow& row, LineSpans::Band& band) {
  size_t run = map.rowStart[static_cast<size_t>(y)];
  const size_t lastRun = map.rowStart[static_cast<size_t>(y) + 1];
  int32_t x = 0;
  for (size_t i = 0; i < row.size(); x = row[i].end, ++i) {
    if (run < lastRun && map.runs[run].begin == x) ++run;
    else band.spans.push_back({row[i].end, row[i].region});
  }
  band.rowEnds.push_back(band.spans.size());
}

}  // namespace

// Pairs sorted low-high fill both ends' lists in ascending order: a region's
// lower neighbours all come in pairs before those where it is the lower.
NeighbourLists::NeighbourLists(std::vector<uint64_t>& pairs, size_t count) : mStart(count + 1, 0) {
  Compact(pairs);
  const auto low = [](uint64_t pair) { return static_cast<size_t>(pair >> 32); };
  const auto high = [](uint64_t pair) { return static_cast<size_t>(pair & 0xffffffffu); };
  for (const uint64_t pair : pairs) ++mStart[low(pair) + 1], ++mStart[high(pair) + 1];
  for (size_t i = 0; i < count; ++i) mStart[i + 1] += mStart[i];
  mIds.resize(mStart[count]);
  std::vector<size_t> next(mStart.begin(), mStart.end() - 1);
  for (const uint64_t pair : pairs) {
    mIds[next[low(pair)]++] = static_cast<int32_t>(high(pair));
    mIds[next[high(pair)]++] = static_cast<int32_t>(low(pair));
  }
}

NeighbourLists FindNeighbours(const RegionMask& mask, const RegionRuns& map, LineSpans* lines) {
  if (mask.width() != map.width || mask.height() != map.height)
    throw std::invalid_argument("the region mask and the region map differ in size");
  if (lines) *lines = LineSpans(map.height);
  if (map.regions.empty()) return {};  // nothing under the lines to paint either
  std::vector<uint64_t> pairs;
  std::mutex adding;
  base::InRowBands(map.height, [&](int64_t begin, int64_t end) {
    PairCollector collector;
    RowSpans builder(map);
    SpanRow row(map.width), above(map.width);
    LineSpans::Band kept;
    if (lines) Reserve(map, begin, end, kept);
    // From the row above the band, for the pairs across its upper edge.
    const int64_t first = std::max<int64_t>(begin - 1, 0);
    int64_t next = first;  // the first row not yet taken in
    const auto takeIn = [&](int64_t y, const int32_t* fromX, const int32_t* fromY) {
      builder.Build(y, fromX, fromY, row);
      if (lines && y >= begin) Keep(map, y, row, kept);
      collector.AddRow(row, y == first ? nullptr : &above);
      std::swap(row, above);
      next = y + 1;
    };
    // Rows the visitor skips lie wholly inside regions.
    const auto takeInsideRows = [&](int64_t until) {
      while (next < until) takeIn(next, nullptr, nullptr);
    };
    VisitNearestRegionPixels(
        mask,
        [&](int64_t y, const int32_t* fromX, const int32_t* fromY) {
          takeInsideRows(y);
          takeIn(y, fromX, fromY);
        },
        first, end);
    takeInsideRows(end);
    // Each band's pairs in order on its own core: merged, the page's need no sort.
    Compact(collector.pairs());
    const std::lock_guard<std::mutex> lock(adding);
    if (lines) lines->Add(std::move(kept));
    const auto middle = pairs.insert(pairs.end(), collector.pairs().begin(), collector.pairs().end());
    std::inplace_merge(pairs.begin(), middle, pairs.end());
  });
  return NeighbourLists(pairs, map.regions.size());
}

}  // namespace tessel::flats
