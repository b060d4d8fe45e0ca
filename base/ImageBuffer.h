// An 8-bit image laid out as the editor hands it to a filter: colour planes,
// optionally followed by a transparency plane, either interleaved (the planes
// of one pixel side by side) or planar (one whole plane after the other).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/AvailableMemory.h"

namespace tessel::base {

// Refused geometry or memory the system would not give.
class ImageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class PlaneLayout { Interleaved, Planar };

struct ImageGeometry {
  int64_t width = 0;
  int64_t height = 0;
  int planes = 0;  // colour planes plus the transparency plane, if any
  PlaneLayout layout = PlaneLayout::Interleaved;
  int64_t rowPadding = 0;  // bytes after each row, so row stride is not implied by width
};

class ImageBuffer {
 public:
  // The editor's largest page side and channel count.
  static constexpr int64_t kMaxSide = 300000;
  static constexpr int kMaxPlanes = 56;

  // Allocates zeroed pixels. Throws ImageError, with the reason, for a
  // geometry outside the editor's limits or one the host records cannot
  // describe, for pixels larger than `availableBytes` (then before any
  // allocation), and when the memory cannot be had.
  explicit ImageBuffer(const ImageGeometry& geometry, int64_t availableBytes = AvailableMemory());

  const ImageGeometry& geometry() const { return mGeometry; }
  int64_t width() const { return mGeometry.width; }
  int64_t height() const { return mGeometry.height; }
  int planes() const { return mGeometry.planes; }

  // Byte distances between neighbouring rows, columns and planes.
  int64_t rowBytes() const { return mRowBytes; }
  int64_t columnBytes() const { return mColumnBytes; }
  int64_t planeBytes() const { return mPlaneBytes; }
  int64_t sizeBytes() const { return mSizeBytes; }

  uint8_t* data() { return mPixels.get(); }
  const uint8_t* data() const { return mPixels.get(); }

  // Unchecked, as the engine addresses pixels.
  uint8_t& at(int64_t x, int64_t y, int plane) { return mPixels.get()[Offset(x, y, plane)]; }
  uint8_t at(int64_t x, int64_t y, int plane) const { return mPixels.get()[Offset(x, y, plane)]; }

  // All planes of one pixel; throws std::out_of_range outside the image.
  std::vector<uint8_t> Pixel(int64_t x, int64_t y) const;
  // Sets the leading planes of one pixel from `bytes` (at most `planes()`).
  void SetPixel(int64_t x, int64_t y, const std::vector<uint8_t>& bytes);
  // Sets the leading planes of every pixel.
  void Fill(const std::vector<uint8_t>& bytes);

  // The first pixel whose planes differ, as "(x, y) plane p: a vs b"; nothing
  // when geometry (width, height, planes) and pixels agree, whatever the layout.
  std::optional<std::string> FirstDifference(const ImageBuffer& other) const;
  bool SamePixels(const ImageBuffer& other) const { return !FirstDifference(other); }

 private:
  int64_t Offset(int64_t x, int64_t y, int plane) const {
    return y * mRowBytes + x * mColumnBytes + plane * mPlaneBytes;
  }
  void RequireInside(int64_t x, int64_t y) const;

  // In small pages, as calloc gives them. Huge pages (madvise) come from
  // the large free blocks a virtual machine hands back to its host, and
  // clearing those ran at about 100 MB/s: a page run took three times as
  // long as in small pages, which reuse memory freed moments before.
  struct Release {
    void operator()(uint8_t* pixels) const { std::free(pixels); }
  };

  ImageGeometry mGeometry;
  int64_t mRowBytes = 0;
  int64_t mColumnBytes = 0;
  int64_t mPlaneBytes = 0;
  int64_t mSizeBytes = 0;
  std::unique_ptr<uint8_t, Release> mPixels;
};

}  // namespace tessel::base
