#include "io/WrittenFile.h"

#include <cerrno>
#include <cstring>

namespace tessel::io {

WrittenFile::WrittenFile(const std::string& path) : mPath(path), mFile(std::fopen(path.c_str(), "wb")) {
  if (!mFile) Fail();
}

WrittenFile::~WrittenFile() {
  if (mFile) std::fclose(mFile);
}

void WrittenFile::Bytes(const void* data, size_t count) {
  if (count && std::fwrite(data, 1, count, mFile) != count) Fail();
}

int64_t WrittenFile::Tell() { return ftello(mFile); }

void WrittenFile::Seek(int64_t position) {
  if (position < 0 ? fseeko(mFile, 0, SEEK_END) != 0 : fseeko(mFile, position, SEEK_SET) != 0) Fail();
}

void WrittenFile::Close() {
  const int result = std::fclose(mFile);
  mFile = nullptr;
  if (result != 0) Fail();
}

void WrittenFile::Fail() const { throw ImageFileError(mPath + ": cannot be written (" + std::strerror(errno) + ")"); }

}  // namespace tessel::io
