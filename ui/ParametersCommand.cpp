// The parameters selector: defaults, overlaid by the preferences file and the
// host's scripting descriptor, shown in the dialog and saved when accepted.
#include "plugin/Tessel.h"
#include "ui/Bridge.h"
#include "ui/SwatchFolder.h"

namespace {

constexpr short kPresetsPathSize = 2048;

}  // namespace

int16_t CTessel::DoParameters() {
  CTesselParams params;
  ReadPrefs(params);
  // A replayed action without its dialog needs no window at all, so it runs
  // where none can be shown (batch runs without a display).
  if (!ReadScript(params)) {
    WriteParamBlock(params);
    return noErr;
  }

  if (!initTesselDialog()) return filterBadParameters;
  setVersion(kTesselVersionText);
  char presetsPath[kPresetsPathSize] = {};
  GetPresetsPath(presetsPath, kPresetsPathSize);
  tessel::ui::ListSwatchFiles(presetsPath, [](const char* name) { addPalettePath(name); });

  if (!doTesselDialog(&params)) return userCanceledErr;
  WritePrefs(params);
  WriteParamBlock(params);
  return noErr;
}
