// Batches of big pages as the kernel treats them: workers killed as the
// out-of-memory killer kills have their pages run again alone, and a batch
// inside a memory cgroup that holds one page's peak but not two writes
// every page, waiting instead of being killed.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

#include "io/PageFile.h"
#include "pipeline/PagePeak.h"
#include "io/ImageFile.h"
#include "tests/cli/TesselCommand.h"
#include "tests/support/LineArt.h"

namespace tessel::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
namespace fs = boost::filesystem;

// A dense drawn RGB page as PNG, slow enough to fill that a test can act
// while the command runs.
inline void SaveComicPage(const boost::filesystem::path& path, int64_t width, int64_t height) {
  const testing::Page art = testing::DrawComicPage(width, height, 3, 300, 7);
  base::ImageBuffer pixels({art.width, art.height, 3, base::PlaneLayout::Interleaved, 0});
  std::copy(art.bytes.begin(), art.bytes.end(), pixels.data());
  io::ImageFile image{std::move(pixels), plugInModeRGBColor, false, {}};
  io::SaveImageFile(image, path.string());
}

std::vector<pid_t> WorkersOf(pid_t batch) {
  std::ifstream children("/proc/" + std::to_string(batch) + "/task/" + std::to_string(batch) + "/children");
  std::vector<pid_t> workers;
  for (pid_t worker; children >> worker;) workers.push_back(worker);
  return workers;
}

void KillWorkersOf(pid_t batch) {
  for (const pid_t worker : WorkersOf(batch)) kill(worker, SIGKILL);
}

// Whether `worker` holds a temporary output open in `folder`: it is writing
// its page.
bool Writing(pid_t worker, const fs::path& folder) {
  boost::system::error_code error;
  for (fs::directory_iterator fd("/proc/" + std::to_string(worker) + "/fd", error), end; !error && fd != end;
       fd.increment(error)) {
    boost::system::error_code closed;  // the descriptor may be gone by now
    const fs::path target = fs::read_symlink(fd->path(), closed);
    if (!closed && target.parent_path() == folder && IsTemporary(target)) return true;
  }
  return false;
}

class TesselBatchMemoryTest : public ::testing::Test {
 protected:
  fs::path Path(const std::string& name) const { return work.path() / name; }

  TempFolder work;
  TesselCommand tessel;  // its per-user folders for the command's runs
};

// Both pages' workers are killed mid-page: each page runs again alone. The
// second page's run alone is killed too, and that page alone fails.
TEST_F(TesselBatchMemoryTest, PagesOfKilledWorkersRunAgainAloneAndFailOnlyIfKilledAlone) {
  fs::create_directories(Path("pages"));
  SaveComicPage(Path("pages/a.png"), 4000, 5600);
  fs::copy_file(Path("pages/a.png"), Path("pages/b.png"));
  const pid_t batch = tessel.Start(
      {"run", Path("pages").string(), "-o", Path("out").string(), "-j", "2", "--under-lines"}, Path("errors").string());

  // Each worker is held still once it writes, until both are mid-page: one
  // may finish its page before the other starts writing, as fresh memory
  // comes slowly to one process and quickly to the other.
  const fs::path out = fs::canonical(work.path()) / "out";  // as the workers' open files name it
  std::set<pid_t> held;
  ASSERT_TRUE(WaitFor([&] {
    for (const pid_t worker : WorkersOf(batch))
      if (!held.count(worker) && Writing(worker, out)) {
        kill(worker, SIGSTOP);
        held.insert(worker);
      }
    return held.size() == 2;
  }));
  const std::set<std::string> first = Temporaries(Path("out"));
  ASSERT_EQ(first.size(), 2u);
  KillWorkersOf(batch);
  std::set<std::string> retry;
  ASSERT_TRUE(WaitFor([&] {
    retry = Temporaries(Path("out"));
    return retry.size() == 1 && !first.count(*retry.begin());
  }));
  KillWorkersOf(batch);

  EXPECT_EQ(TesselCommand::ExitCodeOf(batch), 4);
  const std::string errors = ReadBytes(Path("errors"));
  const std::string killedTwice = retry.begin()->substr(1, 5);  // ".a.png.tessel-..."
  const std::string written = killedTwice == "a.png" ? "b.png" : "a.png";
  EXPECT_TRUE(fs::exists(Path("out") / written));
  EXPECT_FALSE(fs::exists(Path("out") / killedTwice));
  EXPECT_TRUE(Temporaries(Path("out")).empty());
  EXPECT_THAT(errors, HasSubstr(written + ": run again alone after its worker was killed (SIGKILL"));
  EXPECT_THAT(errors, HasSubstr(killedTwice + ": the worker process filling it ended abnormally, also when it was "
                                              "run again alone"));
  EXPECT_THAT(errors, HasSubstr("1 of 2 pages flatted; 2 run again alone after a worker was killed"));
}

