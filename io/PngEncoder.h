// PNG files made in memory row by row, for files packed inside others
// (OpenRaster's layers), so no image need be held whole to be encoded.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace tessel::io {

// Flat colours compress well at any level: zlib level 2 writes a 67 MP page
// in well under half the time of the default 6, the file about a third
// larger. Row filters only cost time on flats.
constexpr int kPngCompression = 2;

// Fills `row` with image row `y`: `width * channels` bytes, interleaved.
using PngRowSource = std::function<void(int64_t y, uint8_t* row)>;

// A file's bytes in pieces of at most a megabyte, so that a growing file is
// never copied whole nor held with room to spare.
using ChunkedBytes = std::vector<std::vector<uint8_t>>;

// An 8-bit PNG of 1 (grey), 2 (grey, alpha), 3 (RGB) or 4 (RGBA) channels.
// Throws std::runtime_error when libpng refuses.
ChunkedBytes EncodePng(int64_t width, int64_t height, int channels, const PngRowSource& rows);

}  // namespace tessel::io
