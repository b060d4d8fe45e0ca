// Action files: any bytes either load or fail with an error naming the file;
// nothing else escapes. A file that loads saves and loads back the same.
#include <nlohmann/json.hpp>

#include "io/ActionFile.h"
#include "tests/fuzz/FuzzSupport.h"

using tessel::fuzz::Require;
using tessel::io::Action;
using tessel::io::ActionFileError;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const tessel::fuzz::ScratchFolder folder;
  const std::string path = folder.Write("action.json", data, size);
  Action action;
  try {
    action = tessel::io::LoadActionFile(path);
  } catch (const ActionFileError& e) {
    Require(std::string(e.what()).rfind(path, 0) == 0, "the error names the file");
    return 0;
  }
  const std::string saved = (folder.path() / "saved.json").string();
  tessel::io::SaveActionFile(saved, action);
  const Action again = tessel::io::LoadActionFile(saved);
  Require(again.showDialog == action.showDialog && again.descriptor == action.descriptor,
          "a saved action loads back the same");
  return 0;
}
