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
}

void Run(const gchar*, gint count, const GimpParam* params, gint* returnCount, GimpParam** returnValues) {
  static GimpParam values[1];
  gegl_init(nullptr, nullptr);
  const auto mode = count > 0 ? static_cast<GimpRunMode>(params[tessel::gimp::kRunMode].data.d_int32)
                              : GIMP_RUN_NONINTERACTIVE;
  values[0].type = GIMP_PDB_STATUS;
  values[0].data.d_status =
      count > tessel::gimp::kDrawable ? tessel::gimp::RunTessel(mode, params, count) : GIMP_PDB_CALLING_ERROR;
  *returnCount = 1;
  *returnValues = values;
}

const GimpPlugInInfo kPlugInInfo = {nullptr, nullptr, Query, Run};

}  // namespace

int main(int argc, char** argv) { return gimp_main(&kPlugInInfo, argc, argv); }
