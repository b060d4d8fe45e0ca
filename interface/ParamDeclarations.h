// Every parameter of the filter, declared once: the record's member, its
// default, the key of its item in a recorded action, and how the command line
// offers it (name, help, range). The record's defaults, the scripting
// descriptor's items and key list, the tessel command's options with their
// help, the manual page, the README's options list and the host's reading of
// a recorded action are all made from this table, so a new parameter is its
// record member and one more line here.
//
// The table is in the order the descriptor writes its items, which recorded
// actions keep. The byte layouts of the parameter block and the preferences
// file are stored formats of their own and are not made from it: a new
// member changes them, and with them the record's version.
#pragma once

#include <cstdint>
#include <type_traits>
#include <variant>

#include "interface/FourCharCode.h"
#include "interface/ParamsRecord.h"

namespace tessel::parameter {

// The member's type decides how each store carries it: colours as RGB
// objects, the name as text, flags as booleans, the rest as integers.
using ColorMember = _t_ASRGBColor _STesselParams::*;
using NameMember = char (_STesselParams::*)[kPaletteNameSize];
using LevelMember = uint16_t _STesselParams::*;
using FlagMember = uint8_t _STesselParams::*;
using SizeMember = uint64_t _STesselParams::*;
using Member = std::variant<ColorMember, NameMember, LevelMember, FlagMember, SizeMember>;

// A colour's item: an object of this class holding the three components,
// each the record's 16-bit value unscaled, then an item of key 0.
inline constexpr DescType kColorClass = FourCharCode("RGBC");
struct ColorComponent {
  DescriptorKeyID key;
  uint16_t _t_ASRGBColor::*component;
};
inline constexpr ColorComponent kColorComponents[] = {
    {FourCharCode("Rd  "), &_t_ASRGBColor::red},
    {FourCharCode("Grn "), &_t_ASRGBColor::green},
    {FourCharCode("Bl  "), &_t_ASRGBColor::blue},
};

// The largest size anywhere a user types one: sizes travel in recorded
// actions as signed 32-bit integers.
inline constexpr int32_t kLargestSize = 2147483647;

// A default: a colour's components, or a number (a flag's 0 or 1; the name's
// default is always empty).
struct Default {
  uint64_t number = 0;
  _t_ASRGBColor color{};
};
constexpr Default Number(uint64_t value) { return {value, {}}; }
constexpr Default Color(uint16_t red, uint16_t green, uint16_t blue) { return {0, {red, green, blue}}; }

// How the tessel command offers a parameter, built up GEGL-style:
// OptionNamed("tolerance", "...").Range(0, 255).
struct Option {
  const char* name = nullptr;       // given as --name
  const char* help = nullptr;       // the default is added to it
  const char* valueName = nullptr;  // a text's placeholder
  int32_t low = 0, high = 0;        // a number's accepted values
  const char* onWord = nullptr;     // a flag given as one of two words
  const char* offWord = nullptr;
  bool negatable = true;            // a flag has a --no-name form
  const char* excludes = nullptr;   // an option that cannot be given with it
  bool showsDefault = true;

