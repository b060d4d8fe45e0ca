// tessel-gimp: the GIMP 2.10 plug-in that hosts the Tessel module on the
// open image, registered as plug-in-tessel under Filters > Artistic.
#include <libgimp/gimp.h>

#include "gimp/Procedure.h"
#include "gimp/TesselRun.h"

namespace {

void Query() {
  using namespace tessel::gimp;
  gimp_install_procedure(kProcedureName, "Flat line art: fill every region of one colour with a colour of its own",
                         "Runs the Tessel filter module on the drawable, within the selection, exactly as the "
                         "tessel command runs it. Interactively the module shows its own parameters dialog.",
                         "The Tessel developers", "The Tessel developers", "2026", "Tessel\u2026", "RGB*, GRAY*",
                         GIMP_PLUGIN, kArgumentCount, 0, ProcedureArguments(), nullptr);
  gimp_plugin_menu_register(kProcedureName, "<Image>/Filters/Artistic");
  gimp_install_procedure(kFlatsProcedureName, "Flats of line art on a new layer under it",
                         "Runs the Tessel filter module on the layer's pixels within the selection's bounds, as "
                         "tessel run --flats-only does, and adds the flats, grown under the lines, as a new layer "
                         "\"Flats\" under it; the layer itself is left as it was.",
                         "The Tessel developers", "The Tessel developers", "2026", "Tessel Flats\u2026",
                         "RGB*, GRAY*", GIMP_PLUGIN, kArgumentCount, 0, ProcedureArguments(), nullptr);
  gimp_plugin_menu_register(kFlatsProcedureName, "<Image>/Filters/Artistic");
}

void Run(const gchar* name, gint count, const GimpParam* params, gint* returnCount, GimpParam** returnValues) {
  static GimpParam values[1];
  gegl_init(nullptr, nullptr);
  const auto mode = count > 0 ? static_cast<GimpRunMode>(params[tessel::gimp::kRunMode].data.d_int32)
                              : GIMP_RUN_NONINTERACTIVE;
  values[0].type = GIMP_PDB_STATUS;
  values[0].data.d_status =
      count > tessel::gimp::kDrawable ? tessel::gimp::RunTessel(mode, params, count,
                                                                 g_strcmp0(name, tessel::gimp::kFlatsProcedureName) == 0) : GIMP_PDB_CALLING_ERROR;
  *returnCount = 1;
  *returnValues = values;
}

const GimpPlugInInfo kPlugInInfo = {nullptr, nullptr, Query, Run};

}  // namespace

int main(int argc, char** argv) { return gimp_main(&kPlugInInfo, argc, argv); }
