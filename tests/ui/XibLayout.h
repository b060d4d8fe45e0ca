// Where the controls of one of the module's window resources lie on screen,
// read from the resource itself so that tests click where a user would.
#pragma once

#include <map>
#include <string>
#include <utility>

#include "tests/ui/XvfbDisplay.h"

namespace tessel::testing {

// A frame as the resource states it: origin at the bottom left of its parent.
struct XibFrame {
  double x = 0, y = 0, width = 0, height = 0;
};

class XibLayout {
 public:
  // Reads the frames of every element with an id; throws std::runtime_error
  // when the file cannot be read.
  explicit XibLayout(const std::string& path);

  // The frame of the element `id`; throws std::out_of_range for an unknown id.
  const XibFrame& Frame(const std::string& id) const { return mFrames.at(id); }

  // The screen point at the centre of control `id` of `window`, whose content
  // view is the element "contentView"; `row` of `rows` picks a cell of a
  // one-column matrix, counted from the top.
  std::pair<int, int> Center(const WindowGeometry& window, const std::string& id, int row = 0, int rows = 1) const;

 private:
  std::map<std::string, XibFrame> mFrames;
};

// The module's window resource `name` ("Tessel", "About") as the build laid it out.
std::string ModuleResourcePath(const std::string& name);

}  // namespace tessel::testing
