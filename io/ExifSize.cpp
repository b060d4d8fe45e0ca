#include "io/ExifSize.h"

namespace tessel::io {

namespace {

constexpr uint16_t kExifDirectoryTag = 0x8769;
constexpr uint16_t kPixelXDimension = 0xA002, kPixelYDimension = 0xA003;
constexpr uint16_t kShort = 3, kLong = 4;
constexpr size_t kEntryBytes = 12;

// The block's numbers in its own byte order, every access within it.
class TiffBytes {
 public:
  explicit TiffBytes(std::string& bytes) : mBytes(bytes), mBig(bytes.compare(0, 4, "MM\0*", 4) == 0) {}

  bool valid() const { return mBig || mBytes.compare(0, 4, "II*\0", 4) == 0; }
  bool Holds(size_t at, size_t length) const { return at <= mBytes.size() && length <= mBytes.size() - at; }

  uint32_t Read(size_t at, int length) const {
    uint32_t value = 0;
    for (int i = 0; i < length; ++i)
      value |= uint32_t{static_cast<uint8_t>(mBytes[at + i])} << 8 * (mBig ? length - 1 - i : i);
    return value;
  }
  void Write(size_t at, int length, uint32_t value) {
    for (int i = 0; i < length; ++i) mBytes[at + i] = static_cast<char>(value >> 8 * (mBig ? length - 1 - i : i));
  }

  // Calls `visit(entry offset, tag)` for each entry of the directory at `at`.
  template <typename Visit>
  void Entries(size_t at, Visit visit) const {
    if (!Holds(at, 2)) return;
    const size_t count = Read(at, 2);
    if (!Holds(at + 2, count * kEntryBytes)) return;
    for (size_t i = 0; i < count; ++i) {
      const size_t entry = at + 2 + i * kEntryBytes;
      visit(entry, static_cast<uint16_t>(Read(entry, 2)));
    }
  }

 private:
  std::string& mBytes;
  bool mBig;
};

}  // namespace

std::string ExifWithSize(std::string exif, uint32_t width, uint32_t height) {
  TiffBytes tiff(exif);
  if (!tiff.Holds(0, 8) || !tiff.valid()) return exif;
  size_t exifDirectory = 0;
  tiff.Entries(tiff.Read(4, 4), [&](size_t entry, uint16_t tag) {
    if (tag == kExifDirectoryTag) exifDirectory = tiff.Read(entry + 8, 4);
  });
  if (exifDirectory == 0) return exif;
  tiff.Entries(exifDirectory, [&](size_t entry, uint16_t tag) {
    if ((tag != kPixelXDimension && tag != kPixelYDimension) || tiff.Read(entry + 4, 4) != 1) return;
    const uint32_t size = tag == kPixelXDimension ? width : height;
    const uint32_t type = tiff.Read(entry + 2, 2);
    if (type == kLong) tiff.Write(entry + 8, 4, size);
    else if (type == kShort && size <= 0xFFFF) tiff.Write(entry + 8, 2, size);
  });
  return exif;
}

}  // namespace tessel::io
