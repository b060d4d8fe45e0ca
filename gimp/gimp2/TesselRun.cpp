#include "gimp/gimp2/TesselRun.h"

#include <cstdlib>
#include <exception>
#include <optional>
#include <string>

#include "gimp/LibGimp.h"
#include "gimp/PageCall.h"
#include "gimp/ProgressBar.h"
#include "gimp/gimp2/DrawablePixels.h"
#include "gimp/gimp2/HintsDialog.h"
#include "gimp/gimp2/Procedure.h"
#include "pipeline/PageHints.h"

namespace tessel::gimp {

namespace {

// GIMP names the plug-in before the message.
GimpPDBStatusType Fail(GimpPDBStatusType status, const std::string& message) {
  gimp_message(message.c_str());
  return status;
}

// GIMP's last-values store holds the parameter block between runs, as the
// editor holds it; both procedures share it.
const char* const kLastValues = kProcedures[0].name;

std::string LastValues() {
  const gint size = gimp_get_data_size(kLastValues);
  std::string block(size > 0 ? static_cast<size_t>(size) : 0, '\0');
  if (!block.empty()) gimp_get_data(kLastValues, block.data());
  return block;
}

void KeepLastValues(const std::string& block) {
  if (!block.empty()) gimp_set_data(kLastValues, block.data(), static_cast<guint32>(block.size()));
}

// The hints layer of the call: the argument's (the last), or interactively
// the one chosen, or with last values the layer "Hints"; nothing when the
// user cancels or there is none, `problem` then saying which.
std::optional<gint32> HintsLayer(const Procedure& procedure, GimpRunMode mode, const GimpParam* params, gint count,
                                 const DrawableArea& area, std::string& problem) {
  if (mode == GIMP_RUN_NONINTERACTIVE) return params[count - 1].data.d_drawable;
  if (mode == GIMP_RUN_INTERACTIVE) return ChooseHintsLayer(procedure, area.image, area.drawable);
  const gint32 layer = HintsLayerOf(area.image, area.drawable);
  if (layer >= 0) return layer;
  problem = std::string("the image has no layer named \"") + kHintsLayerName +
            "\" to take hints from; name one so, or run Tessel Flats with Hints interactively to choose one";
  return std::nullopt;
}

GimpPDBStatusType Run(GimpRunMode mode, const GimpParam* params, gint count, const Procedure& procedure) {
  PageCall call;
  if (mode == GIMP_RUN_NONINTERACTIVE) {
    const auto expected = static_cast<gint>(ProcedureArguments(procedure).size());
    if (count != expected)
      return Fail(GIMP_PDB_CALLING_ERROR, std::string(procedure.name) + " takes " + std::to_string(expected) +
                                              " arguments, not " + std::to_string(count));
    try {
      call = ReplayCall(CallFromParams(params));
    } catch (const ArgumentError& e) {
      return Fail(GIMP_PDB_CALLING_ERROR, e.what());
    }
    // A script is not to stop at a window: without a window system the
    // module gives its alerts as text, which go to GIMP's message area.
    unsetenv("DISPLAY");
  } else {
    call = DialogCall(mode == GIMP_RUN_INTERACTIVE);
  }
  call.steps.flats = procedure.flatsLayer ? pipeline::FlatsOutput::kFlatsOnly : pipeline::FlatsOutput::kNone;

  const host::PluginModule module(host::FindModulePath());
  const gint32 drawable = params[kDrawable].data.d_drawable;
  const std::optional<DrawableArea> area =
      SelectedArea(params[kImage].data.d_image, drawable, procedure.flatsLayer && gimp_drawable_has_alpha(drawable));
  if (!area) return Fail(GIMP_PDB_EXECUTION_ERROR, kOutsideSelection);
  if (procedure.flatsLayer && !gimp_item_is_layer(area->drawable))
    return Fail(GIMP_PDB_EXECUTION_ERROR, kFlatsNeedALayer);
  std::optional<pipeline::PendingHints> hints;
  if (procedure.hints) {
    std::string problem;
    const std::optional<gint32> layer = HintsLayer(procedure, mode, params, count, *area, problem);
    if (!layer) return problem.empty() ? GIMP_PDB_CANCEL : Fail(GIMP_PDB_EXECUTION_ERROR, problem);
    call.steps.hints = &hints.emplace(pipeline::HintsOf(ReadHintsOver(*area, *layer)));
  }
  io::ImageFile page{ReadPixels(*area), area->imageMode, area->alpha, {}};

  call.parameterBlock = LastValues();
  call.profile = ImageProfile(area->image);
  ProgressBar bar([] { gimp_progress_init("Tessel"); }, [](double done) { gimp_progress_update(done); });
  call.progress = bar.Drawable(0, 1);
  const PageCallResult result = RunPageCall(module, page, call);
  gimp_progress_end();

  if (!result.message.empty()) gimp_message(result.message.c_str());
  if (result.outcome == PageCallResult::Outcome::kCancelled) return GIMP_PDB_CANCEL;
  if (result.outcome == PageCallResult::Outcome::kFailed) return GIMP_PDB_EXECUTION_ERROR;
  if (procedure.flatsLayer) AddLayerBelow(*area, kFlatsLayerName, page.pixels);
  else WritePixels(*area, page.pixels);
  KeepLastValues(result.parameterBlock);
  if (mode != GIMP_RUN_NONINTERACTIVE) gimp_displays_flush();
  return GIMP_PDB_SUCCESS;
}

}  // namespace

GimpPDBStatusType RunTessel(GimpRunMode mode, const GimpParam* params, gint count, const Procedure& procedure) {
  // Errors are values here: no exception crosses into GIMP's C callback.
  try {
    return Run(mode, params, count, procedure);
  } catch (const std::exception& e) {
    return Fail(GIMP_PDB_EXECUTION_ERROR, e.what());
  }
}

}  // namespace tessel::gimp
