#include "pipeline/PageHints.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <unordered_map>

#include "io/FileFormats.h"
#include "io/PageFile.h"

namespace tessel::pipeline {

namespace {

namespace fs = std::filesystem;

// Builds the hints row by row from interleaved pixels of one image.
class HintRows {
 public:
  HintRows(int64_t width, int64_t height, int16_t imageMode, int planes, bool hasTransparency)
      : mPlanes(planes), mColourPlanes(std::min(4, planes - (hasTransparency ? 1 : 0))),
        mTransparency(hasTransparency) {
    mHints.runs.width = width;
    mHints.runs.height = height;
    mHints.imageMode = imageMode;
    const std::vector<uint8_t> white = PaperWhite(imageMode, mColourPlanes);
    std::copy(white.begin(), white.end(), mWhite.begin());
  }

  void Add(int64_t y, const uint8_t* row) {
    mRow.clear();
    const int64_t width = mHints.runs.width;
    for (int64_t x = 0; x < width; ++x) {
      if (mTransparency && mPlanes == 4) x = NextOpaque(row, x, width);
      if (x == width) break;
      const uint8_t* pixel = row + x * mPlanes;
      if (mTransparency ? pixel[mPlanes - 1] < 128 : std::equal(pixel, pixel + mColourPlanes, mWhite.begin()))
        continue;
      const int32_t colour = ColourOf(pixel);
      if (!mRow.empty() && mRow.back().end == x && mRow.back().colour == colour) ++mRow.back().end;
      else mRow.push_back({static_cast<int32_t>(x), static_cast<int32_t>(x + 1), colour});
    }
    mHints.runs.SetRow(y, mRow.data(), mRow.size());
  }

  Hints Take() { return std::move(mHints); }

 private:
  // The first pixel from `x` on, in a row of colour with transparency, that
  // is at least half opaque (its alpha's top bit set), or the width: dabs
  // leave most of a row clear, and eight pixels are looked at a time.
  static int64_t NextOpaque(const uint8_t* row, int64_t x, int64_t width) {
    constexpr uint8_t kTops[8] = {0, 0, 0, 0x80, 0, 0, 0, 0x80};  // two pixels' alpha bytes
    uint64_t alphaTops = 0;
    std::memcpy(&alphaTops, kTops, sizeof alphaTops);
    for (; x + 8 <= width; x += 8) {
      uint64_t words[4];
      std::memcpy(words, row + x * 4, sizeof words);
      if (((words[0] | words[1] | words[2] | words[3]) & alphaTops) != 0) break;
    }
    while (x < width && row[x * 4 + 3] < 128) ++x;
    return x;
  }

  // Strokes are mostly of one colour: the last one is tried first.
  int32_t ColourOf(const uint8_t* pixel) {
    PaintBytes colour{};
    std::copy(pixel, pixel + mColourPlanes, colour.begin());
    uint32_t key = 0;
    std::memcpy(&key, colour.data(), sizeof key);
    if (key == mLastKey && mLast >= 0) return mLast;
    const auto [found, added] = mIndex.try_emplace(key, static_cast<int32_t>(mHints.colours.size()));
    if (added) mHints.colours.push_back(colour);
    mLastKey = key;
    return mLast = found->second;
  }

