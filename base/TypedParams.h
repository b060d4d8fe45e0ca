// The filter's parameters as a user types them: colours in words or numbers,
// flags with a --no-name form, sizes in pixels or in physical units, and the
// items the options given put in the descriptor a run replays. The command line and the C interface read the
// same options (interface/ParamDeclarations.h) and hold them here alike.
#pragma once

#include <cstdint>
#include <map>
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

// A size as typed: a number and its unit. Pixels are whole; millimetres,
// inches and points measure lengths, square millimetres and square inches
// areas, and take their pixels from a page's resolution.
struct TypedSize {
  enum class Unit { kPixels, kMillimetres, kInches, kPoints, kSquareMillimetres, kSquareInches };
  double amount = 0;
  Unit unit = Unit::kPixels;

  bool physical() const { return unit != Unit::kPixels; }
  bool area() const { return unit == Unit::kSquareMillimetres || unit == Unit::kSquareInches; }
  // The pixels at `pixelsPerMillimetre`, rounded to the nearest, and at least
  // one unless the size is 0.
  double Pixels(double pixelsPerMillimetre) const;
  // As a user would type it: "0.5mm", "12".
  std::string text() const;
};

// Reads a size given to an option that takes `low` to `high` pixels: a whole
// number of pixels, alone or followed by "px" (read as the command line reads
// whole numbers), or a number of millimetres, inches or points ("0.5mm",
// "0.02in", "1.5pt") or of square millimetres or inches ("0.4mm2",
// "0.001in2"), which is held to the range once a page's resolution turns it
// into pixels. Throws std::invalid_argument saying why `text` is refused.
TypedSize ReadSize(const std::string& text, int64_t low, int64_t high);

// The units a size takes, for the options' help.
extern const char kSizeUnits[];

// The parameter options given, as the items they put in the descriptor.
class ParamValues {
 public:
  // Replaces what an earlier option gave under the same key.
  void Put(DescriptorItem item) { mItems.Put(std::move(item)); }
  // A size: in pixels, its item; in physical units, kept apart until a
  // page's resolution turns it into pixels. Replaces what an earlier option
  // gave under the same key.
  void PutSize(DescriptorKeyID key, const TypedSize& size);
  // The sizes given in physical units, by key.
  const std::map<DescriptorKeyID, TypedSize>& physicalSizes() const { return mPhysicalSizes; }
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
  std::map<DescriptorKeyID, TypedSize> mPhysicalSizes;
};

}  // namespace tessel::base
