#include "io/PngDecoder.h"

#include <spng.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <vector>

#include "base/OverPaperRow.h"

namespace tessel::io {

namespace {

struct ContextFree {
  void operator()(spng_ctx* context) const { spng_ctx_free(context); }
};

// Where the decoder has read the file to.
struct Reading {
  int descriptor;
  off_t offset;
};

// Read at the decoder's own offset: the descriptor's is shared with libvips'
// duplicate of it.
int ReadOn(spng_ctx*, void* reading, void* destination, size_t length) {
  auto& at = *static_cast<Reading*>(reading);
  auto* bytes = static_cast<uint8_t*>(destination);
  while (length > 0) {
    const ssize_t got = pread(at.descriptor, bytes, length, at.offset);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return got == 0 ? SPNG_IO_EOF : SPNG_IO_ERROR;
    bytes += got;
    length -= static_cast<size_t>(got);
    at.offset += got;
  }
  return 0;
}

// What libspng is asked for: the format, its channels, 16 bits a sample.
struct Output {
  int format = 0;
  int flags = 0;
  int channels = 0;
  bool sixteenBits = false;
};

// The output with the channels libvips gives the file: palettes as RGB,
// transparency (an alpha channel or a tRNS key) as one more channel.
Output OutputFor(const spng_ihdr& header, bool transparencyKey) {
  const bool sixteen = header.bit_depth == 16;
  const int keyed = transparencyKey ? SPNG_DECODE_TRNS : 0;
  switch (header.color_type) {
    case SPNG_COLOR_TYPE_GRAYSCALE:
      if (transparencyKey) return {sixteen ? SPNG_FMT_GA16 : SPNG_FMT_GA8, keyed, 2, sixteen};
      return {sixteen ? SPNG_FMT_PNG : SPNG_FMT_G8, 0, 1, sixteen};
    case SPNG_COLOR_TYPE_GRAYSCALE_ALPHA:  // as stored: libspng converts only grey without alpha to GA
      return {SPNG_FMT_PNG, 0, 2, sixteen};
    case SPNG_COLOR_TYPE_TRUECOLOR:
      if (transparencyKey) return {sixteen ? SPNG_FMT_RGBA16 : SPNG_FMT_RGBA8, keyed, 4, sixteen};
      return {sixteen ? SPNG_FMT_PNG : SPNG_FMT_RGB8, 0, 3, sixteen};
    case SPNG_COLOR_TYPE_TRUECOLOR_ALPHA:
      return {sixteen ? SPNG_FMT_RGBA16 : SPNG_FMT_RGBA8, 0, 4, sixteen};
    default:  // indexed
      return {transparencyKey ? SPNG_FMT_RGBA8 : SPNG_FMT_RGB8, keyed, transparencyKey ? 4 : 3, false};
  }
}

bool DecodeRows(spng_ctx* context, const Output& output, bool overPaper, base::ImageBuffer& pixels) {
  const auto rowBytes = static_cast<size_t>(pixels.width() * output.channels);
  std::vector<uint16_t> wide(output.sixteenBits ? rowBytes : 0);
  // Over paper, each row is decoded here, in cache, and laid into the page.
  std::vector<uint8_t> ink(overPaper ? rowBytes : 0);
  for (;;) {
    spng_row_info row{};
    int result = spng_get_row_info(context, &row);
    if (result == SPNG_EOI) return true;
    if (result != 0) return false;
    uint8_t* const page = &pixels.at(0, row.row_num, 0);
    uint8_t* target = overPaper ? ink.data() : page;
    if (!output.sixteenBits) {
      result = spng_decode_row(context, target, rowBytes);
    } else {
      result = spng_decode_row(context, wide.data(), wide.size() * sizeof(uint16_t));
      for (size_t i = 0; i < rowBytes; ++i) target[i] = static_cast<uint8_t>(wide[i] >> 8);
    }
    if (overPaper && (result == 0 || result == SPNG_EOI))
      base::RowOverPaper(target, page, pixels.width(), output.channels - 1, base::Coverage::kDropped);
    if (result == SPNG_EOI) return true;
    if (result != 0) return false;
  }
}

}  // namespace

bool DecodePng(int descriptor, base::ImageBuffer& pixels, bool overPaper) {
  Reading reading{descriptor, 0};
  // The zlib stream's own checksum is left unchecked: every chunk's CRC still
  // is, and it covers the same bytes; skipping it shortens the read by a pass.
  const std::unique_ptr<spng_ctx, ContextFree> context(spng_ctx_new(SPNG_CTX_IGNORE_ADLER32));
  if (!context || spng_set_png_stream(context.get(), ReadOn, &reading) != 0) return false;
  spng_ihdr header{};
  if (spng_get_ihdr(context.get(), &header) != 0) return false;
  spng_trns key{};
  const bool transparencyKey = spng_get_trns(context.get(), &key) == 0;
  const Output output = OutputFor(header, transparencyKey);
  // Rows of an interlaced image arrive a pass at a time: a 16-bit one would
  // need the whole wide page to be reduced, one over paper the whole ink.
  if ((output.sixteenBits || overPaper) && header.interlace_method != SPNG_INTERLACE_NONE) return false;
  if (output.channels != pixels.planes() + (overPaper ? 1 : 0) || header.width != pixels.width() ||
      header.height != pixels.height() || pixels.columnBytes() != pixels.planes() ||
      pixels.rowBytes() != pixels.width() * pixels.planes())
    return false;
  if (spng_decode_image(context.get(), nullptr, 0, output.format, output.flags | SPNG_DECODE_PROGRESSIVE) != 0)
    return false;
  // Reading on to the end verifies the CRC of the chunks the rows came from.
  return DecodeRows(context.get(), output, overPaper, pixels) && spng_decode_chunks(context.get()) == 0;
}

bool PngStatesResolution(int descriptor) {
  Reading reading{descriptor, 0};
  const std::unique_ptr<spng_ctx, ContextFree> context(spng_ctx_new(0));
  if (!context || spng_set_png_stream(context.get(), ReadOn, &reading) != 0) return false;
  spng_phys phys{};
  return spng_get_phys(context.get(), &phys) == 0 && phys.unit_specifier == 1 && phys.ppu_x > 0;
}

}  // namespace tessel::io
