#include "capi/CallerImage.h"

#include <array>

namespace tessel::capi {

namespace {

// Where each of the host's planes lies among a caller's pixel's channels.
std::array<int, 4> ChannelOf(const tessel_image& image) {
  if (image.channels >= 3 && image.order == TESSEL_BGR) return {2, 1, 0, 3};
  return {0, 1, 2, 3};
}

}  // namespace

std::string ImageProblem(const tessel_image* image, const char* name) {
  const std::string what = name;
  if (!image) return what + " is null";
  if (!image->pixels) return what + " has no pixels (null)";
  if (image->width <= 0 || image->height <= 0 || image->width > base::ImageBuffer::kMaxSide ||
      image->height > base::ImageBuffer::kMaxSide)
    return what + " is " + std::to_string(image->width) + " x " + std::to_string(image->height) +
           " pixels; each side must be 1 to " + std::to_string(base::ImageBuffer::kMaxSide);
  if (image->channels < 1 || image->channels > 4)
    return what + " has " + std::to_string(image->channels) + " channels; 1 to 4 are known";
  if (image->order != TESSEL_RGB && image->order != TESSEL_BGR)
    return what + "'s channel order " + std::to_string(image->order) + " is neither TESSEL_RGB nor TESSEL_BGR";
  const int64_t rowBytes = int64_t{image->width} * image->channels;
  if (image->stride < rowBytes)
    return what + "'s stride of " + std::to_string(image->stride) + " bytes is shorter than its rows (" +
           std::to_string(rowBytes) + " bytes)";
  return {};
}

io::ImageFile PageFrom(const tessel_image& image) {
  base::ImageBuffer pixels({image.width, image.height, image.channels});
  const std::array<int, 4> channel = ChannelOf(image);
  for (int64_t y = 0; y < image.height; ++y) {
    const unsigned char* row = image.pixels + y * image.stride;
    for (int64_t x = 0; x < image.width; ++x)
      for (int p = 0; p < image.channels; ++p) pixels.at(x, y, p) = row[x * image.channels + channel[p]];
  }
  const bool transparency = image.channels == 2 || image.channels == 4;
  const int16_t mode = image.channels <= 2 ? plugInModeGrayScale : plugInModeRGBColor;
  return {std::move(pixels), mode, transparency, {}};
}

void CopyInto(const base::ImageBuffer& pixels, const tessel_image& image) {
  const std::array<int, 4> channel = ChannelOf(image);
  for (int64_t y = 0; y < image.height; ++y) {
    unsigned char* row = image.pixels + y * image.stride;
    for (int64_t x = 0; x < image.width; ++x)
      for (int p = 0; p < image.channels; ++p) row[x * image.channels + channel[p]] = pixels.at(x, y, p);
  }
}

}  // namespace tessel::capi
