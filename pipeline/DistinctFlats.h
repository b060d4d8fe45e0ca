// Recoloured flats in a page run: the filter's regions (each with the pixels
// under the lines given to it) in the colours hints give them, or recoloured
// so that no neighbours share a colour, or both; the flats are then grown
// under the lines in the new colours.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/Descriptor.h"
#include "flats/LineSpans.h"
#include "flats/RegionMask.h"
#include "flats/RegionRuns.h"
#include "io/ImageFile.h"
#include "pipeline/PageHints.h"
#include "pipeline/PageRun.h"

namespace tessel::pipeline {

struct DistinctSummary {
  bool palette = false;    // palette colours; else random ones
  size_t paletteSize = 0;  // swatches in the file
  size_t usable = 0;       // of those, the ones the filter may paint with
  size_t used = 0;         // distinct colours the recoloured regions show
  int64_t pairs = 0;       // neighbouring pairs
  int64_t clashes = 0;     // pairs still alike (palette: one colour; random: under ΔE 20)
};

// What recolouring a page's regions takes.
struct RecolourRequest {
  bool distinct = false;                       // neighbours apart
  const base::Descriptor* recorded = nullptr;  // the parameters the filter ran with; none: its defaults
  std::string presetsFolder;                   // where its palette came from
  PendingHints* hints = nullptr;               // colours to follow; none
};

struct RecolourSummary {
  std::optional<DistinctSummary> distinct;
  std::optional<HintsSummary> hints;
};

// The regions' new colours, to paint the regions whose colour changed in the
// filter's result. Recoloured apart, they come with the nearest-region map
// under the lines that their neighbours were found in, and the flats there
// are painted from it; otherwise FillUnderLines grows the flats from the
// repainted regions under the lines, as from the filter's own colours.
class RecolouredRegions {
 public:
  // `lines`: the nearest-region map under the lines, beside `map`.
  RecolouredRegions(flats::RegionRuns map, std::optional<flats::LineSpans> lines,
                    std::vector<std::vector<uint8_t>> colours, int colourPlanes);

  bool PaintsUnderLines() const { return mLines.has_value(); }
  // Repaints the regions whose colour changed in `flats`, the filter's
  // result, without the nearest-region map.
  void Repaint(base::ImageBuffer& flats) const;
  // With it: rows [begin, end) of the flats, those regions and under the lines.
  void PaintRows(base::ImageBuffer& flats, int64_t begin, int64_t end) const;

 private:
  flats::RegionRuns mMap;
  std::optional<flats::LineSpans> mLines;
  std::vector<std::vector<uint8_t>> mColours;
  std::vector<bool> mChanged;
  int mColourPlanes;
};

// Recolours the regions `mask` holds in `result` (the filter's result,
// `colourPlanes` planes of colour). With hints, each region holding hint
// pixels takes the colour most of them have (see flats/RegionHints.h), in
// the page's mode as the colour services give it. With `distinct`, the
// others are recoloured as the run's parameters choose paint: a palette from
// the presets folder's swatches, or random colours (also when the palette
// gives no colour to paint with), apart from every neighbour, a hinted one
// included. Regions in the flag colour keep it; a region the filter joined
// takes the new colour of a neighbour that had its colour before (the first
// in the filter's order, preferring one not joined itself), or keeps its own
// when none had; a hinted region has its hint colour all the same. Of the
// hint pixels under the lines, only the nearest regions are searched for.
// `runs`: the regions' runs found beforehand (flats::AddRegionRuns), to be
// labelled; none: found here. `lines`: the first rows of the map under the
// lines found with them, as flats::FindLineSpans takes them. Times the
// steps as `hints` and `distinct`. Throws HintsError.
RecolouredRegions RecolourRegions(const flats::RegionMask& mask, const io::ImageFile& result, int colourPlanes,
                                  const RecolourRequest& request, RecolourSummary& summary, PageTimings& timings,
                                  std::optional<flats::RegionRuns> runs = std::nullopt,
                                  flats::LineSpans::Band lines = {});

// One line for the user: the colours used against the palette, and how many
// neighbouring pairs could not be kept apart.
std::string DescribeDistinct(const DistinctSummary& summary);

}  // namespace tessel::pipeline
