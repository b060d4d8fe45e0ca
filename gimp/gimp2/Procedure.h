// GIMP 2.10's form of the procedures' arguments: the run mode, the image and
// the drawable, then the filter's parameters (gimp/Arguments.h), switches
// as integers 0 or 1, and for the hints procedure its hints layer last
// (GIMP 2.10 procedures take no optional arguments); and how a call's values
// become the action to replay.
#pragma once

#include <vector>

#include <libgimp/gimp.h>

#include "gimp/Arguments.h"
#include "gimp/Procedures.h"

namespace tessel::gimp {

enum Argument { kRunMode, kImage, kDrawable, kFirstFilterArgument };

// The arguments of `procedure` as gimp_install_procedure takes them.
const std::vector<GimpParamDef>& ProcedureArguments(const Procedure& procedure);

// The call that `params` (ProcedureArguments(procedure).size() of them) ask for.
// Throws ArgumentError.
ArgumentCall CallFromParams(const GimpParam* params);

}  // namespace tessel::gimp
