#include "cli/CommandLine.h"

#include <algorithm>
#include <sstream>
#include <thread>

#include "cli/ExitCodes.h"
#include "cli/ParamOptions.h"
#include "host/Presets.h"
#include "io/ImageFile.h"

namespace tessel::cli {

namespace {

std::vector<std::string> Wrap(const std::string& text, size_t width) {
  std::vector<std::string> lines(1);
  std::istringstream words(text);
  for (std::string word; words >> word;) {
    if (!lines.back().empty() && lines.back().size() + 1 + word.size() > width) lines.emplace_back();
    if (!lines.back().empty()) lines.back() += ' ';
    lines.back() += word;
  }
  return lines;
}

// Terms indented by two, each meaning in a column of its own (below its term
// when the term reaches into it), broken at spaces before `width`.
std::string HelpLines(const std::vector<HelpEntry>& entries, size_t column, size_t width) {
  const std::string indent(column, ' ');
  std::string text;
  for (const HelpEntry& entry : entries) {
    text += "  " + entry.term;
    text += entry.term.size() + 2 < column ? std::string(column - 2 - entry.term.size(), ' ') : "\n" + indent;
    const std::vector<std::string> lines = Wrap(entry.meaning, width - column);
    for (size_t i = 0; i < lines.size(); ++i) text += (i ? "\n" + indent : "") + lines[i];
    text += "\n";
  }
  return text;
}

// One of the options that say how a page is flatted (pipeline/PageOptions.h),
// bound to its member of `request`.
void AddPageOption(CLI::App& app, const pipeline::PageOption& declared, pipeline::PageOptions& request) {
  using Options = pipeline::PageOptions;
  const std::string name = "--" + std::string(declared.name);
  CLI::Option* added = std::visit(
      parameter::Overloaded{
          [&](bool Options::*member) { return app.add_flag(name, request.*member, declared.help); },
          [&](std::string Options::*member) { return app.add_option(name, request.*member, declared.help); },
          [&](int Options::*member) {
            return app.add_option(name, request.*member, declared.help)->check(CLI::Range(declared.low, declared.high));
          },
          [&](base::TypedSize Options::*member) {
            return app
                .add_option_function<std::string>(
                    name,
                    [&request, &declared, member, name](const std::string& text) {
                      request.*member = SizeOf(name, text, declared.low, declared.high);
                    },
                    declared.help)
                ->default_str((request.*member).text());
          },
      },
      declared.member);
  if (declared.valueName) added->type_name(declared.valueName);
  if (declared.group) added->group(declared.group);
  if (declared.showsDefault) added->capture_default_str();
}

std::string FooterText() {
  const HelpFooter& footer = Footer();
  return "Images: " + footer.images + ".\n\nExit codes:\n" + HelpLines(footer.exitCodes, 7, 100) + "\n" +
         footer.exitCodeRule + "\n\nExamples:\n" + HelpLines(footer.examples, 6, 100);
}

}  // namespace

const HelpFooter& Footer() {
  static const HelpFooter kFooter{
      io::kSupportedImages,
      {{std::to_string(kExitOk), "every page was flatted"},
       {std::to_string(kExitUsage),
        "the command line cannot be carried out (unknown option, bad value, an action file that cannot be replayed, "
        "output equal to an input, output folder not writable); nothing was written"},
       {std::to_string(kExitBadInput),
        "an input is missing, damaged or not a supported image (other pages are still done)"},
       {std::to_string(kExitFailed), "the filter or writing a result failed (other pages are still done)"},
       {std::to_string(kExitCancelled), "cancelled with Ctrl-C or in the dialog; unfinished outputs are not written"}},
      "When pages end differently, the code is the first of " + std::to_string(kExitCancelled) + ", " +
          std::to_string(kExitFailed) + ", " + std::to_string(kExitBadInput) + " that applies.",
      {{"tessel run page.png -o page-flat.png", "every white region gets a random colour of its own"},
       {"tessel run page.png -o page-flat.png --palette Comic.aco --join --join-size 30",
        "colours from a swatch file; specks of up to 30 pixels joined into a neighbour"},
       {"tessel run page.png -o page-flat.png --record flat.action", "flat one page and record its settings"},
       {"tessel run page.png -o page-merged.png --under-lines",
        "colour under the line art, the page multiplied over it"},
       {"tessel run page.png -o page-flats.png --flats-only", "the flats alone, grown under the lines"},
       {"tessel run page.png -o page.psd", "layers: Lines in Multiply over Flats (also page.ora)"},
       {"tessel run scans/ -o flats/ --action flat.action",
        "replay them over a folder of pages, one page per core at a time"}}};
  return kFooter;
}

CommandLine::CommandLine()
    : app("tessel - flat line art: fill every region of one colour (white by default) with a colour of its own,\n"
          "running the Tessel filter module exactly as the image editor runs it.") {
  app.footer(FooterText());
  app.require_subcommand(1);
  app.fallthrough();  // --presets may follow the subcommand
  request.presetsFolder = host::DefaultPresetsFolder();
  AddPageOption(app, pipeline::PresetsOption(), request);

  request.jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  run = app.add_subcommand("run", "Flat image files (a file for one page, a folder for several)");
  run->add_option("inputs", request.inputs, "Pages to flat: image files or folders of them")->required()->type_name("IN");
  auto* output = run->add_option("-o,--output", request.output,
                                 "Output file for one page, else output folder. A .psd (grey, RGB, CMYK; at most "
                                 "30,000 px a side) or .ora (grey, RGB) is a layered file: \"Lines\", the page, in "
                                 "Multiply mode over \"Flats\", with the --under-lines image as composite")
                     ->type_name("OUT");
  run->add_flag("--in-place", request.inPlace, "Replace each input with its result")->excludes(output);
  run->add_flag("--dialog", request.dialog, "Show the parameters dialog first (needs a display); with several pages "
                                            "its settings are used for all of them");
  run->add_option("--record", request.recordFile, "Save the settings the filter ran with as an action file")
      ->type_name("FILE");
  run->add_option("-j,--jobs", request.jobs,
                  "Pages filled at once at most, each in a process of its own (default: one per core); fewer while "
                  "the memory available cannot hold one more page's peak beside the pages running")
      ->check(CLI::Range(1, 64))
      ->capture_default_str();
  run->add_flag("--timings", request.timings,
                "Report each page's reading, filter pass (wall and one-core CPU time) and writing times, and with "
                "flats the time of each of their steps, and of a layered file's writing");
  for (const pipeline::PageOption& option : pipeline::PageOptionList()) AddPageOption(*run, option, request);
  RegisterParamOptions(*run, request.params);

  palettes = app.add_subcommand("palettes", "List the swatch files the dialog and --palette offer");
  about = app.add_subcommand("about", "Show the filter's About box (its text without a display)");
}

}  // namespace tessel::cli
