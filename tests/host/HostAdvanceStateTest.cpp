// advanceState as the filter meets it: the image fields of the record and
// output areas delivered in place, for every layout.
#include <gtest/gtest.h>

#include <optional>

#include "engine/PixelGeometry.h"
#include "host/HostResults.h"
#include "host/ImageServices.h"

namespace tessel::host {
namespace {

struct Layout {
  base::PlaneLayout layout;
  bool layer;
  int64_t padding;
};

class HostAdvanceState : public ::testing::TestWithParam<Layout> {
 protected:
  // An RGB image, with a transparency plane when it is a layer.
  void Attach(int64_t width, int64_t height) {
    const Layout& p = GetParam();
    image.emplace(base::ImageGeometry{width, height, p.layer ? 4 : 3, p.layout, p.padding});
    services.Attach(*image, plugInModeRGBColor, p.layer);
  }
  OSErr Request(VRect rect, int16_t lo, int16_t hi) {
    record.outRect = rect;
    record.outLoPlane = lo;
    record.outHiPlane = hi;
    return record.advanceState();
  }

  FilterRecord record{};
  ImageServices services{record};
  std::optional<base::ImageBuffer> image;
};

TEST_P(HostAdvanceState, DescribesTheImageInTheRecord) {
  Attach(7, 5);
  EXPECT_EQ(record.imageSize.h, 7);
  EXPECT_EQ(record.imageSize.v, 5);
  EXPECT_EQ(record.filterRect.right, 7);
  EXPECT_EQ(record.filterRect.bottom, 5);
  EXPECT_EQ(record.imageMode, plugInModeRGBColor);
  EXPECT_EQ(PixelGeometry::ColourPlanes(record), 3);
  if (GetParam().layer) {
    EXPECT_EQ(record.filterCase, filterCaseEditableTransparencyNoSelection);
    EXPECT_EQ(record.planes, 4);
    EXPECT_EQ(record.outLayerPlanes, 3);
  } else {
    EXPECT_EQ(record.filterCase, filterCaseFlatImageNoSelection);
    EXPECT_EQ(record.planes, 3);
  }
}

TEST_P(HostAdvanceState, WholeImageIsWrittenInPlace) {
  Attach(9, 6);
  image->Fill({0, 0, 0, 77});
  ASSERT_EQ(Request(record.filterRect, 0, 2), noErr);
  EXPECT_EQ(record.outData, image->data());
  EXPECT_EQ(record.outRowBytes, image->rowBytes());
  EXPECT_EQ(record.outColumnBytes, image->columnBytes());
  EXPECT_EQ(record.outPlaneBytes, image->planeBytes());

  // Write the colour planes the way the filter addresses them.
  const PixelGeometry g = PixelGeometry::FromOutput(record);
  for (int64_t y = 0; y < 6; ++y)
    for (int64_t x = 0; x < 9; ++x)
      for (int k = 0; k < 3; ++k) g.At(x, y)[k * g.planeBytes] = static_cast<uint8_t>(x * 20 + y * 3 + k);

  for (int64_t y = 0; y < 6; ++y)
    for (int64_t x = 0; x < 9; ++x) {
      for (int k = 0; k < 3; ++k) ASSERT_EQ(image->at(x, y, k), x * 20 + y * 3 + k) << x << "," << y << "," << k;
      if (GetParam().layer) {
        ASSERT_EQ(image->at(x, y, 3), 77) << "transparency at " << x << "," << y;
      }
    }
}

TEST_P(HostAdvanceState, PartOfTheImageStartsAtItsCorner) {
  Attach(8, 8);
  ASSERT_EQ(Request({2, 1, 5, 4}, 1, 2), noErr);
  EXPECT_EQ(record.outData, &image->at(1, 2, 1));
}

TEST_P(HostAdvanceState, BadRequestsAreRefusedAndLeaveNoBuffer) {
  Attach(8, 6);
  const int16_t lastPlane = static_cast<int16_t>(record.planes - 1);
  const int16_t noSuchPlane = record.planes;
  struct Bad {
    VRect rect;
    int16_t lo, hi;
  };
  const Bad bad[] = {
      {{0, 0, 7, 8}, 0, 2},            // one row too many
      {{0, 0, 6, 9}, 0, 2},            // one column too many
      {{-1, 0, 6, 8}, 0, 2},           // above the image
      {{0, -1, 6, 8}, 0, 2},           // left of it
      {{0, 0, 6, 8}, 2, 1},            // planes reversed
      {{0, 0, 6, 8}, -1, 2},           // no such plane
      {{0, 0, 6, 8}, 0, noSuchPlane},
  };
  for (const Bad& b : bad) {
    ASSERT_EQ(Request(record.filterRect, 0, lastPlane), noErr);
    ASSERT_NE(record.outData, nullptr);
    EXPECT_EQ(Request(b.rect, b.lo, b.hi), kParamErr)
        << b.rect.top << " " << b.rect.left << " " << b.rect.bottom << " " << b.rect.right << " planes " << b.lo
        << ".." << b.hi;
    EXPECT_EQ(record.outData, nullptr);
  }
  // Input copies are not offered.
  record.inRect = record.filterRect;
  EXPECT_EQ(Request(record.filterRect, 0, 2), kParamErr);
}

TEST_P(HostAdvanceState, EmptyRequestClearsTheBuffer) {
  Attach(4, 4);
  ASSERT_EQ(Request(record.filterRect, 0, 2), noErr);
  EXPECT_EQ(Request({}, 0, 0), noErr);
  EXPECT_EQ(record.outData, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Layouts, HostAdvanceState,
                         ::testing::Values(Layout{base::PlaneLayout::Interleaved, false, 0},
                                           Layout{base::PlaneLayout::Interleaved, true, 5},
                                           Layout{base::PlaneLayout::Planar, false, 3},
                                           Layout{base::PlaneLayout::Planar, true, 0}),
                         [](const auto& info) {
                           const Layout& p = info.param;
                           return std::string(p.layout == base::PlaneLayout::Planar ? "Planar" : "Interleaved") +
                                  (p.layer ? "Layer" : "Flat") + (p.padding ? "Padded" : "");
                         });

class HostImageServices : public ::testing::Test {
 protected:
  FilterRecord record{};
  ImageServices services{record};
  base::ImageBuffer image{base::ImageGeometry{4, 3, 3, base::PlaneLayout::Interleaved, 0}};
};

TEST_F(HostImageServices, ForcedFailureAnswersItsCode) {
  services.Attach(image, plugInModeRGBColor, false);
  record.outRect = record.filterRect;
  record.outHiPlane = 2;
  services.ForceAdvanceStateError(-108);
  EXPECT_EQ(record.advanceState(), -108);
  EXPECT_EQ(record.outData, nullptr);
  services.ForceAdvanceStateError(noErr);
  EXPECT_EQ(record.advanceState(), noErr);
  EXPECT_EQ(record.outData, image.data());
  EXPECT_EQ(services.advanceStateCalls(), 2);
}

TEST_F(HostImageServices, NoImageNoDelivery) {
  record.outRect = {0, 0, 1, 1};
  EXPECT_EQ(record.advanceState(), kParamErr);
}

TEST_F(HostImageServices, ModeNeedingMorePlanesIsRefused) {
  services.Attach(image, plugInModeRGBColor, false);
  // Three planes are an RGB image, or a two-channel layer: never CMYK.
  EXPECT_THROW(services.Attach(image, plugInModeCMYKColor, false), base::ImageError);
  EXPECT_THROW(services.Attach(image, plugInModeRGBColor, true), base::ImageError);
  EXPECT_EQ(record.imageMode, plugInModeRGBColor);
  EXPECT_EQ(record.filterCase, filterCaseFlatImageNoSelection);
  services.Attach(image, plugInModeGrayScale, true);
  EXPECT_EQ(record.outLayerPlanes, 2);
}

TEST(HostImageServicesLifetime, CallbackOutlivingItsHostAnswersAnError) {
  FilterRecord record{};
  {
    ImageServices services(record);
  }
  record.outRect = {0, 0, 1, 1};
  EXPECT_EQ(record.advanceState(), kParamErr);
}

}  // namespace
}  // namespace tessel::host
