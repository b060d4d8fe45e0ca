#include "flats/RegionHints.h"

#include <algorithm>
#include <mutex>
#include <stdexcept>
#include <tuple>

#include "base/RowBands.h"

namespace tessel::flats {

void HintRuns::SetRow(int64_t y, const Run* first, size_t count) {
  rowStart.resize(static_cast<size_t>(y) + 1);
  runs.resize(rowStart.back());
  runs.insert(runs.end(), first, first + count);
  rowStart.push_back(runs.size());
}

namespace {

// Hint pixels of one colour in one region: how many, and where the first of
// them lies in a row-major scan.
struct Tally {
  int32_t region;
  int32_t colour;
  int64_t pixels;
  int64_t first;
};

// Row y's hint runs against the region runs and spans that own its pixels,
// side by side from the left. A run of one colour over one region in a row
// is one tally; the same pair in other rows adds to the list.
void TallyRow(const RegionRuns& map, const RegionSpans& spans, const HintRuns& hints, int64_t y,
              std::vector<Tally>& tallies) {
  size_t h = hints.rowStart[static_cast<size_t>(y)];
  const size_t end = hints.rowStart[static_cast<size_t>(y) + 1];
  ForEachOwner(map, spans, y, [&](int64_t begin, int64_t stop, int32_t region, bool) {
    for (; h < end && hints.runs[h].begin < stop; ++h) {
      const HintRuns::Run& run = hints.runs[h];
      const int64_t from = std::max<int64_t>(run.begin, begin), to = std::min<int64_t>(run.end, stop);
      if (from < to) {
        Tally* last = tallies.empty() ? nullptr : &tallies.back();
        if (last && last->region == region && last->colour == run.colour) last->pixels += to - from;
        else tallies.push_back({region, run.colour, to - from, y * map.width + from});
      }
      if (run.end > stop) break;  // it goes on into the next owner
    }
  });
}

}  // namespace

std::vector<int32_t> MajorityHints(const RegionRuns& map, const RegionSpans& spans, const HintRuns& hints) {
  if (hints.width != map.width || hints.height != map.height || hints.rows() != map.height)
    throw std::invalid_argument("the hints and the regions differ in size");
  std::vector<Tally> tallies;
  std::mutex adding;
  base::InRowBands(map.height, [&](int64_t begin, int64_t end) {
    std::vector<Tally> band;
    for (int64_t y = begin; y < end; ++y)
      if (hints.rowStart[static_cast<size_t>(y)] < hints.rowStart[static_cast<size_t>(y) + 1])
        TallyRow(map, spans, hints, y, band);
    const std::lock_guard<std::mutex> lock(adding);
    tallies.insert(tallies.end(), band.begin(), band.end());
  });
  // Each region's colours together, each colour's tallies summed.
  std::sort(tallies.begin(), tallies.end(), [](const Tally& a, const Tally& b) {
    return std::tie(a.region, a.colour, a.first) < std::tie(b.region, b.colour, b.first);
  });
  std::vector<int32_t> colour(map.regions.size(), -1);
  std::vector<int64_t> most(map.regions.size(), 0), firstOfMost(map.regions.size(), 0);
  for (size_t i = 0; i < tallies.size();) {
    Tally sum = tallies[i];
    for (++i; i < tallies.size() && tallies[i].region == sum.region && tallies[i].colour == sum.colour; ++i)
      sum.pixels += tallies[i].pixels;
    const auto r = static_cast<size_t>(sum.region);
    if (sum.pixels > most[r] || (sum.pixels == most[r] && sum.first < firstOfMost[r])) {
      colour[r] = sum.colour;
      most[r] = sum.pixels;
      firstOfMost[r] = sum.first;
    }
  }
  return colour;
}

}  // namespace tessel::flats
