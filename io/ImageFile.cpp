#include "io/ImageFile.h"

#include <vips/vips.h>

#include <cstring>

#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#endif

#include "io/FileFormats.h"
#include "io/PageCodec.h"
#include "io/PageFile.h"
#include "io/PngEncoder.h"

namespace tessel::io {

const char kSupportedImages[] =
    "PNG, TIFF or JPEG with 8 bits per channel (16-bit PNG and TIFF are flatted and written at 8): grey, RGB, "
    "CMYK (TIFF, JPEG) or Lab (TIFF); grey, RGB and CMYK may have transparency (PNG, TIFF)";

namespace {

const char* ModeName(int16_t imageMode) {
  switch (imageMode) {
    case plugInModeGrayScale: return "grey";
    case plugInModeRGBColor: return "RGB";
    case plugInModeCMYKColor: return "CMYK";
    case plugInModeLabColor: return "Lab";
    default: return "this mode";
  }
}

void ApplyTraits(VipsImage* image, const ImageFileTraits& traits) {
  for (const auto& field : traits.fields) {
    switch (field.kind) {
      case ImageFileTraits::Field::kBlob:
        vips_image_set_blob_copy(image, field.name.c_str(), field.bytes.data(), field.bytes.size());
        break;
      case ImageFileTraits::Field::kText:
        vips_image_set_string(image, field.name.c_str(), field.bytes.c_str());
        break;
      case ImageFileTraits::Field::kInteger:
        vips_image_set_int(image, field.name.c_str(), field.integer);
        break;
    }
  }
}

VipsInterpretation InterpretationOf(int16_t mode) {
  switch (mode) {
    case plugInModeGrayScale: return VIPS_INTERPRETATION_B_W;
    case plugInModeCMYKColor: return VIPS_INTERPRETATION_CMYK;
    default: return VIPS_INTERPRETATION_sRGB;
  }
}

// A save hands GenerateReleasedRows to libvips' workers, and they hand their
// regions back, under GLib's locks: futexes of GLib's own, which
// ThreadSanitizer cannot see. Its threads outlive the save, so without these
// marks it would take a worker's copy for a race with the page's buffer
// being freed, or with the next page's gate being made where the last one
// was.
#if defined(__SANITIZE_THREAD__)
void HandOver(const void* page) { __tsan_release(const_cast<void*>(page)); }
void TakeOver(const void* page) { __tsan_acquire(const_cast<void*>(page)); }
#else
void HandOver(const void*) {}
void TakeOver(const void*) {}
#endif

int GenerateReleasedRows(VipsRegion* out, void*, void* page, void* gate, gboolean*) {
  TakeOver(page);
  const auto& pixels = *static_cast<const base::ImageBuffer*>(page);
  const VipsRect& rows = out->valid;
  if (!static_cast<base::RowGate*>(gate)->AwaitRows(rows.top + rows.height)) {
    HandOver(page);
    vips_error("tessel", "the page was given up before it was finished");
    return -1;
  }
  // Copied on the thread that waited for them: the encoder, on a thread of
  // its own, reads the copy.
  const auto bytes = static_cast<size_t>(rows.width * pixels.columnBytes());
  for (int y = rows.top; y < rows.top + rows.height; ++y)
    std::memcpy(VIPS_REGION_ADDR(out, rows.left, y),
                pixels.data() + y * pixels.rowBytes() + rows.left * pixels.columnBytes(), bytes);
  HandOver(page);
  return 0;
}

// The buffer as an image whose rows are handed out only once `gate` releases them.
VipsImagePtr GateRows(const base::ImageBuffer& pixels, base::RowGate& gate) {
  VipsImagePtr gated(vips_image_new());
  vips_image_init_fields(gated.get(), static_cast<int>(pixels.width()), static_cast<int>(pixels.height()),
                         pixels.planes(), VIPS_FORMAT_UCHAR, VIPS_CODING_NONE, VIPS_INTERPRETATION_MULTIBAND, 1.0, 1.0);
  if (vips_image_pipelinev(gated.get(), VIPS_DEMAND_STYLE_THINSTRIP, nullptr) != 0 ||
      vips_image_generate(gated.get(), nullptr, GenerateReleasedRows, nullptr, const_cast<base::ImageBuffer*>(&pixels),
                          &gate) != 0)
    return nullptr;
  return gated;
}

// A view of the buffer as the file's image, without copying the pixels; with
// a gate, its rows copied as the gate releases them.
VipsImagePtr WrapPixels(const ImageFile& image, base::RowGate* gate) {
  const base::ImageBuffer& pixels = image.pixels;
  VipsImagePtr wrapped(gate ? GateRows(pixels, *gate)
                            : VipsImagePtr(vips_image_new_from_memory(
                                  pixels.data(), static_cast<size_t>(pixels.sizeBytes()),
                                  static_cast<int>(pixels.width()), static_cast<int>(pixels.height()),
                                  pixels.planes(), VIPS_FORMAT_UCHAR)));
  if (!wrapped) return nullptr;
  VipsImage* out = nullptr;
  int failed = 0;
  if (image.imageMode == plugInModeLabColor) {
    VipsImage* packed = nullptr;
    failed = vips_bandjoin_const1(wrapped.get(), &packed, 0.0, nullptr) ||
             vips_copy(packed, &out, "coding", VIPS_CODING_LABQ, "interpretation", VIPS_INTERPRETATION_LABQ, "xres",
                       image.traits.xResolution, "yres", image.traits.yResolution, nullptr);
    if (packed) g_object_unref(packed);
  } else {
    failed = vips_copy(wrapped.get(), &out, "interpretation", InterpretationOf(image.imageMode), "xres",
                       image.traits.xResolution, "yres", image.traits.yResolution, nullptr);
  }
  if (failed) return nullptr;
  ApplyTraits(out, image.traits);
  return VipsImagePtr(out);
}

}  // namespace

ImageFile LoadImageFile(const std::string& path, int64_t availableBytes) {
  return PageFile(path).Load(availableBytes);
}

std::string IccProfileOf(const ImageFile& image) {
  for (const ImageFileTraits::Field& field : image.traits.fields)
    if (field.name == VIPS_META_ICC_NAME && field.kind == ImageFileTraits::Field::kBlob) return field.bytes;
  return {};
}

void CheckSavable(const std::string& path, int16_t imageMode, bool hasTransparency) {
  if (!IsImageFileName(path))
    Fail(path,
         "the output's extension must be " + ImageFileExtensions() + ", or " + LayeredExtensions() + " for layers");
  const FileFormat format = *FormatOf(path);
  const bool cmykOrLab = imageMode == plugInModeCMYKColor || imageMode == plugInModeLabColor;
  if (format == FileFormat::kPng && cmykOrLab)
    Fail(path, std::string("PNG cannot hold ") + ModeName(imageMode) + " images; write a .tif instead");
  if (format == FileFormat::kJpeg && imageMode == plugInModeLabColor)
    Fail(path, "JPEG cannot hold Lab images here; write a .tif instead");
  if (format == FileFormat::kJpeg && hasTransparency)
    Fail(path, "JPEG cannot hold transparency; write a .png or .tif instead");
}

void SaveImageFile(ImageFile& image, const std::string& path, base::RowGate* gate) {
  CheckSavable(path, image.imageMode, image.hasTransparency);
  const FileFormat format = *FormatOf(path);
  StartVips();
  if (NeedsFlipping(image.imageMode)) {
    // Turned in place, so only once the page is whole.
    if (gate && !gate->AwaitRows(image.pixels.height())) Fail(path, "the page was given up before it was finished");
    FlipConventions(image);
  }
  VipsImagePtr out = WrapPixels(image, gate);
  if (!out) Fail(path, TakeVipsError());
  int failed = 0;
  HandOver(&image.pixels);
  switch (format) {
    case FileFormat::kPng:
      failed = vips_pngsave(out.get(), path.c_str(), "compression", kPngCompression, "filter",
                            VIPS_FOREIGN_PNG_FILTER_NONE, nullptr);
      break;
    case FileFormat::kTiff:
      failed = vips_tiffsave(out.get(), path.c_str(), "compression", VIPS_FOREIGN_TIFF_COMPRESSION_LZW, nullptr);
      break;
    case FileFormat::kJpeg:
      failed = vips_jpegsave(out.get(), path.c_str(), "Q", 95, nullptr);
      break;
    case FileFormat::kPsd:
    case FileFormat::kOra:
      break;  // refused by CheckSavable
  }
  TakeOver(&image.pixels);
  if (failed) Fail(path, "cannot be written: " + TakeVipsError());
}

std::string OnePixelPng(const ImageFile& image) {
  StartVips();
  ImageFile pixel{base::ImageBuffer({1, 1, image.pixels.planes(), base::PlaneLayout::Interleaved, 0}), image.imageMode,
                  image.hasTransparency, image.traits};
  VipsImagePtr out = WrapPixels(pixel, nullptr);
  void* bytes = nullptr;
  size_t length = 0;
  if (!out || vips_pngsave_buffer(out.get(), &bytes, &length, "compression", kPngCompression, "filter",
                                  VIPS_FOREIGN_PNG_FILTER_NONE, nullptr) != 0)
    Fail("a PNG file", TakeVipsError());
  std::string file(static_cast<const char*>(bytes), length);
  g_free(bytes);
  return file;
}

}  // namespace tessel::io
