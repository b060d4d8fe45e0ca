#include "gimp/gimp2/Procedure.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace tessel::gimp {

namespace {

// The filter's parameters in GIMP 2.10's order; its flats procedure takes
// no flats steps.
const std::vector<const ProcedureArgument*>& FilterArguments() {
  static const std::vector<const ProcedureArgument*> kArguments = ArgumentsOf(false);
  return kArguments;
}

GimpPDBArgType TypeFor(const ProcedureArgument& argument) {
  switch (TypeOf(argument)) {
    case ArgumentType::kColor: return GIMP_PDB_COLOR;
    case ArgumentType::kText: return GIMP_PDB_STRING;
    default: return GIMP_PDB_INT32;
  }
}

GimpParamDef Def(GimpPDBArgType type, const char* name, const char* description) {
  // GIMP copies the texts and never writes to them.
  return {type, const_cast<gchar*>(name), const_cast<gchar*>(description)};
}

ArgumentValue ValueOf(const ProcedureArgument& argument, const GimpParam& param) {
  const auto byte = [](double component) {
    return static_cast<uint8_t>(std::lround(std::clamp(component, 0.0, 1.0) * 255));
  };
  switch (TypeOf(argument)) {
    case ArgumentType::kSwitch: return InRange(argument, param.data.d_int32) == 1;
    case ArgumentType::kColor:
      return Rgb{byte(param.data.d_color.r), byte(param.data.d_color.g), byte(param.data.d_color.b)};
    case ArgumentType::kText: return std::string(param.data.d_string ? param.data.d_string : "");
    default: return param.data.d_int32;
  }
}

}  // namespace

const std::vector<GimpParamDef>& ProcedureArguments(const Procedure& procedure) {
  static const std::vector<std::string> kHelp = [] {
    std::vector<std::string> help;
    for (const ProcedureArgument* argument : FilterArguments())
      help.push_back(argument->help + (TypeOf(*argument) == ArgumentType::kSwitch ? " (0/1)" : ""));
    return help;
  }();
  static const std::vector<GimpParamDef> kDefs = [] {
    std::vector<GimpParamDef> defs = {
        Def(GIMP_PDB_INT32, "run-mode", "The run mode { RUN-INTERACTIVE (0), RUN-NONINTERACTIVE (1) }"),
        Def(GIMP_PDB_IMAGE, "image", "Input image"),
        Def(GIMP_PDB_DRAWABLE, "drawable", "Drawable to flat"),
    };
    for (size_t i = 0; i < FilterArguments().size(); ++i)
      defs.push_back(Def(TypeFor(*FilterArguments()[i]), FilterArguments()[i]->name, kHelp[i].c_str()));
    return defs;
  }();
  static const std::vector<GimpParamDef> kHintsDefs = [] {
    std::vector<GimpParamDef> defs = kDefs;
    defs.push_back(Def(GIMP_PDB_DRAWABLE, kHintsArgumentName, kHintsArgumentHelp));
    return defs;
  }();
  return procedure.hints ? kHintsDefs : kDefs;
}

ArgumentCall CallFromParams(const GimpParam* params) {
  std::vector<ArgumentValue> values;
  for (size_t i = 0; i < FilterArguments().size(); ++i)
    values.push_back(ValueOf(*FilterArguments()[i], params[kFirstFilterArgument + i]));
  return CallOf(FilterArguments(), values);
}

}  // namespace tessel::gimp
