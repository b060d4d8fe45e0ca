// The filter's parameters as a user types them: colours in words or numbers,
// flags with a --no-name form, and the items the options given put in the
// descriptor a run replays. The command line and the C interface read the
// same options (interface/ParamDeclarations.h) and hold them here alike.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/Descriptor.h"
#include "interface/ParamDeclarations.h"

namespace tessel::base {

// Reads a colour as "#rrggbb", "rrggbb", "r,g,b" (0 to 255 each) or a name
// (white, black, red, green, blue, cyan, magenta, yellow) into 16-bit
// components, each byte repeated (255 -> 65535). False for anything else.
bool ParseColor(const std::string& text, _t_ASRGBColor& color);

// A colour as a user would type it: its name, else #rrggbb.
std::string ColorText(const _t_ASRGBColor& color);

// Why `text` is refused as a colour.
std::string NotAColor(const std::string& text);

// A flag's value after "=", counted as the command line counts it: a yes
// word 1, a no word -1, a number itself; nothing for any other word.
std::optional<int64_t> FlagCount(const std::string& word);

// An on/off flag that has a --no-name form besides --name.
bool Negatable(const parameter::Declaration& declared);

// The parameter options given, as the items they put in the descriptor.
class ParamValues {
 public:
  // Replaces what an earlier option gave under the same key.
  void Put(DescriptorItem item) { mItems.Put(std::move(item)); }
  // The palette named, which also turns random colours off.
  void PutPalette(const std::string& name);
  // Puts the items given into `descriptor`, replacing those it holds under
  // the same keys.
  void Overlay(Descriptor& descriptor) const;
  bool empty() const { return mItems.items.empty(); }
  // The palette named with --palette, or empty.
  const std::string& palette() const { return mPalette; }

 private:
  Descriptor mItems;
  std::string mPalette;
};

}  // namespace tessel::base
