#include "io/PsdFile.h"

#include <chrono>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <vector>

#include "base/Stopwatch.h"
#include "base/Multiply.h"
#include "io/WrittenFile.h"

namespace tessel::io {

namespace {

// PackBits, as PSD compresses each row: a header byte n, then n + 1 literal
// bytes (n < 128), or one byte repeated 257 - n times.
void PackBits(const uint8_t* in, size_t count, std::vector<uint8_t>& out) {
  size_t i = 0;
  while (i < count) {
    size_t run = 1;
    while (i + run < count && run < 128 && in[i + run] == in[i]) ++run;
    if (run > 1) {
      out.push_back(static_cast<uint8_t>(257 - run));
      out.push_back(in[i]);
      i += run;
      continue;
    }
    const size_t start = i;
    while (i < count && i - start < 128 && !(i + 1 < count && in[i] == in[i + 1])) ++i;
    out.push_back(static_cast<uint8_t>(i - start - 1));
    out.insert(out.end(), in + start, in + i);
  }
}

// Big-endian output with patching of lengths known only once their data is
// written.
class PsdStream {
 public:
  explicit PsdStream(const std::string& path) : mFile(path) {}

  void Bytes(const void* data, size_t count) { mFile.Bytes(data, count); }
  void Text(const char* text) { Bytes(text, std::strlen(text)); }
  void U8(unsigned value) { Put(value, 1); }
  void U16(unsigned value) { Put(value, 2); }
  void U32(uint64_t value) {
    if (value > std::numeric_limits<uint32_t>::max())
      throw ImageFileError(mFile.path() + ": the page is too large for a PSD file's sections");
    Put(value, 4);
  }
  int64_t Tell() { return mFile.Tell(); }
  // Writes `value` at `position`, then carries on at the end.
  void U32At(int64_t position, uint64_t value) {
    mFile.Seek(position);
    U32(value);
    mFile.Seek(-1);
  }
  void U16sAt(int64_t position, const std::vector<uint16_t>& values) {
    mFile.Seek(position);
    for (uint16_t value : values) U16(value);
    mFile.Seek(-1);
  }
  void Close() { mFile.Close(); }

 private:
  void Put(uint64_t value, int bytes) {
    uint8_t out[4];
    for (int i = 0; i < bytes; ++i) out[i] = static_cast<uint8_t>(value >> (8 * (bytes - 1 - i)));
    Bytes(out, static_cast<size_t>(bytes));
  }

