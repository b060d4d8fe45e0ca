// The memory a page may take, read from a made-up /proc and cgroup tree:
// the kernel's estimate, capped by the room under every group's limit.
#include <gtest/gtest.h>

#include <sys/sysinfo.h>
#include <unistd.h>

#include <limits>
#include <map>
#include <string>

#include "base/AvailableMemory.h"
#include "tests/support/TempFolders.h"

namespace tessel::test {
namespace {

namespace fs = boost::filesystem;

// What a machine of the given files, each path relative to its root, has available.
int64_t Available(const std::map<std::string, std::string>& files) {
  TempFolder root;
  for (const auto& [name, text] : files) {
    fs::create_directories((root.path() / name).parent_path());
    WriteBytes(root.path() / name, text);
  }
  return base::AvailableMemory(root.path().string());
}

const char kMemInfo[] = "MemTotal:       16000 kB\nMemFree:         2000 kB\nMemAvailable:   10000 kB\n";
const char kUnifiedMount[] = "30 22 0:27 / /sys/fs/cgroup rw,nosuid - cgroup2 cgroup2 rw,nsdelegate\n";

TEST(AvailableMemory, TheKernelsEstimateCappedByTheTightestGroupLimit) {
  EXPECT_EQ(Available({}), std::numeric_limits<int64_t>::max());
  EXPECT_EQ(Available({{"proc/meminfo", kMemInfo}}), 10000 * 1024);

  // cgroup v2: the parent's limit binds; its reclaimable file cache counts as room.
  EXPECT_EQ(Available({{"proc/meminfo", kMemInfo},
                     {"proc/self/cgroup", "0::/job/step\n"},
                     {"proc/self/mountinfo", kUnifiedMount},
                     {"sys/fs/cgroup/job/step/memory.max", "max\n"},
                     {"sys/fs/cgroup/job/step/memory.current", "500000\n"},
                     {"sys/fs/cgroup/job/memory.max", "4000000\n"},
                     {"sys/fs/cgroup/job/memory.current", "3000000\n"},
                     {"sys/fs/cgroup/job/memory.stat", "anon 2000000\ninactive_file 1000000\nactive_file 5\n"}}),
            2000000);

  // cgroup v1 beside a v2 mount that holds no memory controller; a mount
  // whose top is the process's own group (a container's view); v1's
  // "no limit" is no limit.
  EXPECT_EQ(Available({{"proc/meminfo", kMemInfo},
                     {"proc/self/cgroup", "5:cpu,memory:/docker/abc\n4:pids:/docker/abc\n0::/\n"},
                     {"proc/self/mountinfo",
                      "31 30 0:28 /docker/abc /sys/fs/cgroup/pids rw - cgroup cgroup rw,pids\n"
                      "34 30 0:31 /docker/abc /sys/fs/cgroup/memory rw,relatime - cgroup cgroup rw,cpu,memory\n"
                      "40 30 0:37 / /sys/fs/cgroup/unified rw - cgroup2 cgroup2 rw\n"},
                     {"sys/fs/cgroup/pids/memory.limit_in_bytes", "1\n"},
                     {"sys/fs/cgroup/memory/memory.limit_in_bytes", "6000000\n"},
                     {"sys/fs/cgroup/memory/memory.usage_in_bytes", "1000000\n"},
                     {"sys/fs/cgroup/memory/memory.stat", "cache 900000\ntotal_inactive_file 200000\n"}}),
            5200000);
  EXPECT_EQ(Available({{"proc/meminfo", kMemInfo},
                     {"proc/self/cgroup", "4:memory:/user\n"},
                     {"proc/self/mountinfo", "34 30 0:31 / /sys/fs/cgroup/memory rw - cgroup cgroup rw,memory\n"},
                     {"sys/fs/cgroup/memory/user/memory.limit_in_bytes", "9223372036854771712\n"},
                     {"sys/fs/cgroup/memory/memory.limit_in_bytes", "9223372036854771712\n"}}),
            10000 * 1024);
}

// What a worker has taken: its anonymous pages in RAM, not the files it maps.
TEST(AvailableMemory, AProcessHoldsItsResidentAnonymousPages) {
  TempFolder root;
  fs::create_directories(root.path() / "proc" / "42");
  WriteBytes(root.path() / "proc" / "42" / "status",
             "Name:\ttessel\nVmRSS:\t9000 kB\nRssAnon:\t7000 kB\nRssFile:\t2000 kB\n");
  EXPECT_EQ(base::ResidentAnonymous(42, root.path().string()), 7000 * 1024);
  EXPECT_EQ(base::ResidentAnonymous(43, root.path().string()), 0);
  EXPECT_GT(base::ResidentAnonymous(getpid()), 0);
}

TEST(AvailableMemory, ThisMachineHasSomeAndNoMoreThanItHolds) {
  struct sysinfo info {};
  ASSERT_EQ(sysinfo(&info), 0);
  const int64_t available = base::AvailableMemory();
  EXPECT_GT(available, 0);
  EXPECT_LE(available, int64_t(info.totalram) * info.mem_unit);
}

}  // namespace
}  // namespace tessel::test
