#include "base/ImageBuffer.h"

#include <algorithm>
#include <limits>

namespace tessel::base {

namespace {

constexpr int64_t kMaxRecordBytes = std::numeric_limits<int32_t>::max();

std::string Describe(const ImageGeometry& g) {
  return std::to_string(g.width) + " x " + std::to_string(g.height) + " x " + std::to_string(g.planes);
}

// To one decimal in GiB, or MiB below one GiB, as a person sizes memory.
std::string Sized(int64_t bytes) {
  const int shift = bytes < (int64_t(1) << 30) ? 20 : 30;
  const int64_t tenths = (bytes * 10 + (int64_t(1) << (shift - 1))) >> shift;
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + (shift == 20 ? " MiB" : " GiB");
}

}  // namespace

ImageBuffer::ImageBuffer(const ImageGeometry& geometry, int64_t availableBytes) : mGeometry(geometry) {
  const ImageGeometry& g = mGeometry;
  if (g.width < 1 || g.height < 1 || g.width > kMaxSide || g.height > kMaxSide)
    throw ImageError("image " + Describe(g) + ": each side must be 1 to " + std::to_string(kMaxSide) + " pixels");
  if (g.planes < 1 || g.planes > kMaxPlanes)
    throw ImageError("image " + Describe(g) + ": 1 to " + std::to_string(kMaxPlanes) + " planes are possible");
  if (g.rowPadding < 0) throw ImageError("image " + Describe(g) + ": negative row padding");

  const bool interleaved = g.layout == PlaneLayout::Interleaved;
  mColumnBytes = interleaved ? g.planes : 1;
  mRowBytes = g.width * mColumnBytes + g.rowPadding;
  mPlaneBytes = interleaved ? 1 : mRowBytes * g.height;
  // The filter record carries row and plane strides as 32-bit values.
  if (mRowBytes > kMaxRecordBytes || (!interleaved && mPlaneBytes > kMaxRecordBytes))
    throw ImageError("image " + Describe(g) + ": too large for the editor's " +
                     (interleaved ? "row" : "plane") + " size, use the other layout");
  mSizeBytes = interleaved ? mRowBytes * g.height : mPlaneBytes * g.planes;
  // Asking for more would take memory the rest of the machine needs, or on
  // an overcommitting kernel succeed only to fail page by page later.
  if (mSizeBytes > availableBytes)
    throw ImageError("image " + Describe(g) + ": needs " + std::to_string(mSizeBytes) + " bytes (" +
                     Sized(mSizeBytes) + "), more than the " + Sized(availableBytes) +
                     " of memory available");

  mPixels.reset(static_cast<uint8_t*>(std::calloc(static_cast<size_t>(mSizeBytes), 1)));
  if (!mPixels)
    throw ImageError("image " + Describe(g) + ": not enough memory for " + std::to_string(mSizeBytes) + " bytes");
}

void ImageBuffer::RequireInside(int64_t x, int64_t y) const {
  if (x < 0 || y < 0 || x >= width() || y >= height())
    throw std::out_of_range("pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") outside the image");
}

std::vector<uint8_t> ImageBuffer::Pixel(int64_t x, int64_t y) const {
  RequireInside(x, y);
  std::vector<uint8_t> bytes(static_cast<size_t>(planes()));
  for (int p = 0; p < planes(); ++p) bytes[static_cast<size_t>(p)] = at(x, y, p);
  return bytes;
}

void ImageBuffer::SetPixel(int64_t x, int64_t y, const std::vector<uint8_t>& bytes) {
  RequireInside(x, y);
  const int count = std::min(planes(), static_cast<int>(bytes.size()));
  for (int p = 0; p < count; ++p) at(x, y, p) = bytes[static_cast<size_t>(p)];
}

void ImageBuffer::Fill(const std::vector<uint8_t>& bytes) {
  const int count = std::min(planes(), static_cast<int>(bytes.size()));
  for (int64_t y = 0; y < height(); ++y)
    for (int64_t x = 0; x < width(); ++x)
      for (int p = 0; p < count; ++p) at(x, y, p) = bytes[static_cast<size_t>(p)];
}

std::optional<std::string> ImageBuffer::FirstDifference(const ImageBuffer& other) const {
  if (width() != other.width() || height() != other.height() || planes() != other.planes())
    return "geometry " + Describe(mGeometry) + " vs " + Describe(other.mGeometry);
  for (int64_t y = 0; y < height(); ++y)
    for (int64_t x = 0; x < width(); ++x)
      for (int p = 0; p < planes(); ++p)
        if (at(x, y, p) != other.at(x, y, p))
          return "(" + std::to_string(x) + ", " + std::to_string(y) + ") plane " + std::to_string(p) + ": " +
                 std::to_string(at(x, y, p)) + " vs " + std::to_string(other.at(x, y, p));
  return std::nullopt;
}

}  // namespace tessel::base
