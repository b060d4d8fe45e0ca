#include "gimp/TesselRun.h"

#include <cstdlib>
#include <exception>
#include <optional>
#include <string>

#include "gimp/DrawablePixels.h"
#include "gimp/Procedure.h"
#include "host/FilterSession.h"
#include "host/FilterTexts.h"
#include "host/Presets.h"
#include "pipeline/PagePass.h"

namespace tessel::gimp {

namespace {

// GIMP names the plug-in before the message.
GimpPDBStatusType Fail(GimpPDBStatusType status, const std::string& message) {
  gimp_message(message.c_str());
  return status;
}

// GIMP's last-values store holds the parameter block between runs, as the
// editor holds it.
std::string LastValues() {
  const gint size = gimp_get_data_size(kProcedureName);
  std::string block(size > 0 ? static_cast<size_t>(size) : 0, '\0');
  if (!block.empty()) gimp_get_data(kProcedureName, block.data());
  return block;
}

void KeepLastValues(const std::string& block) {
  if (!block.empty()) gimp_set_data(kProcedureName, block.data(), static_cast<guint32>(block.size()));
}

// Colours are converted into the image's own space when it has a profile;
// without one GIMP works in the built-in sRGB and grey that the host uses too.
void UseImageProfile(gint32 image, host::ColorServices& colors) {
  GimpColorProfile* profile = gimp_image_get_color_profile(image);
  if (!profile) return;
  gsize length = 0;
  const guint8* bytes = gimp_color_profile_get_icc_profile(profile, &length);
  colors.UseImageProfile(std::string(reinterpret_cast<const char*>(bytes), length));
  g_object_unref(profile);
}

// GIMP's progress bar, from the filter's first report (after its dialog),
// updated a hundred times a run at most: each update is a message to GIMP.
host::ProgressServices::ProgressHook ProgressBar() {
  return [shown = -1](int32_t done, int32_t total) mutable {
    const int percent = total > 0 ? static_cast<int>(100LL * done / total) : 0;
    if (percent == shown) return;
    if (shown < 0) gimp_progress_init("Tessel");
    shown = percent;
    gimp_progress_update(percent / 100.0);
  };
}

// The action a non-interactive call replays; the message says what is wrong.
std::optional<base::Descriptor> Action(const GimpParam* params, gint count, const std::string& presets,
                                       std::string& problem) {
  if (count != kArgumentCount) {
    problem = "plug-in-tessel takes " + std::to_string(kArgumentCount) + " arguments, not " + std::to_string(count);
    return std::nullopt;
  }
  try {
    base::Descriptor action = ActionFromArguments(params);
    const gchar* palette = params[kPalette].data.d_string;
    if (palette && *palette) problem = host::SwatchFileProblem(presets, palette);
    if (problem.empty()) return action;
  } catch (const ArgumentError& e) {
    problem = e.what();
  }
  return std::nullopt;
}

GimpPDBStatusType Run(GimpRunMode mode, const GimpParam* params, gint count, bool flatsLayer) {
  host::RunRequest request;
  request.presetsFolder = host::DefaultPresetsFolder();
  if (mode == GIMP_RUN_NONINTERACTIVE) {
    std::string problem;
    request.replay = Action(params, count, request.presetsFolder, problem);
    if (!request.replay) return Fail(GIMP_PDB_CALLING_ERROR, problem);
    // A script is not to stop at a window: without a window system the
    // module gives its alerts as text, which go to GIMP's message area.
    unsetenv("DISPLAY");
  }
  request.showDialog = mode == GIMP_RUN_INTERACTIVE;

  const host::PluginModule module(host::FindModulePath());
  const std::optional<DrawableArea> area = SelectedArea(params[kImage].data.d_image, params[kDrawable].data.d_drawable);
  if (!area) return Fail(GIMP_PDB_EXECUTION_ERROR, "the selection does not touch the drawable; nothing was flatted");
  if (flatsLayer && !gimp_item_is_layer(area->drawable))
    return Fail(GIMP_PDB_EXECUTION_ERROR, "Tessel Flats puts its flats under a layer; choose a layer, not a channel "
                                          "or a mask");
  io::ImageFile page{ReadPixels(*area), area->imageMode, area->alpha, {}};

  host::FilterSession session(module);
  session.RestoreParameterBlock(LastValues());
  UseImageProfile(area->image, session.host().colorServices());
  session.host().progress().OnProgress(ProgressBar());
  host::FilterTexts texts;
  pipeline::PageTimings unused;
  const pipeline::PassResult pass = pipeline::RunPagePass(
      session, page, request, {flatsLayer ? pipeline::FlatsOutput::kFlatsOnly : pipeline::FlatsOutput::kNone}, unused);
  const std::string said = texts.Collect();
  gimp_progress_end();

  if (!said.empty()) gimp_message(said.c_str());
  if (pass.report.result == userCanceledErr) return GIMP_PDB_CANCEL;
  if (pass.report.result != noErr) {
    const std::string failure = host::FailureText(pass.report.result) + "; the image was left as it was";
    return said.empty() ? Fail(GIMP_PDB_EXECUTION_ERROR, failure) : GIMP_PDB_EXECUTION_ERROR;
  }
  if (flatsLayer) AddLayerBelow(*area, kFlatsLayerName, page.pixels);
  else WritePixels(*area, page.pixels);
  KeepLastValues(session.ParameterBlock());
  if (mode != GIMP_RUN_NONINTERACTIVE) gimp_displays_flush();
  return GIMP_PDB_SUCCESS;
}

}  // namespace

GimpPDBStatusType RunTessel(GimpRunMode mode, const GimpParam* params, gint count, bool flatsLayer) {
  // Errors are values here: no exception crosses into GIMP's C callback.
  try {
    return Run(mode, params, count, flatsLayer);
  } catch (const std::exception& e) {
    return Fail(GIMP_PDB_EXECUTION_ERROR, e.what());
  }
}

}  // namespace tessel::gimp
