#include "cli/docs/CommandLineDocs.h"
#include "cli/docs/OptionNames.h"

namespace tessel::cli {

namespace {

std::string Joined(const std::vector<std::string>& words, const char* separator = " ") {
  std::string text;
  for (const std::string& word : words) text += (text.empty() ? "" : separator) + word;
  return text;
}

std::vector<std::string> Words(const CLI::App& app) {
  std::vector<std::string> words{"-h", "--help"};
  for (const CLI::Option* option : NamedOptions(app))
    for (const std::string& name : OptionNames(*option)) words.push_back(name);
  return words;
}

// What follows an option, by the kind of value it names.
std::string ValueCompletion(const std::string& value) {
  if (value == "DIR") return "_filedir -d";
  if (value == "FILE" || value == "OUT" || value == "IN") return "_filedir";
  if (value == "NAME.aco") return "_tessel_palettes";
  if (value.find('|') != std::string::npos) {
    std::string choices = value;
    for (char& c : choices)
      if (c == '|') c = ' ';
    return "COMPREPLY=($(compgen -W \"" + choices + "\" -- \"$cur\"))";
  }
  return ":";  // a number or a colour: nothing to offer
}

void WriteValueCases(const CLI::App& app, std::ostream& out) {
  for (const CLI::Option* option : NamedOptions(app)) {
    const std::string value = ValueName(*option);
    if (value.empty()) continue;
    out << "    " << Joined(OptionNames(*option), "|") << ") " << ValueCompletion(value) << "; return ;;\n";
  }
}

}  // namespace

void WriteBashCompletion(const CommandLine& line, std::ostream& out) {
  const CLI::App& app = line.app;
  std::vector<std::string> commands, takingFiles;
  for (const CLI::App* command : Subcommands(app)) {
    commands.push_back(command->get_name());
    if (!command->get_options([](const CLI::Option* option) { return option->get_positional(); }).empty())
      takingFiles.push_back(command->get_name());
  }
  std::vector<std::string> topWords = Words(app);
  topWords.insert(topWords.end(), commands.begin(), commands.end());

  out << "# bash completion for tessel; written from the command's own definition when it is built.\n"
         "\n"
         "# The swatch files on offer, from the presets folder named on the line if any.\n"
         "_tessel_palettes() {\n"
         "  local presets=() i IFS=$'\\n'\n"
         "  for ((i = 1; i < cword - 1; i++)); do\n"
         "    [[ ${words[i]} == --presets ]] && presets=(--presets \"${words[i + 1]}\")\n"
         "  done\n"
         "  compopt -o filenames\n"
         "  COMPREPLY=($(compgen -W \"$(\"${words[0]}\" \"${presets[@]}\" palettes 2>/dev/null)\" -- \"$cur\"))\n"
         "}\n"
         "\n"
         "_tessel() {\n"
         "  local cur prev words cword\n"
         "  _init_completion || return\n"
         "  local command= i\n"
         "  for ((i = 1; i < cword; i++)); do\n"
         "    case ${words[i]} in\n"
         "      " << Joined(commands, "|") << ") command=${words[i]}; break ;;\n"
         "    esac\n"
         "  done\n"
         "  case $prev in\n";
  // The folder option may also follow the subcommand.
  for (const CLI::App* command : Subcommands(app)) WriteValueCases(*command, out);
  WriteValueCases(app, out);
  out << "  esac\n"
         "  local options\n"
         "  case $command in\n"
         "    \"\") options=\"" << Joined(topWords) << "\" ;;\n";
  for (const CLI::App* command : Subcommands(app)) {
    std::vector<std::string> words = Words(*command);
    for (const CLI::Option* option : NamedOptions(app))
      for (const std::string& name : OptionNames(*option)) words.push_back(name);
    out << "    " << command->get_name() << ") options=\"" << Joined(words) << "\" ;;\n";
  }
  out << "  esac\n"
         "  if [[ $cur == -* || -z $command ]]; then\n"
         "    COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n"
         "  else\n"
         "    case $command in\n"
         "      " << Joined(takingFiles, "|") << ") _filedir ;;\n"
         "    esac\n"
         "  fi\n"
         "}\n"
         "complete -F _tessel tessel\n";
}

}  // namespace tessel::cli