// The memory cgroup this process is in: its folder in the cgroup file
// system and the names of its limit and process list; none when there is no
// memory controller to make a group under.
struct MemoryGroup {
  fs::path folder;
  std::string limitFile;
  std::string why;  // why there is none
};

MemoryGroup OwnMemoryGroup() {
  std::ifstream groups("/proc/self/cgroup"), mounts("/proc/self/mountinfo");
  std::string v1Group, v2Group;
  for (std::string line; std::getline(groups, line);) {
    const auto first = line.find(':'), second = line.find(':', first + 1);
    const std::string controllers = line.substr(first + 1, second - first - 1);
    if (controllers.empty() && line.compare(0, first, "0") == 0) v2Group = line.substr(second + 1);
    if (("," + controllers + ",").find(",memory,") != std::string::npos) v1Group = line.substr(second + 1);
  }
  for (std::string line; std::getline(mounts, line);) {
    std::istringstream fields(line);
    std::vector<std::string> field;
    for (std::string f; fields >> f;) field.push_back(f);
    const auto dash = std::find(field.begin(), field.end(), "-");
    if (field.size() < 5 || field.end() - dash < 4) continue;
    const std::string& root = field[3];
    const auto inMount = [&](const std::string& group) {
      return fs::path(field[4]) / (root == "/" ? group : group.substr(std::min(root.size(), group.size())));
    };
    if (dash[1] == "cgroup" && !v1Group.empty() && ("," + dash[3] + ",").find(",memory,") != std::string::npos)
      return {inMount(v1Group), "memory.limit_in_bytes", ""};
    if (dash[1] == "cgroup2" && !v2Group.empty()) {
      const fs::path folder = inMount(v2Group);
      if (ReadBytes(folder / "cgroup.subtree_control").find("memory") == std::string::npos)
        return {{}, {}, "cgroup v2 without the memory controller enabled for this process's group's children"};
      return {folder, "memory.max", ""};
    }
  }
  return {{}, {}, "no memory cgroup (v1 or v2) is mounted for this process"};
}

