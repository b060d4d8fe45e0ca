#include "io/BandedPng.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "io/ExifSize.h"
#include "io/FileFormats.h"
#include "io/PngEncoder.h"
#include "io/WrittenFile.h"

namespace tessel::io {

namespace {

// Rows compressed by one worker at a time: enough to keep the cores busy
// between hand-overs, small enough for a page to make many bands.
constexpr size_t kBandBytes = size_t{4} << 20;
// Deflate's window: what a band is primed with from the rows above it.
constexpr size_t kWindowBytes = 32768;
constexpr size_t kBatchBytes = size_t{256} << 10;
constexpr char kSignature[] = "\x89PNG\r\n\x1a\n";
constexpr size_t kSignatureBytes = 8;

uint32_t ReadBig(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
  return value;
}

void AppendBig(std::string& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(value >> shift & 0xff));
}

void WriteBig(std::string& out, size_t at, uint32_t value) {
  std::string big;
  AppendBig(big, value);
  out.replace(at, 4, big);
}

std::string Chunk(const char* type, const std::string& data) {
  std::string chunk;
  AppendBig(chunk, static_cast<uint32_t>(data.size()));
  chunk.append(type, 4).append(data);
  const uLong crc = crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(chunk.data() + 4), static_cast<uInt>(data.size() + 4));
  AppendBig(chunk, static_cast<uint32_t>(crc));
  return chunk;
}

// The chunks of libvips' file for the page, split where its image data lies;
// its header and its EXIF resized to the page.
struct ChunksAround {
  std::string before;  // signature and header included
  std::string after;   // to the end chunk
};

ChunksAround SplitAtImageData(const std::string& file, const ImageFile& image) {
  const auto damaged = [] { return ImageFileError("libvips wrote a PNG file this writer does not follow"); };
  if (file.compare(0, kSignatureBytes, kSignature, kSignatureBytes) != 0) throw damaged();
  ChunksAround around{file.substr(0, kSignatureBytes), {}};
  bool pastData = false;
  for (size_t at = kSignatureBytes; at < file.size();) {
    if (file.size() - at < 12) throw damaged();
    const uint32_t length = ReadBig(file, at);
    if (length > file.size() - at - 12) throw damaged();
    const std::string type = file.substr(at + 4, 4);
    if (type == "IHDR") {
      std::string header = file.substr(at + 8, length);
      // Eight bits, no interlacing: the rows this writer compresses.
      if (header.size() != 13 || header[8] != 8 || header[12] != 0) throw damaged();
      WriteBig(header, 0, static_cast<uint32_t>(image.pixels.width()));
      WriteBig(header, 4, static_cast<uint32_t>(image.pixels.height()));
      around.before += Chunk("IHDR", header);
    } else if (type == "eXIf") {
      const std::string exif = ExifWithSize(file.substr(at + 8, length), static_cast<uint32_t>(image.pixels.width()),
                                            static_cast<uint32_t>(image.pixels.height()));
      (pastData ? around.after : around.before) += Chunk("eXIf", exif);
    } else if (type == "IDAT") {
      pastData = true;
    } else {
      (pastData ? around.after : around.before) += file.substr(at, 12 + length);
    }
    at += 12 + length;
  }
  if (!pastData) throw damaged();
  return around;
}

struct Band {
  int64_t begin = 0, end = 0;  // rows
  std::string deflated;        // ends on a byte boundary; the last band's ends the stream
  uLong adler = 1;             // of the band's rows as filtered
  uLong filteredBytes = 0;
};

// Rows [begin, end) each after its filter byte (none), as deflate reads them.
class FilteredRows {
 public:
  explicit FilteredRows(const base::ImageBuffer& pixels)
      : mPixels(pixels), mRowBytes(static_cast<size_t>(pixels.width() * pixels.planes())) {}
  size_t rowBytes() const { return mRowBytes + 1; }
  // Appends row `y` to `out`.
  void Append(int64_t y, std::string& out) const {
    out.push_back(0);
    out.append(reinterpret_cast<const char*>(mPixels.data() + y * mPixels.rowBytes()), mRowBytes);
  }

 private:
  const base::ImageBuffer& mPixels;
  size_t mRowBytes;
};

void Deflate(z_stream& stream, const std::string& in, int flush, std::string& out) {
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
  stream.avail_in = static_cast<uInt>(in.size());
  char buffer[1 << 16];
  do {
    stream.next_out = reinterpret_cast<Bytef*>(buffer);
    stream.avail_out = sizeof buffer;
    if (deflate(&stream, flush) == Z_STREAM_ERROR) throw ImageFileError("zlib refused the image data");
    out.append(buffer, sizeof buffer - stream.avail_out);
  } while (stream.avail_out == 0 || stream.avail_in > 0);
}

