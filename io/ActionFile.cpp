#include "io/ActionFile.h"

#include <cstdio>
#include <fstream>

#include <nlohmann/json.hpp>

namespace tessel::io {

using nlohmann::json;

namespace {

const char* const kFormat = "Tessel action";
constexpr int kFormatVersion = 1;

const json& Field(const json& action, const char* name) {
  auto found = action.find(name);
  if (found == action.end()) throw ActionFileError(std::string("missing \"") + name + "\"");
  return *found;
}

// A value as an error message may quote it: a short scalar as written, else
// its kind (a nested value could be too deep to write out, or too long to read).
std::string Shown(const json& value) {
  constexpr size_t kLongest = 40;
  if (!value.is_primitive()) return std::string("an ") + value.type_name();
  const std::string written = value.dump();
  return written.size() <= kLongest ? written : std::string("a long ") + value.type_name();
}

}  // namespace

json ActionToJson(const Action& action) {
  return {{"format", kFormat},
          {"version", kFormatVersion},
          {"showDialog", action.showDialog},
          {"descriptor", base::DescriptorToJson(action.descriptor)}};
}

Action ActionFromJson(const json& action) {
  if (!action.is_object()) throw ActionFileError("not an action: the top level must be an object");
  const json& format = Field(action, "format");
  if (format != kFormat) throw ActionFileError("not a Tessel action: \"format\" is " + Shown(format));
  const json& version = Field(action, "version");
  if (version != kFormatVersion)
    throw ActionFileError("unsupported action version " + Shown(version) + " (this host reads version 1)");
  const json& showDialog = Field(action, "showDialog");
  if (!showDialog.is_boolean()) throw ActionFileError("\"showDialog\" must be true or false");
  try {
    return Action{showDialog.get<bool>(), base::DescriptorFromJson(Field(action, "descriptor"))};
  } catch (const base::DescriptorFormatError& e) {
    throw ActionFileError(e.what());
  }
}

void SaveActionFile(const std::string& path, const Action& action) {
  const std::string temporary = path + ".part";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << ActionToJson(action).dump(2) << '\n';
    out.close();
    if (!out) {
      std::remove(temporary.c_str());
      throw ActionFileError(path + ": cannot write the action file");
    }
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    throw ActionFileError(path + ": cannot replace the action file");
  }
}

Action LoadActionFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ActionFileError(path + ": cannot open the action file");
  try {
    return ActionFromJson(json::parse(in));
  } catch (const json::parse_error& e) {
    throw ActionFileError(path + ": not valid JSON (" + e.what() + ")");
  } catch (const json::exception& e) {
    // Valid JSON the library cannot hold, such as a number beyond a double's range.
    throw ActionFileError(path + ": a value cannot be read (" + e.what() + ")");
  } catch (const ActionFileError& e) {
    throw ActionFileError(path + ": " + e.what());
  }
}

}  // namespace tessel::io
