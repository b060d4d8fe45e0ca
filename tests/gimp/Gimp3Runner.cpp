// The cases in GIMP 3: one python-fu-eval batch command each, in
// gimp-console-3.0, calling gimp3_case.py with the case written as JSON.
#include <fstream>
#include <string>

#include <nlohmann/json.hpp>

#include "tests/gimp/GimpCases.h"

namespace tessel::test {

namespace {

namespace fs = boost::filesystem;

nlohmann::json Json(const ArgumentValue& value) {
  struct Writer {
    nlohmann::json operator()(bool on) const { return {"switch", on}; }
    nlohmann::json operator()(int number) const { return {"number", number}; }
    nlohmann::json operator()(const std::string& text) const { return {"text", text}; }
    nlohmann::json operator()(const Rgb& c) const {
      char hex[8];
      std::snprintf(hex, sizeof hex, "#%02x%02x%02x", c.red, c.green, c.blue);
      return {"color", hex};
    }
  };
  return std::visit(Writer{}, value);
}

std::string Command(const std::vector<Job>& jobs, const fs::path& work, const fs::path& home) {
  std::ofstream(work / "gimprc") << "(plug-in-path \"${gimp_dir}/plug-ins:${gimp_plug_in_dir}/plug-ins:"
                                 << TESSEL_GIMP_PLUGIN_PATH << "\")\n";
  const std::string helper = TESSEL_SOURCE_DIR "/tests/gimp/gimp3_case.py";
  // GIMP 3 stops at the first batch command that fails and exits then.
  std::string command = "GIMP3_DIRECTORY=" + Quoted(home / "gimp-3.0") +
                        " timeout 600 gimp-console-3.0 -i -d -f --quit --batch-interpreter python-fu-eval -g " +
                        Quoted(work / "gimprc");
  for (const Job& job : jobs) {
    const Case& c = *job.c;
    nlohmann::json arguments = nlohmann::json::array();
    for (const Argument& argument : c.arguments) {
      nlohmann::json typed = Json(argument.value);
      arguments.push_back({argument.name, typed[0], typed[1]});
    }
    const auto list = [](const std::optional<Selection>& s) {
      return s ? nlohmann::json{s->x, s->y, s->width, s->height} : nlohmann::json();
    };
    std::vector<std::string> outs;
    for (const fs::path& out : job.outs) outs.push_back(out.string());
    const nlohmann::json description = {
        {"name", c.name},           {"in", job.in.string()},          {"outs", outs},
        {"selection", list(c.selection)}, {"layer_bounds", list(c.layerBounds)},
        {"procedure", c.procedure}, {"arguments", arguments},         {"layers", c.layers},
        {"in_group", c.inGroup},    {"saved_layer", c.savedLayer},    {"float", c.floatingPoint},
        {"refused", !c.refusal.empty()}, {"hints", job.hints.string()}, {"hints_argument", c.hintsArgument},
        {"last_values", c.lastValues}};
    const fs::path file = work / (c.name + ".json");
    std::ofstream(file) << description.dump(2);
    command += " -b 'exec(open(\"" + helper + "\").read()); tessel_case(\"" + file.string() + "\")'";
  }
  return command;
}

}  // namespace

const GimpRunner kRunner = {3, "batch command executed successfully", "refused as expected", true, Command};

}  // namespace tessel::test
