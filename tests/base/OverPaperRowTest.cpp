// Rows of ink over paper against the blend worked out in floating point, for
// every layout the decoder and the flats stage hand over, with blocks wholly
// transparent, wholly opaque and mixed, and widths that end mid-block.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "base/OverPaperRow.h"

namespace tessel::test {
namespace {

TEST(OverPaperRow, EveryLayoutIsTheBlendOverWhite) {
  std::mt19937 random(29);
  for (const int colour : {1, 3, 4})
    for (const uint8_t toEditor : {uint8_t{0}, uint8_t{0xFF}})
      for (const int64_t width : {0, 1, 15, 16, 17, 64, 77}) {
        std::vector<uint8_t> ink(static_cast<size_t>(width * (colour + 1)));
        for (int64_t x = 0; x < width; ++x) {
          uint8_t* pixel = &ink[static_cast<size_t>(x * (colour + 1))];
          for (int p = 0; p <= colour; ++p) pixel[p] = static_cast<uint8_t>(random());
          // Runs of 16 clear, 16 solid, then every coverage.
          const int64_t run = x / 16 % 3;
          if (run < 2) pixel[colour] = run == 0 ? 0 : 255;
        }
        for (const base::Coverage coverage : {base::Coverage::kDropped, base::Coverage::kOpaque})
          for (const bool inPlace : {false, true}) {
            if (inPlace && coverage == base::Coverage::kDropped) continue;
            const int out = colour + (coverage == base::Coverage::kOpaque ? 1 : 0);
            std::vector<uint8_t> paper = ink;
            paper.resize(static_cast<size_t>(width * out));
            base::RowOverPaper(inPlace ? paper.data() : ink.data(), paper.data(), width, colour, coverage, toEditor);
            for (int64_t x = 0; x < width; ++x) {
              const double a = ink[static_cast<size_t>(x * (colour + 1) + colour)];
              for (int p = 0; p < out; ++p) {
                const unsigned c = ink[static_cast<size_t>(x * (colour + 1) + p)] ^ toEditor;
                const long expected = p == colour ? 255 : std::lround((c * a + 255 * (255 - a)) / 255) ^ toEditor;
                ASSERT_EQ(paper[static_cast<size_t>(x * out + p)], expected)
                    << colour << " colour planes, " << +toEditor << ", width " << width << ", pixel " << x << ", plane "
                    << p << (inPlace ? ", in place" : "");
              }
            }
          }
      }
}

}  // namespace
}  // namespace tessel::test
