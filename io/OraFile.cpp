#include "io/OraFile.h"

#include <zip.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <future>
#include <list>
#include <vector>

#include "base/Stopwatch.h"
#include "io/PngEncoder.h"
#include "io/ZipInFile.h"

namespace tessel::io {

namespace {

constexpr int64_t kThumbnailSide = 256;

ChunkedBytes LayerPng(const LayeredPage& page, Layer layer) {
  return EncodePng(page.width(), page.height(), page.planes(),
                   [&](int64_t y, uint8_t* row) { page.PixelRow(layer, y, row); });
}

// The composite sampled at the nearest pixel, the longer side at most 256.
ChunkedBytes ThumbnailPng(const LayeredPage& page) {
  const int64_t longer = std::max(page.width(), page.height());
  const int64_t width = std::max<int64_t>(1, page.width() * std::min(longer, kThumbnailSide) / longer);
  const int64_t height = std::max<int64_t>(1, page.height() * std::min(longer, kThumbnailSide) / longer);
  return EncodePng(width, height, page.planes(), [&](int64_t y, uint8_t* row) {
    const int64_t sourceY = (2 * y + 1) * page.height() / (2 * height);
    for (int64_t x = 0; x < width; ++x)
      for (int p = 0; p < page.planes(); ++p)
        *row++ = page.At(Layer::kComposite, (2 * x + 1) * page.width() / (2 * width), sourceY, p);
  });
}

std::string StackXml(const LayeredPage& page) {
  constexpr double kMillimetresPerInch = 25.4;
  const std::string size = "w=\"" + std::to_string(page.width()) + "\" h=\"" + std::to_string(page.height()) + "\"";
  const std::string resolution =
      "xres=\"" + std::to_string(static_cast<int>(page.flats.traits.xResolution * kMillimetresPerInch + 0.5)) +
      "\" yres=\"" + std::to_string(static_cast<int>(page.flats.traits.yResolution * kMillimetresPerInch + 0.5)) +
      "\"";
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<image version=\"0.0.3\" " + size + " " + resolution + ">\n"
         " <stack>\n"
         "  <layer name=\"Lines\" src=\"data/lines.png\" composite-op=\"svg:multiply\" opacity=\"1.0\" "
         "visibility=\"visible\" x=\"0\" y=\"0\"/>\n"
         "  <layer name=\"Flats\" src=\"data/flats.png\" composite-op=\"svg:src-over\" opacity=\"1.0\" "
         "visibility=\"visible\" x=\"0\" y=\"0\"/>\n"
         " </stack>\n"
         "</image>\n";
}

class OraArchive {
 public:
  explicit OraArchive(const std::string& path) : mPath(path) {
    zip_error_t reason;
    zip_error_init(&reason);
    mZip = CreateZipInFile(path, &reason);
    if (!mZip) {
      const std::string message = zip_error_strerror(&reason);
      zip_error_fini(&reason);
      throw ImageFileError(path + ": cannot be written (" + message + ")");
    }
    zip_error_fini(&reason);
  }
  ~OraArchive() {
    if (mZip) zip_discard(mZip);
  }
  OraArchive(const OraArchive&) = delete;
  OraArchive& operator=(const OraArchive&) = delete;

  // Kept until Close, which is when libzip reads it. PNGs are stored as
  // they are: deflating them again gains nothing.
  void Add(const char* name, ChunkedBytes bytes, bool compress) {
    mContents.push_back(std::move(bytes));
    std::vector<zip_buffer_fragment_t> fragments;
    for (std::vector<uint8_t>& chunk : mContents.back()) fragments.push_back({chunk.data(), chunk.size()});
    zip_source_t* source = zip_source_buffer_fragment(mZip, fragments.data(), fragments.size(), 0);
    const zip_int64_t index = source ? zip_file_add(mZip, name, source, ZIP_FL_ENC_UTF_8) : -1;
    if (index < 0) {
      if (source) zip_source_free(source);
      Fail();
    }
    if (!compress && zip_set_file_compression(mZip, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0) != 0) Fail();
  }
  void Add(const char* name, const std::string& text, bool compress) {
    Add(name, ChunkedBytes{std::vector<uint8_t>(text.begin(), text.end())}, compress);
  }

  void Close() {
    if (zip_close(mZip) != 0) Fail();
    mZip = nullptr;
  }

 private:
  [[noreturn]] void Fail() {
    throw ImageFileError(mPath + ": cannot be written (" + zip_strerror(mZip) + ")");
  }

  std::string mPath;
  zip_t* mZip = nullptr;
  std::list<ChunkedBytes> mContents;  // a list, so what libzip points at stays put
};

}  // namespace

void WriteOra(const LayeredPage& page, const std::string& path, LayeredTimings& timings) {
  OraArchive archive(path);
  // First and uncompressed, so that the file names its type at a fixed place.
  archive.Add("mimetype", std::string("image/openraster"), false);
  archive.Add("stack.xml", StackXml(page), true);

  // The layers are encoded beside the composite: each PNG keeps one core busy
  // on its own, and holds only its compressed bytes.
  // Each stage's time is its own encoding's, the longer layer's for both.
  double linesSeconds = 0, flatsSeconds = 0;
  const auto timedLayer = [&page](Layer layer, double& seconds) {
    const auto start = std::chrono::steady_clock::now();
    ChunkedBytes png = LayerPng(page, layer);
    seconds = base::SecondsSince(start);
    return png;
  };
  std::future<ChunkedBytes> lines =
      std::async(std::launch::async, timedLayer, Layer::kLines, std::ref(linesSeconds));
  std::future<ChunkedBytes> flats =
      std::async(std::launch::async, timedLayer, Layer::kFlats, std::ref(flatsSeconds));
  auto start = std::chrono::steady_clock::now();
  archive.Add("mergedimage.png", LayerPng(page, Layer::kComposite), false);
  archive.Add("Thumbnails/thumbnail.png", ThumbnailPng(page), false);
  timings.composite = base::SecondsSince(start);
  archive.Add("data/lines.png", lines.get(), false);
  archive.Add("data/flats.png", flats.get(), false);
  timings.layers = std::max(linesSeconds, flatsSeconds);

  start = std::chrono::steady_clock::now();
  archive.Close();
  timings.package = base::SecondsSince(start);
}

}  // namespace tessel::io
