// The filter's parameters as command-line options, one for each declared
// parameter (interface/ParamDeclarations.h). Each option given becomes one item
// of the scripting descriptor that the run replays, exactly as an action
// would carry it; the filter's defaults stand for every option left out.
#pragma once

#include <CLI/CLI.hpp>

#include "base/Descriptor.h"
#include "interface/ParamDeclarations.h"

namespace tessel::cli {

class ParamOptions {
 public:
  // Adds the options to `app` (in a group of their own); bad values are
  // refused by the parser with a message naming the option.
  void Register(CLI::App& app);
  // Puts the items of the options given into `descriptor`, replacing those
  // it holds under the same keys.
  void Overlay(base::Descriptor& descriptor) const;
  bool empty() const { return mItems.items.empty(); }
  // The palette named with --palette, or empty.
  const std::string& palette() const { return mPalette; }

 private:
  base::Descriptor mItems;
  std::string mPalette;
};

// Reads a colour as "#rrggbb", "rrggbb", "r,g,b" (0 to 255 each) or a name
// (white, black, red, green, blue, cyan, magenta, yellow) into 16-bit
// components, each byte repeated (255 -> 65535). False for anything else.
bool ParseColor(const std::string& text, _t_ASRGBColor& color);

// An option's help: the declared text and, unless declared otherwise, its
// default as the option would be given ("(default white)").
std::string ParamOptionHelp(const parameter::Declaration& declared);

// The options as the README lists them: one Markdown item per parameter,
// "- `--name VALUE`: help", in the declarations' order.
std::string ParamOptionsList();

}  // namespace tessel::cli
