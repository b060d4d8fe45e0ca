#include "gimp/Procedure.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "base/ParamItems.h"
#include "interface/FolderNames.h"

namespace tessel::gimp {

namespace {

namespace parameter = tessel::parameter;

GimpParamDef Def(GimpPDBArgType type, const char* name, const char* description) {
  // GIMP copies the texts and never writes to them.
  return {type, const_cast<gchar*>(name), const_cast<gchar*>(description)};
}

// GIMP's 0..1 components as the editor's 16-bit ones, through the byte a
// colour option names, each byte repeated (x 257) as the command line's are,
// so that (255 255 255) is exactly the command's white and a script's run
// replays as the same action (the dialog's high-byte mapping differs; see
// base/TypedParams.cpp).
_t_ASRGBColor EditorColor(const GimpRGB& color) {
  const auto wide = [](double value) {
    return static_cast<uint16_t>(257 * std::lround(std::clamp(value, 0.0, 1.0) * 255));
  };
  return {wide(color.r), wide(color.g), wide(color.b)};
}

// Argument `index` of `params`, refused outside low..high under its declared name.
int32_t InRange(const GimpParam* params, Argument index, int32_t low, int32_t high) {
  const int32_t value = params[index].data.d_int32;
  const char* name = ProcedureArguments()[index].name;
  if (value < low || value > high)
    throw ArgumentError(std::string(name) + " must lie between " + std::to_string(low) + " and " +
                        std::to_string(high) + ", not " + std::to_string(value));
  return value;
}

bool Switch(const GimpParam* params, Argument index) { return InRange(params, index, 0, 1) == 1; }

// A number within the range its command-line option accepts.
template <auto member>
int32_t Declared(const GimpParam* params, Argument index) {
  const parameter::Option& option = parameter::kDeclared<member>.option;
  return InRange(params, index, option.low, option.high);
}

}  // namespace

const GimpParamDef* ProcedureArguments() {
  static const std::string kPaletteHelp = std::string("Swatch file (") + kSwatchExtension +
                                          ") in the presets folder's \"" + kPrefsName[kSwatchFolderNameIndex] +
                                          "\" to paint with; empty for random colours";
  static const GimpParamDef kArguments[kArgumentCount] = {
      Def(GIMP_PDB_INT32, "run-mode", "The run mode { RUN-INTERACTIVE (0), RUN-NONINTERACTIVE (1) }"),
      Def(GIMP_PDB_IMAGE, "image", "Input image"),
      Def(GIMP_PDB_DRAWABLE, "drawable", "Drawable to flat"),
      Def(GIMP_PDB_INT32, "anti-aliased",
          "Treat near-white pixels and neutral greys brighter than 16 as fill, instead of fill-color and tolerance "
          "(0/1)"),
      Def(GIMP_PDB_COLOR, "fill-color", "Colour of the regions to flat"),
      Def(GIMP_PDB_INT32, "tolerance", "How far per channel a pixel may lie from fill-color (0-255)"),
      Def(GIMP_PDB_STRING, "palette", kPaletteHelp.c_str()),
      Def(GIMP_PDB_INT32, "flag", "Repaint regions no larger than flag-size in flag-color (0/1)"),
      Def(GIMP_PDB_COLOR, "flag-color", "Colour that marks small regions"),
      Def(GIMP_PDB_INT32, "flag-size", "Largest region size that is flagged"),
      Def(GIMP_PDB_INT32, "join", "Merge regions no larger than join-size into a neighbour (0/1)"),
      Def(GIMP_PDB_INT32, "join-size", "Largest region size that is joined"),
      Def(GIMP_PDB_INT32, "size-by-area", "Measure a region by its pixel count (1) or by its width and height (0)"),
  };
  return kArguments;
}

base::Descriptor ActionFromArguments(const GimpParam* params) {
  using parameter::kKeyOf;
  using Record = _STesselParams;
  base::Descriptor action;
  action.Put({kKeyOf<&Record::paintAntiAliased>, Switch(params, kAntiAliased)});
  action.Put(base::params::ColorItem(kKeyOf<&Record::fillColor>, EditorColor(params[kFillColor].data.d_color)));
  action.Put({kKeyOf<&Record::tolerance>, Declared<&Record::tolerance>(params, kTolerance)});
  const gchar* palette = params[kPalette].data.d_string;
  base::params::PutPalette(action, palette ? palette : "");
  action.Put({kKeyOf<&Record::flagAreas>, Switch(params, kFlag)});
  action.Put(base::params::ColorItem(kKeyOf<&Record::flagColor>, EditorColor(params[kFlagColor].data.d_color)));
  action.Put({kKeyOf<&Record::flagSize>, Declared<&Record::flagSize>(params, kFlagSize)});
  action.Put({kKeyOf<&Record::joinAreas>, Switch(params, kJoin)});
  action.Put({kKeyOf<&Record::joinSize>, Declared<&Record::joinSize>(params, kJoinSize)});
  action.Put({kKeyOf<&Record::measureByArea>, Switch(params, kSizeByArea)});
  return action;
}

}  // namespace tessel::gimp
