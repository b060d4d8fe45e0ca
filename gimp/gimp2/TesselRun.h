// One call of a Tessel procedure in GIMP 2.10: the drawable through the
// Tessel module, hosted by the host library exactly as `tessel run` hosts it.
#pragma once

#include <libgimp/gimp.h>

#include "gimp/Procedures.h"

namespace tessel::gimp {

// Interactive: the module's own parameters dialog, starting from the last
// values. With last values: their parameter block, no dialog. Non-
// interactive: `params` (the procedure's arguments) replayed as an action.
// Every failure is shown with gimp_message and leaves the image as it was.
// The hints procedure's hints are the argument's layer, or interactively the
// one chosen in a dialog, or with last values the layer "Hints".
GimpPDBStatusType RunTessel(GimpRunMode mode, const GimpParam* params, gint count, const Procedure& procedure);

}  // namespace tessel::gimp
