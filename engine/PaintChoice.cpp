// The fill range, the paint-colour check and the choice of each region's colour.
#include <cstdlib>

#include "engine/PSPalette.h"
#include "engine/PaintColor.h"
#include "engine/TesselFill.h"
#include "interface/RandomPaint.h"

namespace {

// Swatches tried per region before random colours take over.
constexpr int kPaletteTries = 9;
// Attempts the palette is counted as after all its tries failed.
constexpr int kAttemptsAfterPalette = 10;
constexpr int kAttemptBudget = 100;

}  // namespace

void CTessel::SetFillColor(_t_ASRGBColor& color, unsigned int tolerance) {
  ConvertColor(color, mFillLow);
  FillTest::SetRange(mFillLow, tolerance, mPlanes, mFillLow, mFillHigh);
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
    AlternatingColors randomColors([] { return std::rand(); });
    do {
      randomColors.Draw(mPaintColor);
      chosen = CanPaint(test, mPaintColor, mode);
    } while (!chosen && ++attempts < kAttemptBudget);
  }
  // Out of luck (heavy tolerance): the nearest usable colour after the last
  // candidate, if there is any. A colour that passes the fill test must never
  // paint: that fill would not end.
  if (!chosen) FindPaintColor(test, mode, mPaintColor);
  mPaintColor[3] = kNoBlackInk;
}
