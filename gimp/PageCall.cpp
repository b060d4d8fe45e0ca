#include "gimp/PageCall.h"

#include "host/FilterTexts.h"
#include "host/Presets.h"

namespace tessel::gimp {

PageCall ReplayCall(const ArgumentCall& arguments) {
  PageCall call;
  call.request.presetsFolder = host::DefaultPresetsFolder();
  call.request.replay = arguments.action;
  call.steps = arguments.steps;
  if (!arguments.palette.empty()) {
    const std::string problem = host::SwatchFileProblem(call.request.presetsFolder, arguments.palette);
    if (!problem.empty()) throw ArgumentError(problem);
  }
  return call;
}

PageCall DialogCall(bool showDialog) {
  PageCall call;
  call.request.presetsFolder = host::DefaultPresetsFolder();
  call.request.showDialog = showDialog;
  return call;
}

PageCallResult RunPageCall(const host::PluginModule& module, io::ImageFile& page, const PageCall& call) {
  host::FilterSession session(module);
  session.RestoreParameterBlock(call.parameterBlock);
  // As `tessel run` takes a file's embedded profile: one it cannot use leaves the built-in ones.
  if (!call.profile.empty()) session.host().colorServices().UseImageProfile(call.profile);
  session.host().progress().OnProgress(call.progress);
  PageCallResult result;
  pipeline::PageTimings unused;
  host::FilterTexts texts;
  const pipeline::PassResult pass = pipeline::RunPagePass(session, page, call.request, call.steps, unused);
  result.message = texts.Collect();

  const auto said = [&](const std::string& line) { result.message += (result.message.empty() ? "" : "\n") + line; };
  if (pass.report.result == userCanceledErr) {
    result.outcome = PageCallResult::Outcome::kCancelled;
  } else if (pass.report.result != noErr) {
    result.outcome = PageCallResult::Outcome::kFailed;
    if (result.message.empty()) said(host::FailureText(pass.report.result) + "; the image was left as it was");
  } else {
    result.outcome = PageCallResult::Outcome::kDone;
    if (pass.distinct) said("distinct flats: " + pipeline::DescribeDistinct(*pass.distinct));
    if (pass.inkLeftAsItWas) said(kInkLeftAsItWas);
  }
  result.recorded = pass.report.recorded;
  result.parameterBlock = session.ParameterBlock();
  return result;
}

}  // namespace tessel::gimp
