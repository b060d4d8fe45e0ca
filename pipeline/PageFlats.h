// Flats in a page run: the page is kept as read before the filter paints it,
// and the filter's result is turned into the flats output afterwards.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "flats/RegionMask.h"
#include "flats/RegionRuns.h"
#include "io/ImageFile.h"
#include "pipeline/DistinctFlats.h"
#include "pipeline/PageRun.h"

namespace tessel::pipeline {

// A copy of the page as read, for the flats to be made from afterwards; in
// `mapped` when it has the page's geometry (its memory mapped in beforehand,
// as fresh memory costs more than the copy).
base::ImageBuffer KeepPage(const base::ImageBuffer& page, std::optional<base::ImageBuffer> mapped = std::nullopt);

// Told that the rows above `rows` are final, top to bottom.
using RowsFinal = std::function<void(int64_t rows)>;

// What a page run does beside the flats' steps.
struct FlatsOverlap {
  std::optional<flats::RegionMask> regions;  // found as the filter scanned; none: found here
  std::optional<flats::RegionRuns> runs;     // the same as runs, unlabelled, for recolouring; none: found here
  flats::LineSpans::Band lines;              // the first rows of the map under the lines, as found with the runs
  // Takes the output's rows as they are done: it is finished in bands from
  // the top on this thread alone, each band reported when done (nothing
  // may look at the result before the first report), and a merged output
  // leaves the flats in the kept page. None: all at once on every core.
  RowsFinal rowsFinal;
};

// Turns the filter's `result` (painted over `asRead`) into the output
// `kind` asks for, in place, timing each step; the regions are first
// recoloured as `recolour` asks (see RecolourRegions), unless it asks for
// nothing but hints without a hint pixel. A page the filter painted nothing
// on gets paper-white flats, so its merged output is the page itself. A Lab
// page with a merged output must be refused beforehand: multiplying has no
// meaning in Lab. Throws HintsError.
void MakeFlats(base::ImageBuffer& asRead, io::ImageFile& result, FlatsOutput kind, const RecolourRequest& recolour,
               RecolourSummary& summary, PageTimings& timings, FlatsOverlap overlap = {});

// Whether `kind` needs the page multiplied over the flats, and so refuses
// Lab pages; the reason, naming `page`.
bool MergesOver(FlatsOutput kind);
std::string LabMergeRefusal(const std::string& page);

}  // namespace tessel::pipeline
