// How much memory this process can still be given: what the kernel counts as
// available (MemAvailable), capped by the memory limit of every control group
// (cgroup v2 or v1) the process sits in, less what the group already uses.
#pragma once

#include <cstdint>
#include <string>

namespace tessel::base {

// Bytes available; `root` is where /proc and the cgroup mounts are found
// (another root lets tests give a machine of their own). A source that is
// missing or unreadable is left out; with none, the largest int64_t.
int64_t AvailableMemory(const std::string& root = "/");

// The anonymous memory process `pid` holds in RAM (RssAnon in its
// /proc/<pid>/status under `root`): what it took for itself, which the
// kernel no longer counts as available; 0 when it cannot be read.
int64_t ResidentAnonymous(int pid, const std::string& root = "/");

}  // namespace tessel::base
