#include "io/PendingOutput.h"

#include <dirent.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
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

// A temporary file's name: the target's, hidden, then random letters in
// place of the Xs, then the target's extension.
constexpr char kRandomPart[] = "XXXXXX";

std::string TemporaryPrefix(const std::string& target) { return "." + NameOf(target) + ".tessel-"; }

// The temporary files not yet committed, where a signal handler can reach
// them: fixed slots, each claimed whole before its path is written.
enum SlotState : int { kFree, kClaimed, kHeld };
struct PendingSlot {
  std::atomic<int> state{kFree};
  char path[PATH_MAX];
};
PendingSlot sPending[16];

int Hold(const std::string& path) {
  if (path.size() >= PATH_MAX) return -1;
  for (int i = 0; i < static_cast<int>(std::size(sPending)); ++i) {
    int expected = kFree;
    if (!sPending[i].state.compare_exchange_strong(expected, kClaimed)) continue;
    std::memcpy(sPending[i].path, path.c_str(), path.size() + 1);
    sPending[i].state.store(kHeld);
    return i;
  }
  return -1;  // more at once than a run makes: only the interrupt's clean-up misses it
}

void Release(int& slot) {
  if (slot >= 0) sPending[slot].state.store(kFree);
  slot = -1;
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
  std::string pattern = FolderOf(mTarget) + "/" + TemporaryPrefix(mTarget) + kRandomPart + extension;
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  const int fd = mkstemps(buffer.data(), static_cast<int>(extension.size()));
  if (fd < 0)
    throw OutputError(mTarget + ": cannot write into " + FolderOf(mTarget) + " (" + std::strerror(errno) + ")");
  close(fd);
  mTemporary = buffer.data();
  mSlot = Hold(mTemporary);
}

PendingOutput::~PendingOutput() {
  if (!mCommitted) std::remove(mTemporary.c_str());
  Release(mSlot);
}

void PendingOutput::Commit() {
  struct stat existing {};
  const mode_t mode = stat(mTarget.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : NewFileMode();
  if (chmod(mTemporary.c_str(), mode) != 0 || std::rename(mTemporary.c_str(), mTarget.c_str()) != 0)
    throw OutputError(mTarget + ": cannot be replaced (" + std::strerror(errno) + ")");
  mCommitted = true;
  Release(mSlot);
}

void RemovePendingOutputs() {
  for (PendingSlot& slot : sPending)
    if (slot.state.load() == kHeld) unlink(slot.path);
}

void RemoveLeftTemporaries(const std::string& target) {
  const std::string folder = FolderOf(target), prefix = TemporaryPrefix(target);
  const std::string extension = ExtensionOf(NameOf(target));
  DIR* entries = opendir(folder.c_str());
  if (!entries) return;
  while (const dirent* entry = readdir(entries)) {
    const std::string name = entry->d_name;
    if (name.size() == prefix.size() + std::strlen(kRandomPart) + extension.size() && name.rfind(prefix, 0) == 0 &&
        name.compare(name.size() - extension.size(), extension.size(), extension) == 0)
      std::remove((folder + "/" + name).c_str());
  }
  closedir(entries);
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat first {}, second {};
  return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
         first.st_ino == second.st_ino;
}

}  // namespace tessel::io
