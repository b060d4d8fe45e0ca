// A file being written, closed on destruction: every failure to open, write,
// seek or close throws ImageFileError naming the file and the reason.
#pragma once

#include <cstdio>
#include <string>

#include "io/ImageFile.h"

namespace tessel::io {

class WrittenFile {
 public:
  explicit WrittenFile(const std::string& path);
  ~WrittenFile();
  WrittenFile(const WrittenFile&) = delete;
  WrittenFile& operator=(const WrittenFile&) = delete;

  const std::string& path() const { return mPath; }
  void Bytes(const void* data, size_t count);
  void Bytes(const std::string& bytes) { Bytes(bytes.data(), bytes.size()); }
  int64_t Tell();
  // To `position`, or to the end when it is negative.
  void Seek(int64_t position);
  // Throws when the last of the bytes could not be written.
  void Close();

 private:
  [[noreturn]] void Fail() const;

  std::string mPath;
  std::FILE* mFile;
};

}  // namespace tessel::io
