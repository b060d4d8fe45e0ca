#include "engine/PSPalette.h"

CPSPalette::CPSPalette(const char* path) {
  // A swatch file is optional decoration: any fault leaves fewer colours.
  try {
    SwatchFile::Read(path, [this](const SwatchRecord& record) { mColors.push_back(CPSPaletteColor{record}); });
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
