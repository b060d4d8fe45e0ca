// One page through the filter as the editor runs it: the file is opened, laid
// before the module with the run's descriptor to replay, filtered in place
// through PluginMain and saved, replacing the output only when all went well.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "base/Descriptor.h"
#include "base/TypedParams.h"
#include "host/PluginModule.h"
#include "host/ProgressServices.h"
#include "io/LayeredPage.h"

namespace tessel::pipeline {

// What a page's output holds: the filter's result as it is, or flats made
// from it (see flats/): the page multiplied over flats with colour under the
// lines, or those flats alone. A .psd or .ora output holds the page over its
// flats as layers whatever this says (see LayeredOutput.h).
enum class FlatsOutput { kNone, kUnderLines, kFlatsOnly };

struct RunSettings {
  std::string presetsFolder;  // empty: the host names none
  base::Descriptor replay;          // the parameters, as an action hands them over
  bool showDialog = false;    // the action's dialog toggle
  FlatsOutput flats = FlatsOutput::kNone;
  bool distinct = false;  // neighbouring flats recoloured apart (see DistinctFlats.h)
  base::TypedSize closeGaps;  // the widest gap in the line art to close; 0: none
  // Sizes given in physical units, turned into pixels page by page (see
  // PageSizes.h): the gap above, and these parameters', by key.
  std::map<DescriptorKeyID, base::TypedSize> sizes;
  int dpi = 0;  // the resolution they are taken at; 0: each page's own
  bool overPaper = false;  // a plain run reads a page with transparency over white paper too
};

struct PageHooks {
  host::ProgressServices::ProgressHook progress;
  host::ProgressServices::AbortHook abort;
};

enum class PageOutcome { kDone, kBadInput, kFailed, kCancelled };

// Where a page's time went, in seconds; zero for a step that did not run.
struct PageTimings {
  double read = 0;       // decoding the file into the editor's buffer
  double filter = 0;     // the start selector, from its call to its return
  double filterCpu = 0;  // the start selector's own work on its one thread
  // Encoding the result; written during the scan or as flats are made, what is left after them.
  double write = 0;
  // Flats only: keeping the page as read, finding the regions the filter
  // painted (found during the scan, what is left after it), colouring under
  // the lines, multiplying the page over the flats.
  double keep = 0;
  double regions = 0;
  double underLines = 0;
  double multiply = 0;
  double distinct = 0;  // recolouring the regions apart
  double overPaper = 0;  // a page with transparency laid over white paper
  // Layered files only: within `write`.
  io::LayeredTimings layered;
  // Gap closing only: finding and drawing the strokes, taking them out.
  double closeGaps = 0;
  double reopenGaps = 0;
  int64_t pixels = 0;
};

struct PageResult {
  PageOutcome outcome = PageOutcome::kFailed;
  std::string message;                  // why it was not done, or notices on a done page, a line each; names the file
  std::optional<base::Descriptor> recorded;   // what the filter wrote at the end of the run
  PageTimings timings;
};

// Runs `input` into `output` (which may be `input` itself). The random paint
// colours are seeded afresh, so a page's result depends on nothing but the
// page and the settings. Never throws for a bad page; the result says why.
PageResult RunPage(const host::PluginModule& module, const std::string& input, const std::string& output,
                   const RunSettings& settings, const PageHooks& hooks);

}  // namespace tessel::pipeline
