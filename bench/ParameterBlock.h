// The parameter block a benchmark's runs start from, and the filter's run
// with random colours that the flats benchmarks start from.
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "engine/TesselParams.h"
#include "host/FilterSession.h"

// Gives the session's host a parameter block holding `params`. Each run writes
// back the parameters it ran with, so the block stays the same from run to run.
inline void SetParameterBlock(tessel::host::FilterSession& session, const CTesselParams& params) {
  const _STesselParams& plain = params;
  session.host().filterRecord().parameters =
      session.host().handles().FromBytes(std::string(reinterpret_cast<const char*>(&plain), sizeof plain));
}

// Runs the filter with random colours on `result` (the page, painted in
// place), as the whole runs do: the parameters it recorded, or none when the
// run failed.
inline std::optional<tessel::base::Descriptor> PaintAtRandom(tessel::base::ImageBuffer& result) {
  tessel::host::PluginModule module(tessel::host::DefaultModulePath());
  tessel::host::FilterSession session(module);
  CTesselParams params;
  params.randomColors = 1;
  SetParameterBlock(session, params);
  tessel::host::RunRequest request;
  request.image = &result;
  request.replay = tessel::base::Descriptor();
  tessel::host::SeedPaintColors();
  tessel::host::RunReport report = session.Run(request);
  if (report.result != 0 || !report.recorded) return std::nullopt;
  return std::move(*report.recorded);
}
