// A forked child for tests that must not run in the test process itself:
// windows that need a display, code that may hang. The parent reads what the
// child reports and what it writes to standard error, with a deadline.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <map>
#include <string>

namespace tessel::testing {

struct ChildResult {
  bool finished = false;   // exited before the deadline
  int exitCode = -1;       // valid when finished
  std::string report;      // bytes written to the report descriptor
  std::string errors;      // standard error
};

class ChildProcess {
 public:
  // Forks; the child sets `environment` (an empty value unsets the variable),
  // runs `body` with the report descriptor and exits with 0.
  ChildProcess(const std::function<void(int reportFd)>& body, const std::map<std::string, std::string>& environment);
  // Kills a child that is still running.
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Collects the child's output until it exits or `timeout` passes; a child
  // still running then is killed and reported as not finished.
  ChildResult Wait(std::chrono::milliseconds timeout);

 private:
  pid_t mPid = -1;
  int mReportFd = -1;
  int mErrorFd = -1;
};

// Writes all of `size` bytes (child side).
void WriteReport(int fd, const void* data, size_t size);

}  // namespace tessel::testing
