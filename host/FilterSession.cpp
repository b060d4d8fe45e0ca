#include "host/FilterSession.h"

#include <cstdlib>

namespace tessel::host {

std::string FailureText(int16_t result) {
  return "the filter did not run through (result " + std::to_string(result) + ")";
}

void SeedPaintColors() { std::srand(1); }

std::string FilterSession::ParameterBlock() const {
  const Handle block = mHost.filterRecord().parameters;
  return block ? mHost.handles().Bytes(block) : std::string();
}

void FilterSession::RestoreParameterBlock(const std::string& bytes) {
  FilterRecord& record = mHost.filterRecord();
  if (record.parameters) mHost.handles().Dispose(record.parameters);
  record.parameters = bytes.empty() ? nullptr : mHost.handles().FromBytes(bytes);
}

RunReport FilterSession::Run(const RunRequest& request) {
  if (!request.image) throw SessionError("no image to filter");
  if (!mHost.SetPresetsFolder(request.presetsFolder))
    throw SessionError("the presets folder \"" + request.presetsFolder + "\" cannot be named to the filter");
  mHost.SetImage(*request.image, request.imageMode, request.layer);

  FilterRecord& record = mHost.filterRecord();
  if (request.replay)
    mHost.descriptors().SetReplay(*request.replay, request.showDialog ? plugInDialogDisplay : plugInDialogDontDisplay);
  const bool withParameters = request.showDialog || (!request.replay && !record.parameters);

  const size_t firstCall = mHost.calls().size();
  RunReport report;
  report.result = mHost.Run(withParameters);
  report.calls.assign(mHost.calls().begin() + static_cast<std::ptrdiff_t>(firstCall), mHost.calls().end());
  // Filed away as the editor files a recorded step: the next run starts clean.
  report.recorded = mHost.descriptors().TakeRecorded();
  return report;
}

}  // namespace tessel::host
