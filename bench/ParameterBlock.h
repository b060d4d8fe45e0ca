// The parameter block a benchmark's runs start from.
#pragma once

#include <string>

#include "engine/TesselParams.h"
#include "host/FilterSession.h"

// Gives the session's host a parameter block holding `params`. Each run writes
// back the parameters it ran with, so the block stays the same from run to run.
inline void SetParameterBlock(tessel::host::FilterSession& session, const CTesselParams& params) {
  const _STesselParams& plain = params;
  session.host().filterRecord().parameters =
      session.host().handles().FromBytes(std::string(reinterpret_cast<const char*>(&plain), sizeof plain));
}
