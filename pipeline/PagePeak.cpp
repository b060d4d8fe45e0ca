#include "pipeline/PagePeak.h"

#include <algorithm>
#include <optional>

#include "io/FileFormats.h"

namespace tessel::pipeline {

namespace {

// What each step holds at the run's peak, per byte of the decoded page and
// per pixel. Measured (tools/page-peaks) as the largest resident set of
// `tessel run` on dense drawn pages (bench's tessel_comic_page: about 2,200
// regions per megapixel, the kind of page that costs most per pixel) of 4,
// 17 and 67 MP in grey, RGB, RGB with transparency (PNG) and CMYK (TIFF),
// under each option alone; fitted per option by least squares and rounded up, so that the sum lies 2 to 31 %
// above every run measured. The gap width and joining change nothing
// measurable.
struct Cost {
  double perPageByte;
  double perPixel;
};

constexpr int64_t kMiB = int64_t{1} << 20;
// The process itself: the module, the libraries, the codecs' tables.
constexpr int64_t kProcess = 48 * kMiB;
// Reading TIFF and JPEG through libvips, beside the decoded page.
constexpr int64_t kVipsReader = 28 * kMiB;
constexpr Cost kVipsReaderPerPixel{0, 0.2};

constexpr Cost kDecodedPage{1.0, 0};
// The page kept as read, for flats, gap closing and layered files.
constexpr Cost kKeptPage{1.0, 0};
// Beside those two, the largest of the steps, which never peak together:
// the regions' bits and runs;
constexpr Cost kFlats{0, 0.3};
// the neighbour graph, the nearest-region map under the lines and each
// region's new colour, with the flats (the dense 67 MP page peaked at 584 MB
// in RGB, 303 MB in grey and 717 MB in CMYK; the sums lie 6 to 12 % above);
constexpr Cost kDistinct{0.2, 1.8};
// the gap search's maps and strokes;
constexpr Cost kGaps{0, 5.0};
// OpenRaster's layers compressed and held until the zip is written.
constexpr Cost kOraLayers{0.2, 0.5};
// A layered file's ink: the transparency that laying it over paper took
// away, a byte a pixel, kept from the read to the write (the colours of
// partly transparent pixels, a few of them, ride on the margin).
constexpr Cost kInkRecord{0, 1.0};
// Hints: the regions' runs found beside the filter's scan and their hint
// counts, held with the flats (the dense 67 MP page peaks at 2.61 times its
// decoded page with hints, 2.25 without).
constexpr Cost kHints{0, 1.1};

}  // namespace

int64_t PeakBytes(const io::ImageHeader& header, const std::string& input, const std::string& output,
                  const RunSettings& settings) {
  const double pixels = static_cast<double>(header.geometry.width) * static_cast<double>(header.geometry.height);
  const double pageBytes = pixels * header.geometry.planes;
  const auto bytes = [&](const Cost& cost) { return cost.perPageByte * pageBytes + cost.perPixel * pixels; };

  const bool layered = io::IsLayeredOutput(output);
  const bool flats = layered || settings.flats != FlatsOutput::kNone;
  double total = static_cast<double>(kProcess) + bytes(kDecodedPage);
  const std::optional<io::FileFormat> format = io::FormatOf(input);
  if (format == io::FileFormat::kTiff || format == io::FileFormat::kJpeg)
    total += static_cast<double>(kVipsReader) + bytes(kVipsReaderPerPixel);
  if (flats || settings.closeGaps.amount > 0) total += bytes(kKeptPage);
  if (layered && header.hasTransparency) total += bytes(kInkRecord);
  double steps = 0;
  if (flats) steps = bytes(settings.distinct ? kDistinct : kFlats);
  if (flats && !settings.hints.empty()) steps += bytes(kHints);
  if (settings.closeGaps.amount > 0) steps = std::max(steps, bytes(kGaps));
  if (io::FormatOf(output) == io::FileFormat::kOra) steps = std::max(steps, bytes(kOraLayers));
  return static_cast<int64_t>(total + steps);
}

}  // namespace tessel::pipeline
