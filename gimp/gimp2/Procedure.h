// The procedure the plug-in gives GIMP: its name, its arguments in order and
// how a non-interactive call's arguments become the action the filter replays.
#pragma once

#include <stdexcept>

#include <libgimp/gimp.h>

#include "base/Descriptor.h"

namespace tessel::gimp {

inline constexpr const char* kProcedureName = "plug-in-tessel";
// The same filter, its result given as flats on a new layer under the drawable.
inline constexpr const char* kFlatsProcedureName = "plug-in-tessel-flats";

enum Argument {
  kRunMode,
  kImage,
  kDrawable,
  kAntiAliased,
  kFillColor,
  kTolerance,
  kPalette,
  kFlag,
  kFlagColor,
  kFlagSize,
  kJoin,
  kJoinSize,
  kSizeByArea,
  kArgumentCount
};

// An argument outside its range; the message names it.
class ArgumentError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The arguments as gimp_install_procedure takes them, kArgumentCount of them.
const GimpParamDef* ProcedureArguments();

// The action that `params` (kArgumentCount of them) describe, every
// parameter given. Throws ArgumentError.
base::Descriptor ActionFromArguments(const GimpParam* params);

}  // namespace tessel::gimp
