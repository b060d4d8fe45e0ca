// The host's own colour chooser where no user can answer it: the pick is
// cancelled at once and the colour left as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <iterator>
#include <map>
#include <string>

#include "host/ColorChooserLoader.h"
#include "host/HostResults.h"
#include "tests/support/ChildProcess.h"

namespace tessel::host {
namespace {

// Asks the chooser once, as the filter does through the record; reports the
// result code and whether the components stayed as they were.
void PickThroughChooser(int reportFd) {
  FilterRecord record{};
  ColorServices services(record);
  services.SetPicker(DisplayColorChooser());
  ColorServicesInfo info{};
  info.infoSize = sizeof info;
  info.selector = plugIncolorServicesChooseColor;
  info.sourceSpace = plugIncolorServicesRGBSpace;
  info.resultSpace = plugIncolorServicesRGBSpace;
  const int16_t preset[4] = {40, 80, 120, 7};
  std::copy(std::begin(preset), std::end(preset), info.colorComponents);
  const OSErr result = record.colorServices(&info);
  const bool untouched = std::equal(std::begin(preset), std::end(preset), info.colorComponents);
  testing::WriteReport(reportFd, &result, sizeof result);
  testing::WriteReport(reportFd, &untouched, sizeof untouched);
}

void ExpectCancelledUntouched(const std::map<std::string, std::string>& environment) {
  testing::ChildProcess child(PickThroughChooser, environment);
  const testing::ChildResult result = child.Wait(std::chrono::seconds(30));
  ASSERT_TRUE(result.finished) << "the pick did not end; standard error:\n" << result.errors;
  ASSERT_EQ(result.report.size(), sizeof(OSErr) + sizeof(bool));
  OSErr answer = 0;
  bool untouched = false;
  std::memcpy(&answer, result.report.data(), sizeof answer);
  std::memcpy(&untouched, result.report.data() + sizeof answer, sizeof untouched);
  EXPECT_EQ(answer, userCanceledErr);
  EXPECT_TRUE(untouched);
  // The library itself was found and loaded.
  EXPECT_EQ(result.errors.find("no colour chooser"), std::string::npos) << result.errors;
}

TEST(HostColorChooser, WithoutDisplayThePickIsCancelled) { ExpectCancelledUntouched({{"DISPLAY", ""}}); }

TEST(HostColorChooser, DisplayThatDoesNotAnswerCancelsThePick) {
  ExpectCancelledUntouched({{"DISPLAY", ":977"}});
}

}  // namespace
}  // namespace tessel::host
