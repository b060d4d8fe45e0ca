#include "flats/RegionRuns.h"

#include <algorithm>
#include <limits>
#include <mutex>
#include <numeric>
#include <stdexcept>

#include "base/RowBands.h"

namespace tessel::flats {

namespace {

// Union-find over the runs, in their `region` field until they are labelled:
// a run's parent is never after it, so a component's root is its first run.
int32_t Root(decltype(RegionRuns::runs)& runs, int32_t i) {
  while (runs[static_cast<size_t>(i)].region != i) {
    RegionRuns::Run& run = runs[static_cast<size_t>(i)];
    run.region = runs[static_cast<size_t>(run.region)].region;
    i = run.region;
  }
  return i;
}

void Join(decltype(RegionRuns::runs)& runs, int32_t a, int32_t b) {
  a = Root(runs, a), b = Root(runs, b);
  if (a != b) runs[static_cast<size_t>(std::max(a, b))].region = std::min(a, b);
}

// Joins the runs of row y to those of the row above that share a column with
// them: they are 4-connected.
void JoinToRowAbove(RegionRuns& map, int64_t y) {
  size_t up = map.rowStart[static_cast<size_t>(y) - 1], here = map.rowStart[static_cast<size_t>(y)];
  const size_t upEnd = here, hereEnd = map.rowStart[static_cast<size_t>(y) + 1];
  while (up < upEnd && here < hereEnd) {
    const auto& u = map.runs[up];
    const auto& h = map.runs[here];
    if (u.begin < h.end && h.begin < u.end) Join(map.runs, static_cast<int32_t>(up), static_cast<int32_t>(here));
    if (u.end < h.end) ++up;
    else ++here;
  }
}

}  // namespace

size_t RegionRuns::RunAt(int64_t x, int64_t y, size_t& hint) const {
  const size_t first = rowStart[static_cast<size_t>(y)], last = rowStart[static_cast<size_t>(y) + 1];
  // Asked left to right along a row, mostly: a few runs on from the last found.
  if (hint >= first && hint < last && runs[hint].begin <= x) {
    size_t near = hint;
    for (int steps = 0; steps < 8 && near < last && runs[near].end <= x; ++steps) ++near;
    if (near == last || x < runs[near].begin) {
      if (runs[near - 1].end <= x) return kNoRun;  // between the runs passed and the next
    } else if (x < runs[near].end) {
      return hint = near;
    }
  }
  const auto after = std::upper_bound(runs.begin() + static_cast<std::ptrdiff_t>(first),
                                      runs.begin() + static_cast<std::ptrdiff_t>(last), x,
                                      [](int64_t column, const Run& run) { return column < run.begin; });
  if (after == runs.begin() + static_cast<std::ptrdiff_t>(first)) return kNoRun;
  const size_t found = static_cast<size_t>(after - runs.begin()) - 1;
  if (x >= runs[found].end) return kNoRun;
  return hint = found;
}

int32_t RegionRuns::RegionAt(int64_t x, int64_t y, size_t& hint) const {
  const size_t run = RunAt(x, y, hint);
  return run == kNoRun ? -1 : runs[run].region;
}

namespace {

constexpr int64_t kLargest = std::numeric_limits<int32_t>::max();

void RequireLabels(const RegionMask& mask) {
  if (mask.width() > kLargest || mask.height() > kLargest) throw std::length_error("the page is too wide to label");
}

// Row y's runs from `i` on, each its own root for now.
void WriteRowRuns(const RegionMask& mask, int64_t y, RegionRuns& map, size_t i) {
  mask.ForEachRun(y, [&](int64_t a, int64_t b) {
    map.runs[i] = {static_cast<int32_t>(a), static_cast<int32_t>(b), static_cast<int32_t>(i)};
    ++i;
  });
}

// Runs come in scan order, so a component is first met at its first pixel,
// its root; any other run's parent comes before it, already labelled.
void Label(RegionRuns& map, const base::ImageBuffer& after, int colourPlanes) {
  for (int64_t y = 0; y < map.height; ++y)
    for (size_t i = map.rowStart[static_cast<size_t>(y)]; i < map.rowStart[static_cast<size_t>(y) + 1]; ++i) {
      RegionRuns::Run& run = map.runs[i];
      if (run.region == static_cast<int32_t>(i)) {
        run.region = static_cast<int32_t>(map.regions.size());
        Region& first = map.regions.emplace_back();
        first.firstX = run.begin;
        first.firstY = y;
      } else {
        run.region = map.runs[static_cast<size_t>(run.region)].region;
      }
      map.regions[static_cast<size_t>(run.region)].area += run.end - run.begin;
    }
  // Apart from the labelling, whose every step waits on the one before: each
  // first pixel lies on a row of its own, mostly out of the cache, and these
  // reads can all be under way at once.
  base::InRowBands(
      static_cast<int64_t>(map.regions.size()),
      [&](int64_t begin, int64_t end) {
        for (auto i = static_cast<size_t>(begin); i < static_cast<size_t>(end); ++i) {
          Region& region = map.regions[i];
          region.colour.resize(static_cast<size_t>(colourPlanes));  // one allocation, where pushing took three
          for (int p = 0; p < colourPlanes; ++p)
            region.colour[static_cast<size_t>(p)] = after.at(region.firstX, region.firstY, p);
        }
      },
      base::kFewestItemsABand);
}

}  // namespace

RegionRuns FindRegionRuns(const RegionMask& mask, const base::ImageBuffer& after, int colourPlanes) {
  RequireMatch(mask, after, colourPlanes);
  RequireLabels(mask);
  RegionRuns map;
  map.width = mask.width();
  map.height = mask.height();
  // Counted first, so that bands of rows can write their runs side by side.
  map.rowStart.assign(static_cast<size_t>(map.height) + 1, 0);
  base::InRowBands(map.height, [&](int64_t begin, int64_t end) {
    for (int64_t y = begin; y < end; ++y) map.rowStart[static_cast<size_t>(y) + 1] = static_cast<size_t>(mask.CountRuns(y));
  });
  for (size_t y = 0; y < static_cast<size_t>(map.height); ++y) map.rowStart[y + 1] += map.rowStart[y];
  if (map.rowStart.back() > static_cast<size_t>(kLargest)) throw std::length_error("too many runs to label");
  map.runs.resize(map.rowStart.back());

  // Each band's runs are joined among themselves, then the bands where they meet.
  std::vector<int64_t> bandStarts;
  std::mutex adding;
  base::InRowBands(map.height, [&](int64_t begin, int64_t end) {
    for (int64_t y = begin; y < end; ++y) {
      WriteRowRuns(mask, y, map, map.rowStart[static_cast<size_t>(y)]);
      if (y > begin) JoinToRowAbove(map, y);
    }
    const std::lock_guard<std::mutex> lock(adding);
    bandStarts.push_back(begin);
  });
  for (const int64_t y : bandStarts)
    if (y > 0) JoinToRowAbove(map, y);
  Label(map, after, colourPlanes);
  return map;
}

void AddRegionRuns(const RegionMask& mask, int64_t firstRow, int64_t endRow, RegionRuns& map) {
  RequireLabels(mask);
  if (map.rowStart.empty()) {
    map.width = mask.width();
    map.height = mask.height();
    map.rowStart.push_back(0);
    // Room for the most runs a page can hold, in address space alone: only
    // the pages the runs reach are ever touched, where growing by copies
    // faulted in fresh memory twice over, on the thread that has to keep up
    // with the scan. Where the room cannot be had, the runs grow as they come.
    try {
      map.runs.reserve(static_cast<size_t>((mask.width() + 1) / 2 * mask.height()));
    } catch (const std::exception&) {
    }
  }
  for (int64_t y = firstRow; y < endRow; ++y) {
    const size_t first = map.runs.size(), count = static_cast<size_t>(mask.CountRuns(y));
    if (first + count > static_cast<size_t>(kLargest)) throw std::length_error("too many runs to label");
    map.runs.resize(first + count);
    WriteRowRuns(mask, y, map, first);
    map.rowStart.push_back(map.runs.size());
    if (y > 0) JoinToRowAbove(map, y);
  }
}

void LabelRegionRuns(RegionRuns& map, const RegionMask& mask, const base::ImageBuffer& after, int colourPlanes) {
  RequireMatch(mask, after, colourPlanes);
  if (map.width != mask.width() || map.height != mask.height() ||
      map.rowStart.size() != static_cast<size_t>(map.height) + 1)
    throw std::invalid_argument("the region runs do not hold every row of the mask");
  Label(map, after, colourPlanes);
}

}  // namespace tessel::flats
