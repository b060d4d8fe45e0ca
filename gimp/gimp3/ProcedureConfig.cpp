#include "gimp/gimp3/ProcedureConfig.h"

#include <string>

namespace tessel::gimp {

namespace {

// A colour's components as GIMP's colour choosers show them, in sRGB.
const Babl* ColorFormat() { return babl_format("R'G'B'A u8"); }

GeglColor* NewColor(const Rgb& rgb) {
  GeglColor* color = gegl_color_new(nullptr);
  const guint8 components[4] = {rgb.red, rgb.green, rgb.blue, 255};
  gegl_color_set_pixel(color, ColorFormat(), components);
  return color;
}

// GIMP 3.0 hands a caller every colour argument's default as transparent
// black, whatever the procedure declared: a colour no user picks for these
// arguments (the filter has no use for transparency) stands for the default.
Rgb ColorOf(GimpProcedureConfig* config, const ProcedureArgument& argument) {
  GeglColor* color = nullptr;
  g_object_get(config, argument.name, &color, nullptr);
  guint8 components[4] = {};
  if (color) gegl_color_get_pixel(color, ColorFormat(), components);
  g_clear_object(&color);
  if (components[0] == 0 && components[1] == 0 && components[2] == 0 && components[3] == 0)
    return std::get<Rgb>(DefaultOf(argument));
  return {components[0], components[1], components[2]};
}

}  // namespace

void AddArguments(GimpProcedure* procedure, const std::vector<const ProcedureArgument*>& arguments) {
  for (const ProcedureArgument* argument : arguments) {
    const char* name = argument->name;
    const char* help = argument->help.c_str();
    const ArgumentValue initial = DefaultOf(*argument);
    switch (TypeOf(*argument)) {
      case ArgumentType::kSwitch:
        gimp_procedure_add_boolean_argument(procedure, name, argument->label, help, std::get<bool>(initial),
                                            G_PARAM_READWRITE);
        break;
      case ArgumentType::kNumber: {
        const auto [low, high] = RangeOf(*argument);
        gimp_procedure_add_int_argument(procedure, name, argument->label, help, low, high, std::get<int32_t>(initial),
                                        G_PARAM_READWRITE);
        break;
      }
      case ArgumentType::kColor: {
        GeglColor* color = NewColor(std::get<Rgb>(initial));
        gimp_procedure_add_color_argument(procedure, name, argument->label, help, FALSE, color, G_PARAM_READWRITE);
        g_object_unref(color);  // the argument keeps a copy
        break;
      }
      case ArgumentType::kText:
        gimp_procedure_add_string_argument(procedure, name, argument->label, help,
                                           std::get<std::string>(initial).c_str(), G_PARAM_READWRITE);
        break;
    }
  }
}

std::vector<ArgumentValue> ReadArguments(GimpProcedureConfig* config,
                                         const std::vector<const ProcedureArgument*>& arguments) {
  std::vector<ArgumentValue> values;
  for (const ProcedureArgument* argument : arguments) {
    switch (TypeOf(*argument)) {
      case ArgumentType::kSwitch: {
        gboolean on = FALSE;
        g_object_get(config, argument->name, &on, nullptr);
        values.emplace_back(on != FALSE);
        break;
      }
      case ArgumentType::kNumber: {
        gint number = 0;
        g_object_get(config, argument->name, &number, nullptr);
        values.emplace_back(int32_t{number});
        break;
      }
      case ArgumentType::kColor:
        values.emplace_back(ColorOf(config, *argument));
        break;
      case ArgumentType::kText: {
        gchar* text = nullptr;
        g_object_get(config, argument->name, &text, nullptr);
        values.emplace_back(std::string(text ? text : ""));
        g_free(text);
        break;
      }
    }
  }
  return values;
}

void WriteArguments(GimpProcedureConfig* config, const std::vector<const ProcedureArgument*>& arguments,
                    const std::vector<ArgumentValue>& values) {
  for (size_t i = 0; i < arguments.size(); ++i) {
    const char* name = arguments[i]->name;
    const ArgumentValue& value = values.at(i);
    switch (TypeOf(*arguments[i])) {
      case ArgumentType::kSwitch: g_object_set(config, name, gboolean{std::get<bool>(value)}, nullptr); break;
      case ArgumentType::kNumber: g_object_set(config, name, gint{std::get<int32_t>(value)}, nullptr); break;
      case ArgumentType::kColor: {
        GeglColor* color = NewColor(std::get<Rgb>(value));
        g_object_set(config, name, color, nullptr);
        g_object_unref(color);
        break;
      }
      case ArgumentType::kText: g_object_set(config, name, std::get<std::string>(value).c_str(), nullptr); break;
    }
  }
}

}  // namespace tessel::gimp
