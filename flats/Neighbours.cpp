#include "flats/Neighbours.h"

#include <algorithm>
#include <mutex>
#include <stdexcept>
#include <utility>

#include <boost/sort/spreadsort/integer_sort.hpp>

#include "base/RowBands.h"
#include "flats/LineSpanFinder.h"

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

// Sorted, each pair once: by radix, as a dense page's bands gather millions
// of pairs, repeats among them.
void Compact(std::vector<uint64_t>& pairs) {
  if (!std::is_sorted(pairs.begin(), pairs.end())) boost::sort::spreadsort::integer_sort(pairs.begin(), pairs.end());
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

// Each span's run, as found, replaced by the run's region, and spans side by
// side that come to name one region joined.
void RunsToRegions(const RegionRuns& map, LineSpans& lines) {
  base::InRowBands(map.height, [&](int64_t begin, int64_t end) {
    for (int64_t y = begin; y < end; ++y) {
      auto [span, last] = lines.Row(y);
      LineSpans::Span* kept = span;
      size_t run = map.rowStart[static_cast<size_t>(y)];
      const size_t lastRun = map.rowStart[static_cast<size_t>(y) + 1];
      int32_t x = 0;
      bool besideSpan = false;  // the last span kept ends at x
      for (; span != last; ++span) {
        for (; run < lastRun && map.runs[run].begin == x; ++run) x = map.runs[run].end, besideSpan = false;
        const int32_t region = map.runs[static_cast<size_t>(span->region)].region;
        if (besideSpan && kept[-1].region == region) {
          kept[-1].end = span->end;
        } else {
          kept->end = span->end;
          kept->region = region;
          ++kept;
        }
        x = span->end;
        besideSpan = true;
      }
      lines.Shorten(y, kept);
    }
  });
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

NeighbourLists FindNeighbours(const RegionRuns& map, LineSpans& lines) {
  if (lines.height() != map.height) throw std::invalid_argument("the map under the lines is of another page");
  std::vector<uint64_t> pairs;
  if (map.runs.empty()) return {};
  RunsToRegions(map, lines);
  std::mutex adding;
  base::InRowBands(map.height, [&](int64_t begin, int64_t end) {
    PairCollector collector;
    SpanRow row(map.width), above(map.width);
    // From the row above the band, for the pairs across its upper edge.
    const int64_t first = std::max<int64_t>(begin - 1, 0);
    for (int64_t y = first; y < end; ++y) {
      row.Clear();
      ForEachSpanOfRow(map, lines, y, [&](int64_t, int64_t spanEnd, int32_t region, bool) { row.Add(spanEnd, region); });
      collector.AddRow(row, y == first ? nullptr : &above);
      std::swap(row, above);
    }
    // Each band's pairs in order on its own core: merged, the page's need no sort.
    Compact(collector.pairs());
    const std::lock_guard<std::mutex> lock(adding);
    const auto middle = pairs.insert(pairs.end(), collector.pairs().begin(), collector.pairs().end());
    std::inplace_merge(pairs.begin(), middle, pairs.end());
  });
  return NeighbourLists(pairs, map.regions.size());
}

NeighbourLists FindNeighbours(const RegionMask& mask, const RegionRuns& map, LineSpans* kept) {
  LineSpans lines = FindLineSpans(mask, map);
  NeighbourLists neighbours = FindNeighbours(map, lines);
  if (kept) *kept = std::move(lines);
  return neighbours;
}

}  // namespace tessel::flats
