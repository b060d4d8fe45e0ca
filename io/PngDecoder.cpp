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

// Each row into `target(y)`, then handed to `done(y)`.
template <typename Target, typename Done>
bool DecodeRows(spng_ctx* context, const Output& output, int64_t width, const Target& target, const Done& done) {
  const auto rowBytes = static_cast<size_t>(width * output.channels);
  std::vector<uint16_t> wide(output.sixteenBits ? rowBytes : 0);
  for (;;) {
    spng_row_info row{};
    int result = spng_get_row_info(context, &row);
    if (result == SPNG_EOI) return true;
    if (result != 0) return false;
    uint8_t* into = target(row.row_num);
    if (!output.sixteenBits) {
      result = spng_decode_row(context, into, rowBytes);
    } else {
      result = spng_decode_row(context, wide.data(), wide.size() * sizeof(uint16_t));
      for (size_t i = 0; i < rowBytes; ++i) into[i] = static_cast<uint8_t>(wide[i] >> 8);
    }
    if (result != 0 && result != SPNG_EOI) return false;
    done(row.row_num);
    if (result == SPNG_EOI) return true;
  }
}

// The decoder and where it has read to, which it points at: set up in place.
struct Decoder {
  explicit Decoder(int descriptor) : context(spng_ctx_new(SPNG_CTX_IGNORE_ADLER32)), reading{descriptor, 0} {}
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;

  std::unique_ptr<spng_ctx, ContextFree> context;
  Reading reading;
  Output output;
  bool interlaced = false;
};

// Sets `decoder` to give rows of `geometry` (interleaved, without row
// padding), with `overPaper` rows of one more channel, to be laid over paper
// into it; false when the file is damaged, or of a form whose channels would
// not match or that is left to libvips (interlaced, 16-bit or over paper).
bool Start(Decoder& decoder, const base::ImageGeometry& geometry, bool overPaper) {
  spng_ctx* context = decoder.context.get();
  // The zlib stream's own checksum is left unchecked: every chunk's CRC still
  // is, and it covers the same bytes; skipping it shortens the read by a pass.
  if (!context || spng_set_png_stream(context, ReadOn, &decoder.reading) != 0) return false;
  spng_ihdr header{};
  if (spng_get_ihdr(context, &header) != 0) return false;
  spng_trns key{};
  const bool transparencyKey = spng_get_trns(context, &key) == 0;
  decoder.output = OutputFor(header, transparencyKey);
  decoder.interlaced = header.interlace_method != SPNG_INTERLACE_NONE;
  // Rows of an interlaced image arrive a pass at a time: a 16-bit one would
  // need the whole wide page to be reduced, one over paper the whole ink.
  if ((decoder.output.sixteenBits || overPaper) && decoder.interlaced) return false;
  if (decoder.output.channels != geometry.planes + (overPaper ? 1 : 0) || header.width != geometry.width ||
      header.height != geometry.height || geometry.rowPadding != 0 ||
      (geometry.layout != base::PlaneLayout::Interleaved && geometry.planes > 1))
    return false;
  return spng_decode_image(context, nullptr, 0, decoder.output.format,
                           decoder.output.flags | SPNG_DECODE_PROGRESSIVE) == 0;
}

}  // namespace

bool DecodePng(int descriptor, base::ImageBuffer& pixels, bool overPaper) {
  Decoder decoder(descriptor);
  if (!Start(decoder, pixels.geometry(), overPaper)) return false;
  spng_ctx* context = decoder.context.get();
  // Over paper, each row is decoded into `ink`, in cache, and laid into the page.
  std::vector<uint8_t> ink(overPaper ? static_cast<size_t>(pixels.width() * decoder.output.channels) : 0);
  const auto lay = [&](int64_t y) {
    if (overPaper)
      base::RowOverPaper(ink.data(), &pixels.at(0, y, 0), pixels.width(), decoder.output.channels - 1,
                         base::Coverage::kDropped);
  };
  // Reading on to the end verifies the CRC of the chunks the rows came from.
  return DecodeRows(
             context, decoder.output, pixels.width(),
             [&](int64_t y) { return overPaper ? ink.data() : &pixels.at(0, y, 0); }, lay) &&
         spng_decode_chunks(context) == 0;
}

PngRows DecodePngRows(int descriptor, const base::ImageGeometry& geometry, const DecodedRow& row) {
  Decoder decoder(descriptor);
  if (!Start(decoder, geometry, false) || decoder.interlaced) return PngRows::kLeft;
  spng_ctx* context = decoder.context.get();
  std::vector<uint8_t> scratch(static_cast<size_t>(geometry.width * geometry.planes));
  const bool decoded = DecodeRows(
      context, decoder.output, geometry.width, [&](int64_t) { return scratch.data(); },
      [&](int64_t y) { row(y, scratch.data()); });
  return decoded && spng_decode_chunks(context) == 0 ? PngRows::kDone : PngRows::kFailed;
}

bool PngStatesResolution(int descriptor) {
  Reading reading{descriptor, 0};
  const std::unique_ptr<spng_ctx, ContextFree> context(spng_ctx_new(0));
  if (!context || spng_set_png_stream(context.get(), ReadOn, &reading) != 0) return false;
  spng_phys phys{};
  return spng_get_phys(context.get(), &phys) == 0 && phys.unit_specifier == 1 && phys.ppu_x > 0;
}

}  // namespace tessel::io
