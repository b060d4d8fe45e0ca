// What every fuzz target shares: a private scratch folder for the files the
// readers under test open, and a check that stops the fuzzer with a message.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <boost/filesystem.hpp>

namespace tessel::fuzz {

// Reports a broken promise of the code under test; libFuzzer keeps the input.
inline void Require(bool holds, const char* promise) {
  if (holds) return;
  std::fprintf(stderr, "broken: %s\n", promise);
  std::abort();
}

// A folder of the process's own, removed when the process ends normally.
class ScratchFolder {
 public:
  ScratchFolder()
      : mPath(boost::filesystem::temp_directory_path() / boost::filesystem::unique_path("tessel-fuzz-%%%%-%%%%")) {
    boost::filesystem::create_directories(mPath);
  }
  ~ScratchFolder() {
    boost::system::error_code ignored;
    boost::filesystem::remove_all(mPath, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const boost::filesystem::path& path() const { return mPath; }

  // Replaces the file `name` in the folder with `bytes`; its full path.
  std::string Write(const char* name, const uint8_t* bytes, size_t size) const {
    const std::string file = (mPath / name).string();
    std::FILE* out = std::fopen(file.c_str(), "wb");
    Require(out != nullptr, "the scratch folder takes files");
    Require(size == 0 || std::fwrite(bytes, 1, size, out) == size, "the scratch file takes every byte");
    std::fclose(out);
    return file;
  }

 private:
  boost::filesystem::path mPath;
};

inline uint16_t BigEndian16(const uint8_t* bytes) { return uint16_t(bytes[0] << 8 | bytes[1]); }

}  // namespace tessel::fuzz
