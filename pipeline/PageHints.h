// Colour hints in a page run: an image of the page's size, usually dabs and
// strokes over transparency, read into runs of its hint pixels
// (flats/RegionHints.h), from a file beside the page's own reading or from
// pixels a caller holds. A hint pixel has transparency of at most half, or,
// in an image without transparency, is not white.
#pragma once

#include <cstdint>
#include <future>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "flats/RegionHints.h"
#include "io/ImageFile.h"
#include "io/LayeredPage.h"
#include "pipeline/PaintRules.h"

namespace tessel::pipeline {

// Hints that cannot be used for a page; the message names the file.
class HintsError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Hints {
  flats::HintRuns runs;
  int16_t imageMode = plugInModeRGBColor;  // the mode `colours` are in
  std::vector<PaintBytes> colours;         // by the runs' colour index; planes past the mode's are 0
  bool empty() const { return runs.runs.empty(); }
};

// The hints `image` holds, read from its pixels.
Hints HintsOf(const io::ImageFile& image);

// The hints in the file `path`, read a row at a time: a page of runs, never
// a page of pixels. Throws HintsError when the file cannot be read or is not
// `width` x `height` pixels.
Hints ReadHints(const std::string& path, int64_t width, int64_t height);

// Throws HintsError, naming it, unless the file `path` can be opened as an
// image of `width` x `height` pixels; its pixels are not read.
void CheckHintsFile(const std::string& path, int64_t width, int64_t height);

// The hints file of the page `page` when `hints` (as --hints names it) is a
// folder: the file there of the page's name with any page extension, empty
// when there is none; else `hints` itself. Throws HintsError when `hints`
// names nothing, or the folder holds two files for the page.
std::string HintsFileFor(const std::string& hints, const std::string& page);

// Each hint colour in the page's mode as the host's colour services convert
// it (as the filter's swatches are converted), hint colours that convert
// alike made one; nothing to do in the page's mode already. Throws
// HintsError for a colour that cannot be converted.
void ConvertHints(Hints& hints, int16_t pageMode);

// The hints as a layer of a layered file (io/LayeredPage.h): each hint
// pixel in its colour's first `colourPlanes` planes, opaque, the rest clear.
io::HintsRows HintsLayer(const Hints& hints, int colourPlanes);

// A page's hints on their way: ready, or read from a file on a thread of
// their own while the page is read and filtered.
class PendingHints {
 public:
  explicit PendingHints(Hints hints) : mHints(std::move(hints)) {}
  // Starts reading `path` as ReadHints does.
  PendingHints(const std::string& path, int64_t width, int64_t height);
  ~PendingHints();  // waits for the reading, whose outcome no one wants then
  PendingHints(const PendingHints&) = delete;
  PendingHints& operator=(const PendingHints&) = delete;

  // The hints, once read. Throws HintsError as ReadHints.
  Hints& Get();

 private:
  std::future<Hints> mReading;
  std::optional<Hints> mHints;
};

// What the hints did to a page.
struct HintsSummary {
  int64_t hinted = 0;    // regions that took a hint colour
  int64_t colours = 0;   // hint colours they show
  int64_t unhinted = 0;  // regions without hint pixels
};

// One line for the user.
std::string DescribeHints(const HintsSummary& summary);

}  // namespace tessel::pipeline