  int mPlanes, mColourPlanes;
  bool mTransparency;
  PaintBytes mWhite{};
  Hints mHints;
  std::vector<flats::HintRuns::Run> mRow;
  std::unordered_map<uint32_t, int32_t> mIndex;
  uint32_t mLastKey = 0;
  int32_t mLast = -1;
};

[[noreturn]] void Refuse(const std::string& path, const std::string& reason) { throw HintsError(path + ": " + reason); }

void RequireSize(const std::string& path, const base::ImageGeometry& hints, int64_t width, int64_t height) {
  if (hints.width != width || hints.height != height)
    Refuse(path, "the hints are " + std::to_string(hints.width) + " x " + std::to_string(hints.height) +
                     " pixels and the page " + std::to_string(width) + " x " + std::to_string(height) +
                     "; hints must be the page's size");
}

}  // namespace

Hints HintsOf(const io::ImageFile& image) {
  const base::ImageBuffer& pixels = image.pixels;
  HintRows rows(pixels.width(), pixels.height(), image.imageMode, pixels.planes(), image.hasTransparency);
  std::vector<uint8_t> row(static_cast<size_t>(pixels.width() * pixels.planes()));
  for (int64_t y = 0; y < pixels.height(); ++y) {
    for (int64_t x = 0; x < pixels.width(); ++x)
      for (int p = 0; p < pixels.planes(); ++p) row[static_cast<size_t>(x * pixels.planes() + p)] = pixels.at(x, y, p);
    rows.Add(y, row.data());
  }
  return rows.Take();
}

void CheckHintsFile(const std::string& path, int64_t width, int64_t height) {
  try {
    RequireSize(path, io::PageFile(path).header().geometry, width, height);
  } catch (const io::ImageFileError& e) {
    throw HintsError(e.what());
  }
}

Hints ReadHints(const std::string& path, int64_t width, int64_t height) {
  try {
    io::PageFile file(path);
    const io::ImageHeader& header = file.header();
    RequireSize(path, header.geometry, width, height);
    HintRows rows(width, height, header.imageMode, header.geometry.planes, header.hasTransparency);
    file.LoadRows([&](int64_t y, const uint8_t* row) { rows.Add(y, row); });
    return rows.Take();
  } catch (const io::ImageFileError& e) {
    throw HintsError(e.what());
  }
}

std::string HintsFileFor(const std::string& hints, const std::string& page) {
  std::error_code error;
  if (!fs::is_directory(hints, error)) {
    if (!fs::exists(hints, error)) Refuse(hints, "no such hints file or folder");
    return hints;
  }
  const std::string name = fs::path(page).stem().string();
  std::string found;
  for (fs::directory_iterator entry(hints, error), end; !error && entry != end; entry.increment(error)) {
    const fs::path& path = entry->path();
    if (path.stem().string() != name || !io::IsImageFileName(path.string()) || io::IsLayeredOutput(path.string()))
      continue;
    if (!found.empty()) Refuse(hints, "holds two hints files for " + page + ", " + found + " and " + path.string());
    found = path.string();
  }
  if (error) Refuse(hints, "cannot be read (" + error.message() + ")");
  return found;
}

void ConvertHints(Hints& hints, int16_t pageMode) {
  if (hints.imageMode == pageMode) return;
  host::ColorTransforms transforms;
  PaintRules rules(pageMode, 4, ParametersOf(base::Descriptor()), transforms);
  std::vector<PaintBytes> converted;
  std::map<PaintBytes, int32_t> index;
  std::vector<int32_t> merged;
  for (const PaintBytes& colour : hints.colours) {
    const std::optional<PaintBytes> inPage = rules.FromPixel(hints.imageMode, colour);
    if (!inPage) {
      std::string bytes;
      for (const uint8_t b : colour) bytes += (bytes.empty() ? "" : " ") + std::to_string(b);
      throw HintsError("the hint colour (" + bytes + ") cannot be converted into the page's colour mode");
    }
    const auto [found, added] = index.try_emplace(*inPage, static_cast<int32_t>(converted.size()));
    if (added) converted.push_back(*inPage);
    merged.push_back(found->second);
  }
  for (flats::HintRuns::Run& run : hints.runs.runs) run.colour = merged[static_cast<size_t>(run.colour)];
  hints.colours = std::move(converted);
  hints.imageMode = pageMode;
}

io::HintsRows HintsLayer(const Hints& hints, int colourPlanes) {
  return [&hints, colourPlanes](int64_t y, uint8_t* row) {
    const int planes = colourPlanes + 1;
    std::fill(row, row + hints.runs.width * planes, uint8_t{0});
    const flats::HintRuns& runs = hints.runs;
    for (size_t i = runs.rowStart[static_cast<size_t>(y)]; i < runs.rowStart[static_cast<size_t>(y) + 1]; ++i) {
      const PaintBytes& colour = hints.colours[static_cast<size_t>(runs.runs[i].colour)];
      for (int64_t x = runs.runs[i].begin; x < runs.runs[i].end; ++x) {
        std::copy(colour.begin(), colour.begin() + colourPlanes, row + x * planes);
        row[x * planes + colourPlanes] = 255;
      }
    }
  };
}

PendingHints::PendingHints(const std::string& path, int64_t width, int64_t height)
    : mReading(std::async(std::launch::async, ReadHints, path, width, height)) {}

PendingHints::~PendingHints() {
  if (mReading.valid()) mReading.wait();
}

Hints& PendingHints::Get() {
  if (!mHints) mHints = mReading.get();
  return *mHints;
}

namespace {

std::string Counted(int64_t count, const std::string& thing) {
  return std::to_string(count) + " " + thing + (count == 1 ? "" : "s");
}

}  // namespace

std::string DescribeHints(const HintsSummary& s) {
  return Counted(s.hinted, "region") + " hinted, " + Counted(s.colours, "hint colour") + " used, " +
         Counted(s.unhinted, "region") + " left unhinted";
}

}  // namespace tessel::pipeline
