// GIMP 3's form of the procedures' arguments (gimp/Arguments.h): each added
// to a procedure as GIMP 3 types it, and read from or written to the config
// a run is handed, whose values GIMP keeps as the last ones used.
#pragma once

#include <vector>

#include <libgimp/gimp.h>

#include "gimp/Arguments.h"

namespace tessel::gimp {

void AddArguments(GimpProcedure* procedure, const std::vector<const ProcedureArgument*>& arguments);

// One value for each of `arguments`, in order.
std::vector<ArgumentValue> ReadArguments(GimpProcedureConfig* config,
                                         const std::vector<const ProcedureArgument*>& arguments);

void WriteArguments(GimpProcedureConfig* config, const std::vector<const ProcedureArgument*>& arguments,
                    const std::vector<ArgumentValue>& values);

}  // namespace tessel::gimp
