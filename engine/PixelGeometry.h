// Where a pixel's channel bytes lie in the host's output buffer, as the host
// described it after delivering the image. Offsets are 64-bit: pages of
// hundreds of thousands of pixels a side overflow 32-bit products.
#pragma once

#include <cstdint>

#include "interface/PhotoshopHost.h"

struct PixelGeometry {
  uint8_t* data;
  int64_t rowBytes;
  int64_t columnBytes;
  int64_t planeBytes;
  VRect bounds;

  // The colour planes of the image: a layer keeps its transparency apart.
  static int ColourPlanes(const FilterRecord& record) {
    return record.filterCase > filterCaseFlatImageWithSelection ? record.outLayerPlanes : record.planes;
  }

  static PixelGeometry FromOutput(const FilterRecord& record) {
    PixelGeometry g;
    g.data = static_cast<uint8_t*>(record.outData);
    g.rowBytes = record.outRowBytes;
    g.columnBytes = record.outColumnBytes ? record.outColumnBytes : ColourPlanes(record);
    g.planeBytes = record.outPlaneBytes ? record.outPlaneBytes : 1;
    g.bounds = record.outRect;
    return g;
  }

  bool Contains(int64_t x, int64_t y) const {
    return x >= bounds.left && x < bounds.right && y >= bounds.top && y < bounds.bottom;
  }

  // Plane 0 of (x, y); null when the host delivered no buffer.
  uint8_t* At(int64_t x, int64_t y) const {
    return data ? data + y * rowBytes + x * columnBytes : nullptr;
  }

  // A hint that plane 0 of row y's left..right is wanted soon.
  void Prefetch(int64_t left, int64_t right, int64_t y) const {
    if (!data || y < bounds.top || y >= bounds.bottom) return;
    left = left < bounds.left ? bounds.left : left;
    right = right >= bounds.right ? bounds.right - 1 : right;
    constexpr int64_t kCacheLine = 64;
    const uint8_t* end = At(right, y);
    for (const uint8_t* p = At(left, y); p <= end; p += kCacheLine) {
      __builtin_prefetch(p);
      // GCC counts a prefetch as no effect, finds a function of nothing else
      // pure, and drops every call to it. An empty volatile asm is an effect.
      asm volatile("");
    }
  }
};
