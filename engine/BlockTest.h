// The fill test over 16 consecutive pixels of one row at once.
#pragma once

#include <cstdint>

#include "interface/FillTest.h"

// Bit i answers the fill test for pixel i of the 16 whose first plane-0 byte
// is at `p`. The caller guarantees that a 17th pixel follows in the buffer,
// so every byte up to it may be read.
using BlockMaskFn = uint32_t (*)(const FillTest& test, const uint8_t* p, int64_t columnBytes, int64_t planeStep);

constexpr int kBlockPixels = 16;
constexpr uint32_t kFullBlock = 0xFFFF;

// The fastest block test for this layout: vector code when `vectorAllowed`
// and the processor has SSSE3 and the layout is one it knows (one byte per
// column, or 3 or 4 interleaved bytes), else a portable loop with the same answers.
BlockMaskFn ChooseBlockMask(const FillTest& test, int64_t columnBytes, int64_t planeStep, bool vectorAllowed);

// Block tests chosen at run time and called through a pointer.
struct DispatchedBlocks {
  BlockMaskFn mask;
  uint32_t operator()(const FillTest& test, const uint8_t* p, int64_t columnBytes, int64_t planeStep) const {
    return mask(test, p, columnBytes, planeStep);
  }
};
