// One call of a Tessel procedure in GIMP 3: each selected drawable through
// the Tessel module, hosted by the host library exactly as `tessel run`
// hosts a page.
#pragma once

#include <libgimp/gimp.h>

namespace tessel::gimp {

// GIMP 3's run function for an image procedure; `data` is its
// gimp/Procedures.h entry. Interactive: the module's own parameters dialog
// (for the flats procedure after GIMP's dialog of the flats steps), its
// choice serving every drawable and kept as the arguments' last values.
// Non-interactive and with last values: the arguments replayed as an
// action, without the dialog. A failure anywhere leaves the image as it
// was, and its message is the call's error.
GimpValueArray* RunTessel(GimpProcedure* procedure, GimpRunMode mode, GimpImage* image, GimpDrawable** drawables,
                          GimpProcedureConfig* config, gpointer data);

}  // namespace tessel::gimp
