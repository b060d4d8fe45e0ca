// The preferences file "Tessel Prefs": the last accepted dialog settings as
// three lines of text (sixteen values, the swatch file name, the anti-aliased
// flag), with the one-byte flags stored as raw bytes.
#pragma once

#include <istream>
#include <ostream>

#include "engine/TesselParams.h"

// Overwrites `params` with what `in` holds. Values after the first one that
// cannot be read keep their previous contents; a record that is not this
// filter's (signature, version 3) is reset to the defaults.
void ReadPrefsRecord(std::istream& in, CTesselParams& params);

// Writes `params` in the file's format; `out`'s state tells whether it succeeded.
void WritePrefsRecord(std::ostream& out, const CTesselParams& params);
