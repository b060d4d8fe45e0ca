// A private X display for tests of real windows: its own Xvfb server on a
// free display number, and the user's hands (xdotool) and eyes (ImageMagick).
#pragma once

#include <sys/types.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tessel::testing {

// Where a top-level window lies on the screen, frame included.
struct WindowGeometry {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

class XvfbDisplay {
 public:
  // Whether Xvfb, xdotool and ImageMagick's import are installed.
  static bool ToolsInstalled();

  // Starts the server and waits until it accepts clients; name() is empty
  // when it could not be started.
  XvfbDisplay();
  // Kills the server.
  ~XvfbDisplay();
  XvfbDisplay(const XvfbDisplay&) = delete;
  XvfbDisplay& operator=(const XvfbDisplay&) = delete;

  // ":<number>", for DISPLAY.
  const std::string& name() const { return mName; }

  // Runs `xdotool <arguments>` on this display; its standard output, or
  // nothing when it fails or takes longer than a few seconds.
  std::optional<std::string> Xdotool(const std::string& arguments) const;
  // Waits up to `seconds` for a visible window whose title matches the
  // regular expression `title` to take the keyboard focus.
  std::optional<WindowGeometry> WaitForWindow(const std::string& title, int seconds = 60) const;
  // Every visible top-level window.
  std::vector<WindowGeometry> VisibleWindows() const;

  // A press and release at a screen point, held long enough for every control to see it.
  void Click(int x, int y) const;
  // Press at one point, move through `via`, release at the last.
  void Drag(int x, int y, const std::vector<std::pair<int, int>>& via) const;
  void Key(const std::string& keys) const;
  void Type(const std::string& text) const;

  // The colour of one screen pixel as red, green, blue.
  std::optional<std::array<uint8_t, 3>> Pixel(int x, int y) const;
  // Saves the whole screen as a PNG file.
  bool Screenshot(const std::string& path) const;

 private:
  std::string Run(const std::string& command, bool& ok) const;

  pid_t mServer = -1;
  std::string mName;
};

}  // namespace tessel::testing
