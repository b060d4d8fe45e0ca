// What every fuzz target shares: a private scratch folder for the files the
// readers under test open, and a check that stops the fuzzer with a message.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <boost/filesystem.hpp>

#include "tests/support/TempFolders.h"

namespace tessel::fuzz {

// Reports a broken promise of the code under test; libFuzzer keeps the input.
inline void Require(bool holds, const char* promise) {
  if (holds) return;
  std::fprintf(stderr, "broken: %s\n", promise);
  std::abort();
}

// A folder of the process's own, removed when the process ends normally,
// that takes the fuzzer's bytes as files.
class ScratchFolder {
 public:
  const boost::filesystem::path& path() const { return mFolder.path(); }

  // Replaces the file `name` in the folder with `bytes`; its full path.
  std::string Write(const char* name, const uint8_t* bytes, size_t size) const {
    const std::string file = (path() / name).string();
    std::FILE* out = std::fopen(file.c_str(), "wb");
    Require(out != nullptr, "the scratch folder takes files");
    Require(size == 0 || std::fwrite(bytes, 1, size, out) == size, "the scratch file takes every byte");
    std::fclose(out);
    return file;
  }

 private:
  test::TempFolder mFolder;
};

inline uint16_t BigEndian16(const uint8_t* bytes) { return uint16_t(bytes[0] << 8 | bytes[1]); }

}  // namespace tessel::fuzz
