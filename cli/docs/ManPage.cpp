#include <sstream>

#include "cli/docs/CommandLineDocs.h"
#include "cli/docs/OptionNames.h"

namespace tessel::cli {

namespace {

// Text as roff shows it literally: backslashes and hyphens escaped, and no
// line taken for a request.
std::string Roff(const std::string& text) {
  std::string out;
  bool lineStart = true;
  for (char c : text) {
    if (lineStart && (c == '.' || c == '\'')) out += "\\&";
    if (c == '\\') out += "\\e";
    else if (c == '-') out += "\\-";
    else out += c;
    lineStart = c == '\n';
  }
  return out;
}

std::string Bold(const std::string& text) { return "\\fB" + Roff(text) + "\\fR"; }
std::string Italic(const std::string& text) { return "\\fI" + Roff(text) + "\\fR"; }

std::string Usage(const CLI::Option& option) {
  std::string usage;
  for (const std::string& name : OptionNames(option)) usage += (usage.empty() ? "" : ", ") + Bold(name);
  const std::string value = ValueName(option);
  return value.empty() ? usage : usage + " " + Italic(value);
}

// Each option as a tagged paragraph; a group other than the default gets a
// heading of its own.
void WriteOptions(const CLI::App& app, std::ostream& out) {
  std::string group = "Options";
  for (const CLI::Option* option : NamedOptions(app)) {
    if (option->get_group() != group) {
      group = option->get_group();
      out << ".PP\n" << Italic(group) << "\n";
    }
    out << ".TP\n" << Usage(*option) << "\n" << Roff(option->get_description()) << "\n";
  }
}

std::string Positionals(const CLI::App& app) {
  std::string usage;
  for (const CLI::Option* option : app.get_options([](const CLI::Option* o) { return o->get_positional(); }))
    usage += " " + Italic(ValueName(*option)) + (option->get_items_expected_max() > 1 ? "..." : "");
  return usage;
}

void WriteEntries(const std::vector<HelpEntry>& entries, bool bold, std::ostream& out) {
  for (const HelpEntry& entry : entries)
    out << ".TP\n" << (bold ? Bold(entry.term) : Roff(entry.term)) << "\n" << Roff(entry.meaning) << "\n";
}

}  // namespace

void WriteManPage(const CommandLine& line, const std::string& version, std::ostream& out) {
  const CLI::App& app = line.app;
  const std::string name = app.get_name().empty() ? "tessel" : app.get_name();
  std::string summary = app.get_description();
  const std::string prefix = name + " - ";
  if (summary.compare(0, prefix.size(), prefix) == 0) summary.erase(0, prefix.size());
  const std::string firstLine = summary.substr(0, summary.find('\n'));

  out << ".\\\" Written from the command's own definition when it is built; do not edit.\n"
      << ".TH TESSEL 1 \"\" \"Tessel " << Roff(version) << "\" \"User Commands\"\n"
      << ".SH NAME\n" << name << " \\- " << Roff(firstLine.substr(0, firstLine.find(':'))) << "\n"
      << ".SH SYNOPSIS\n";
  for (const CLI::App* command : Subcommands(app)) {
    out << Bold(name) << " [" << Bold("--presets") << " " << Italic("DIR") << "] " << Bold(command->get_name());
    if (!NamedOptions(*command).empty()) out << " [" << Italic("options") << "]";
    out << Positionals(*command) << "\n.br\n";
  }
  out << ".SH DESCRIPTION\n" << Roff(summary) << "\n"
      << ".SH OPTIONS\n";
  WriteOptions(app, out);
  out << ".SH COMMANDS\n";
  for (const CLI::App* command : Subcommands(app)) {
    out << ".SS " << Roff(command->get_name()) << "\n" << Roff(command->get_description()) << "\n";
    WriteOptions(*command, out);
  }
  const HelpFooter& footer = Footer();
  out << ".SH IMAGES\n" << Roff(footer.images) << ".\n"
      << ".SH EXIT STATUS\n";
  WriteEntries(footer.exitCodes, true, out);
  out << ".PP\n" << Roff(footer.exitCodeRule) << "\n"
      << ".SH EXAMPLES\n";
  WriteEntries(footer.examples, true, out);
}

}  // namespace tessel::cli
