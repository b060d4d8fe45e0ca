#include "io/PngEncoder.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <stdexcept>

namespace tessel::io {

namespace {

constexpr size_t kChunkBytes = 1 << 20;

void Append(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<ChunkedBytes*>(png_get_io_ptr(png));
  while (length > 0) {
    if (out->empty() || out->back().size() == kChunkBytes) {
      out->emplace_back();
      out->back().reserve(kChunkBytes);
    }
    std::vector<uint8_t>& chunk = out->back();
    const size_t taken = std::min(length, kChunkBytes - chunk.size());
    chunk.insert(chunk.end(), data, data + taken);
    data += taken;
    length -= taken;
  }
}

void Flush(png_structp) {}

int ColourType(int channels) {
  switch (channels) {
    case 1:
      return PNG_COLOR_TYPE_GRAY;
    case 2:
      return PNG_COLOR_TYPE_GRAY_ALPHA;
    case 3:
      return PNG_COLOR_TYPE_RGB;
    default:
      return PNG_COLOR_TYPE_RGB_ALPHA;
  }
}

// libpng reports errors by longjmp: nothing between setjmp and the jump may
// need destroying, so every C++ object lives outside this function.
bool Encode(png_structp png, png_infop info, int64_t width, int64_t height, int channels, const PngRowSource& rows,
            std::vector<uint8_t>& row, ChunkedBytes& out) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_write_fn(png, &out, Append, Flush);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, ColourType(channels),
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, kPngCompression);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_write_info(png, info);
  for (int64_t y = 0; y < height; ++y) {
    rows(y, row.data());
    png_write_row(png, row.data());
  }
  png_write_end(png, info);
  return true;
}

}  // namespace

ChunkedBytes EncodePng(int64_t width, int64_t height, int channels, const PngRowSource& rows) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  std::vector<uint8_t> row(static_cast<size_t>(width * channels));
  ChunkedBytes out;
  const bool done = info && Encode(png, info, width, height, channels, rows, row, out);
  png_destroy_write_struct(&png, &info);
  if (!done) throw std::runtime_error("the PNG encoder failed");
  return out;
}

}  // namespace tessel::io
