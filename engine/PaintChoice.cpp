// The fill range, the paint-colour check and the choice of each region's colour.
#include <algorithm>
#include <cstdlib>

#include "engine/PSPalette.h"
#include "engine/PaintColor.h"
#include "engine/TesselFill.h"

namespace {

// Swatches tried per region before random colours take over.
constexpr int kPaletteTries = 9;
// Attempts the palette is counted as after all its tries failed.
constexpr int kAttemptsAfterPalette = 10;
constexpr int kAttemptBudget = 100;
constexpr uint8_t kNoBlackInk = 255;

// Random colour bytes alternate: a dark byte is followed by a light one and a
// light byte by a dark one; `shade` carries the previous byte over.
void DrawRandomColor(uint8_t (&color)[4], int& shade) {
  for (int k = 0; k < 3; ++k) {
    const int r = std::rand();
    color[k] = static_cast<uint8_t>(shade < 128 ? 63 + r % 192 : r % 192);
    shade = color[k];
  }
}

}  // namespace

void CTessel::SetFillColor(_t_ASRGBColor& color, unsigned int tolerance) {
  ConvertColor(color, mFillLow);
  const int64_t reach = tolerance;
  for (int k = 0; k < std::min<int>(mPlanes, 4); ++k) {
    const int64_t v = mFillLow[k];
    mFillHigh[k] = static_cast<uint8_t>(std::min<int64_t>(v + reach, 255));
    mFillLow[k] = static_cast<uint8_t>(std::max<int64_t>(v - reach, 0));
  }
}

bool CTessel::ValidatePaintColor(bool allowDark) {
  const FillTest test = CurrentFillTest(*this);
  if (test.Passes(mPaintColor, 1)) return false;
  return allowDark || !DarknessRule::IsTooDark(mPaintColor, test.planes, ImageMode(*this));
}

void CTessel::NextColor() {
  const FillTest test = CurrentFillTest(*this);
  const int16_t mode = ImageMode(*this);
  bool chosen = false;
  int attempts = 0;
  if (mPalette && !mPalette->IsEmpty()) {
    CPSPaletteColor swatch;
    for (int i = 0; i < kPaletteTries && !chosen; ++i) {
      mPalette->GetNextColor(swatch);
      ConvertColor(swatch, mPaintColor);
      chosen = CanPaint(test, mPaintColor, mode);
    }
    if (!chosen) {
      // One more swatch is taken, so the cycle moves on, but never kept.
      mPalette->GetNextColor(swatch);
      ConvertColor(swatch, mPaintColor);
      attempts = kAttemptsAfterPalette;
    }
  }
  if (!chosen) {
    int shade = std::rand() % 255;
    do {
      DrawRandomColor(mPaintColor, shade);
      chosen = CanPaint(test, mPaintColor, mode);
    } while (!chosen && ++attempts < kAttemptBudget);
  }
  // Out of luck (heavy tolerance): the nearest usable colour after the last
  // candidate, if there is any. A colour that passes the fill test must never
  // paint: that fill would not end.
  if (!chosen) FindPaintColor(test, mode, mPaintColor);
  mPaintColor[3] = kNoBlackInk;
}
