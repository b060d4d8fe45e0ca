// Runs the built tessel command as a user would, capturing what it says,
// with its per-user folders inside a throw-away folder.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <boost/filesystem.hpp>

#include "base/ImageBuffer.h"
#include "io/ImageFile.h"
#include "tests/support/TempFolders.h"

namespace tessel::test {

struct CommandResult {
  int exitCode = -1;  // 128 + signal when it was killed
  std::string out;
  std::string err;
};

class TesselCommand {
 public:
  TesselCommand()
      : mData("XDG_DATA_HOME", (mHome.path() / "data").string()),
        mSharedData("XDG_DATA_DIRS", (mHome.path() / "shared").string()),
        mConfig("XDG_CONFIG_HOME", (mHome.path() / "config").string()) {}

  // The presets folder the command uses when --presets is not given.
  boost::filesystem::path presets() const { return mHome.path() / "data" / "tessel" / "presets"; }

  CommandResult Run(const std::vector<std::string>& arguments) const {
    const std::string out = (mHome.path() / "stdout").string();
    const std::string err = (mHome.path() / "stderr").string();
    const pid_t child = fork();
    if (child == 0) {
      if (!freopen(out.c_str(), "w", stdout) || !freopen(err.c_str(), "w", stderr)) _exit(127);
      std::vector<char*> argv;
      const std::string program = TESSEL_BINARY_DIR "/tessel";
      argv.push_back(const_cast<char*>(program.c_str()));
      for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
      argv.push_back(nullptr);
      execv(program.c_str(), argv.data());
      _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    CommandResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = ReadBytes(out);
    result.err = ReadBytes(err);
    return result;
  }

 private:
  TempFolder mHome;
  ScopedEnv mData;
  ScopedEnv mSharedData;
  ScopedEnv mConfig;
};

}  // namespace tessel::test
