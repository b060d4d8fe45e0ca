// Swatch files: any bytes give the whole records of the first section, no
// more than the file holds or its count promises, and a cycle over them.
#include <algorithm>

#include "engine/PSPalette.h"
#include "tests/fuzz/FuzzSupport.h"

using tessel::fuzz::BigEndian16;
using tessel::fuzz::Require;

namespace {

constexpr size_t kHeaderBytes = 4;
constexpr size_t kRecordBytes = 10;

size_t ExpectedColours(const uint8_t* data, size_t size) {
  if (size < kHeaderBytes || BigEndian16(data) > 2) return 0;
  return std::min<size_t>(BigEndian16(data + 2), (size - kHeaderBytes) / kRecordBytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const tessel::fuzz::ScratchFolder folder;
  const std::string path = folder.Write("swatches.aco", data, size);
  CPSPalette palette(path.c_str());

  const size_t expected = ExpectedColours(data, size);
  Require(palette.mColors.size() == expected, "one colour per whole record the count promises");
  for (size_t i = 0; i < expected; ++i) {
    const uint8_t* record = data + kHeaderBytes + i * kRecordBytes;
    const CPSPaletteColor& colour = palette.mColors[i];
    Require(colour.colorSpace == BigEndian16(record), "the colour space is held in host order");
    for (size_t k = 0; k < 4; ++k)
      Require(colour.components[k] == BigEndian16(record + 2 + 2 * k), "components are held in host order");
  }

  // The cycle comes back to the first colour after the last.
  CPSPaletteColor colour;
  colour.colorSpace = 0xBEEF;
  for (size_t i = 0; i <= expected; ++i) palette.GetNextColor(colour);
  Require(expected ? colour.colorSpace == palette.mColors[0].colorSpace : colour.colorSpace == 0xBEEF,
          "the cycle restarts at the first colour; an empty palette leaves the colour alone");
  return 0;
}
