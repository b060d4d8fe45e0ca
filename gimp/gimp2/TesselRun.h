// One call of plug-in-tessel: the drawable through the Tessel module, hosted
// by the host library exactly as `tessel run` hosts it.
#pragma once

#include <libgimp/gimp.h>

namespace tessel::gimp {

// Interactive: the module's own parameters dialog, starting from the last
// values. With last values: their parameter block, no dialog. Non-
// interactive: `params` (the procedure's arguments) replayed as an action.
// Every failure is shown with gimp_message and leaves the image as it was.
// With `flatsLayer` the drawable stays as it was and the flats (as
// `tessel run --flats-only` makes them) go on a new layer under it.
GimpPDBStatusType RunTessel(GimpRunMode mode, const GimpParam* params, gint count, bool flatsLayer);

}  // namespace tessel::gimp
