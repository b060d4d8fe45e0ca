// The interactive choice of plug-in-tessel-flats-hints' hints: a dialog
// offering the image's layers, the layer "Hints" first when there is one.
#pragma once

#include <libgimp/gimp.h>

#include <optional>

#include "gimp/Procedures.h"

namespace tessel::gimp {

// The layer chosen for flatting `drawable` of `image` with `procedure` (its
// help); nothing when the user cancels or chooses none.
std::optional<gint32> ChooseHintsLayer(const Procedure& procedure, gint32 image, gint32 drawable);

}  // namespace tessel::gimp
