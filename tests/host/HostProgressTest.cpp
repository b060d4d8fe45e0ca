// progressProc and abortProc as the filter's scan calls them, once per row.
#include <gtest/gtest.h>

#include "host/ProgressServices.h"

namespace tessel::host {
namespace {

class HostProgress : public ::testing::Test {
 protected:
  FilterRecord record{};
  ProgressServices progress{record};
};

TEST_F(HostProgress, ReportsAreKeptAndHandedOn) {
  std::vector<int32_t> shown;
  progress.OnProgress([&](int32_t done, int32_t total) { shown.push_back(done * 100 / total); });
  record.progressProc(1, 4);
  record.progressProc(4, 4);
  EXPECT_EQ(progress.reports(), (std::vector<std::pair<int32_t, int32_t>>{{1, 4}, {4, 4}}));
  EXPECT_EQ(shown, (std::vector<int32_t>{25, 100}));
}

TEST_F(HostProgress, AbortsFromTheChosenRowOn) {
  progress.AbortFromRow(3);
  EXPECT_FALSE(record.abortProc());
  for (int32_t row = 1; row <= 5; ++row) {
    record.progressProc(row, 5);
    EXPECT_EQ(record.abortProc() != 0, row >= 3) << "after row " << row;
  }
  EXPECT_EQ(progress.abortChecks(), 6);
}

TEST_F(HostProgress, AbortFromRowZeroAnswersAtOnce) {
  progress.AbortFromRow(0);
  EXPECT_TRUE(record.abortProc());
}

TEST_F(HostProgress, AbortHookIsAsked) {
  bool interrupted = false;
  progress.OnAbortCheck([&] { return interrupted; });
  EXPECT_FALSE(record.abortProc());
  interrupted = true;
  EXPECT_TRUE(record.abortProc());
}

TEST_F(HostProgress, CallbacksCanBeLeftOut) {
  progress.SetProgressAvailable(false);
  progress.SetAbortAvailable(false);
  EXPECT_EQ(record.progressProc, nullptr);
  EXPECT_EQ(record.abortProc, nullptr);
  progress.SetProgressAvailable(true);
  ASSERT_NE(record.progressProc, nullptr);
  EXPECT_EQ(record.abortProc, nullptr);
}

}  // namespace
}  // namespace tessel::host
