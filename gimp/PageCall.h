// One drawable's pixels through the Tessel module, hosted exactly as
// `tessel run` hosts a page: what the GIMP 2.10 and GIMP 3 plug-ins do alike
// between reading a drawable and writing it back.
#pragma once

#include <optional>
#include <string>

#include "base/Descriptor.h"
#include "gimp/Arguments.h"
#include "host/FilterSession.h"
#include "host/PluginModule.h"
#include "io/ImageFile.h"
#include "pipeline/PagePass.h"

namespace tessel::gimp {

struct PageCall {
  // The action to replay (none: the dialog, or the parameter block of an
  // earlier run), whether the dialog shows, the presets folder.
  host::RunRequest request;
  pipeline::PassSteps steps;
  std::string profile;  // the image's ICC profile; empty: GIMP's built-in sRGB and grey, which the host's are too
  std::string parameterBlock;  // what an earlier run left; empty: none
  host::ProgressServices::ProgressHook progress;
};

// A call that runs the arguments' action without a window, from the user's
// presets folder. Throws ArgumentError naming a swatch file the folder lacks.
PageCall ReplayCall(const ArgumentCall& arguments);
// A call that shows the module's dialog, or else runs with the parameter
// block the call is given, from the user's presets folder.
PageCall DialogCall(bool showDialog);

struct PageCallResult {
  enum class Outcome { kDone, kCancelled, kFailed } outcome = Outcome::kFailed;
  // What the module and the flats steps said, a line each; when the call
  // failed, also why (never empty then).
  std::string message;
  std::optional<base::Descriptor> recorded;  // what the filter ran with, as it recorded it
  std::string parameterBlock;                // what the run leaves for the next
};

// Runs `page` in place. Throws as pipeline::RunPagePass does when memory
// runs out; the page is then to be dropped.
PageCallResult RunPageCall(const host::PluginModule& module, io::ImageFile& page, const PageCall& call);

// What a run tells of a drawable it cannot flat.
inline constexpr const char* kOutsideSelection = "the selection does not touch the drawable; nothing was flatted";
inline constexpr const char* kFlatsNeedALayer =
    "Tessel Flats puts its flats under a layer; choose a layer, not a channel or a mask";
// What a plain run tells of a layer with transparency it found nothing to
// fill in: line art on a layer of its own, likely.
inline constexpr const char* kInkLeftAsItWas =
    "Nothing was filled on this layer with transparency. For line art on a layer of its own, Filters > Artistic > "
    "Tessel Flats... reads it over white paper and adds the flats under it.";

}  // namespace tessel::gimp
