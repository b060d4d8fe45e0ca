// How a page is to be flatted, as `tessel run` and the C interface are told:
// an action to replay, the presets folder, the flats, and the filter's
// parameters (interface/ParamDeclarations.h). Both take the same options,
// declared here once; each reads them in its own way.
#pragma once

#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "base/TypedParams.h"
#include "pipeline/PageRun.h"

namespace tessel::pipeline {

struct PageOptions {
  std::string actionFile;
  std::string presetsFolder;
  bool underLines = false;  // merged output over flats with colour under the lines
  bool flatsOnly = false;   // the flats alone
  bool distinct = false;    // neighbouring regions recoloured apart (implies flats)
  base::TypedSize closeGaps;  // the widest gap to close; 0: none
  int dpi = 0;                // the resolution physical sizes are taken at; 0: each page's own
  bool overPaper = false;     // a page with transparency read over white paper in a plain run too
  base::ParamValues params;
};

// One of them: given as --name, with a value unless it is a flag.
struct PageOption {
  const char* name;
  std::string help;
  std::variant<std::string PageOptions::*, bool PageOptions::*, int PageOptions::*, base::TypedSize PageOptions::*>
      member;
  const char* valueName = nullptr;  // the value's placeholder; none for a flag
  const char* group = nullptr;      // a heading of its own in the help, or none
  int low = 0, high = 0;            // a number's accepted values, a size's in pixels
  bool showsDefault = false;        // the help shows the value it starts with
};

// --presets, which the command also takes before its subcommand.
const PageOption& PresetsOption();

// The others, in the order the help lists them.
const std::vector<PageOption>& PageOptionList();

// What the page's output holds.
FlatsOutput FlatsOf(const PageOptions& options);

// Options that cannot be carried out: an action file that cannot be replayed,
// a palette the presets folder lacks, a size in a unit that does not fit what
// it measures, or one that a page cannot turn into pixels.
class SettingsError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The settings the pages run with: the action file's, with the options over
// them. Throws SettingsError.
RunSettings SettingsFor(const PageOptions& options);

}  // namespace tessel::pipeline
