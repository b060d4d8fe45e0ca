// tessel-gimp: the GIMP 2.10 plug-in that hosts the Tessel module on the
// open image, registered under Filters > Artistic (gimp/Procedures.h).
#include <libgimp/gimp.h>

#include "gimp/Procedures.h"
#include "gimp/gimp2/Procedure.h"
#include "gimp/gimp2/TesselRun.h"

namespace {

using namespace tessel::gimp;

void Query() {
  for (const Procedure& procedure : kProcedures) {
    gimp_install_procedure(procedure.name, procedure.blurb, procedure.help, kAuthors, kAuthors, kDate,
                           procedure.label, kImageTypes, GIMP_PLUGIN,
                           static_cast<gint>(ProcedureArguments(procedure).size()), 0,
                           ProcedureArguments(procedure).data(), nullptr);
    gimp_plugin_menu_register(procedure.name, kMenuPath);
  }
}

void Run(const gchar* name, gint count, const GimpParam* params, gint* returnCount, GimpParam** returnValues) {
  static GimpParam values[1];
  gegl_init(nullptr, nullptr);
  const auto mode = count > 0 ? static_cast<GimpRunMode>(params[kRunMode].data.d_int32) : GIMP_RUN_NONINTERACTIVE;
  const Procedure* procedure = ProcedureNamed(name);
  values[0].type = GIMP_PDB_STATUS;
  values[0].data.d_status =
      procedure && count > kDrawable ? RunTessel(mode, params, count, *procedure) : GIMP_PDB_CALLING_ERROR;
  *returnCount = 1;
  *returnValues = values;
}

const GimpPlugInInfo kPlugInInfo = {nullptr, nullptr, Query, Run};

}  // namespace

int main(int argc, char** argv) { return gimp_main(&kPlugInInfo, argc, argv); }
