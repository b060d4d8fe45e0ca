#include "engine/TesselParams.h"

#include "interface/ParamDeclarations.h"

CTesselParams::CTesselParams() : _STesselParams() { Reset(); }

void CTesselParams::Reset() { tessel::parameter::SetDefaults(*this); }

bool CTesselParams::IsValid() const { return signature == kTesselSignature && version == kTesselParamsVersion; }
