#include "plugin/Tessel.h"

#include "engine/PSPalette.h"

CTessel* sTesselFilter = nullptr;

// Every member starts defined, so nothing a run reads before setting it (the
// fourth paint byte in CMYK, say) depends on leftover heap contents.
CTessel::CTessel()
    : mAreaCount(0),
      mMinX(0),
      mMinY(0),
      mMaxX(0),
      mMaxY(0),
      mPlanes(3),
      mFillLow{},
      mFillHigh{},
      mPaintColor{},
      mPalette(nullptr),
      mPaintAA(false) {
  mName = "Tessel";
  sTesselFilter = this;
}

CTessel::~CTessel() { delete mPalette; }

CPSFilter* CreateFilterPlugin() { return new CTessel; }
