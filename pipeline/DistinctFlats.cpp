#include "pipeline/DistinctFlats.h"

#include <algorithm>
#include <chrono>
#include <future>

#include <boost/sort/spreadsort/integer_sort.hpp>

#include "base/Stopwatch.h"
#include "flats/DistinctColours.h"
#include "flats/LineSpanFinder.h"
#include "flats/Neighbours.h"
#include "flats/RegionRepaint.h"
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

// A region's colour planes as one word, for counting colours without
// holding copies of them.
uint32_t Packed(const std::vector<uint8_t>& colour) {
  uint32_t word = 0;
  for (const uint8_t byte : colour) word = word << 8 | byte;
  return word;
}

// What the hints give: per region the index of its hint colour in
// `colours` (the hints', in the page's mode), or -1.
struct Hinted {
  std::vector<int32_t> colour;
  std::vector<PaintBytes> colours;
};

// The regions apart, as RecolourRegions says, into `colours` (which holds
// each region's colour so far: the filter's, or its hint's).
DistinctSummary ColourApart(const flats::RegionRuns& map, const flats::NeighbourLists& neighbours,
                            const RunParameters& parameters, PaintRules& rules, const std::string& presetsFolder,
                            const Hinted& hinted, int colourPlanes, std::vector<std::vector<uint8_t>>& colours) {
  flats::RegionRoles roles = RolesOf(map, neighbours, parameters, rules);
  for (size_t i = 0; i < hinted.colour.size(); ++i)
    if (hinted.colour[i] >= 0) roles.follows[i] = flats::RegionRoles::kGiven;

  DistinctSummary summary;
  summary.pairs = static_cast<int64_t>(neighbours.pairs());

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

  if (summary.usable > 0) {
    summary.palette = true;
    // The entries' colours as painted; a hint colour the palette lacks gets
    // an entry of its own, which no other region may take.
    std::vector<std::vector<uint8_t>> entries;
    for (const auto& swatch : swatches)
      entries.push_back(swatch ? Planes(PaintRules::Painted(*swatch), colourPlanes) : std::vector<uint8_t>{});
    std::vector<int32_t> given(colours.size(), -1);
    for (size_t i = 0; i < colours.size(); ++i) {
      if (hinted.colour[i] < 0) continue;
      const auto found = std::find(entries.begin(), entries.end(), colours[i]);
      given[i] = static_cast<int32_t>(found - entries.begin());
      if (found != entries.end()) continue;
      entries.push_back(colours[i]);
      usable.push_back(false);
    }
    const flats::PaletteColouring coloured = flats::ColourFromPalette(neighbours, roles, usable, given);
    summary.clashes = coloured.clashes;
    // Counted by entry: a region left in the filter's colour (flagged, or
    // joined into the colour of the lines) shows no palette colour.
    std::vector<bool> entriesUsed(swatches.size(), false);
    for (size_t i = 0; i < colours.size(); ++i) {
      const int32_t entry = coloured.colour[i];
      if (entry < 0) {
        colours[i] = map.regions[i].colour;
        continue;
      }
      if (static_cast<size_t>(entry) < swatches.size()) entriesUsed[static_cast<size_t>(entry)] = true;
      colours[i] = entries[static_cast<size_t>(entry)];
    }
    summary.used = static_cast<size_t>(std::count(entriesUsed.begin(), entriesUsed.end(), true));
    return summary;
  }

  const auto paintOf = [&](const PaintBytes& bytes) -> std::optional<flats::Paint> {
    const auto lab = rules.ToLab(bytes);
    if (!lab) return std::nullopt;
    return flats::Paint{Planes(bytes, colourPlanes), *lab};
  };
  // The regions' colours so far, converted all at once: pages hold tens of thousands.
  std::vector<PaintBytes> bytes(colours.size(), PaintBytes{0, 0, 0, 255});
  for (size_t i = 0; i < colours.size(); ++i) {
    if (hinted.colour[i] >= 0) bytes[i] = hinted.colours[static_cast<size_t>(hinted.colour[i])];
    else std::copy(colours[i].begin(), colours[i].end(), bytes[i].begin());
  }
  const std::vector<std::optional<flats::Lab>> labs = rules.ToLab(bytes);
  std::vector<flats::Paint> current;
  current.reserve(colours.size());
  // Each region's bytes (the same as its first planes in `bytes`) move into
  // its paint and come back below as its new colour: copies of them all were
  // fresh memory at the run's peak.
  for (size_t i = 0; i < colours.size(); ++i)
    current.push_back(flats::Paint{std::move(colours[i]), labs[i] ? *labs[i] : flats::Lab{0, 0, 0}});
  std::mt19937 random(kSeed);
  flats::RandomColouring coloured = flats::ColourAtRandom(
      neighbours, roles, std::move(current),
      [&](std::mt19937& r) -> std::optional<flats::Paint> {
        const auto bytes = rules.DrawPaint(r);
        return bytes ? paintOf(*bytes) : std::nullopt;
      },
      random, kMinDeltaE, kRandomTries);
  summary.clashes = coloured.clashes;
  std::vector<uint32_t> shown;
  for (size_t i = 0; i < colours.size(); ++i) {
    colours[i] = std::move(coloured.paint[i].bytes);
    if (roles.follows[i] != flats::RegionRoles::kKept) shown.push_back(Packed(colours[i]));
  }
  boost::sort::spreadsort::integer_sort(shown.begin(), shown.end());  // by radix: a dense page shows 150,000
  summary.used = static_cast<size_t>(std::unique(shown.begin(), shown.end()) - shown.begin());
  return summary;
}

