#include "gimp/gimp3/TesselRun.h"

#include <libgimp/gimpui.h>

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/ParamItems.h"
#include "gimp/HintsPage.h"
#include "gimp/LibGimp.h"
#include "gimp/PageCall.h"
#include "gimp/ProgressBar.h"
#include "gimp/Procedures.h"
#include "gimp/gimp3/DrawablePixels.h"
#include "gimp/gimp3/ProcedureConfig.h"
#include "pipeline/PageHints.h"

namespace tessel::gimp {

namespace {

constexpr const char* kGroupLeft =
    "a group layer shows the pixels of the layers in it and was left as it is; select those layers to flat them, or "
    "make flats of what the group shows with Tessel Flats";

GimpValueArray* Failure(GimpProcedure* procedure, GimpPDBStatusType status, const std::string& message) {
  return gimp_procedure_new_return_values(procedure, status,
                                          g_error_new_literal(GIMP_PLUG_IN_ERROR, 0, message.c_str()));
}

std::string NameOf(GimpDrawable* drawable) {
  gchar* name = gimp_item_get_name(GIMP_ITEM(drawable));
  std::string text(name ? name : "");
  g_free(name);
  return text;
}

// GIMP's own dialog for the flats steps and the hints layer, which the
// module's dialog does not offer; false when it is cancelled.
bool AskFlatsSteps(GimpProcedure* procedure, GimpProcedureConfig* config, const Procedure& described,
                   const std::vector<const ProcedureArgument*>& arguments) {
  gimp_ui_init("tessel-gimp3");
  GtkWidget* dialog = gimp_procedure_dialog_new(procedure, config, described.label);
  GList* steps = nullptr;
  for (const ProcedureArgument* argument : arguments)
    if (argument->flatsStep()) steps = g_list_append(steps, const_cast<char*>(argument->name));
  steps = g_list_append(steps, const_cast<char*>(kHintsArgumentName));
  gimp_procedure_dialog_fill_list(GIMP_PROCEDURE_DIALOG(dialog), steps);
  g_list_free(steps);
  const bool accepted = gimp_procedure_dialog_run(GIMP_PROCEDURE_DIALOG(dialog));
  gtk_widget_destroy(dialog);
  return accepted;
}

using Layer = std::unique_ptr<GimpLayer, void (*)(gpointer)>;

// The flats procedure's hints layer as the config holds it; null for none.
Layer ConfigHints(GimpProcedureConfig* config) {
  GimpLayer* layer = nullptr;
  g_object_get(config, kHintsArgumentName, &layer, nullptr);
  return Layer(layer, g_object_unref);
}

bool OfImage(GimpLayer* layer, GimpImage* image) { return gimp_item_get_image(GIMP_ITEM(layer)) == image; }

// For the dialog and a run with last values: the hints layer kept when it is
// a layer of this image that is not flatted, else the layer "Hints" when it
// is not, as GIMP 2.10 offers it; else none.
void OfferHints(GimpProcedureConfig* config, GimpImage* image, const std::vector<GimpDrawable*>& drawables) {
  const auto offered = [&](GimpLayer* layer) {
    return layer && OfImage(layer, image) &&
           std::find(drawables.begin(), drawables.end(), GIMP_DRAWABLE(layer)) == drawables.end();
  };
  if (offered(ConfigHints(config).get())) return;
  GimpLayer* named = gimp_image_get_layer_by_name(image, kHintsLayerName);
  g_object_set(config, kHintsArgumentName, offered(named) ? named : nullptr, nullptr);
}

struct Flatted {
  DrawableArea area;
  AreaPixels pixels;
};

GimpValueArray* Run(GimpProcedure* procedure, GimpRunMode mode, GimpImage* image, GimpDrawable** selected,
                    GimpProcedureConfig* config, const Procedure& described) {
  std::vector<GimpDrawable*> drawables;
  for (GimpDrawable** drawable = selected; drawable && *drawable; ++drawable) drawables.push_back(*drawable);
  if (drawables.empty()) return Failure(procedure, GIMP_PDB_CALLING_ERROR, "no drawable was given to flat");
  if (described.flatsLayer)
    for (GimpDrawable* drawable : drawables)
      if (!gimp_item_is_layer(GIMP_ITEM(drawable))) return Failure(procedure, GIMP_PDB_CALLING_ERROR, kFlatsNeedALayer);

  const std::vector<const ProcedureArgument*> arguments = ArgumentsOf(described.flatsLayer);
  if (described.flatsLayer && mode != GIMP_RUN_NONINTERACTIVE) OfferHints(config, image, drawables);
  PageCall call;
  try {
    if (mode == GIMP_RUN_INTERACTIVE) {
      if (described.flatsLayer && !AskFlatsSteps(procedure, config, described, arguments))
        return gimp_procedure_new_return_values(procedure, GIMP_PDB_CANCEL, nullptr);
      call = DialogCall(true);
      call.steps = CallOf(arguments, ReadArguments(config, arguments)).steps;
    } else {
      call = ReplayCall(CallOf(arguments, ReadArguments(config, arguments)));
    }
  } catch (const ArgumentError& e) {
    return Failure(procedure, GIMP_PDB_CALLING_ERROR, e.what());
  }
  const Layer hints = described.flatsLayer ? ConfigHints(config) : Layer(nullptr, g_object_unref);
  if (hints && !OfImage(hints.get(), image)) return Failure(procedure, GIMP_PDB_CALLING_ERROR, kHintsOfTheImage);
  // A script is not to stop at a window: without a window system the
  // module gives its alerts as text, which go to GIMP's message console.
  if (mode == GIMP_RUN_NONINTERACTIVE) unsetenv("DISPLAY");
  call.steps.flats = described.flatsLayer ? pipeline::FlatsOutput::kFlatsOnly : pipeline::FlatsOutput::kNone;
  call.profile = ImageProfile(image);
  const host::PluginModule module(host::FindModulePath());

  // Every drawable is flatted before any is written, so that a failure or a
  // cancel on one leaves the image as it was.
  std::vector<Flatted> flatted;
  std::string said;
  ProgressBar bar([] { gimp_progress_init("Tessel"); }, [](double done) { gimp_progress_update(done); });
  for (size_t i = 0; i < drawables.size(); ++i) {
    const auto tell = [&](const std::string& text) {
      said += (said.empty() ? "" : "\n") + (drawables.size() > 1 ? NameOf(drawables[i]) + ": " : "") + text;
    };
    if (!described.flatsLayer && gimp_item_is_group(GIMP_ITEM(drawables[i]))) {
      tell(kGroupLeft);
      continue;
    }
    const std::optional<DrawableArea> area =
        SelectedArea(image, drawables[i], described.flatsLayer && gimp_drawable_has_alpha(drawables[i]));
    if (!area) {
      tell(kOutsideSelection);
      continue;
    }
    std::optional<pipeline::PendingHints> areaHints;
    call.steps.hints = hints ? &areaHints.emplace(pipeline::HintsOf(ReadHintsOver(*area, hints.get()))) : nullptr;
    AreaPixels pixels = ReadPixels(*area);
    io::ImageFile page{std::move(pixels.page), area->imageMode, area->alpha, {}};
    call.progress = bar.Drawable(static_cast<int>(i), static_cast<int>(drawables.size()));
    const PageCallResult result = RunPageCall(module, page, call);
    if (!result.message.empty()) tell(result.message);
    if (result.outcome != PageCallResult::Outcome::kDone) {
      gimp_progress_end();
      if (result.outcome == PageCallResult::Outcome::kCancelled)
        return gimp_procedure_new_return_values(procedure, GIMP_PDB_CANCEL, nullptr);
      return Failure(procedure, GIMP_PDB_EXECUTION_ERROR, said);
    }
    pixels.page = std::move(page.pixels);
    flatted.push_back({*area, std::move(pixels)});
    // What the dialog chose serves the other drawables, as `tessel run
    // --dialog` serves its other pages, and is what a repeat replays.
    if (result.recorded) {
      call.request.replay = result.recorded;
      call.request.showDialog = false;
    }
    call.parameterBlock = result.parameterBlock;
  }
  gimp_progress_end();
  if (flatted.empty()) return Failure(procedure, GIMP_PDB_EXECUTION_ERROR, said);

  gimp_image_undo_group_start(image);
  for (Flatted& done : flatted) {
    if (described.flatsLayer) AddLayerBelow(done.area, kFlatsLayerName, done.pixels.page);
    else WritePixels(done.area, done.pixels);
  }
  gimp_image_undo_group_end(image);
  if (!said.empty()) gimp_message(said.c_str());
  if (mode == GIMP_RUN_INTERACTIVE && call.request.replay)
    WriteArguments(config, arguments, ValuesOf(arguments, base::params::RecordOf(*call.request.replay), call.steps));
  return gimp_procedure_new_return_values(procedure, GIMP_PDB_SUCCESS, nullptr);
}

}  // namespace

GimpValueArray* RunTessel(GimpProcedure* procedure, GimpRunMode mode, GimpImage* image, GimpDrawable** drawables,
                          GimpProcedureConfig* config, gpointer data) {
  // Errors are values here: no exception crosses into GIMP's C callback.
  try {
    return Run(procedure, mode, image, drawables, config, *static_cast<const Procedure*>(data));
  } catch (const std::exception& e) {
    gimp_progress_end();
    return Failure(procedure, GIMP_PDB_EXECUTION_ERROR, e.what());
  }
}

}  // namespace tessel::gimp
