// Ctrl-C twice: the first only asks the run to stop; the second ends the
// process at once, and the outputs it had begun go with it.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "cli/Interrupt.h"
#include "io/PendingOutput.h"
#include "tests/support/TempFolders.h"

namespace tessel::test {
namespace {

namespace fs = boost::filesystem;

TEST(Interrupt, TheSecondEndsTheProcessAndRemovesTheOutputsItHadBegun) {
  TempFolder folder;
  WriteBytes(folder.path() / "page.png", "what the user had");
  const pid_t child = fork();
  if (child == 0) {
    cli::InstallInterruptHandler();
    io::PendingOutput page((folder.path() / "page.png").string()), layers((folder.path() / "page.ora").string());
    WriteBytes(page.temporaryPath(), "half a page");
    std::raise(SIGINT);
    if (!cli::InterruptRequested()) _exit(1);
    std::raise(SIGINT);
    _exit(2);  // not reached: the second ends the process
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status)) << "exited with " << WEXITSTATUS(status);
  EXPECT_EQ(WTERMSIG(status), SIGINT);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
  EXPECT_EQ(ReadBytes(folder.path() / "page.png"), "what the user had");
}

}  // namespace
}  // namespace tessel::test