  constexpr Option Value(const char* placeholder) const {
    Option copy = *this;
    copy.valueName = placeholder;
    return copy;
  }
  constexpr Option Range(int32_t from, int32_t to) const {
    Option copy = *this;
    copy.low = from;
    copy.high = to;
    return copy;
  }
  constexpr Option Words(const char* on, const char* off) const {
    Option copy = *this;
    copy.onWord = on;
    copy.offWord = off;
    return copy;
  }
  constexpr Option OnlyOn() const {
    Option copy = *this;
    copy.negatable = false;
    return copy;
  }
  constexpr Option Excludes(const char* other) const {
    Option copy = *this;
    copy.excludes = other;
    return copy;
  }
  constexpr Option NoDefaultShown() const {
    Option copy = *this;
    copy.showsDefault = false;
    return copy;
  }
};
constexpr Option OptionNamed(const char* name, const char* help) { return Option{name, help}; }

// Visits a Member with one lambda per kind of member.
template <typename... Ts>
struct Overloaded : Ts... {
  using Ts::operator()...;
};
template <typename... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

struct Declaration {
  Member member;
  DescriptorKeyID key;
  Default initial;
  Option option;
};

inline constexpr Declaration kDeclarations[] = {
    {&_STesselParams::fillColor, FourCharCode("BckC"), Color(65535, 65535, 65535),
     OptionNamed("fill", "Colour of the regions to flat").Value("COLOR")},
    {&_STesselParams::flagColor, FourCharCode("Clr "), Color(65535, 0, 65535),
     OptionNamed("flag-color", "Colour that marks small regions").Value("COLOR")},
    {&_STesselParams::paletteName, FourCharCode("PltF"), Number(0),
     OptionNamed("palette", "Paint with the colours of this swatch file (see `tessel palettes`)")
         .Value("NAME.aco")
         .NoDefaultShown()},
    {&_STesselParams::tolerance, FourCharCode("Tlrn"), Number(0),
     OptionNamed("tolerance", "How far per channel (0-255) a pixel may lie from the fill colour; unused with "
                              "--anti-aliased")
         .Range(0, 255)},
    {&_STesselParams::randomColors, FourCharCode("RanD"), Number(0),
     OptionNamed("random", "Paint with random colours (the default without a palette)")
         .OnlyOn()
         .Excludes("palette")
         .NoDefaultShown()},
    {&_STesselParams::measureByArea, FourCharCode("Ar  "), Number(0),
     OptionNamed("size-by", "How a region's size is measured: area, its pixel count, or extent, its width and height")
         .Words("area", "extent")},
    {&_STesselParams::flagAreas, FourCharCode("FlaG"), Number(0),
     OptionNamed("flag", "Repaint regions no larger than --flag-size in --flag-color")},
    {&_STesselParams::joinAreas, FourCharCode("JoiN"), Number(0),
     OptionNamed("join", "Merge regions no larger than --join-size into a neighbour")},
    {&_STesselParams::flagSize, FourCharCode("FlgS"), Number(20),
     OptionNamed("flag-size", "Largest region size that is flagged").Range(0, kLargestSize)},
    {&_STesselParams::joinSize, FourCharCode("JinS"), Number(10),
     OptionNamed("join-size", "Largest region size that is joined").Range(0, kLargestSize)},
    {&_STesselParams::paintAntiAliased, FourCharCode("PaAp"), Number(1),
     OptionNamed("anti-aliased", "Treat near-white pixels and neutral greys brighter than 16 as fill, instead of "
                                 "--fill and --tolerance; turn it off for grey images")},
};

inline constexpr size_t kDeclarationCount = sizeof kDeclarations / sizeof kDeclarations[0];

// The declaration of `member`. Used only through kDeclared and kKeyOf, so that
// a member without a declaration fails to compile rather than at run time.
template <typename Field>
constexpr const Declaration& Find(Field _STesselParams::*member) {
  // Not std::get_if: its null check is no constant expression under UBSan.
  for (const Declaration& declaration : kDeclarations)
    if (std::holds_alternative<Field _STesselParams::*>(declaration.member) &&
        std::get<Field _STesselParams::*>(declaration.member) == member)
      return declaration;
  throw "not a declared parameter";
}

template <auto member>
inline constexpr const Declaration& kDeclared = Find(member);
template <auto member>
inline constexpr DescriptorKeyID kKeyOf = Find(member).key;

// Every member at its default: the declared ones as declared, the signature
// and version this filter's, the rest (the whole name included) zero.
inline void SetDefaults(_STesselParams& record) {
  record = _STesselParams{};
  record.signature = kTesselSignature;
  record.version = kTesselParamsVersion;
  for (const Declaration& declared : kDeclarations)
    std::visit(Overloaded{
                   [&](ColorMember member) { record.*member = declared.initial.color; },
                   [&](NameMember) {},
                   [&](auto member) {
                     using Field = std::remove_reference_t<decltype(record.*member)>;
                     record.*member = static_cast<Field>(declared.initial.number);
                   },
               },
               declared.member);
}

// A recorded integer as the member holds it: sizes sign-extended to 64 bits,
// the tolerance its low 16 bits.
template <typename Number>
constexpr Number FromInteger(int32_t value) {
  return static_cast<Number>(static_cast<int64_t>(value));
}

// A size typed where it cannot be refused (the dialog's fields): held to
// what the command line accepts.
constexpr uint64_t SizeFromTyped(int64_t typed) {
  return static_cast<uint64_t>(typed < 0 ? 0 : typed > kLargestSize ? kLargestSize : typed);
}

}  // namespace tessel::parameter
