#include "tests/ui/XvfbDisplay.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <thread>

namespace tessel::testing {

namespace {

using namespace std::chrono_literals;

bool OnPath(const char* program) {
  const std::string command = std::string("command -v ") + program + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

// Reads the display number that Xvfb writes once it is ready for clients.
std::string ReadDisplayNumber(int fd) {
  std::string number;
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (std::chrono::steady_clock::now() < deadline) {
    pollfd pending{fd, POLLIN, 0};
    if (poll(&pending, 1, 100) <= 0) continue;
    char c = 0;
    if (read(fd, &c, 1) != 1) break;
    if (c == '\n') return number;
    number += c;
  }
  return {};
}

}  // namespace

bool XvfbDisplay::ToolsInstalled() { return OnPath("Xvfb") && OnPath("xdotool") && OnPath("import"); }

XvfbDisplay::XvfbDisplay() {
  int ready[2];
  if (pipe(ready) != 0) return;
  mServer = fork();
  if (mServer == 0) {
    close(ready[0]);
    const std::string fd = std::to_string(ready[1]);
    const int quiet = open("/dev/null", O_WRONLY);
    dup2(quiet, STDOUT_FILENO);
    dup2(quiet, STDERR_FILENO);
    // -noreset: an X server resets when its last client leaves and refuses
    // connections meanwhile, so the next window child would find no display.
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset",
           static_cast<char*>(nullptr));
    _exit(127);
  }
  close(ready[1]);
  if (mServer > 0) {
    const std::string number = ReadDisplayNumber(ready[0]);
    if (!number.empty()) mName = ":" + number;
  }
  close(ready[0]);
}

XvfbDisplay::~XvfbDisplay() {
  if (mServer > 0) {
    kill(mServer, SIGKILL);
    waitpid(mServer, nullptr, 0);
  }
}

std::string XvfbDisplay::Run(const std::string& command, bool& ok) const {
  const std::string full = "DISPLAY=" + mName + " timeout -s KILL 10 " + command + " 2>/dev/null";
  std::string output;
  ok = false;
  if (FILE* pipe = popen(full.c_str(), "r")) {
    char buffer[1024];
    size_t count;
    while ((count = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, count);
    ok = pclose(pipe) == 0;
  }
  return output;
}

std::optional<std::string> XvfbDisplay::Xdotool(const std::string& arguments) const {
  bool ok = false;
  std::string output = Run("xdotool " + arguments, ok);
  if (!ok) return std::nullopt;
  return output;
}

namespace {

std::optional<WindowGeometry> ParseGeometry(const std::string& shell) {
  WindowGeometry geometry;
  int found = 0;
  std::istringstream lines(shell);
  std::string line;
  while (std::getline(lines, line)) {
    const auto equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string key = line.substr(0, equals);
    const int value = std::atoi(line.c_str() + equals + 1);
    if (key == "X") geometry.x = value, ++found;
    if (key == "Y") geometry.y = value, ++found;
    if (key == "WIDTH") geometry.width = value, ++found;
    if (key == "HEIGHT") geometry.height = value, ++found;
  }
  if (found != 4) return std::nullopt;
  return geometry;
}

}  // namespace

std::optional<WindowGeometry> XvfbDisplay::WaitForWindow(const std::string& title, int seconds) const {
  const auto start = std::chrono::steady_clock::now();
  const auto deadline = start + std::chrono::seconds(seconds);
  bool clicked = false;
  while (std::chrono::steady_clock::now() < deadline) {
    // Searched afresh each time: a loaded server may still list the window
    // of a process that just ended, which then vanishes under its id.
    std::string id;
    // Keys typed before the window has the focus would be lost.
    const auto focus = Xdotool("getwindowfocus");
    if (auto ids = Xdotool("search --onlyvisible --name '" + title + "'")) {
      std::istringstream list(*ids);
      std::string candidate;
      while (list >> candidate)
        if (id.empty() || (focus && std::stoul(*focus) == std::stoul(candidate))) id = candidate;
    }
    if (!id.empty()) {
      auto shell = Xdotool("getwindowgeometry --shell " + id);
      auto geometry = shell ? ParseGeometry(*shell) : std::nullopt;
      if (geometry && focus && std::stoul(*focus) == std::stoul(id)) {
        // Let the window finish drawing before anyone looks at it.
        std::this_thread::sleep_for(300ms);
        return geometry;
      }
      // A loaded machine may show the window before giving it the focus; a
      // user would click its title bar.
      if (geometry && !clicked && std::chrono::steady_clock::now() - start > 5s) {
        Click(geometry->x + geometry->width / 2, geometry->y + 8);
        clicked = true;
      }
    }
    std::this_thread::sleep_for(100ms);
  }
  return std::nullopt;
}

std::vector<WindowGeometry> XvfbDisplay::VisibleWindows() const {
  std::vector<WindowGeometry> windows;
  if (auto ids = Xdotool("search --onlyvisible --name ''")) {
    std::istringstream list(*ids);
    std::string id;
    while (list >> id) {
      if (auto shell = Xdotool("getwindowgeometry --shell " + id))
        if (auto geometry = ParseGeometry(*shell)) windows.push_back(*geometry);
    }
  }
  return windows;
}

void XvfbDisplay::Click(int x, int y) const { Drag(x, y, {}); }

void XvfbDisplay::Drag(int x, int y, const std::vector<std::pair<int, int>>& via) const {
  // GNUstep's buttons miss a release that follows the press at once.
  Xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y) + " mousedown 1");
  std::this_thread::sleep_for(200ms);
  for (const auto& [viaX, viaY] : via) {
    Xdotool("mousemove " + std::to_string(viaX) + " " + std::to_string(viaY));
    std::this_thread::sleep_for(150ms);
  }
  Xdotool("mouseup 1");
  std::this_thread::sleep_for(200ms);
}

void XvfbDisplay::Key(const std::string& keys) const {
  Xdotool("key " + keys);
  std::this_thread::sleep_for(200ms);
}

void XvfbDisplay::Type(const std::string& text) const {
  Xdotool("type --delay 30 -- '" + text + "'");
  std::this_thread::sleep_for(200ms);
}

std::optional<std::array<uint8_t, 3>> XvfbDisplay::Pixel(int x, int y) const {
  bool ok = false;
  const std::string text = Run("import -window root -crop 1x1+" + std::to_string(x) + "+" + std::to_string(y) +
                                   " -depth 8 txt:-",
                               ok);
  const auto hash = text.find('#', text.find('\n'));
  if (!ok || hash == std::string::npos || hash + 7 > text.size()) return std::nullopt;
  std::array<uint8_t, 3> rgb{};
  for (size_t i = 0; i < 3; ++i)
    rgb[i] = static_cast<uint8_t>(std::stoi(text.substr(hash + 1 + 2 * i, 2), nullptr, 16));
  return rgb;
}

bool XvfbDisplay::Screenshot(const std::string& path) const {
  bool ok = false;
  Run("import -window root '" + path + "'", ok);
  return ok;
}

}  // namespace tessel::testing
