// The About box and alert texts written to standard error, for processes
// that have no window system to show them in.
#pragma once

namespace tessel::ui {

// "<name> <version>", the description and the copyright line; null texts are empty.
void WriteAbout(const char* name, const char* description, const char* copyright, const char* version);
// "<title>: <message>"; null texts are empty.
void WriteAlert(const char* message, const char* title);

}  // namespace tessel::ui
