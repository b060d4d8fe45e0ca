// A result written without putting anything at risk: it goes to a temporary
// file beside its target and replaces the target only once complete, so a
// failed, cancelled or interrupted run leaves what was there untouched.
#pragma once

#include <stdexcept>
#include <string>

namespace tessel::io {

// The output's folder cannot take the file; the message names the path and
// the system's reason.
class OutputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class PendingOutput {
 public:
  // Creates an empty hidden temporary file in `target`'s folder, with the
  // target's extension so that a writer can tell the format from it.
  // Throws OutputError.
  explicit PendingOutput(std::string target);
  // Removes the temporary file unless it was committed.
  ~PendingOutput();
  PendingOutput(const PendingOutput&) = delete;
  PendingOutput& operator=(const PendingOutput&) = delete;

  const std::string& temporaryPath() const { return mTemporary; }
  const std::string& target() const { return mTarget; }

  // Gives the file the target's permissions (a new file's when there is no
  // target yet) and renames it over the target. Throws OutputError, leaving
  // the target as it was.
  void Commit();

 private:
  std::string mTarget;
  std::string mTemporary;
  bool mCommitted = false;
  int mSlot = -1;  // where RemovePendingOutputs finds the temporary file
};

// Removes the temporary file of every output of this process not yet
// committed, for a process about to end at once: safe in a signal handler.
void RemovePendingOutputs();

// Removes the temporary files of `target` that a process killed before it
// could remove them left behind (as PendingOutput names them).
void RemoveLeftTemporaries(const std::string& target);

// True when both paths name one existing file (through links or different
// spellings alike).
bool SameFile(const std::string& a, const std::string& b);

}  // namespace tessel::io
