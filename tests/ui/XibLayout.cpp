#include "tests/ui/XibLayout.h"

#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>

#include "host/PluginModule.h"

namespace tessel::testing {

XibLayout::XibLayout(const std::string& path) {
  std::ifstream file(path);
  if (!file) throw std::runtime_error("cannot read " + path);
  std::stringstream text;
  text << file.rdbuf();
  const std::string xib = text.str();
  // An element's own frame is the first frame rectangle after its id.
  static const std::regex element(R"re(<(\w+)\b[^>]*\bid="([^"]+)")re");
  static const std::regex frame(R"re(<rect key="frame" x="([-\d.]+)" y="([-\d.]+)" width="([\d.]+)" height="([\d.]+)")re");
  for (std::sregex_iterator it(xib.begin(), xib.end(), element), end; it != end; ++it) {
    std::smatch rect;
    const auto from = xib.begin() + it->position() + it->length();
    if (!std::regex_search(from, xib.end(), rect, frame)) continue;
    // Only when no other element starts in between.
    const std::string between(from, from + rect.position());
    if (between.find("id=\"") != std::string::npos) continue;
    mFrames[(*it)[2]] = {std::stod(rect[1]), std::stod(rect[2]), std::stod(rect[3]), std::stod(rect[4])};
  }
}

std::pair<int, int> XibLayout::Center(const WindowGeometry& window, const std::string& id, int row, int rows) const {
  const XibFrame& content = Frame("contentView");
  const XibFrame& control = Frame(id);
  // The window's frame adds an equal border left, right and below and a title bar above.
  const double border = (window.width - content.width) / 2;
  const double top = window.height - content.height - border;
  const double rowHeight = control.height / rows;
  const double centerX = control.x + control.width / 2;
  const double centerYFromTop = content.height - (control.y + control.height) + rowHeight * (row + 0.5);
  return {window.x + static_cast<int>(border + centerX), window.y + static_cast<int>(top + centerYFromTop)};
}

std::string ModuleResourcePath(const std::string& name) {
  // <bundle>/Contents/Linux/Tessel.so beside <bundle>/Contents/Resources/.
  const std::string module = host::DefaultModulePath();
  const std::string contents = module.substr(0, module.rfind("/Linux/"));
  return contents + "/Resources/" + name + ".xib";
}

}  // namespace tessel::testing
