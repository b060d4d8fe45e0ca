// Runs the built tessel command as a user would, capturing what it says,
// with its per-user folders inside a throw-away folder.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <set>
#include <string>
#include <thread>
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
    CommandResult result;
    result.exitCode = ExitCodeOf(Start(arguments, err, out));
    result.out = ReadBytes(out);
    result.err = ReadBytes(err);
    return result;
  }

  // Starts the command in the background, its standard error written to
  // `err` and its standard output to `out` (none: this process's).
  pid_t Start(const std::vector<std::string>& arguments, const std::string& err, const std::string& out = "") const {
    const pid_t child = fork();
    if (child == 0) {
      if ((!out.empty() && !freopen(out.c_str(), "w", stdout)) || !freopen(err.c_str(), "w", stderr)) _exit(127);
      std::vector<char*> argv;
      const std::string program = TESSEL_BINARY_DIR "/tessel";
      argv.push_back(const_cast<char*>(program.c_str()));
      for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
      argv.push_back(nullptr);
      execv(program.c_str(), argv.data());
      _exit(127);
    }
    return child;
  }

  // Waits for a command started; 128 + the signal when it was killed.
  static int ExitCodeOf(pid_t child) {
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

 private:
  TempFolder mHome;
  ScopedEnv mData;
  ScopedEnv mSharedData;
  ScopedEnv mConfig;
};

// Whether `file` is one of the hidden temporary files a run writes its
// outputs into.
inline bool IsTemporary(const boost::filesystem::path& file) {
  return file.filename().string().find(".tessel-") != std::string::npos;
}

// The temporary files in `folder`.
inline std::set<std::string> Temporaries(const boost::filesystem::path& folder) {
  std::set<std::string> names;
  boost::system::error_code error;
  for (boost::filesystem::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error))
    if (IsTemporary(entry->path())) names.insert(entry->path().filename().string());
  return names;
}

// Waits, a minute at most, until `ready` holds; whether it did.
inline bool WaitFor(const std::function<bool()>& ready) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  while (!ready()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

}  // namespace tessel::test
