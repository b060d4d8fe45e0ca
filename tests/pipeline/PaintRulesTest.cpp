// The host's reproduction of the filter's colours against the filter itself,
// both converting through the host's colour services: which colours may paint
// under a run's fill colour, tolerance and fill test, and what each swatch of
// a palette becomes on the page.
#include <gtest/gtest.h>

#include <iterator>

#include "engine/PSPalette.h"
#include "engine/TesselFill.h"
#include "host/ColorServices.h"
#include "pipeline/PaintRules.h"
#include "tests/engine/FilterFixture.h"

namespace tessel::testing {
namespace {

using pipeline::PaintBytes;
using pipeline::PaintRules;

struct PageMode {
  int16_t mode;
  int planes;  // transparency included
};
constexpr PageMode kModes[] = {{plugInModeGrayScale, 1}, {plugInModeRGBColor, 3}, {plugInModeRGBColor, 4},
                               {plugInModeCMYKColor, 4}, {plugInModeLabColor, 3}};

// The filter on a one-pixel page of `mode`, asking the host's colour services.
struct FilterWithServices {
  FilterOnPage rig;
  host::ColorServices services{rig.record};
  explicit FilterWithServices(PageMode mode) : rig(Page(1, 1, mode.planes, Layout::kInterleaved), mode.mode) {}
};

// Both sides ask one CanPaint: what this holds to is the fill test each
// builds from the run's fill colour, tolerance, fill test and page.
TEST(PaintRules, JudgeEveryByteAsTheFilterDoes) {
  const _t_ASRGBColor fill{0xC000, 0xE400, 0x9000};
  int paintable = 0, refused = 0;
  for (const PageMode mode : kModes)
    for (const bool antiAliased : {false, true})
      for (const uint16_t tolerance : {0, 12, 70}) {
        FilterWithServices filter(mode);
        _t_ASRGBColor asked = fill;
        filter.rig.filter.SetFillColor(asked, tolerance);
        filter.rig.filter.mPaintAA = antiAliased;
        const FillTest test = CurrentFillTest(filter.rig.filter);

        pipeline::RunParameters parameters{};
        parameters.fill = fill;
        parameters.tolerance = tolerance;
        parameters.antiAliased = antiAliased;
        host::ColorTransforms transforms;
        PaintRules rules(mode.mode, mode.planes, parameters, transforms);

        // Every value of each byte, the others at the fill colour or at a light grey.
        const PaintBytes fillBytes = rules.FromRgb(fill).value();
        for (const PaintBytes& base : {fillBytes, PaintBytes{200, 200, 200, 200}})
          for (size_t k = 0; k < 4; ++k)
            for (int v = 0; v < 256; ++v) {
              PaintBytes color = base;
              color[k] = static_cast<uint8_t>(v);
              const bool expected = ::CanPaint(test, color.data(), mode.mode);
              ASSERT_EQ(rules.CanPaint(color), expected)
                  << "mode " << mode.mode << " planes " << mode.planes << " anti-aliased " << antiAliased
                  << " tolerance " << tolerance << " byte " << k << " = " << v;
              ++(expected ? paintable : refused);
            }
      }
  // Both answers were met, or the sweep would prove nothing.
  EXPECT_GT(paintable, 0);
  EXPECT_GT(refused, 0);
}

TEST(PaintRules, SwatchesReachThePageAsTheFilterConvertsThem) {
  const uint16_t samples[] = {0,    1,     38,    39,    181,   182,   255,   256,   3900,
                              5000, 10000, 10001, 12700, 32767, 32768, 52736, 65535};
  constexpr size_t kSamples = std::size(samples);
  for (const PageMode mode : {kModes[0], kModes[1], kModes[3], kModes[4]}) {
    FilterWithServices filter(mode);
    host::ColorTransforms transforms;
    PaintRules rules(mode.mode, mode.planes, pipeline::RunParameters{}, transforms);
    for (uint16_t id = 0; id < 16; ++id) {
      for (size_t i = 0; i < kSamples; ++i) {
        CPSPaletteColor swatch;
        swatch.colorSpace = id;
        for (size_t k = 0; k < 4; ++k) swatch.components[k] = samples[(i + 5 * k) % kSamples];
        unsigned char converted[4] = {};
        const bool filterConverts = filter.rig.filter.ConvertColor(swatch, converted);
        const std::optional<PaintBytes> host = rules.FromSwatch(swatch);
        ASSERT_EQ(host.has_value(), filterConverts) << "mode " << mode.mode << " space " << id << " sample " << i;
        if (host) {
          EXPECT_EQ(*host, Of(converted)) << "mode " << mode.mode << " space " << id << " sample " << i;
        }
      }
    }
  }
}

// A colour's Lab alone is its Lab among many, asked for again or not (a
// grey level's is kept once converted).
TEST(PaintRules, ConvertAColourToLabAsAmongMany) {
  for (const PageMode mode : {kModes[0], kModes[1], kModes[3]}) {
    host::ColorTransforms transforms;
    PaintRules rules(mode.mode, mode.planes, pipeline::RunParameters{}, transforms);
    std::vector<PaintBytes> colours;
    for (int v = 0; v < 256; ++v)
      colours.push_back({static_cast<uint8_t>(v), static_cast<uint8_t>(255 - v), static_cast<uint8_t>(v * 7), 0});
    const std::vector<std::optional<flats::Lab>> many = rules.ToLab(colours);
    for (int pass = 0; pass < 2; ++pass)
      for (size_t i = 0; i < colours.size(); ++i) {
        const std::optional<flats::Lab> alone = rules.ToLab(colours[i]);
        ASSERT_TRUE(alone && many[i]) << "mode " << mode.mode << " colour " << i;
        EXPECT_EQ(*alone, *many[i]) << "mode " << mode.mode << " colour " << i << " pass " << pass;
      }
  }
}

}  // namespace
}  // namespace tessel::testing
