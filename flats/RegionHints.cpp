#include "flats/RegionHints.h"

#include <algorithm>
#include <mutex>
#include <stdexcept>
#include <tuple>

#include "base/RowBands.h"
#include "flats/NearestRegion.h"

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

// The owners of a row's pixels: a run under the lines that a hint run
// reaches is owned pixel by pixel, by the regions of their nearest region
// pixels; any other by no region, as no hint asks. One for each band of rows.
class HintedOwners {
 public:
  HintedOwners(const RegionRuns& map, const RegionMask& mask, const HintRuns& hints)
      : mMap(map), mMask(mask), mHints(hints), mFromX(static_cast<size_t>(map.width)),
        mFromY(static_cast<size_t>(map.width)) {}

  template <typename Owner>
  void operator()(int64_t y, const Owner& owner) {
    size_t h = mHints.rowStart[static_cast<size_t>(y)];
    int64_t x = 0;
    for (size_t i = mMap.rowStart[static_cast<size_t>(y)]; i < mMap.rowStart[static_cast<size_t>(y) + 1]; ++i) {
      const RegionRuns::Run& run = mMap.runs[i];
      if (x < run.begin) Gap(y, x, run.begin, h, owner);
      owner(run.begin, run.end, run.region);
      x = run.end;
    }
    if (x < mMap.width) Gap(y, x, mMap.width, h, owner);
  }

 private:
  template <typename Owner>
  void Gap(int64_t y, int64_t a, int64_t b, size_t& h, const Owner& owner) {
    const size_t end = mHints.rowStart[static_cast<size_t>(y) + 1];
    while (h < end && mHints.runs[h].end <= a) ++h;
    if (h == end || mHints.runs[h].begin >= b) return owner(a, b, -1);
    NearestInRun(mMask, y, a, b - 1, mFromX.data(), mFromY.data());
    const auto regionOf = [&](int64_t x) {
      return mMap.RegionAt(mFromX[static_cast<size_t>(x)], mFromY[static_cast<size_t>(x)], mLastRun);
    };
    for (int64_t x = a; x < b;) {
      const int32_t region = regionOf(x);
      int64_t stop = x + 1;
      while (stop < b && regionOf(stop) == region) ++stop;
      owner(x, stop, region);
      x = stop;
    }
  }

  const RegionRuns& mMap;
  const RegionMask& mMask;
  const HintRuns& mHints;
  std::vector<int32_t> mFromX, mFromY;
  size_t mLastRun = 0;  // the run of the region last found
};

// Row y's hint runs against the region runs and the pixels under the lines that
// own its pixels, side by side from the left, as `owners(y, owner)` calls
// `owner(begin, end, region)` for them. A run of one colour over one region
// in a row is one tally; the same pair in other rows adds to the list.
void TallyRow(const HintRuns& hints, int64_t y, HintedOwners& owners, std::vector<Tally>& tallies) {
  size_t h = hints.rowStart[static_cast<size_t>(y)];
  const size_t end = hints.rowStart[static_cast<size_t>(y) + 1];
  owners(y, [&](int64_t begin, int64_t stop, int32_t region) {
    for (; h < end && hints.runs[h].begin < stop; ++h) {
      const HintRuns::Run& run = hints.runs[h];
      const int64_t from = std::max<int64_t>(run.begin, begin), to = std::min<int64_t>(run.end, stop);
      if (from < to) {
        Tally* last = tallies.empty() ? nullptr : &tallies.back();
        if (last && last->region == region && last->colour == run.colour) last->pixels += to - from;
        else tallies.push_back({region, run.colour, to - from, y * hints.width + from});
      }
      if (run.end > stop) break;  // it goes on into the next owner
    }
  });
}

}  // namespace

std::vector<int32_t> MajorityHints(const RegionRuns& map, const RegionMask& mask, const HintRuns& hints) {
  if (mask.width() != map.width || mask.height() != map.height)
    throw std::invalid_argument("the region mask and the region map differ in size");
  if (hints.width != map.width || hints.height != map.height || hints.rows() != map.height)
    throw std::invalid_argument("the hints and the regions differ in size");
  // The tallies of the rows holding hints, bands of rows side by side.
  std::vector<Tally> tallies;
  std::mutex adding;
  base::InRowBands(map.height, [&](int64_t begin, int64_t end) {
    std::vector<Tally> band;
    HintedOwners owners(map, mask, hints);  // each band its own
    for (int64_t y = begin; y < end; ++y)
      if (hints.rowStart[static_cast<size_t>(y)] < hints.rowStart[static_cast<size_t>(y) + 1])
        TallyRow(hints, y, owners, band);
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
