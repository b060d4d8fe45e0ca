// The tessel command: plays the editor's part around the Tessel module, on
// image files.
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <thread>

#include <CLI/CLI.hpp>

#include "host/ExitCodes.h"
#include "host/Host.h"
#include "host/ImageFile.h"
#include "host/Presets.h"
#include "host/RunCommand.h"

namespace {

using namespace tessel::host;

const char kExitCodesText[] =
    "Exit codes:\n"
    "  0    every page was flatted\n"
    "  2    the command line cannot be carried out (unknown option, bad value, an action file that cannot be\n"
    "       replayed, output equal to an input, output folder not writable); nothing was written\n"
    "  3    an input is missing, damaged or not a supported image (other pages are still done)\n"
    "  4    the filter or writing a result failed (other pages are still done)\n"
    "  130  cancelled with Ctrl-C or in the dialog; unfinished outputs are not written\n";

int ListPalettes(const std::string& presets) {
  const auto names = ListSwatchFiles(presets);
  if (names.empty()) {
    std::fprintf(stderr, "tessel: no swatch files (.aco) in %s\n", SwatchFolder(presets).c_str());
    return kExitOk;
  }
  for (const std::string& name : names) std::printf("%s\n", name.c_str());
  return kExitOk;
}

int ShowAbout(const PluginModule& module) {
  Host host(module);
  return host.About() == 0 ? kExitOk : kExitFailed;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"tessel - flat line art: fill every region of one colour (white by default) with a colour of its own,\n"
               "running the Tessel filter module exactly as the image editor runs it."};
  app.footer(std::string("Images: ") + kSupportedImages + ".\n\n" + kExitCodesText +
             "\nExamples:\n"
             "  tessel run page.png -o page-flat.png\n"
             "  tessel run page.png -o page-flat.png --palette Comic.aco --join --join-size 30\n"
             "  tessel run page.png -o page-flat.png --record flat.action\n"
             "  tessel run page.png -o page-merged.png --under-lines\n"
             "  tessel run page.png -o page-flats.png --flats-only\n"
             "  tessel run scans/ -o flats/ --action flat.action\n");
  app.require_subcommand(1);
  app.fallthrough();  // --presets may follow the subcommand
  std::string presets = DefaultPresetsFolder();
  app.add_option("--presets", presets,
                 "Presets folder; its \"Color Swatches\" subfolder holds the .aco swatch files")
      ->capture_default_str()
      ->type_name("DIR");

  RunOptions request;
  request.jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  CLI::App* run = app.add_subcommand("run", "Flat image files (a file for one page, a folder for several)");
  run->add_option("inputs", request.inputs, "Pages to flat: image files or folders of them")->required()->type_name("IN");
  auto* output = run->add_option("-o,--output", request.output, "Output file for one page, else output folder")
                     ->type_name("OUT");
  run->add_flag("--in-place", request.inPlace, "Replace each input with its result")->excludes(output);
  run->add_flag("--dialog", request.dialog, "Show the parameters dialog first (needs a display); with several pages "
                                            "its settings are used for all of them");
  run->add_option("--action", request.actionFile, "Replay the settings of a recorded action file")->type_name("FILE");
  run->add_option("--record", request.recordFile, "Save the settings the filter ran with as an action file")
      ->type_name("FILE");
  run->add_option("-j,--jobs", request.jobs, "Pages filled at once, in separate processes")
      ->check(CLI::Range(1, 64))
      ->capture_default_str();
  run->add_flag("--timings", request.timings,
                "Report each page's reading, filter pass (wall and one-core CPU time) and writing times, with gap closing its "
                "two steps, and with "
                "flats the time of each of their steps");
  run->add_flag("--under-lines", request.underLines,
                "Colour under the line art: every pixel outside the regions takes the colour of its nearest region, "
                "and the output is the page multiplied over these flats (grey, RGB, CMYK; not Lab)")
      ->group("Flats");
  run->add_flag("--flats-only", request.flatsOnly,
                "Write the flats alone: each region in its one colour, grown under the lines (implies --under-lines; "
                "any mode)")
      ->group("Flats");
  run->add_option("--close-gaps", request.closeGaps,
                  "Close gaps in the line art up to PX pixels wide, so that a shape whose outline does not quite "
                  "close keeps its own colour; the closing strokes take their regions' colours (0: off)")
      ->type_name("PX")
      ->check(CLI::Range(0, 64))
      ->capture_default_str();
  request.params.Register(*run);

  CLI::App* palettes = app.add_subcommand("palettes", "List the swatch files the dialog and --palette offer");
  CLI::App* about = app.add_subcommand("about", "Show the filter's About box (its text without a display)");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return code == 0 ? kExitOk : kExitUsage;
  }

  try {
    if (palettes->parsed()) return ListPalettes(presets);
    PluginModule module(DefaultModulePath());
    if (about->parsed()) return ShowAbout(module);
    request.presetsFolder = presets;
    return RunCommand(module, request);
  } catch (const CommandError& e) {
    std::fprintf(stderr, "tessel: %s\n", e.what());
    return e.code();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tessel: %s\n", e.what());
    return kExitFailed;
  }
}
