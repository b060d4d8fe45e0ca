// The arguments GIMP's Tessel procedures take after the image and its
// drawables, in order, for GIMP 2.10 and GIMP 3 alike: named as GIMP 2.10
// named them, each GIMP typing them its own way, with the defaults, ranges
// and meaning of the command line's options. A new argument is one more
// line in the table.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "base/Descriptor.h"
#include "interface/ParamDeclarations.h"
#include "pipeline/PagePass.h"

namespace tessel::gimp {

// How a GIMP holds the value: GIMP 3 types a switch as a boolean, GIMP 2.10
// as an integer 0 or 1.
enum class ArgumentType { kSwitch, kColor, kNumber, kText };

struct ProcedureArgument {
  const char* name;
  const char* label;  // GIMP 3's label in a dialog, with its mnemonic
  std::string help;
  // What it sets: one of the filter's parameters, or a flats step of the
  // page's pass that `tessel run` offers under the same name.
  std::variant<parameter::Member, bool pipeline::PassSteps::*, int pipeline::PassSteps::*> target;

  bool flatsStep() const { return target.index() != 0; }
};

// Every procedure takes the filter's parameters; GIMP 3's flats procedure
// takes the flats steps after them. GIMP 2.10's flats procedure keeps the
// signature its scripts know.
std::vector<const ProcedureArgument*> ArgumentsOf(bool withFlatsSteps);

ArgumentType TypeOf(const ProcedureArgument& argument);

// A colour as GIMP's colour choosers give it, 8 bits per component.
struct Rgb {
  uint8_t red = 0, green = 0, blue = 0;
  bool operator==(const Rgb& other) const {
    return red == other.red && green == other.green && blue == other.blue;
  }
};

// One argument's value, by its type: a switch, a number, a colour, a text.
using ArgumentValue = std::variant<bool, int32_t, Rgb, std::string>;

// What the command line starts from.
ArgumentValue DefaultOf(const ProcedureArgument& argument);

// A number's accepted values: those of its command-line option; 0 and 1 for
// a switch held as a number.
std::pair<int32_t, int32_t> RangeOf(const ProcedureArgument& argument);

// A value a procedure cannot take; the message names the argument.
class ArgumentError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// `value` when it lies in the argument's range. Throws ArgumentError.
int32_t InRange(const ProcedureArgument& argument, int32_t value);

// What a call's arguments ask of a page: the action the filter replays,
// every parameter given, and the flats steps around it.
struct ArgumentCall {
  base::Descriptor action;
  pipeline::PassSteps steps;
  std::string palette;  // the swatch file named; empty for random colours
};

// `values` hold one value of its type for each of `arguments`, in order.
// Throws ArgumentError for a number out of range.
ArgumentCall CallOf(const std::vector<const ProcedureArgument*>& arguments,
                    const std::vector<ArgumentValue>& values);

// The values that give a run's parameters (as the filter recorded them) and
// steps again, so that a repeated run replays what the dialog chose.
std::vector<ArgumentValue> ValuesOf(const std::vector<const ProcedureArgument*>& arguments,
                                    const _STesselParams& record, const pipeline::PassSteps& steps);

}  // namespace tessel::gimp
