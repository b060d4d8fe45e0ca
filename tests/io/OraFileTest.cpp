// An OpenRaster file is written into its own file and nowhere else: libzip's
// own file output packs the archive into a temporary file of its own beside
// it, which a process ended at once (a second Ctrl-C) would leave behind.
#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <unistd.h>

#include <set>

#include "io/OraFile.h"
#include "tests/support/TempFolders.h"

namespace tessel::test {
namespace {

TEST(OraFile, IsPackedIntoItsOwnFileAlone) {
  TempFolder folder;
  base::ImageBuffer lines({64, 48, 3, base::PlaneLayout::Interleaved, 0});
  lines.Fill({20, 20, 20});
  io::ImageFile flats{base::ImageBuffer({64, 48, 3, base::PlaneLayout::Interleaved, 0}), plugInModeRGBColor, false, {}};
  flats.pixels.Fill({200, 120, 40});

  const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  ASSERT_GE(inotify_add_watch(watch, folder.path().c_str(), IN_CREATE | IN_MOVED_TO), 0);
  io::LayeredTimings timings;
  io::WriteOra({lines, flats}, (folder.path() / "page.ora").string(), timings);
  std::set<std::string> made;
  alignas(inotify_event) char reports[1 << 14];
  for (ssize_t length; (length = read(watch, reports, sizeof reports)) > 0;)
    for (ssize_t at = 0; at < length;) {
      const auto* report = reinterpret_cast<const inotify_event*>(reports + at);
      if (report->len) made.insert(report->name);
      at += static_cast<ssize_t>(sizeof(inotify_event) + report->len);
    }
  close(watch);
  EXPECT_EQ(made, std::set<std::string>{"page.ora"});
  // A zip whose first entry is the type, stored as it is.
  EXPECT_EQ(ReadBytes(folder.path() / "page.ora").substr(0, 4), "PK\x03\x04");
  EXPECT_EQ(ReadBytes(folder.path() / "page.ora").substr(30, 24), "mimetypeimage/openraster");
}

}  // namespace
}  // namespace tessel::test
