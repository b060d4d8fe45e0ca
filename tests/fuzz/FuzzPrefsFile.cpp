// The preferences file: whatever "Tessel Prefs" holds, reading it leaves a
// valid record with a terminated name, and a record it accepted survives
// being written and read again.
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "persistence/PrefsFile.h"
#include "plugin/Tessel.h"
#include "tests/fuzz/FuzzSupport.h"

using tessel::fuzz::Require;

namespace {

bool SameStoredFields(const CTesselParams& a, const CTesselParams& b) {
  return a.signature == b.signature && a.version == b.version && a.fillColor.red == b.fillColor.red &&
         a.fillColor.green == b.fillColor.green && a.fillColor.blue == b.fillColor.blue &&
         std::strcmp(a.paletteName, b.paletteName) == 0 && a.tolerance == b.tolerance &&
         a.reservedFlag == b.reservedFlag && a.randomColors == b.randomColors && a.measureByArea == b.measureByArea &&
         a.flagAreas == b.flagAreas && a.flagColor.red == b.flagColor.red && a.flagColor.green == b.flagColor.green &&
         a.flagColor.blue == b.flagColor.blue && a.flagSize == b.flagSize && a.joinAreas == b.joinAreas &&
         a.joinSize == b.joinSize && a.paintAntiAliased == b.paintAntiAliased;
}

const tessel::fuzz::ScratchFolder& ConfigHome() {
  static const tessel::fuzz::ScratchFolder folder;
  static const bool set = setenv("XDG_CONFIG_HOME", folder.path().c_str(), 1) == 0;
  Require(set, "the preferences folder can be pointed at the scratch folder");
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const tessel::fuzz::ScratchFolder& home = ConfigHome();
  home.Write("Tessel Prefs", data, size);

  CTessel filter;
  CTesselParams params;
  filter.ReadPrefs(params);
  Require(params.IsValid(), "a record that is not ours is reset");
  Require(strnlen(params.paletteName, kPaletteNameSize) < kPaletteNameSize, "the name ends within its field");

  std::stringstream file;
  WritePrefsRecord(file, params);
  CTesselParams again;
  again.paintAntiAliased = 7;  // must come from the file
  ReadPrefsRecord(file, again);
  Require(SameStoredFields(params, again), "an accepted record reads back as written");
  return 0;
}
