#include "pipeline/DistinctFlats.h"

#include <algorithm>
#include <chrono>

#include "base/Stopwatch.h"
#include "flats/DistinctColours.h"
#include "flats/Neighbours.h"
#include "flats/RegionRuns.h"
#include "host/Presets.h"
#include "pipeline/PaintRules.h"

namespace tessel::pipeline {

namespace {

constexpr double kMinDeltaE = 20;
constexpr int kRandomTries = 200;
constexpr uint32_t kSeed = 1;  // the filter's own runs are seeded alike

bool Same(const std::vector<uint8_t>& regionColour, const PaintBytes& colour) {
  return std::equal(regionColour.begin(), regionColour.end(), colour.begin());
}

// Each region's extent, for the filter's "no larger than" by width and height.
std::vector<std::pair<int64_t, int64_t>> Extents(const flats::RegionRuns& map) {
  struct Box {
    int64_t minX = INT64_MAX, maxX = -1, minY = INT64_MAX, maxY = -1;
  };
  std::vector<Box> boxes(map.regions.size());
  for (int64_t y = 0; y < map.height; ++y)
    for (size_t i = map.rowStart[static_cast<size_t>(y)]; i < map.rowStart[static_cast<size_t>(y) + 1]; ++i) {
      const auto& run = map.runs[i];
      Box& b = boxes[static_cast<size_t>(run.region)];
      b.minX = std::min<int64_t>(b.minX, run.begin), b.maxX = std::max<int64_t>(b.maxX, run.end - 1);
      b.minY = std::min(b.minY, y), b.maxY = std::max(b.maxY, y);
    }
  std::vector<std::pair<int64_t, int64_t>> extents;
  for (const Box& b : boxes) extents.push_back({b.maxX - b.minX, b.maxY - b.minY});
  return extents;
}

flats::RegionRoles RolesOf(const flats::RegionRuns& map, const flats::NeighbourLists& neighbours,
                           const RunParameters& parameters, PaintRules& rules) {
  flats::RegionRoles roles{std::vector<int32_t>(map.regions.size(), flats::RegionRoles::kOwn)};
  const auto flag = rules.FromRgb(parameters.flag);
  if ((parameters.flagAreas || parameters.joinAreas) && flag)
    for (size_t i = 0; i < map.regions.size(); ++i)
      if (Same(map.regions[i].colour, PaintRules::Painted(*flag))) roles.follows[i] = flats::RegionRoles::kKept;
  if (!parameters.joinAreas) return roles;

  const auto extents = parameters.byArea ? std::vector<std::pair<int64_t, int64_t>>{} : Extents(map);
  std::vector<bool> joined(map.regions.size(), false);
  for (size_t i = 0; i < map.regions.size(); ++i)
    joined[i] = roles.follows[i] == flats::RegionRoles::kOwn &&
                (parameters.byArea ? map.regions[i].area <= parameters.joinSize
                                   : extents[i].first < parameters.joinSize && extents[i].second < parameters.joinSize);
  for (size_t i = 0; i < map.regions.size(); ++i) {
    if (!joined[i]) continue;
    int32_t leader = flats::RegionRoles::kKept;  // none had its colour: it keeps it
    for (const int32_t n : neighbours[i]) {
      const auto& other = map.regions[static_cast<size_t>(n)];
      if (other.colour != map.regions[i].colour || roles.follows[static_cast<size_t>(n)] == flats::RegionRoles::kKept)
        continue;
      if (!joined[static_cast<size_t>(n)]) {
        leader = n;
        break;
      }
      if (leader < 0) leader = n;
    }
    roles.follows[i] = leader;
  }
  return roles;
}

std::vector<uint8_t> Planes(const PaintBytes& colour, int colourPlanes) {
  return {colour.begin(), colour.begin() + colourPlanes};
}

}  // namespace

DistinctSummary MakeDistinct(const flats::RegionMask& mask, io::ImageFile& result, int colourPlanes,
                             const base::Descriptor& recorded, const std::string& presetsFolder, PageTimings& timings) {
  const auto start = std::chrono::steady_clock::now();
  const flats::RegionRuns map = flats::FindRegionRuns(mask, result.pixels, colourPlanes);
  const flats::NearestRegions nearest = flats::FindNeighbours(mask, map);
  const flats::NeighbourLists& neighbours = nearest.neighbours;
  const RunParameters parameters = ParametersOf(recorded);
  host::ColorTransforms transforms;
  PaintRules rules(result.imageMode, result.pixels.planes(), parameters, transforms);
  const flats::RegionRoles roles = RolesOf(map, neighbours, parameters, rules);

  DistinctSummary summary;
  for (const auto& list : neighbours) summary.pairs += static_cast<int64_t>(list.size());
  summary.pairs /= 2;

  // The palette the filter read, as it converted it.
  std::vector<std::optional<PaintBytes>> swatches;
  std::vector<bool> usable;
  if (!parameters.random && !parameters.palette.empty() && !presetsFolder.empty()) {
    const std::string path = host::SwatchFolder(presetsFolder) + "/" + parameters.palette;
    SwatchFile::Read(path.c_str(), [&](const SwatchRecord& swatch) {
      swatches.push_back(rules.FromSwatch(swatch));
      usable.push_back(swatches.back() && rules.CanPaint(*swatches.back()));
    });
  }
  summary.paletteSize = swatches.size();
  summary.usable = static_cast<size_t>(std::count(usable.begin(), usable.end(), true));

  std::vector<std::vector<uint8_t>> colours(map.regions.size());
  if (summary.usable > 0) {
    summary.palette = true;
    const flats::PaletteColouring coloured = flats::ColourFromPalette(neighbours, roles, usable);
    summary.clashes = coloured.clashes;
    // Counted by entry: a region left in the filter's colour (flagged, or
    // joined into the colour of the lines) shows no palette colour.
    std::vector<bool> entriesUsed(swatches.size(), false);
    for (size_t i = 0; i < colours.size(); ++i) {
      const int32_t entry = coloured.colour[i];
      if (entry >= 0) entriesUsed[static_cast<size_t>(entry)] = true;
      colours[i] = entry < 0 ? map.regions[i].colour
                             : Planes(PaintRules::Painted(*swatches[static_cast<size_t>(entry)]), colourPlanes);
    }
    summary.used = static_cast<size_t>(std::count(entriesUsed.begin(), entriesUsed.end(), true));
  } else {
    const auto paintOf = [&](const PaintBytes& bytes) -> std::optional<flats::Paint> {
      const auto lab = rules.ToLab(bytes);
      if (!lab) return std::nullopt;
      return flats::Paint{Planes(bytes, colourPlanes), *lab};
    };
    std::vector<flats::Paint> current;
    for (const flats::Region& region : map.regions) {
      PaintBytes bytes{0, 0, 0, 255};
      std::copy(region.colour.begin(), region.colour.end(), bytes.begin());
      current.push_back(paintOf(bytes).value_or(flats::Paint{region.colour, {0, 0, 0}}));
    }
    std::mt19937 random(kSeed);
    const flats::RandomColouring coloured = flats::ColourAtRandom(
        neighbours, roles, current,
        [&](std::mt19937& r) -> std::optional<flats::Paint> {
          const auto bytes = rules.DrawPaint(r);
          return bytes ? paintOf(*bytes) : std::nullopt;
        },
        random, kMinDeltaE, kRandomTries);
    summary.clashes = coloured.clashes;
    for (size_t i = 0; i < colours.size(); ++i) colours[i] = coloured.paint[i].bytes;
    // Sorted pointers rather than a set of copies: pages hold tens of thousands of regions.
    std::vector<const std::vector<uint8_t>*> shown;
    for (size_t i = 0; i < colours.size(); ++i)
      if (roles.follows[i] != flats::RegionRoles::kKept) shown.push_back(&colours[i]);
    const auto less = [](const auto* a, const auto* b) { return *a < *b; };
    const auto same = [](const auto* a, const auto* b) { return *a == *b; };
    std::sort(shown.begin(), shown.end(), less);
    summary.used = static_cast<size_t>(std::unique(shown.begin(), shown.end(), same) - shown.begin());
  }

  std::vector<bool> changed(colours.size());
  for (size_t i = 0; i < colours.size(); ++i) changed[i] = colours[i] != map.regions[i].colour;
  timings.distinct = base::SecondsSince(start);
  const auto painting = std::chrono::steady_clock::now();
  flats::PaintRegions(map, nearest.spans, colours, changed, result.pixels, colourPlanes);
  timings.underLines = base::SecondsSince(painting);
  return summary;
}

std::string DescribeDistinct(const DistinctSummary& s) {
  std::string text = s.palette ? std::to_string(s.used) + " of the palette's " + std::to_string(s.paletteSize) +
                                     " colours used (" + std::to_string(s.usable) + " can paint)"
                               : std::to_string(s.used) + " random colours";
  text += ", " + std::to_string(s.pairs) + " neighbouring pairs, " + std::to_string(s.clashes) +
          (s.palette ? " of them in one colour" : " of them under dE 20 apart");
  if (s.clashes > 0) text = "warning: " + text + (s.palette ? " (too few usable colours)" : "");
  return text;
}

}  // namespace tessel::pipeline
