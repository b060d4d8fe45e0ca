#include "ui/ConsoleText.h"

#include <cstdio>
#include <cstring>

namespace tessel::ui {

namespace {

const char* OrEmpty(const char* text) { return text ? text : ""; }

// Ends the output with one line feed whether or not `text` brings its own.
void WriteLine(const char* text) {
  const size_t length = std::strlen(text);
  std::fprintf(stderr, "%s%s", text, length && text[length - 1] == '\n' ? "" : "\n");
}

}  // namespace

void WriteAbout(const char* name, const char* description, const char* copyright, const char* version) {
  std::fprintf(stderr, "%s %s\n%s\n", OrEmpty(name), OrEmpty(version), OrEmpty(description));
  WriteLine(OrEmpty(copyright));
}

void WriteAlert(const char* message, const char* title) {
  std::fprintf(stderr, "%s: ", OrEmpty(title));
  WriteLine(OrEmpty(message));
}

}  // namespace tessel::ui
