#include "cli/docs/OptionNames.h"

namespace tessel::cli {

std::vector<std::string> OptionNames(const CLI::Option& option) {
  std::vector<std::string> names;
  for (const std::string& name : option.get_snames()) names.push_back("-" + name);
  for (const std::string& name : option.get_lnames()) names.push_back("--" + name);
  return names;
}

std::string ValueName(const CLI::Option& option) {
  if (option.get_type_size_max() == 0) return {};
  const std::string full = option.get_type_name();
  return full.substr(0, full.find(':'));
}

std::vector<const CLI::Option*> NamedOptions(const CLI::App& app) {
  const CLI::Option* help = app.get_help_ptr();
  return app.get_options([help](const CLI::Option* option) { return option != help && !option->get_positional(); });
}

std::vector<const CLI::App*> Subcommands(const CLI::App& app) {
  return app.get_subcommands([](const CLI::App*) { return true; });
}

}  // namespace tessel::cli
