#include "io/PendingOutput.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace tessel::io {

namespace {

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ExtensionOf(const std::string& name) {
  const auto dot = name.rfind('.');
  return dot == std::string::npos || dot == 0 ? std::string() : name.substr(dot);
}

mode_t NewFileMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

}  // namespace

PendingOutput::PendingOutput(std::string target) : mTarget(std::move(target)) {
  const std::string name = NameOf(mTarget);
  const std::string extension = ExtensionOf(name);
  std::string pattern = FolderOf(mTarget) + "/." + name + ".tessel-XXXXXX" + extension;
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  const int fd = mkstemps(buffer.data(), static_cast<int>(extension.size()));
  if (fd < 0)
    throw OutputError(mTarget + ": cannot write into " + FolderOf(mTarget) + " (" + std::strerror(errno) + ")");
  close(fd);
  mTemporary = buffer.data();
}

PendingOutput::~PendingOutput() {
  if (!mCommitted) std::remove(mTemporary.c_str());
}

void PendingOutput::Commit() {
  struct stat existing {};
  const mode_t mode = stat(mTarget.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : NewFileMode();
  if (chmod(mTemporary.c_str(), mode) != 0 || std::rename(mTemporary.c_str(), mTarget.c_str()) != 0)
    throw OutputError(mTarget + ": cannot be replaced (" + std::strerror(errno) + ")");
  mCommitted = true;
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat first {}, second {};
  return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
         first.st_ino == second.st_ino;
}

}  // namespace tessel::io
