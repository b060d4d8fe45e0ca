#include "io/PageCodec.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace tessel::io {

void StartVips() {
  static std::once_flag once;
  static bool started = false;
  std::call_once(once, [] {
    started = VIPS_INIT("tessel") == 0;
    // Damaged files are reported once, as errors, not tile by tile.
    g_log_set_handler("VIPS", G_LOG_LEVEL_WARNING, [](const gchar*, GLogLevelFlags, const gchar*, gpointer) {}, nullptr);
  });
  if (!started) throw ImageFileError("the image library (libvips) could not be started");
}

std::string TakeVipsError() {
  std::string text = vips_error_buffer();
  vips_error_clear();
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  // A PNG cut off after its signature fails with no reason given.
  if (text.empty()) return "damaged or incomplete";
  const auto lastLine = text.rfind('\n');
  return lastLine == std::string::npos ? text : text.substr(lastLine + 1);
}

[[noreturn]] void Fail(const std::string& path, const std::string& reason) {
  throw ImageFileError(path + ": " + reason);
}

// CMYK files store 0 for no ink and Lab files a and b as signed bytes; the
// editor counts 255 as no ink and offsets a and b by 128. Both differences
// are an exclusive-or, so one pass converts either way.
bool NeedsFlipping(int16_t imageMode) {
  return imageMode == plugInModeCMYKColor || imageMode == plugInModeLabColor;
}

namespace {

// `width` pixels from `row` on, `column` bytes apart, their first `planes`
// planes `plane` bytes apart turned by the exclusive-or of the mode's
// conventions: every ink plane, or a and b.
void Flip(int16_t imageMode, int planes, uint8_t* row, int64_t width, int64_t column, int64_t plane) {
  uint8_t mask[4] = {};
  if (imageMode == plugInModeCMYKColor) std::memset(mask, 0xFF, sizeof mask);
  else mask[1] = mask[2] = 0x80;
  planes = std::min(4, planes);
  for (int64_t x = 0; x < width; ++x)
    for (int p = 0; p < planes; ++p) row[x * column + p * plane] ^= mask[p];
}

}  // namespace

void FlipConventions(ImageFile& image) {
  if (!NeedsFlipping(image.imageMode)) return;
  base::ImageBuffer& pixels = image.pixels;
  const int planes = pixels.planes() - (image.hasTransparency ? 1 : 0);
  for (int64_t y = 0; y < pixels.height(); ++y)
    Flip(image.imageMode, planes, pixels.data() + y * pixels.rowBytes(), pixels.width(), pixels.columnBytes(),
         pixels.planeBytes());
}

void FlipRow(int16_t imageMode, int planes, bool hasTransparency, uint8_t* row, int64_t width) {
  if (NeedsFlipping(imageMode)) Flip(imageMode, planes - (hasTransparency ? 1 : 0), row, width, planes, 1);
}

}  // namespace tessel::io
