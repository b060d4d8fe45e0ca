// The times a file is opened, by this process or any other, as the kernel
// reports them through inotify. Reads and closes are watched too: inotify
// merges a report into the one before it only when the two are the same,
// so opens with the file's use between them are never counted as one.
#pragma once

#include <sys/inotify.h>
#include <unistd.h>

#include <stdexcept>
#include <string>

namespace tessel::test {

class FileOpens {
 public:
  explicit FileOpens(const std::string& path) : mInotify(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (mInotify < 0 || inotify_add_watch(mInotify, path.c_str(), IN_OPEN | IN_ACCESS | IN_CLOSE) < 0)
      throw std::runtime_error("cannot watch " + path);
  }
  ~FileOpens() { close(mInotify); }
  FileOpens(const FileOpens&) = delete;
  FileOpens& operator=(const FileOpens&) = delete;

  // The opens since the last count; -1 when reports were lost.
  int Count() {
    alignas(inotify_event) char reports[1 << 16];
    int opens = 0;
    for (ssize_t length; (length = read(mInotify, reports, sizeof reports)) > 0;)
      for (ssize_t at = 0; at < length;) {
        const auto* report = reinterpret_cast<const inotify_event*>(reports + at);
        if (report->mask & IN_Q_OVERFLOW) return -1;
        opens += (report->mask & IN_OPEN) != 0;
        at += static_cast<ssize_t>(sizeof(inotify_event) + report->len);
      }
    return opens;
  }

 private:
  int mInotify;
};

}  // namespace tessel::test