// A child group of this process's own, removed with the test.
class ChildGroup {
 public:
  explicit ChildGroup(const MemoryGroup& parent)
      : mFolder(parent.folder / ("tessel-test-" + std::to_string(getpid()))) {
    if (mkdir(mFolder.c_str(), 0755) != 0) mWhy = "cannot make " + mFolder.string() + ": " + std::strerror(errno);
  }
  ~ChildGroup() {
    // The kernel lets a group go once its last process has been reaped.
    for (int tries = 0; tries < 100 && mWhy.empty() && rmdir(mFolder.c_str()) != 0; ++tries)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  const fs::path& folder() const { return mFolder; }
  const std::string& why() const { return mWhy; }
  bool Write(const std::string& file, const std::string& text) const {
    std::ofstream out((mFolder / file).string());
    out << text << std::flush;
    return static_cast<bool>(out);
  }

 private:
  fs::path mFolder;
  std::string mWhy;
};

// A terminal for the command's standard error, so that it draws its progress
// line; the side this process reads, or -1.
int OpenTerminal() {
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return -1;
  return master;
}

TEST_F(TesselBatchMemoryTest, ABatchInAGroupHoldingOnePagesPeakWaitsForMemoryAndWritesEveryPage) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "skipped: a sanitizer's shadow memory is no part of the peak a page is admitted by";
#endif
  if (geteuid() != 0)
    GTEST_SKIP() << "skipped: making a memory cgroup needs root, and this test runs as uid " << geteuid();
  const MemoryGroup own = OwnMemoryGroup();
  if (own.folder.empty()) GTEST_SKIP() << "skipped: " << own.why;
  const ChildGroup group(own);
  if (!group.why().empty()) GTEST_SKIP() << "skipped: " << group.why();

  constexpr int kPages = 3;
  fs::create_directories(Path("pages"));
  SaveComicPage(Path("pages/p0.png"), 3300, 5100);
  for (int i = 1; i < kPages; ++i) fs::copy_file(Path("pages/p0.png"), Path("pages/p" + std::to_string(i) + ".png"));
  pipeline::RunSettings settings;
  settings.flats = pipeline::FlatsOutput::kUnderLines;
  const int64_t peak = pipeline::PeakBytes(io::PageFile(Path("pages/p0.png").string()).header(),
                                           Path("pages/p0.png").string(), "out.png", settings);
  // One page's peak and half another: the command itself and one page fit,
  // a second page beside them does not.
  if (!group.Write(own.limitFile, std::to_string(peak * 3 / 2)))
    GTEST_SKIP() << "skipped: cannot set " << own.limitFile << " in " << group.folder() << ": " << std::strerror(errno);

  const int terminal = OpenTerminal();
  ASSERT_GE(terminal, 0) << std::strerror(errno);
  // Worked out before the fork: the child only joins, redirects and runs.
  const std::string procs = (group.folder() / "cgroup.procs").string(), terminalName = ptsname(terminal);
  const std::string program = TESSEL_BINARY_DIR "/tessel", pages = Path("pages").string(), out = Path("out").string();
  const std::string jobs = std::to_string(kPages);
  const pid_t batch = fork();
  if (batch == 0) {
    // Into the group before the command starts: its workers follow it there.
    char pid[32];
    const int length = std::snprintf(pid, sizeof pid, "%d", getpid());
    const int joined = open(procs.c_str(), O_WRONLY);
    if (joined < 0 || write(joined, pid, static_cast<size_t>(length)) != length) _exit(125);
    close(joined);
    const int slave = open(terminalName.c_str(), O_RDWR | O_NOCTTY);
    if (slave < 0 || dup2(slave, STDERR_FILENO) < 0) _exit(126);
    execl(program.c_str(), program.c_str(), "run", pages.c_str(), "-o", out.c_str(), "-j", jobs.c_str(), "--under-lines",
          static_cast<char*>(nullptr));
    _exit(127);
  }
  std::string shown;
  char buffer[4096];
  for (ssize_t length; (length = read(terminal, buffer, sizeof buffer)) > 0;)
    shown.append(buffer, static_cast<size_t>(length));
  close(terminal);
  EXPECT_EQ(TesselCommand::ExitCodeOf(batch), 0) << shown;
  for (int i = 0; i < kPages; ++i) EXPECT_TRUE(fs::exists(Path("out/p" + std::to_string(i) + ".png"))) << i;
  EXPECT_THAT(shown, HasSubstr("waiting for memory"));
  EXPECT_THAT(shown, Not(HasSubstr("run again alone")));  // no worker was killed for want of memory
  EXPECT_THAT(shown, HasSubstr(std::to_string(kPages) + " of " + std::to_string(kPages) + " pages flatted"));
}

}  // namespace
}  // namespace tessel::test
