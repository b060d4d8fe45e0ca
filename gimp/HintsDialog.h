// The interactive choice of plug-in-tessel-flats-hints' hints: a dialog
// offering the image's layers, the layer "Hints" first when there is one.
#pragma once

#include <libgimp/gimp.h>

#include <optional>

namespace tessel::gimp {

// The layer chosen for flatting `drawable` of `image`; nothing when the
// user cancels or chooses none.
std::optional<gint32> ChooseHintsLayer(gint32 image, gint32 drawable);

}  // namespace tessel::gimp
