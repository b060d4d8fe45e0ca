// PNG files written in bands against libvips' for the same page: libpng, a
// reader that checks every CRC and the zlib checksum, must get the page's
// pixels back, and every chunk but the image data must be libvips' own.
#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <random>
#include <thread>

#include "io/BandedPng.h"
#include "tests/support/TempFolders.h"

namespace tessel::host {
namespace {

// The file's chunks other than the image data, each type and data.
std::vector<std::string> ChunksBesideImageData(const std::string& file) {
  std::vector<std::string> chunks;
  for (size_t at = 8; at + 12 <= file.size();) {
    const size_t length = static_cast<size_t>(static_cast<uint8_t>(file[at])) << 24 |
                          static_cast<size_t>(static_cast<uint8_t>(file[at + 1])) << 16 |
                          static_cast<size_t>(static_cast<uint8_t>(file[at + 2])) << 8 |
                          static_cast<uint8_t>(file[at + 3]);
    if (file.compare(at + 4, 4, "IDAT") != 0) chunks.push_back(file.substr(at + 4, 4 + length));
    at += 12 + length;
  }
  return chunks;
}

// The pixels as libpng reads them, or an empty buffer when it refuses the file.
std::vector<uint8_t> ReadWithLibpng(const std::string& path, int channels) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
  const png_uint_32 formats[] = {PNG_FORMAT_GRAY, PNG_FORMAT_GA, PNG_FORMAT_RGB, PNG_FORMAT_RGBA};
  image.format = formats[channels - 1];
  std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return {};
  return pixels;
}

// Flat runs of colour between noise, as flats with lines multiplied over them.
io::ImageFile Page(int64_t width, int64_t height, int channels, std::mt19937& random) {
  const bool grey = channels <= 2;
  io::ImageFile page{base::ImageBuffer({width, height, channels, base::PlaneLayout::Interleaved, 0}),
                 int16_t(grey ? plugInModeGrayScale : plugInModeRGBColor), channels % 2 == 0, {}};
  std::uniform_int_distribution<int> byte(0, 255), run(1, 400);
  uint8_t* pixel = page.pixels.data();
  for (int64_t left = page.pixels.sizeBytes(); left > 0;) {
    const int64_t length = std::min<int64_t>(left, run(random));
    const bool noise = run(random) < 60;
    const auto value = static_cast<uint8_t>(byte(random));
    for (int64_t i = 0; i < length; ++i) *pixel++ = noise ? static_cast<uint8_t>(byte(random)) : value;
    left -= length;
  }
  page.traits.xResolution = page.traits.yResolution = 600 / 25.4;
  const char* profile = grey ? "/usr/share/color/icc/ghostscript/default_gray.icc"
                             : "/usr/share/color/icc/ghostscript/default_rgb.icc";
  page.traits.fields.push_back({"icc-profile-data", io::ImageFileTraits::Field::kBlob, test::ReadBytes(profile)});
  return page;
}

TEST(BandedPng, GivesLibvipsFileWithThePagesPixels) {
  const test::TempFolder folder;
  std::mt19937 random(5);
  // Pages of one band and of several, the last one short.
  const struct {
    int64_t width, height;
  } sizes[] = {{1, 1}, {2900, 1901}};
  for (const auto& size : sizes)
    for (int channels = 1; channels <= 4; ++channels) {
      io::ImageFile page = Page(size.width, size.height, channels, random);
      const std::string banded = (folder.path() / "banded.png").string();
      const std::string byLibvips = (folder.path() / "libvips.png").string();
      ASSERT_TRUE(io::CanSavePngInBands(page, banded));
      io::SavePngInBands(page, banded);
      io::SaveImageFile(page, byLibvips);  // grey and RGB pixels are written as they are
      const std::vector<uint8_t> pixels = ReadWithLibpng(banded, channels);
      const std::string where = std::to_string(size.width) + " x " + std::to_string(size.height) + " x " +
                                std::to_string(channels);
      ASSERT_EQ(pixels.size(), static_cast<size_t>(page.pixels.sizeBytes())) << where;
      EXPECT_EQ(std::memcmp(pixels.data(), page.pixels.data(), pixels.size()), 0) << where;
      EXPECT_EQ(ChunksBesideImageData(test::ReadBytes(banded)), ChunksBesideImageData(test::ReadBytes(byLibvips)))
          << where;
    }
}

TEST(BandedPng, WaitsForReleasedRowsAndStopsWhenThePageIsGivenUp) {
  const test::TempFolder folder;
  std::mt19937 random(6);
  const io::ImageFile page = Page(1200, 4000, 3, random);
  const std::string whole = (folder.path() / "whole.png").string(), gated = (folder.path() / "gated.png").string();
  io::SavePngInBands(page, whole);

  base::RowGate gate;
  std::thread releasing([&gate] {
    for (int64_t rows = 0; rows <= 4000; rows += 250) gate.Release(rows);
  });
  io::SavePngInBands(page, gated, &gate);
  releasing.join();
  EXPECT_EQ(test::ReadBytes(gated), test::ReadBytes(whole));

  base::RowGate givenUp;
  givenUp.Release(1000);
  std::thread giving([&givenUp] { givenUp.GiveUp(); });
  EXPECT_THROW(io::SavePngInBands(page, gated, &givenUp), io::ImageFileError);
  giving.join();
}

}  // namespace
}  // namespace tessel::host
