// A filter session on the real module, with helpers to hand it parameters
// (as an action's descriptor or a parameter block), pages and swatch files,
// and to see what the filter told the user.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/TesselParams.h"
#include "host/FilterSession.h"
#include "tests/support/TempFolders.h"

namespace tessel::test {

// The descriptor the filter records for `params`, as an action would hold it.
base::Descriptor DescriptorOf(const CTesselParams& params);

// The host's parameter block holding `params`, as an earlier run leaves it.
void SetParameterBlock(host::Host& host, const CTesselParams& params);
// The record the host's parameter block holds; false when it holds none.
bool ParameterBlock(host::Host& host, CTesselParams& params);

// A swatch file in the simplest layout: version 1, RGB colours given as bytes.
void WriteRgbSwatches(const boost::filesystem::path& file, const std::vector<std::array<uint8_t, 3>>& colors);

// An interleaved page of `planes` bytes per pixel, every byte `fill`.
std::unique_ptr<base::ImageBuffer> FilledPage(int64_t width, int64_t height, int planes, uint8_t fill);
// Blacks out (all planes 0) a column and a row, cutting the page into boxes.
void DrawCross(base::ImageBuffer& page, int64_t x, int64_t y);
// Whether the run called the filter with `selector`.
bool Ran(const host::RunReport& report, int16_t selector);

// A copy of the page's pixels, to compare against after a run.
std::unique_ptr<base::ImageBuffer> Copy(const base::ImageBuffer& page);

class RunFixture : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { sModule = std::make_unique<host::PluginModule>(host::DefaultModulePath()); }
  static void TearDownTestSuite() { sModule.reset(); }

  // Runs with stderr captured into `shown`, the console interface's alerts.
  host::RunReport RunCaptured(const host::RunRequest& request);
  // How many times `text` was shown.
  size_t TimesShown(const std::string& text) const;

  TempConfigHome config;  // the run must not touch the user's preferences
  TempFolder presets;
  host::FilterSession session{*sModule};
  std::string shown;
  static std::unique_ptr<host::PluginModule> sModule;
};

}  // namespace tessel::test
