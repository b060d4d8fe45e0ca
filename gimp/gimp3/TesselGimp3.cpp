// tessel-gimp3: the GIMP 3 plug-in that hosts the Tessel module on the open
// image's selected drawables, registered under Filters > Artistic
// (gimp/Procedures.h).
#include <libgimp/gimp.h>

#include <string>

#include "gimp/Procedures.h"
#include "gimp/gimp3/ProcedureConfig.h"
#include "gimp/gimp3/TesselRun.h"

namespace {

using namespace tessel::gimp;

struct TesselPlugIn {
  GimpPlugIn parent;
};
struct TesselPlugInClass {
  GimpPlugInClass parent;
};

// None is a call without hints, as before the argument was there.
const std::string kOptionalHintsHelp = std::string(kHintsArgumentHelp) + "; none for the flats' own colours";

GType tessel_plug_in_get_type();
G_DEFINE_TYPE(TesselPlugIn, tessel_plug_in, GIMP_TYPE_PLUG_IN)

GList* QueryProcedures(GimpPlugIn*) {
  GList* names = nullptr;
  // GIMP 3's flats procedure takes its hints layer as an optional argument:
  // the procedure GIMP 2.10 needs for a mandatory one would only say the same
  // again, and no script calls both GIMPs' procedures alike anyway (GIMP 3
  // takes an array of drawables where GIMP 2.10 takes one).
  for (const Procedure& procedure : kProcedures)
    if (!procedure.hints) names = g_list_append(names, g_strdup(procedure.name));
  return names;
}

GimpProcedure* CreateProcedure(GimpPlugIn* plugIn, const gchar* name) {
  const Procedure* described = ProcedureNamed(name);
  if (!described) return nullptr;
  gegl_init(nullptr, nullptr);  // the colour arguments' defaults are GEGL colours
  GimpProcedure* procedure = gimp_image_procedure_new(plugIn, name, GIMP_PDB_PROC_TYPE_PLUGIN, RunTessel,
                                                      const_cast<Procedure*>(described), nullptr);
  gimp_procedure_set_image_types(procedure, kImageTypes);
  gimp_procedure_set_sensitivity_mask(procedure,
                                      GIMP_PROCEDURE_SENSITIVE_DRAWABLE | GIMP_PROCEDURE_SENSITIVE_DRAWABLES);
  gimp_procedure_set_menu_label(procedure, described->label);
  gimp_procedure_add_menu_path(procedure, kMenuPath);
  gimp_procedure_set_documentation(procedure, described->blurb, described->help, name);
  gimp_procedure_set_attribution(procedure, kAuthors, kAuthors, kDate);
  AddArguments(procedure, ArgumentsOf(described->flatsLayer));
  if (described->flatsLayer)
    gimp_procedure_add_layer_argument(procedure, kHintsArgumentName, "_Hints", kOptionalHintsHelp.c_str(), TRUE,
                                      G_PARAM_READWRITE);
  return procedure;
}

void tessel_plug_in_class_init(TesselPlugInClass* type) {
  GimpPlugInClass* plugIn = GIMP_PLUG_IN_CLASS(type);
  plugIn->query_procedures = QueryProcedures;
  plugIn->create_procedure = CreateProcedure;
  plugIn->set_i18n = nullptr;  // no translations
}

void tessel_plug_in_init(TesselPlugIn*) {}

}  // namespace

GIMP_MAIN(tessel_plug_in_get_type())
