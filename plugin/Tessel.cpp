#include "plugin/Tessel.h"

#include "engine/PSPalette.h"

CTessel* sTesselFilter = nullptr;

CTessel::CTessel() : mPalette(nullptr) {
  mName = "Tessel";
  sTesselFilter = this;
  mPlanes = 3;
}

CTessel::~CTessel() { delete mPalette; }

CPSFilter* CreateFilterPlugin() { return new CTessel; }
