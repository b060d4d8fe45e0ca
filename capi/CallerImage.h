// The pixels of a C caller's tessel_image as the host's page, and back.
#pragma once

#include <string>

#include "capi/tessel.h"
#include "io/ImageFile.h"

namespace tessel::capi {

// What makes `image` unusable, naming it as `name`; empty when it can be used.
std::string ImageProblem(const tessel_image* image, const char* name);

// A copy of `image` (checked with ImageProblem) laid out as the editor hands
// a page to a filter: grey or RGB, a layer when it has transparency.
// Throws base::ImageError when the copy cannot be had.
io::ImageFile PageFrom(const tessel_image& image);

// Writes `pixels` (laid out as PageFrom lays a page of `image`'s channels)
// into `image`, in its order and stride.
void CopyInto(const base::ImageBuffer& pixels, const tessel_image& image);

}  // namespace tessel::capi
