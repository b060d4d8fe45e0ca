#include "engine/TesselParams.h"

#include <cstring>

CTesselParams::CTesselParams() : _STesselParams() { Reset(); }

void CTesselParams::Reset() {
  signature = kTesselSignature;
  version = kTesselParamsVersion;
  reserved = 0;
  fillColor = {65535, 65535, 65535};
  std::memset(paletteName, 0, sizeof paletteName);
  tolerance = 0;
  reservedFlag = 0;
  randomColors = 0;
  measureByArea = 0;
  flagAreas = 0;
  flagColor = {65535, 0, 65535};
  flagSize = 20;
  joinAreas = 0;
  joinSize = 10;
  paintAntiAliased = 1;
}

bool CTesselParams::IsValid() const { return signature == kTesselSignature && version == kTesselParamsVersion; }
