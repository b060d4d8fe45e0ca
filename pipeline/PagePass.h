// The filter's pass over a page held in memory, with what a page run adds
// around it: gaps closed before and reopened after, flats made from the
// result. `tessel run` passes the pages it reads from files; the GIMP
// plug-in and the C interface pass the pixels their caller holds, so that
// all of them give the same pixels for the same page and settings.
#pragma once

#include <optional>

#include "base/RowGate.h"
#include "host/FilterSession.h"
#include "io/ImageFile.h"
#include "pipeline/DistinctFlats.h"
#include "pipeline/PageFlats.h"
#include "pipeline/PageRun.h"

namespace tessel::pipeline {

struct PassSteps {
  FlatsOutput flats = FlatsOutput::kNone;
  bool distinct = false;  // flats recoloured apart (needs flats and a replayed action)
  int closeGaps = 0;      // the widest gap to close, in pixels; 0: none
  // A page with transparency is read over white paper (see InkOverPaper.h)
  // before flats or gap closing always, before a plain run when asked.
  bool overPaper = false;
  bool layers = false;  // the kept page is to be the ink again, for a layer of its own
};

struct PassResult {
  host::RunReport report;                    // the filter's run; nothing after it was done when it failed
  // The page as read, kept when flats were made: as the filter was given it
  // (over paper, when it had transparency), or with `layers` the ink itself.
  std::optional<base::ImageBuffer> asRead;
  std::optional<DistinctSummary> distinct;
  // A plain run on a page with transparency that the filter left as it was:
  // line art on transparency, likely, which it reads as the editor hands it.
  bool inkLeftAsItWas = false;
};

// What `tessel run` does beside the pass.
struct PassOverlap {
  // A buffer for the kept page, mapped in while the page was read (see KeepPage).
  std::optional<base::ImageBuffer> keep;
  // Released by the caller as the filter's scan finishes rows for good (see
  // ProgressServices): the flats' regions are then found as the scan goes.
  base::RowGate* scanned = nullptr;
  // Takes the flats' output rows as they are done (see FlatsOverlap; the
  // kept page then no longer holds the page as read at the end).
  RowsFinal flatsRowsFinal;
};

// Runs `page` through `session` in place with the parameters `request` names
// (its image, mode and layer are taken from `page`), seeding the paint
// colours as every page run does. Throws as FilterSession::Run and as the
// flats steps do when memory runs out.
PassResult RunPagePass(host::FilterSession& session, io::ImageFile& page, host::RunRequest request,
                       const PassSteps& steps, PageTimings& timings, PassOverlap overlap = {});

}  // namespace tessel::pipeline
