// Throw-away folders for tests, and a preferences folder pointed at one, so
// that no test reads or writes the real user's files.
#pragma once

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include <boost/filesystem.hpp>

namespace tessel::test {

class TempFolder {
 public:
  TempFolder() : mPath(boost::filesystem::temp_directory_path() / boost::filesystem::unique_path("tessel-%%%%-%%%%")) {
    boost::filesystem::create_directories(mPath);
  }
  ~TempFolder() {
    boost::system::error_code ignored;
    boost::filesystem::remove_all(mPath, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const boost::filesystem::path& path() const { return mPath; }

 private:
  boost::filesystem::path mPath;
};

// Sets (or, with nullopt, removes) an environment variable for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::optional<std::string>& value) : mName(name) {
    if (const char* old = std::getenv(name)) mOld = old;
    if (value)
      setenv(name, value->c_str(), 1);
    else
      unsetenv(name);
  }
  ~ScopedEnv() {
    if (mOld)
      setenv(mName, mOld->c_str(), 1);
    else
      unsetenv(mName);
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* mName;
  std::optional<std::string> mOld;
};

// The preferences folder of the code under test lies in a fresh temp folder.
class TempConfigHome {
 public:
  TempConfigHome() : mEnv("XDG_CONFIG_HOME", mRoot.path().string()) {}
  boost::filesystem::path prefsFile() const { return mRoot.path() / "Tessel Prefs"; }
  const boost::filesystem::path& path() const { return mRoot.path(); }

 private:
  TempFolder mRoot;
  ScopedEnv mEnv;
};

inline std::string ReadBytes(const boost::filesystem::path& file) {
  std::ifstream in(file.string(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const boost::filesystem::path& file, const std::string& bytes) {
  std::ofstream(file.string(), std::ios::binary) << bytes;
}

}  // namespace tessel::test