// Each region's hint colour, from the hints converted into the page's mode;
// the regions' mask tells the pixels under the lines.
Hinted HintedRegions(const flats::RegionRuns& map, const flats::RegionMask& mask, Hints& hints, int16_t pageMode,
                     HintsSummary& summary) {
  ConvertHints(hints, pageMode);
  Hinted hinted{flats::MajorityHints(map, mask, hints.runs), hints.colours};
  std::vector<bool> shown(hints.colours.size(), false);
  for (const int32_t colour : hinted.colour) {
    if (colour < 0) continue;
    ++summary.hinted;
    shown[static_cast<size_t>(colour)] = true;
  }
  summary.colours = std::count(shown.begin(), shown.end(), true);
  summary.unhinted = static_cast<int64_t>(map.regions.size()) - summary.hinted;
  return hinted;
}

}  // namespace

RecolouredRegions::RecolouredRegions(flats::RegionRuns map, std::optional<flats::LineSpans> lines,
                                     std::vector<std::vector<uint8_t>> colours, int colourPlanes)
    : mMap(std::move(map)), mLines(std::move(lines)), mColours(std::move(colours)), mChanged(mColours.size()),
      mColourPlanes(colourPlanes) {
  for (size_t i = 0; i < mColours.size(); ++i) mChanged[i] = mColours[i] != mMap.regions[i].colour;
}

void RecolouredRegions::Repaint(base::ImageBuffer& flats) const {
  flats::PaintRegionRuns(mMap, mColours, mChanged, flats, mColourPlanes);
}

void RecolouredRegions::PaintRows(base::ImageBuffer& flats, int64_t begin, int64_t end) const {
  flats::PaintRegionsAndLines(mMap, *mLines, mColours, mChanged, flats, mColourPlanes, begin, end);
}

RecolouredRegions RecolourRegions(const flats::RegionMask& mask, const io::ImageFile& result, int colourPlanes,
                                  const RecolourRequest& request, RecolourSummary& summary, PageTimings& timings,
                                  std::optional<flats::RegionRuns> runs, flats::LineSpans::Band scannedLines) {
  auto start = std::chrono::steady_clock::now();
  // The map under the lines, only to recolour apart, where it gives the
  // neighbours and then paints the flats under the lines. It needs the runs,
  // not their labels: it is found while they are labelled, which takes one
  // core. Rows of it found beside runs found anew would name other runs.
  std::optional<flats::LineSpans> lines;
  flats::RegionRuns map;
  if (runs) {
    std::future<flats::LineSpans> finding;
    if (request.distinct)
      finding = std::async(std::launch::async, [&] { return flats::FindLineSpans(mask, *runs, std::move(scannedLines)); });
    flats::LabelRegionRuns(*runs, mask, result.pixels, colourPlanes);
    if (finding.valid()) lines = finding.get();
    map = std::move(*runs);
  } else {
    map = flats::FindRegionRuns(mask, result.pixels, colourPlanes);
    if (request.distinct) lines = flats::FindLineSpans(mask, map);
  }
  flats::NeighbourLists neighbours;
  if (lines) neighbours = flats::FindNeighbours(map, *lines);
  std::vector<std::vector<uint8_t>> colours(map.regions.size());
  for (size_t i = 0; i < colours.size(); ++i) colours[i] = map.regions[i].colour;
  const double found = base::SecondsSince(start);

  Hinted hinted{std::vector<int32_t>(colours.size(), -1), {}};
  if (request.hints) {
    start = std::chrono::steady_clock::now();
    summary.hints.emplace();
    hinted = HintedRegions(map, mask, request.hints->Get(), result.imageMode, *summary.hints);
    for (size_t i = 0; i < colours.size(); ++i)
      if (hinted.colour[i] >= 0)
        colours[i] = Planes(hinted.colours[static_cast<size_t>(hinted.colour[i])], colourPlanes);
    timings.hints += base::SecondsSince(start);
  }
  if (request.distinct) {
    start = std::chrono::steady_clock::now();
    const RunParameters parameters = ParametersOf(request.recorded ? *request.recorded : base::Descriptor());
    host::ColorTransforms transforms;
    PaintRules rules(result.imageMode, result.pixels.planes(), parameters, transforms);
    summary.distinct =
        ColourApart(map, neighbours, parameters, rules, request.presetsFolder, hinted, colourPlanes, colours);
    timings.distinct = base::SecondsSince(start);
  }
  // Finding the regions is counted with the recolouring apart when it runs, else with the hints.
  (request.distinct ? timings.distinct : timings.hints) += found;
  return {std::move(map), std::move(lines), std::move(colours), colourPlanes};
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
