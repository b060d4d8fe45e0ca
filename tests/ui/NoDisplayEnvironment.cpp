// Unit tests never open windows: without a display the module's interface
// writes to standard error instead of waiting for a user. Tests of the
// windows themselves give their own child processes a display.
#include <cstdlib>

namespace {

const bool sDisplayCleared = [] { return unsetenv("DISPLAY") == 0; }();

}  // namespace
