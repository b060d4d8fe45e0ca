#include "io/ImageFile.h"

#include <sys/stat.h>
#include <vips/vips.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>

#include "base/PagesMappedAhead.h"
#include "io/FileFormats.h"
#include "io/PngDecoder.h"
#include "io/PngEncoder.h"

namespace tessel::io {

const char kSupportedImages[] =
    "PNG, TIFF or JPEG with 8 bits per channel (16-bit PNG and TIFF are flatted and written at 8): grey, RGB, "
    "CMYK (TIFF, JPEG) or Lab (TIFF); grey, RGB and CMYK may have transparency (PNG, TIFF)";

namespace {

struct VipsUnref {
  void operator()(void* object) const { g_object_unref(object); }
};
using VipsImagePtr = std::unique_ptr<VipsImage, VipsUnref>;
using VipsRegionPtr = std::unique_ptr<VipsRegion, VipsUnref>;

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

// libvips keeps its last error per thread; take it, without the trailing newline.
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


const char* ModeName(int16_t imageMode) {
  switch (imageMode) {
    case plugInModeGrayScale: return "grey";
    case plugInModeRGBColor: return "RGB";
    case plugInModeCMYKColor: return "CMYK";
    case plugInModeLabColor: return "Lab";
    default: return "this mode";
  }
}

const char* DepthName(VipsBandFormat format) {
  switch (format) {
    case VIPS_FORMAT_CHAR: return "signed 8-bit";
    case VIPS_FORMAT_USHORT: case VIPS_FORMAT_SHORT: return "16-bit";
    case VIPS_FORMAT_UINT: case VIPS_FORMAT_INT: return "32-bit";
    case VIPS_FORMAT_FLOAT: case VIPS_FORMAT_COMPLEX: return "32-bit floating-point";
    default: return "64-bit floating-point";
  }
}

// The editor's mode for the file's channels, and whether the last one is transparency.
void ChooseMode(const std::string& path, VipsImage* image, int16_t& mode, bool& transparency, int& planes) {
  if (image->Coding == VIPS_CODING_LABQ) {
    mode = plugInModeLabColor;
    transparency = false;
    planes = 3;  // the fourth byte holds the low bits, zero in 8-bit files
    return;
  }
  if (image->Coding != VIPS_CODING_NONE) Fail(path, "coded pixels are not supported");
  if (image->BandFmt != VIPS_FORMAT_UCHAR)
    Fail(path, std::string(DepthName(image->BandFmt)) + " channels are not supported; use " + kSupportedImages);
  const bool cmyk = image->Type == VIPS_INTERPRETATION_CMYK;
  if (image->Type == VIPS_INTERPRETATION_LAB || image->Type == VIPS_INTERPRETATION_LABS)
    Fail(path, "this form of Lab is not supported; use 8-bit CIELab TIFF");
  planes = image->Bands;
  switch (image->Bands) {
    case 1: case 2: mode = plugInModeGrayScale; break;
    case 3: mode = plugInModeRGBColor; break;
    case 4: mode = cmyk ? plugInModeCMYKColor : plugInModeRGBColor; break;
    case 5: if (cmyk) { mode = plugInModeCMYKColor; break; } [[fallthrough]];
    default: Fail(path, std::to_string(image->Bands) + " channels are not supported; use " + kSupportedImages);
  }
  transparency = image->Bands == 2 || image->Bands == 5 || (image->Bands == 4 && !cmyk);
}

// CMYK files store 0 for no ink and Lab files a and b as signed bytes; the
// editor counts 255 as no ink and offsets a and b by 128. Both differences
// are an exclusive-or, so one pass converts either way.
bool NeedsFlipping(int16_t imageMode) {
  return imageMode == plugInModeCMYKColor || imageMode == plugInModeLabColor;
}

void FlipConventions(ImageFile& image) {
  if (!NeedsFlipping(image.imageMode)) return;
  uint8_t mask[4] = {};
  if (image.imageMode == plugInModeCMYKColor) std::memset(mask, 0xFF, sizeof mask);
  else mask[1] = mask[2] = 0x80;
  base::ImageBuffer& pixels = image.pixels;
  const int planes = std::min(4, pixels.planes() - (image.hasTransparency ? 1 : 0));
  for (int64_t y = 0; y < pixels.height(); ++y) {
    uint8_t* row = pixels.data() + y * pixels.rowBytes();
    for (int64_t x = 0; x < pixels.width(); ++x)
      for (int p = 0; p < planes; ++p) row[x * pixels.columnBytes() + p * pixels.planeBytes()] ^= mask[p];
  }
}

void* KeepField(VipsImage* image, const char* name, GValue* value, void* traitsPointer) {
  auto& traits = *static_cast<ImageFileTraits*>(traitsPointer);
  const GType type = G_VALUE_TYPE(value);
  const std::string field = name;
  if (type == VIPS_TYPE_BLOB) {
    size_t length = 0;
    const void* data = nullptr;
    if (vips_image_get_blob(image, name, &data, &length) == 0)
      traits.fields.push_back({field, ImageFileTraits::Field::kBlob, std::string(static_cast<const char*>(data), length)});
  } else if (type == G_TYPE_STRING && (field.rfind("png-comment-", 0) == 0 || field == "resolution-unit")) {
    traits.fields.push_back({field, ImageFileTraits::Field::kText, g_value_get_string(value)});
  } else if (type == G_TYPE_INT && field == "orientation") {
    traits.fields.push_back({field, ImageFileTraits::Field::kInteger, {}, g_value_get_int(value)});
  }
  return nullptr;
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

VipsImagePtr OpenImage(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) Fail(path, std::strerror(errno));
  if (S_ISDIR(info.st_mode)) Fail(path, "is a folder, not an image");
  const char* loader = vips_foreign_find_load(path.c_str());
  vips_error_clear();
  if (!loader) Fail(path, std::string("not an image this host reads; use ") + kSupportedImages);
  const std::string name = loader;
  if (name.find("Png") == std::string::npos && name.find("Tiff") == std::string::npos &&
      name.find("Jpeg") == std::string::npos)
    Fail(path, std::string("this format is not supported; use ") + kSupportedImages);

  // A damaged file must fail rather than yield a page with a grey stripe.
  VipsImagePtr image(vips_image_new_from_file(path.c_str(), "access", VIPS_ACCESS_SEQUENTIAL, "fail_on",
                                              VIPS_FAIL_ON_ERROR, nullptr));
  if (!image) Fail(path, TakeVipsError());
  if (vips_image_get_typeof(image.get(), VIPS_META_N_PAGES)) {
    int pages = 1;
    vips_image_get_int(image.get(), VIPS_META_N_PAGES, &pages);
    if (pages > 1)
      Fail(path, "holds " + std::to_string(pages) + " pages; only single-page files are flatted, so that none is lost");
  }
  return image;
}

// The header's claim is checked before a byte is allocated: a small file may
// claim more pixels than the machine holds.
base::ImageBuffer AllocatePixels(const std::string& path, const base::ImageGeometry& geometry, int64_t availableBytes) {
  try {
    return base::ImageBuffer(geometry, availableBytes);
  } catch (const base::ImageError& e) {
    Fail(path, e.what());
  }
}

bool HoldsSixteenBits(const VipsImage* image) {
  return image->Coding == VIPS_CODING_NONE &&
         (image->BandFmt == VIPS_FORMAT_USHORT ||
          (image->BandFmt == VIPS_FORMAT_SHORT && image->Type == VIPS_INTERPRETATION_LABS && image->Bands == 3));
}

// The editor's filter works on 8-bit pages: each channel keeps its high byte,
// so a 16-bit file made from an 8-bit page gives that page back exactly.
// 16-bit Lab becomes the 8-bit Lab the rest of the host reads.
VipsImagePtr ReduceToEightBits(const std::string& path, VipsImage* image) {
  VipsImage* reduced = nullptr;
  const int failed = image->Type == VIPS_INTERPRETATION_LABS
                         ? vips_LabS2LabQ(image, &reduced, nullptr)
                         : vips_cast(image, &reduced, VIPS_FORMAT_UCHAR, "shift", TRUE, nullptr);
  if (failed) Fail(path, TakeVipsError());
  return VipsImagePtr(reduced);
}

// Decodes strip by strip straight into the buffer, dropping any channel the
// buffer does not keep (LABQ's low bits).
void ReadPixels(const std::string& path, VipsImage* image, base::ImageBuffer& pixels) {
  VipsRegionPtr region(vips_region_new(image));
  const int64_t sourcePixelBytes = VIPS_IMAGE_SIZEOF_PEL(image);
  const int64_t rowBytes = sourcePixelBytes * pixels.width();
  const int stripRows = static_cast<int>(std::clamp<int64_t>((4 << 20) / rowBytes, 1, 1024));
  for (int top = 0; top < image->Ysize; top += stripRows) {
    VipsRect strip{0, top, image->Xsize, std::min(stripRows, image->Ysize - top)};
    if (vips_region_prepare(region.get(), &strip) != 0) Fail(path, TakeVipsError());
    for (int y = strip.top; y < strip.top + strip.height; ++y) {
      const auto* source = reinterpret_cast<const uint8_t*>(VIPS_REGION_ADDR(region.get(), 0, y));
      uint8_t* target = &pixels.at(0, y, 0);
      if (sourcePixelBytes == pixels.columnBytes()) {
        std::memcpy(target, source, static_cast<size_t>(rowBytes));
        continue;
      }
      for (int64_t x = 0; x < pixels.width(); ++x)
        std::memcpy(target + x * pixels.columnBytes(), source + x * sourcePixelBytes,
                    static_cast<size_t>(pixels.planes()));
    }
  }
}

bool IsPng(VipsImage* image) {
  const char* loader = nullptr;
  return vips_image_get_string(image, VIPS_META_LOADER, &loader) == 0 && std::strcmp(loader, "pngload") == 0;
}

VipsInterpretation InterpretationOf(int16_t mode) {
  switch (mode) {
    case plugInModeGrayScale: return VIPS_INTERPRETATION_B_W;
    case plugInModeCMYKColor: return VIPS_INTERPRETATION_CMYK;
    default: return VIPS_INTERPRETATION_sRGB;
  }
}

int GenerateReleasedRows(VipsRegion* out, void*, void* page, void* gate, gboolean*) {
  const auto& pixels = *static_cast<const base::ImageBuffer*>(page);
  const VipsRect& rows = out->valid;
  if (!static_cast<base::RowGate*>(gate)->AwaitRows(rows.top + rows.height)) {
    vips_error("tessel", "the page was given up before it was finished");
    return -1;
  }
  // Copied on the thread that waited for them: the encoder, on a thread of
  // its own, reads the copy.
  const auto bytes = static_cast<size_t>(rows.width * pixels.columnBytes());
  for (int y = rows.top; y < rows.top + rows.height; ++y)
    std::memcpy(VIPS_REGION_ADDR(out, rows.left, y),
                pixels.data() + y * pixels.rowBytes() + rows.left * pixels.columnBytes(), bytes);
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

std::string IccProfileOf(const ImageFile& image) {
  for (const ImageFileTraits::Field& field : image.traits.fields)
    if (field.name == VIPS_META_ICC_NAME && field.kind == ImageFileTraits::Field::kBlob) return field.bytes;
  return {};
}

void CheckSavable(const std::string& path, int16_t imageMode, bool hasTransparency) {
  if (!IsImageFileName(path))
    Fail(path, "the output's extension must be " + ImageFileExtensions() + ", or " + LayeredExtensions() + " for layers");
  const FileFormat format = *FormatOf(path);
  const bool cmykOrLab = imageMode == plugInModeCMYKColor || imageMode == plugInModeLabColor;
  if (format == FileFormat::kPng && cmykOrLab)
    Fail(path, std::string("PNG cannot hold ") + ModeName(imageMode) + " images; write a .tif instead");
  if (format == FileFormat::kJpeg && imageMode == plugInModeLabColor)
    Fail(path, "JPEG cannot hold Lab images here; write a .tif instead");
  if (format == FileFormat::kJpeg && hasTransparency)
    Fail(path, "JPEG cannot hold transparency; write a .png or .tif instead");
}

namespace {

// The file opened, its header read, the pixels not yet decoded.
struct OpenedImage {
  VipsImagePtr image;
  int16_t mode = plugInModeRGBColor;
  bool transparency = false;
  int planes = 0;
  bool sixteenBits = false;  // reduced to 8 bits as it was opened
};

OpenedImage OpenWithMode(const std::string& path) {
  StartVips();
  OpenedImage opened{OpenImage(path)};
  opened.sixteenBits = HoldsSixteenBits(opened.image.get());
  if (opened.sixteenBits) opened.image = ReduceToEightBits(path, opened.image.get());
  ChooseMode(path, opened.image.get(), opened.mode, opened.transparency, opened.planes);
  return opened;
}

base::ImageGeometry GeometryOf(const OpenedImage& opened) {
  base::ImageGeometry geometry;
  geometry.width = opened.image->Xsize;
  geometry.height = opened.image->Ysize;
  geometry.planes = opened.planes;
  return geometry;
}

}  // namespace

ImageFile LoadImageFile(const std::string& path, int64_t availableBytes) {
  OpenedImage opened = OpenWithMode(path);
  VipsImage* image = opened.image.get();
  ImageFile file{AllocatePixels(path, GeometryOf(opened), availableBytes), opened.mode, opened.transparency, {},
                 opened.sixteenBits};
  file.traits.xResolution = image->Xres;
  file.traits.yResolution = image->Yres;
  vips_image_map(image, KeepField, &file.traits);
  bool decoded = false;
  if (IsPng(image)) {
    const base::PagesMappedAhead mapping(file.pixels.data(), static_cast<size_t>(file.pixels.sizeBytes()));
    decoded = DecodePng(path, file.pixels);
  }
  if (!decoded) ReadPixels(path, image, file.pixels);
  FlipConventions(file);
  return file;
}

int16_t ImageModeOf(const std::string& path) { return OpenWithMode(path).mode; }

base::ImageGeometry ReadPageGeometry(const std::string& path) { return GeometryOf(OpenWithMode(path)); }

ImageHeader ReadImageHeader(const std::string& path) {
  const OpenedImage opened = OpenWithMode(path);
  return {opened.mode, opened.transparency, opened.image->Xsize, opened.image->Ysize};
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
