// `tessel run --timings`: every flatted page reports where its time went, in
// this process or from a worker process, and nothing without the flag.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>

#include "tests/cli/TesselCommand.h"

namespace tessel::test {
namespace {

namespace fs = boost::filesystem;

struct PageTiming {
  int page;
  double megapixels, read, wall, oneCore, perMegapixel, write;
};

std::vector<PageTiming> TimingsIn(const std::string& text) {
  static const std::regex line(
      R"(tessel: page (\d+), ([0-9.]+) MP: read ([0-9.]+) s, filter pass: ([0-9.]+) ms wall, ([0-9.]+) ms on one core )"
      R"(\(([0-9.]+) ms/MP\), write ([0-9.]+) s)");
  std::vector<PageTiming> found;
  for (std::sregex_iterator it(text.begin(), text.end(), line), end; it != end; ++it) {
    const std::smatch& m = *it;
    found.push_back({std::stoi(m[1]), std::stod(m[2]), std::stod(m[3]), std::stod(m[4]), std::stod(m[5]),
                     std::stod(m[6]), std::stod(m[7])});
  }
  return found;
}

class RunTimingsTest : public ::testing::Test {
 protected:
  // A white RGB page of 1000 x 500 pixels with a black diagonal.
  std::string Page(const std::string& name) const {
    base::ImageBuffer pixels({1000, 500, 3, base::PlaneLayout::Interleaved, 0});
    pixels.Fill({255, 255, 255});
    for (int64_t y = 0; y < 500; ++y) pixels.SetPixel(y * 2, y, {0, 0, 0});
    io::ImageFile image{std::move(pixels), plugInModeRGBColor, false, {}};
    const std::string path = (work.path() / name).string();
    io::SaveImageFile(image, path);
    return path;
  }

  TesselCommand tessel;
  TempFolder work;
};

TEST_F(RunTimingsTest, OnePageReportsEachStep) {
  const std::string page = Page("page.png");
  const CommandResult run = tessel.Run({"run", page, "-o", (work.path() / "flat.png").string(), "--timings"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const auto timings = TimingsIn(run.err);
  ASSERT_EQ(timings.size(), 1u) << run.err;
  const PageTiming& t = timings.front();
  EXPECT_EQ(t.page, 1);
  EXPECT_DOUBLE_EQ(t.megapixels, 0.5);
  EXPECT_GT(t.read + t.write, 0);
  EXPECT_GT(t.wall, 0);
  EXPECT_LE(t.oneCore, t.wall + 1);
  // Both figures are printed rounded: one-core time to 0.05 ms, the rate to 0.005.
  EXPECT_NEAR(t.perMegapixel, t.oneCore / t.megapixels, 0.05 / t.megapixels + 0.005);
}

TEST_F(RunTimingsTest, WorkerProcessesHandTheirTimingsBack) {
  const fs::path pages = work.path() / "pages";
  fs::create_directory(pages);
  for (const char* name : {"a.png", "b.png", "c.png"}) fs::rename(Page(name), pages / name);
  const CommandResult run =
      tessel.Run({"run", pages.string(), "-o", (work.path() / "flats").string(), "-j", "2", "--timings"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const auto timings = TimingsIn(run.err);
  ASSERT_EQ(timings.size(), 3u) << run.err;
  std::vector<int> numbers;
  for (const PageTiming& t : timings) {
    numbers.push_back(t.page);
    EXPECT_DOUBLE_EQ(t.megapixels, 0.5) << "page " << t.page;
    EXPECT_GT(t.wall, 0) << "page " << t.page;
  }
  EXPECT_THAT(numbers, ::testing::UnorderedElementsAre(1, 2, 3));
}

TEST_F(RunTimingsTest, NothingWithoutTheFlag) {
  const CommandResult run = tessel.Run({"run", Page("page.png"), "-o", (work.path() / "flat.png").string()});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(TimingsIn(run.err).empty()) << run.err;
  EXPECT_THAT(run.err, ::testing::Not(::testing::HasSubstr("filter pass")));
}

}  // namespace
}  // namespace tessel::test
