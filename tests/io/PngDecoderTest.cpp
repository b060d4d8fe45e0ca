// The PNG decoder against libvips' own loader, the reference the rest of the
// host was built on: every colour type, depth, interlacing, transparency key
// and colour chunk, written by libpng with random samples.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>
#include <vips/vips.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "io/ImageFile.h"
#include "io/PageFile.h"
#include "io/PngDecoder.h"
#include "tests/support/TempFolders.h"

namespace tessel::host {
namespace {

struct Variant {
  int colourType;
  int depth;
  bool interlaced;
  bool transparencyKey;
  bool colourChunks;  // gAMA, iCCP and a comment

  std::string Name() const {
    return "type" + std::to_string(colourType) + "-depth" + std::to_string(depth) + (interlaced ? "-adam7" : "") +
           (transparencyKey ? "-trns" : "") + (colourChunks ? "-chunks" : "");
  }
};

constexpr png_uint_32 kWidth = 13, kHeight = 11;  // odd, so every interlace pass is partial

bool DecodeFile(const std::string& path, base::ImageBuffer& pixels) {
  const int descriptor = open(path.c_str(), O_RDONLY);
  const bool decoded = io::DecodePng(descriptor, pixels);
  close(descriptor);
  return decoded;
}

// libpng reports by longjmp: nothing here needs destroying on the way out.
bool WriteVariant(png_structp png, png_infop info, std::FILE* file, const Variant& v,
                  std::vector<std::vector<png_byte>>& rows, std::mt19937& random) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_init_io(png, file);
  png_set_IHDR(png, info, kWidth, kHeight, v.depth, v.colourType,
               v.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  const int entries = 1 << std::min(v.depth, 8);
  std::vector<png_color> palette(static_cast<size_t>(entries));
  std::vector<png_byte> alphas(static_cast<size_t>(entries));
  for (int i = 0; i < entries; ++i) {
    palette[i] = {png_byte(random()), png_byte(random()), png_byte(random())};
    alphas[i] = png_byte(random());
  }
  if (v.colourType == PNG_COLOR_TYPE_PALETTE) png_set_PLTE(png, info, palette.data(), entries);
  rows.assign(kHeight, std::vector<png_byte>(png_get_rowbytes(png, info)));
  for (auto& row : rows)
    for (auto& byte : row) byte = png_byte(random());
  if (v.transparencyKey) {
    // Keyed on the first pixel's own value, so that the key is met.
    const png_bytep first = rows[0].data();
    const auto sample = [&](int i) {
      return v.depth == 16 ? png_uint_16(first[2 * i] << 8 | first[2 * i + 1]) : png_uint_16(first[i]);
    };
    png_color_16 key{};
    key.gray = v.depth == 16 ? sample(0) : png_uint_16(first[0] >> (8 - v.depth));
    if (v.colourType == PNG_COLOR_TYPE_RGB) key = {0, sample(0), sample(1), sample(2), 0};
    png_set_tRNS(png, info, alphas.data(), v.colourType == PNG_COLOR_TYPE_PALETTE ? entries : 0, &key);
  }
  if (v.colourChunks) {
    const bool grey = !(v.colourType & PNG_COLOR_MASK_COLOR);
    const std::string profile = test::ReadBytes(grey ? "/usr/share/color/icc/ghostscript/sgray.icc"
                                                     : "/usr/share/color/icc/ghostscript/srgb.icc");
    png_set_gAMA(png, info, 0.6);
    png_set_iCCP(png, info, grey ? "grey" : "rgb", 0, reinterpret_cast<png_const_bytep>(profile.data()),
                 static_cast<png_uint_32>(profile.size()));
    png_text comment{};
    comment.compression = PNG_TEXT_COMPRESSION_NONE;
    comment.key = const_cast<char*>("Comment");
    comment.text = const_cast<char*>("drawn for the decoder test");
    png_set_text(png, info, &comment, 1);
  }
  std::vector<png_bytep> pointers;
  for (auto& row : rows) pointers.push_back(row.data());
  png_set_rows(png, info, pointers.data());
  png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  return true;
}

void WritePng(const std::string& path, const Variant& v, std::mt19937& random) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_TRUE(file) << path;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  std::vector<std::vector<png_byte>> rows;
  const bool written = WriteVariant(png, info, file, v, rows, random);
  png_destroy_write_struct(&png, &info);
  std::fclose(file);
  ASSERT_TRUE(written) << v.Name();
}

// libvips' pixels for the file, 16-bit samples shifted to 8 as the host
// reduces them; empty when it cannot read the file.
std::vector<uint8_t> VipsPixels(const std::string& path, int& bands) {
  VipsImage* image = vips_image_new_from_file(path.c_str(), "access", VIPS_ACCESS_SEQUENTIAL, nullptr);
  if (!image) return {};
  if (image->BandFmt == VIPS_FORMAT_USHORT) {
    VipsImage* reduced = nullptr;
    vips_cast(image, &reduced, VIPS_FORMAT_UCHAR, "shift", TRUE, nullptr);
    g_object_unref(image);
    image = reduced;
  }
  size_t size = 0;
  auto* data = static_cast<uint8_t*>(vips_image_write_to_memory(image, &size));
  bands = image->Bands;
  g_object_unref(image);
  std::vector<uint8_t> pixels(data, data + size);
  g_free(data);
  return pixels;
}

std::vector<uint8_t> Bytes(const base::ImageBuffer& pixels) {
  return std::vector<uint8_t>(pixels.data(), pixels.data() + pixels.sizeBytes());
}

// Interleaved pixels of `bands`, transparency last, over white paper, in
// floating point, without the transparency.
std::vector<uint8_t> OverPaper(const std::vector<uint8_t>& pixels, int bands) {
  std::vector<uint8_t> paper;
  for (auto pixel = pixels.begin(); pixel != pixels.end(); pixel += bands) {
    const double a = pixel[bands - 1];
    for (int p = 0; p + 1 < bands; ++p)
      paper.push_back(static_cast<uint8_t>(std::lround((pixel[p] * a + 255 * (255 - a)) / 255)));
  }
  return paper;
}

TEST(PngDecoderTest, DecodesEveryVariantAsLibvipsDoes) {
  ASSERT_EQ(VIPS_INIT("tessel-test"), 0);
  const test::TempFolder folder;
  std::mt19937 random(7);
  std::vector<Variant> variants;
  const std::pair<int, std::vector<int>> depths[] = {{PNG_COLOR_TYPE_GRAY, {1, 2, 4, 8, 16}},
                                                     {PNG_COLOR_TYPE_GRAY_ALPHA, {8, 16}},
                                                     {PNG_COLOR_TYPE_RGB, {8, 16}},
                                                     {PNG_COLOR_TYPE_RGB_ALPHA, {8, 16}},
                                                     {PNG_COLOR_TYPE_PALETTE, {1, 2, 4, 8}}};
  for (const auto& [type, typeDepths] : depths)
    for (int depth : typeDepths)
      for (bool interlaced : {false, true})
        for (bool chunks : {false, true}) {
          variants.push_back({type, depth, interlaced, false, chunks});
          if (!(type & PNG_COLOR_MASK_ALPHA)) variants.push_back({type, depth, interlaced, true, chunks});
        }
  int decoded = 0;
  for (const Variant& v : variants) {
    const std::string path = (folder.path() / (v.Name() + ".png")).string();
    WritePng(path, v, random);
    int bands = 0;
    const std::vector<uint8_t> reference = VipsPixels(path, bands);
    ASSERT_FALSE(reference.empty()) << v.Name();

    base::ImageBuffer pixels({kWidth, kHeight, bands, base::PlaneLayout::Interleaved, 0});
    const bool leftToVips = v.depth == 16 && v.interlaced;
    EXPECT_EQ(DecodeFile(path, pixels), !leftToVips) << v.Name();
    if (!leftToVips) {
      EXPECT_EQ(Bytes(pixels), reference) << v.Name();
      ++decoded;
    }
    // The whole load, whichever decoder it took.
    const io::ImageFile loaded = io::LoadImageFile(path);
    EXPECT_EQ(Bytes(loaded.pixels), reference) << v.Name();
    // Read for flats: laid over paper as it is decoded, whichever decoder.
    if (loaded.hasTransparency) {
      const io::ImageFile paper = io::PageFile(path, io::Transparency::kOverPaper).Load();
      EXPECT_FALSE(paper.hasTransparency) << v.Name();
      EXPECT_EQ(Bytes(paper.pixels), OverPaper(reference, bands)) << v.Name();
    }
  }
  EXPECT_GT(decoded, 60);
}

TEST(PngDecoderTest, DamagedFilesAreLeftToLibvipsToRefuse) {
  const test::TempFolder folder;
  std::mt19937 random(11);
  const std::string whole = (folder.path() / "whole.png").string();
  WritePng(whole, {PNG_COLOR_TYPE_RGB, 8, false, false, false}, random);
  const std::string bytes = test::ReadBytes(whole);
  std::string flipped = bytes;
  flipped[bytes.size() - 20] ^= 0x5A;  // inside the image data or its checksum
  const std::pair<const char*, std::string> damaged[] = {{"cut.png", bytes.substr(0, bytes.size() - 30)},
                                                          {"flipped.png", flipped}};
  for (const auto& [name, content] : damaged) {
    const std::string path = (folder.path() / name).string();
    test::WriteBytes(folder.path() / name, content);
    base::ImageBuffer pixels({kWidth, kHeight, 3, base::PlaneLayout::Interleaved, 0});
    EXPECT_FALSE(DecodeFile(path, pixels)) << name;
    try {
      io::LoadImageFile(path);
      ADD_FAILURE() << name << " loaded";
    } catch (const io::ImageFileError& e) {
      EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what();
    }
  }
}

}  // namespace
}  // namespace tessel::host
