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
// The flats coloured as a layer of hints asks: the flats procedure's
// arguments and then the hints drawable (GIMP 2.10 procedures take no
// optional arguments).
inline constexpr const char* kFlatsHintsProcedureName = "plug-in-tessel-flats-hints";

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
  kArgumentCount,
  kHints = kArgumentCount,  // plug-in-tessel-flats-hints only
  kHintsArgumentCount
};

// What one of the procedures does.
enum class Procedure { kFilter, kFlats, kFlatsWithHints };

// The procedure `name` names; the filter's for any other.
Procedure ProcedureNamed(const char* name);
// Its name and its number of arguments.
const char* NameOf(Procedure procedure);
int ArgumentCount(Procedure procedure);

// An argument outside its range; the message names it.
class ArgumentError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The arguments as gimp_install_procedure takes them, kHintsArgumentCount of
// them: each procedure takes the first ArgumentCount.
const GimpParamDef* ProcedureArguments();

// The action that `params` (kArgumentCount of them) describe, every
// parameter given. Throws ArgumentError.
base::Descriptor ActionFromArguments(const GimpParam* params);

}  // namespace tessel::gimp