  WrittenFile mFile;
};

// Channel ids: colour planes count from 0, transparency is -1.
int ChannelId(const LayeredPage& page, int plane) { return plane < page.colourPlanes() ? plane : 0xFFFF; }

unsigned ModeNumber(int16_t imageMode) {
  switch (imageMode) {
    case plugInModeGrayScale:
      return 1;
    case plugInModeCMYKColor:
      return 4;
    default:
      return 3;
  }
}

using PlaneRows = std::function<void(int64_t y, int plane, uint8_t* row)>;

// The rows of planes `planes`, one plane after another, as PackBits rows
// after a table of their sizes at `table`, which is patched once they are
// written. Returns the bytes written after the table.
uint64_t WriteRows(PsdStream& out, const LayeredPage& page, const PlaneRows& rows, const std::vector<int>& planes,
                   int64_t table) {
  std::vector<uint8_t> row(static_cast<size_t>(page.width())), packed;
  std::vector<uint16_t> sizes;
  sizes.reserve(planes.size() * static_cast<size_t>(page.height()));
  uint64_t total = 0;
  for (int plane : planes)
    for (int64_t y = 0; y < page.height(); ++y) {
      rows(y, plane, row.data());
      packed.clear();
      PackBits(row.data(), row.size(), packed);
      out.Bytes(packed.data(), packed.size());
      sizes.push_back(static_cast<uint16_t>(packed.size()));  // a side of at most 30,000 packs into 30,235
      total += packed.size();
    }
  out.U16sAt(table, sizes);
  return total;
}

void WriteLayerRecord(PsdStream& out, const LayeredPage& page, const char* name, const char* blendKey,
                      std::vector<int64_t>& channelLengths) {
  out.U32(0);
  out.U32(0);
  out.U32(static_cast<uint64_t>(page.height()));
  out.U32(static_cast<uint64_t>(page.width()));
  out.U16(static_cast<unsigned>(page.planes()));
  for (int p = 0; p < page.planes(); ++p) {
    out.U16(static_cast<unsigned>(ChannelId(page, p)));
    channelLengths.push_back(out.Tell());
    out.U32(0);
  }
  out.Text("8BIM");
  out.Text(blendKey);
  out.U8(255);  // opacity
  out.U8(0);    // clipping: base
  out.U8(0);    // flags: visible
  out.U8(0);
  // No mask, no blending ranges, the name as a Pascal string padded to 4.
  const size_t nameLength = std::strlen(name), padded = (nameLength + 1 + 3) / 4 * 4;
  out.U32(8 + padded);
  out.U32(0);
  out.U32(0);
  out.U8(static_cast<unsigned>(nameLength));
  out.Text(name);
  for (size_t i = nameLength + 1; i < padded; ++i) out.U8(0);
}

void WriteLayerChannels(PsdStream& out, const LayeredPage& page, Layer layer, const std::vector<int64_t>& lengths) {
  for (int p = 0; p < page.planes(); ++p) {
    out.U16(1);  // PackBits
    const int64_t table = out.Tell();
    for (int64_t y = 0; y < page.height(); ++y) out.U16(0);
    const uint64_t bytes = WriteRows(
        out, page, [&](int64_t y, int plane, uint8_t* row) { page.PlaneRow(layer, y, plane, row); }, {p}, table);
    out.U32At(lengths[static_cast<size_t>(p)], 2 + 2 * static_cast<uint64_t>(page.height()) + bytes);
  }
}

}  // namespace

void WritePsd(const LayeredPage& page, const std::string& path, LayeredTimings& timings) {
  PsdStream out(path);
  auto start = std::chrono::steady_clock::now();
  out.Text("8BPS");
  out.U16(1);
  for (int i = 0; i < 6; ++i) out.U8(0);
  out.U16(static_cast<unsigned>(page.planes()));
  out.U32(static_cast<uint64_t>(page.height()));
  out.U32(static_cast<uint64_t>(page.width()));
  out.U16(8);
  out.U16(ModeNumber(page.flats.imageMode));
  out.U32(0);  // no colour mode data
  out.U32(0);  // no image resources

  const int64_t layerAndMask = out.Tell();
  out.U32(0);
  const int64_t layerInfo = out.Tell();
  out.U32(0);
  // A negative count says the composite's extra channel is its transparency.
  out.U16(page.flats.hasTransparency ? 0x10000 - 2 : 2);
  // Bottom layer first.
  std::vector<int64_t> flatsLengths, linesLengths;
  WriteLayerRecord(out, page, "Flats", "norm", flatsLengths);
  WriteLayerRecord(out, page, "Lines", "mul ", linesLengths);
  WriteLayerChannels(out, page, Layer::kFlats, flatsLengths);
  WriteLayerChannels(out, page, Layer::kLines, linesLengths);
  if ((out.Tell() - layerInfo) % 2) out.U8(0);
  out.U32At(layerInfo, static_cast<uint64_t>(out.Tell() - layerInfo - 4));
  out.U32(0);  // no global layer mask
  out.U32At(layerAndMask, static_cast<uint64_t>(out.Tell() - layerAndMask - 4));
  timings.layers = base::SecondsSince(start);

  start = std::chrono::steady_clock::now();
  out.U16(1);  // PackBits
  const int64_t table = out.Tell();
  std::vector<int> planes;
  for (int p = 0; p < page.planes(); ++p) {
    planes.push_back(p);
    for (int64_t y = 0; y < page.height(); ++y) out.U16(0);
  }
  // Photoshop keeps a transparent composite matted against white, and
  // readers take it so: colour * alpha + white * (1 - alpha).
  std::vector<uint8_t> alpha(static_cast<size_t>(page.width()));
  const auto composite = [&](int64_t y, int plane, uint8_t* row) {
    page.PlaneRow(Layer::kComposite, y, plane, row);
    if (!page.flats.hasTransparency || plane >= page.colourPlanes()) return;
    page.PlaneRow(Layer::kComposite, y, page.planes() - 1, alpha.data());
    for (int64_t x = 0; x < page.width(); ++x) row[x] = base::OverPaper(row[x], alpha[x]);
  };
  WriteRows(out, page, composite, planes, table);
  out.Close();
  timings.composite = base::SecondsSince(start);
}

}  // namespace tessel::io