void CompressBand(const FilteredRows& rows, Band& band, bool last) {
  z_stream stream{};
  if (deflateInit2(&stream, kPngCompression, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw std::bad_alloc();
  const std::unique_ptr<z_stream, int (*)(z_stream*)> ending(&stream, deflateEnd);
  std::string batch;
  if (band.begin > 0) {
    const auto above = static_cast<int64_t>((kWindowBytes + rows.rowBytes() - 1) / rows.rowBytes());
    for (int64_t y = std::max<int64_t>(0, band.begin - above); y < band.begin; ++y) rows.Append(y, batch);
    const size_t window = std::min(batch.size(), kWindowBytes);
    deflateSetDictionary(&stream, reinterpret_cast<const Bytef*>(batch.data() + batch.size() - window),
                         static_cast<uInt>(window));
    batch.clear();
  }
  for (int64_t y = band.begin; y < band.end; ++y) {
    rows.Append(y, batch);
    if (batch.size() < kBatchBytes && y + 1 < band.end) continue;
    band.adler = adler32(band.adler, reinterpret_cast<const Bytef*>(batch.data()), static_cast<uInt>(batch.size()));
    band.filteredBytes += batch.size();
    Deflate(stream, batch, y + 1 < band.end ? Z_NO_FLUSH : last ? Z_FINISH : Z_SYNC_FLUSH, band.deflated);
    batch.clear();
  }
}

// The zlib stream's header for the level its bands are compressed at.
std::string ZlibHeader() {
  const int levelFlags = kPngCompression < 2 ? 0 : kPngCompression < 6 ? 1 : kPngCompression == 6 ? 2 : 3;
  unsigned header = 0x78u << 8 | static_cast<unsigned>(levelFlags) << 6;
  header += 31 - header % 31;
  return {static_cast<char>(header >> 8), static_cast<char>(header & 0xff)};
}

}  // namespace

bool CanSavePngInBands(const ImageFile& image, const std::string& path) {
  const base::ImageBuffer& pixels = image.pixels;
  return FormatOf(path) == FileFormat::kPng &&
         (image.imageMode == plugInModeGrayScale || image.imageMode == plugInModeRGBColor) &&
         pixels.columnBytes() == pixels.planes() && pixels.rowBytes() == pixels.width() * pixels.planes();
}

void SavePngInBands(const ImageFile& image, const std::string& path, base::RowGate* gate) {
  CheckSavable(path, image.imageMode, image.hasTransparency);
  const ChunksAround around = SplitAtImageData(OnePixelPng(image), image);
  const FilteredRows rows(image.pixels);
  const auto bandRows = static_cast<int64_t>(std::max<size_t>(1, kBandBytes / rows.rowBytes()));
  std::vector<Band> bands;
  for (int64_t begin = 0; begin < image.pixels.height(); begin += bandRows)
    bands.push_back({begin, std::min(begin + bandRows, image.pixels.height()), {}, 1, 0});

  std::mutex mutex;
  std::condition_variable compressed;
  std::vector<bool> done(bands.size(), false);
  std::exception_ptr error;
  std::atomic<size_t> next{0};
  const auto work = [&] {
    for (size_t i; (i = next++) < bands.size();) {
      try {
        if (gate && !gate->AwaitRows(bands[i].end))
          throw ImageFileError(path + ": the page was given up before it was finished");
        CompressBand(rows, bands[i], i + 1 == bands.size());
      } catch (...) {
        const std::lock_guard<std::mutex> lock(mutex);
        if (!error) error = std::current_exception();
        next = bands.size();
      }
      const std::lock_guard<std::mutex> lock(mutex);
      done[i] = true;
      compressed.notify_all();
    }
  };
  std::vector<std::thread> workers;
  const auto joinAll = [&] {
    next = bands.size();
    for (std::thread& worker : workers) worker.join();
    workers.clear();
  };
  try {
    for (unsigned n = std::max(1u, std::thread::hardware_concurrency()); n > 0; --n) workers.emplace_back(work);
    WrittenFile file(path);
    file.Bytes(around.before);
    uLong adler = adler32(0, nullptr, 0);
    for (size_t i = 0; i < bands.size(); ++i) {
      {
        std::unique_lock<std::mutex> lock(mutex);
        compressed.wait(lock, [&] { return done[i] || error; });
        if (error) break;
      }
      Band& band = bands[i];
      adler = adler32_combine(adler, band.adler, static_cast<z_off_t>(band.filteredBytes));
      std::string data = i == 0 ? ZlibHeader() : std::string();
      data += band.deflated;
      if (i + 1 == bands.size()) AppendBig(data, static_cast<uint32_t>(adler));
      file.Bytes(Chunk("IDAT", data));
      std::string().swap(band.deflated);
    }
    joinAll();
    if (error) std::rethrow_exception(error);
    file.Bytes(around.after);
    file.Close();
  } catch (...) {
    joinAll();
    throw;
  }
}

}  // namespace tessel::io
