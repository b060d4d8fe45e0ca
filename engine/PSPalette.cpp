#include "engine/PSPalette.h"

#include <fstream>

namespace {

constexpr uint16_t kNewestSwatchVersion = 2;

uint16_t FromBigEndian(uint16_t stored) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(&stored);
  return static_cast<uint16_t>(bytes[0] << 8 | bytes[1]);
}

bool ReadBigEndian(std::istream& in, uint16_t& value) {
  uint16_t stored = 0;
  if (!in.read(reinterpret_cast<char*>(&stored), sizeof stored)) return false;
  value = FromBigEndian(stored);
  return true;
}

}  // namespace

std::istream& operator>>(std::istream& in, CPSPaletteColor& color) {
  in.read(reinterpret_cast<char*>(&color.colorSpace), sizeof color.colorSpace);
  in.read(reinterpret_cast<char*>(color.components), sizeof color.components);
  return in;
}

CPSPalette::CPSPalette(const char* path) {
  // A swatch file is optional decoration: any fault leaves fewer colours.
  try {
    std::ifstream file;
    if (path) file.open(path, std::ios::in | std::ios::binary);
    uint16_t version = 0;
    uint16_t count = 0;
    if (file && ReadBigEndian(file, version) && version <= kNewestSwatchVersion && ReadBigEndian(file, count)) {
      // Only the first section is read; whatever follows it does not matter.
      for (uint16_t i = 0; i < count; ++i) {
        CPSPaletteColor color;
        if (!(file >> color)) break;
        color.colorSpace = FromBigEndian(color.colorSpace);
        for (uint16_t& component : color.components) component = FromBigEndian(component);
        mColors.push_back(color);
      }
    }
  } catch (...) {
    // Exhausted memory: keep the colours read so far.
  }
  mCursor = 0;
}

void CPSPalette::GetNextColor(CPSPaletteColor& color) {
  if (mColors.empty()) return;
  if (mCursor >= mColors.size()) mCursor = 0;
  color = mColors[mCursor++];
}

void CPSPalette::PurgeColor(CPSPaletteColor&) { mCursor = mColors.size(); }
