#include "pipeline/PageOptions.h"

#include "host/Presets.h"
#include "interface/FolderNames.h"
#include "io/ActionFile.h"
#include "pipeline/PageSizes.h"

namespace tessel::pipeline {

const PageOption& PresetsOption() {
  static const PageOption kPresets{
      "presets",
      "Presets folder; its \"" + std::string(kPrefsName[kSwatchFolderNameIndex]) + "\" subfolder holds the " +
          kSwatchExtension +
          " swatch files (default: $XDG_DATA_HOME/tessel/presets when it exists, else tessel/presets in "
          "$XDG_DATA_DIRS, else the installed swatches)",
      &PageOptions::presetsFolder, "DIR", nullptr, 0, 0, true};
  return kPresets;
}

const std::vector<PageOption>& PageOptionList() {
  static const std::vector<PageOption> kOptions{
      {"action", "Replay the settings of a recorded action file", &PageOptions::actionFile, "FILE"},
      {"under-lines",
       "Colour under the line art: every pixel outside the regions takes the colour of its nearest region, and the "
       "output is the page multiplied over these flats (grey, RGB, CMYK; not Lab)",
       &PageOptions::underLines, nullptr, "Flats"},
      {"flats-only",
       "Write the flats alone: each region in its one colour, grown under the lines (implies --under-lines; any "
       "mode)",
       &PageOptions::flatsOnly, nullptr, "Flats"},
      {"distinct",
       "Recolour the regions so that no neighbours share a colour (random colours: at least dE 20 apart); implies "
       "--under-lines unless --flats-only",
       &PageOptions::distinct, nullptr, "Flats"},
      {"close-gaps",
       "Close gaps in the line art up to SIZE wide (at most 64 px), so that a shape whose outline does not quite "
       "close keeps its own colour; the closing strokes take their regions' colours (0: off). SIZE is " +
           std::string(base::kSizeUnits),
       &PageOptions::closeGaps, "SIZE", nullptr, 0, 64, true},
      {"dpi",
       "Take sizes in mm, in and pt at N dots per inch instead of each page's own resolution; a page without one "
       "needs it for them",
       &PageOptions::dpi, "N", nullptr, 1, 100000},
      {"over-paper",
       "Read a page with transparency (line art on a layer of its own) over white paper, as flats always read it, "
       "in a plain run too; the result is opaque",
       &PageOptions::overPaper, nullptr, "Flats"},
  };
  return kOptions;
}

FlatsOutput FlatsOf(const PageOptions& options) {
  if (options.flatsOnly) return FlatsOutput::kFlatsOnly;
  return options.underLines || options.distinct ? FlatsOutput::kUnderLines : FlatsOutput::kNone;
}

RunSettings SettingsFor(const PageOptions& options) {
  RunSettings settings;
  settings.presetsFolder = options.presetsFolder;
  settings.flats = FlatsOf(options);
  settings.distinct = options.distinct;
  settings.closeGaps = options.closeGaps;
  settings.dpi = options.dpi;
  settings.sizes = options.params.physicalSizes();
  settings.overPaper = options.overPaper;
  if (!options.actionFile.empty()) {
    try {
      io::Action action = io::LoadActionFile(options.actionFile);
      settings.replay = std::move(action.descriptor);
      settings.showDialog = action.showDialog;
    } catch (const io::ActionFileError& e) {
      throw SettingsError(e.what());
    }
  }
  options.params.Overlay(settings.replay);

  RequireFittingUnits(settings);

  const std::string& palette = options.params.palette();
  if (!palette.empty()) {
    const std::string problem = host::SwatchFileProblem(options.presetsFolder, palette);
    if (!problem.empty())
      throw SettingsError(problem + " (`tessel palettes` lists them; --presets names another presets folder)");
  }
  return settings;
}

}  // namespace tessel::pipeline
