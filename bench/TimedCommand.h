// A command run as a user runs it, in a process of its own: its wall time,
// its CPU time and its peak memory, as the kernel counted them.
#pragma once

#include <string>
#include <vector>

namespace tessel::bench {

struct TimedRun {
  bool ok = false;  // exited with 0
  double seconds = 0;
  double cpuSeconds = 0;  // user and system
  double peakBytes = 0;   // largest resident set
};

// Runs `arguments` (the program's path first) with `environment`'s
// "NAME=value" entries added to this process's.
TimedRun RunTimed(std::vector<std::string> arguments, const std::vector<std::string>& environment = {});

// The system's load average over the last minute.
double LoadAverage();

}  // namespace tessel::bench
