#include "io/PageFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vips/vips.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

#include "base/OverPaperRow.h"
#include "base/PagesMappedAhead.h"
#include "io/FileFormats.h"
#include "io/PageCodec.h"
#include "io/PngDecoder.h"

namespace tessel::io {

namespace {

using VipsSourcePtr = std::unique_ptr<VipsSource, VipsUnref>;
using VipsRegionPtr = std::unique_ptr<VipsRegion, VipsUnref>;

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

// The page format one of libvips' loaders reads; none for the other loaders.
std::optional<FileFormat> FormatOfLoader(const char* loader) {
  if (!loader) return std::nullopt;
  const std::string name = loader;
  if (name.find("Png") != std::string::npos) return FileFormat::kPng;
  if (name.find("Tiff") != std::string::npos) return FileFormat::kTiff;
  if (name.find("Jpeg") != std::string::npos) return FileFormat::kJpeg;
  return std::nullopt;
}

// A file no page loader takes. Which refusal it gets is for libvips' file
// loaders to say: they know formats (ImageMagick's among them) that sniffing
// an open file does not. They open it again, but only to refuse it.
[[noreturn]] void RefuseFormat(const std::string& path) {
  const char* loader = vips_foreign_find_load(path.c_str());
  vips_error_clear();
  if (!loader) Fail(path, std::string("not an image this host reads; use ") + kSupportedImages);
  Fail(path, std::string("this format is not supported; use ") + kSupportedImages);
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
// buffer does not keep (LABQ's low bits), or laying the page over paper with
// `overPaper`, the colour bytes turned into the editor's by `toEditor`.
void ReadPixels(const std::string& path, VipsImage* image, base::ImageBuffer& pixels, bool overPaper,
                uint8_t toEditor) {
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
      if (overPaper) {
        base::RowOverPaper(source, target, pixels.width(), pixels.planes(), base::Coverage::kDropped, toEditor);
        continue;
      }
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

}  // namespace

// libvips reads the file through a duplicate of the descriptor, the PNG
// decoder through the descriptor itself, each at offsets of its own.
struct PageFile::Opened {
  ~Opened() {
    if (descriptor >= 0) close(descriptor);
  }
  int descriptor = -1;
  VipsImagePtr image;  // reduced to 8 bits a channel when the file holds 16
  FileFormat format = FileFormat::kPng;
  bool overPaper = false;  // the file's transparency is laid over paper as it is read
};

PageFile::PageFile(const std::string& path, Transparency transparency)
    : mPath(path), mOpened(std::make_unique<Opened>()) {
  StartVips();
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) Fail(path, std::strerror(errno));
  if (S_ISDIR(info.st_mode)) Fail(path, "is a folder, not an image");
  // Only a regular file with bytes in it is read through a descriptor; any
  // other is refused by the file loaders as ever. Through a descriptor,
  // libvips would read a pipe whole, and it stops on an empty file.
  if (S_ISREG(info.st_mode) && info.st_size > 0) mOpened->descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  const int descriptor = mOpened->descriptor;
  const VipsSourcePtr source(descriptor < 0 ? nullptr : vips_source_new_from_descriptor(descriptor));
  const std::optional<FileFormat> format =
      source ? FormatOfLoader(vips_foreign_find_load_source(source.get())) : std::nullopt;
  vips_error_clear();
  if (!format) RefuseFormat(path);
  mOpened->format = *format;

  // A damaged file must fail rather than yield a page with a grey stripe.
  VipsImagePtr& image = mOpened->image;
  image.reset(vips_image_new_from_source(source.get(), "", "access", VIPS_ACCESS_SEQUENTIAL, "fail_on",
                                         VIPS_FAIL_ON_ERROR, nullptr));
  if (!image) Fail(path, TakeVipsError());
  if (vips_image_get_typeof(image.get(), VIPS_META_N_PAGES)) {
    int pages = 1;
    vips_image_get_int(image.get(), VIPS_META_N_PAGES, &pages);
    if (pages > 1)
      Fail(path, "holds " + std::to_string(pages) + " pages; only single-page files are flatted, so that none is lost");
  }
  mHeader.reducedFromSixteenBits = HoldsSixteenBits(image.get());
  if (mHeader.reducedFromSixteenBits) image = ReduceToEightBits(path, image.get());
  ChooseMode(path, image.get(), mHeader.imageMode, mHeader.hasTransparency, mHeader.geometry.planes);
  mHeader.geometry.width = image->Xsize;
  mHeader.geometry.height = image->Ysize;
  // libvips gives a resolution to every file: its TIFF and JPEG loaders name
  // the unit only when the file states one.
  const bool stated = *format == FileFormat::kPng ? PngStatesResolution(descriptor)
                                                  : vips_image_get_typeof(image.get(), "resolution-unit") != 0;
  if (stated) mHeader.resolution = image->Xres;
  if (transparency == Transparency::kOverPaper && mHeader.hasTransparency) {
    mOpened->overPaper = true;
    mHeader.hasTransparency = false;
    --mHeader.geometry.planes;
  }
}

PageFile::~PageFile() = default;

ImageFile PageFile::Load(int64_t availableBytes) {
  VipsImage* image = mOpened->image.get();
  ImageFile file{AllocatePixels(mPath, mHeader.geometry, availableBytes), mHeader.imageMode, mHeader.hasTransparency,
                 {}, mHeader.reducedFromSixteenBits};
  file.traits.xResolution = image->Xres;
  file.traits.yResolution = image->Yres;
  vips_image_map(image, KeepField, &file.traits);
  bool decoded = false;
  if (mOpened->format == FileFormat::kPng) {
    const base::PagesMappedAhead mapping(file.pixels.data(), static_cast<size_t>(file.pixels.sizeBytes()));
    decoded = DecodePng(mOpened->descriptor, file.pixels, mOpened->overPaper);
  }
  // CMYK files store 0 for no ink (see FlipConventions), which turns the page after.
  if (!decoded)
    ReadPixels(mPath, image, file.pixels, mOpened->overPaper, mHeader.imageMode == plugInModeCMYKColor ? 0xFF : 0);
  FlipConventions(file);
  return file;
}

}  // namespace tessel::io
