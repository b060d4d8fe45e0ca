// A hints layer's pixels over the area a run flats, as a page of hints:
// placed by where the layer and the area lie on the image, for GIMP 2.10
// and GIMP 3 alike, each reading the layer's pixels its own way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "io/ImageFile.h"

namespace tessel::gimp {

// A rectangle of pixels on the image, or within a layer, in GIMP's terms.
struct Placement {
  int left = 0, top = 0, width = 0, height = 0;
};

// The planes of a drawable's pixels as the plug-ins read them, 8 bits a
// channel: grey or RGB in `imageMode`, and transparency when it has `alpha`.
int PlanesOf(int16_t imageMode, bool alpha);

// Reads the layer's `part` (in the layer's coordinates) into `pixels`, rows
// `rowBytes` apart, 8 bits a channel.
using ReadLayerPart = std::function<void(const Placement& part, uint8_t* pixels, size_t rowBytes)>;

// The hints over `area` of the drawable at `drawable` from the layer at
// `layer` (both on the image), in the mode `imageMode`, with transparency or
// not: the layer's pixels where it reaches, and where it does not, no hint
// (clear, or white in a layer without transparency). Throws base::ImageError
// when the pixels cannot be held.
io::ImageFile HintsPage(const Placement& drawable, const Placement& area, const Placement& layer, int16_t imageMode,
                        bool alpha, const ReadLayerPart& read);

// What a run tells of hints it cannot take.
inline constexpr const char* kHintsOfTheImage = "the hints must be a layer of the image being flatted";

}  // namespace tessel::gimp
