// The host's image buffer: layouts, strides, refused geometry, comparison.
#include <gtest/gtest.h>

#include <limits>

#include "base/ImageBuffer.h"

namespace tessel::host {
namespace {

base::ImageGeometry Geometry(int64_t w, int64_t h, int planes, base::PlaneLayout layout, int64_t padding = 0) {
  return {w, h, planes, layout, padding};
}

TEST(HostImageBuffer, StridesFollowTheLayout) {
  struct Case {
    base::ImageGeometry geometry;
    int64_t row, column, plane, size;
  };
  const Case cases[] = {
      {Geometry(5, 3, 4, base::PlaneLayout::Interleaved), 20, 4, 1, 60},
      {Geometry(5, 3, 4, base::PlaneLayout::Planar), 5, 1, 15, 60},
      {Geometry(5, 3, 4, base::PlaneLayout::Interleaved, 3), 23, 4, 1, 69},
      {Geometry(5, 3, 4, base::PlaneLayout::Planar, 3), 8, 1, 24, 96},
  };
  for (const Case& c : cases) {
    base::ImageBuffer image(c.geometry);
    EXPECT_EQ(image.rowBytes(), c.row);
    EXPECT_EQ(image.columnBytes(), c.column);
    EXPECT_EQ(image.planeBytes(), c.plane);
    EXPECT_EQ(image.sizeBytes(), c.size);
    // Every byte of every pixel has its own place in the allocation.
    image.SetPixel(4, 2, {1, 2, 3, 4});
    for (int p = 0; p < 4; ++p)
      EXPECT_EQ(image.data()[2 * c.row + 4 * c.column + p * c.plane], p + 1) << "plane " << p;
    EXPECT_EQ(image.Pixel(0, 0), std::vector<uint8_t>(4, 0));
  }
}

TEST(HostImageBuffer, RefusesGeometryOutsideTheEditorsLimits) {
  const base::ImageGeometry refused[] = {
      Geometry(0, 10, 3, base::PlaneLayout::Interleaved),
      Geometry(10, -1, 3, base::PlaneLayout::Interleaved),
      Geometry(base::ImageBuffer::kMaxSide + 1, 1, 3, base::PlaneLayout::Interleaved),
      Geometry(10, 10, 0, base::PlaneLayout::Interleaved),
      Geometry(10, 10, base::ImageBuffer::kMaxPlanes + 1, base::PlaneLayout::Planar),
      Geometry(10, 10, 3, base::PlaneLayout::Interleaved, -1),
      // A row or plane stride the record's 32-bit fields cannot carry.
      Geometry(10, 10, 3, base::PlaneLayout::Interleaved, std::numeric_limits<int32_t>::max()),
      Geometry(base::ImageBuffer::kMaxSide, base::ImageBuffer::kMaxSide, 1, base::PlaneLayout::Planar),
  };
  for (const base::ImageGeometry& g : refused) {
    try {
      base::ImageBuffer image(g);
      ADD_FAILURE() << g.width << " x " << g.height << " x " << g.planes << " was accepted";
    } catch (const base::ImageError& e) {
      EXPECT_NE(std::string(e.what()).find(std::to_string(g.width)), std::string::npos) << e.what();
    }
  }
}

TEST(HostImageBuffer, MoreThanTheMachineHoldsIsAClearError) {
  // 360 GB: larger than any machine these tests run on.
  try {
    base::ImageBuffer image(
        Geometry(base::ImageBuffer::kMaxSide, base::ImageBuffer::kMaxSide, 4, base::PlaneLayout::Interleaved));
    ADD_FAILURE() << "a 360 GB image was allocated";
  } catch (const base::ImageError& e) {
    EXPECT_NE(std::string(e.what()).find("memory available"), std::string::npos) << e.what();
  }
  // Exactly the memory at hand is enough; a byte more is refused.
  EXPECT_EQ(base::ImageBuffer(Geometry(10, 10, 3, base::PlaneLayout::Planar), 300).sizeBytes(), 300);
  EXPECT_THROW(base::ImageBuffer(Geometry(10, 10, 3, base::PlaneLayout::Planar), 299), base::ImageError);
}

TEST(HostImageBuffer, PixelAccessOutsideTheImageThrows) {
  base::ImageBuffer image(Geometry(4, 2, 3, base::PlaneLayout::Planar));
  EXPECT_THROW(image.Pixel(4, 0), std::out_of_range);
  EXPECT_THROW(image.Pixel(0, -1), std::out_of_range);
  EXPECT_THROW(image.SetPixel(-1, 0, {1}), std::out_of_range);
}

TEST(HostImageBuffer, ComparesPixelsWhateverTheLayout) {
  base::ImageBuffer interleaved(Geometry(6, 4, 3, base::PlaneLayout::Interleaved, 2));
  base::ImageBuffer planar(Geometry(6, 4, 3, base::PlaneLayout::Planar));
  interleaved.Fill({10, 20, 30});
  planar.Fill({10, 20, 30});
  EXPECT_TRUE(interleaved.SamePixels(planar));

  planar.SetPixel(5, 3, {10, 21});
  const auto difference = interleaved.FirstDifference(planar);
  ASSERT_TRUE(difference);
  EXPECT_EQ(*difference, "(5, 3) plane 1: 20 vs 21");

  base::ImageBuffer wider(Geometry(7, 4, 3, base::PlaneLayout::Interleaved));
  EXPECT_FALSE(interleaved.SamePixels(wider));
}

}  // namespace
}  // namespace tessel::host
