#include "tests/support/ChildProcess.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace tessel::testing {

namespace {

void ReadAvailable(int& fd, std::string& into) {
  char buffer[4096];
  const ssize_t count = read(fd, buffer, sizeof buffer);
  if (count > 0) {
    into.append(buffer, static_cast<size_t>(count));
  } else {
    close(fd);
    fd = -1;
  }
}

}  // namespace

void WriteReport(int fd, const void* data, size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t written = write(fd, bytes, size);
    if (written <= 0) return;
    bytes += written;
    size -= static_cast<size_t>(written);
  }
}

ChildProcess::ChildProcess(const std::function<void(int)>& body, const std::map<std::string, std::string>& environment) {
  int report[2];
  int errors[2];
  if (pipe(report) != 0 || pipe(errors) != 0) throw std::runtime_error("pipe failed");
  std::fflush(nullptr);
  mPid = fork();
  if (mPid < 0) throw std::runtime_error("fork failed");
  if (mPid == 0) {
    close(report[0]);
    close(errors[0]);
    dup2(errors[1], STDERR_FILENO);
    for (const auto& [name, value] : environment) {
      if (value.empty()) unsetenv(name.c_str());
      else setenv(name.c_str(), value.c_str(), 1);
    }
    body(report[1]);
    std::fflush(nullptr);
    _exit(0);
  }
  close(report[1]);
  close(errors[1]);
  mReportFd = report[0];
  mErrorFd = errors[0];
}

ChildProcess::~ChildProcess() {
  if (mReportFd >= 0) close(mReportFd);
  if (mErrorFd >= 0) close(mErrorFd);
  if (mPid > 0) {
    kill(mPid, SIGKILL);
    waitpid(mPid, nullptr, 0);
  }
}

ChildResult ChildProcess::Wait(std::chrono::milliseconds timeout) {
  ChildResult result;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  // Helpers the child starts (GNUstep's daemons) may keep the pipes open, so
  // the child's exit, not the pipes' end, says when it is done.
  // At least one look, so that a zero timeout still collects what is there.
  bool exited = false;
  do {
    int status = 0;
    exited = waitpid(mPid, &status, WNOHANG) == mPid;
    if (exited) {
      mPid = -1;
      result.finished = WIFEXITED(status);
      result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    pollfd fds[2] = {{mReportFd, POLLIN, 0}, {mErrorFd, POLLIN, 0}};
    while (poll(fds, 2, exited ? 0 : 50) > 0) {
      if (fds[0].revents) ReadAvailable(mReportFd, result.report);
      if (fds[1].revents) ReadAvailable(mErrorFd, result.errors);
      fds[0].fd = mReportFd;
      fds[1].fd = mErrorFd;
      if (mReportFd < 0 && mErrorFd < 0) break;
    }
  } while (!exited && std::chrono::steady_clock::now() < deadline);
  return result;
}

}  // namespace tessel::testing
