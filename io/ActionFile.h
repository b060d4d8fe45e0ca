// Action files: one recorded run of the filter, saved as JSON so that it can
// be replayed later over other pages, with or without the dialog. The format
// is described in README.md, "Action files".
#pragma once

#include <stdexcept>
#include <string>

#include <nlohmann/json_fwd.hpp>

#include "base/Descriptor.h"

namespace tessel::io {

// A file that cannot be read or is not an action of this filter; the message
// names the file and what is wrong with it.
class ActionFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Action {
  // Whether replaying shows the dialog (the editor's dialog toggle).
  bool showDialog = false;
  base::Descriptor descriptor;
};

nlohmann::json ActionToJson(const Action& action);
// Throws ActionFileError.
Action ActionFromJson(const nlohmann::json& json);

// Both throw ActionFileError; saving replaces the file only once it is
// completely written.
void SaveActionFile(const std::string& path, const Action& action);
Action LoadActionFile(const std::string& path);

}  // namespace tessel::io
