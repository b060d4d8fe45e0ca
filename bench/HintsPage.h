// Hints for a benchmark page, as a colourist dabs them: a dab of colour in
// every fifth of the filter's regions, inside the region, over transparency.
// The regions are the filter's own on the page, found by running it once
// with random colours as the whole runs do.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "base/ImageBuffer.h"
#include "bench/ParameterBlock.h"
#include "flats/RegionMask.h"
#include "flats/RegionRuns.h"
#include "io/ImageFile.h"

namespace tessel::bench {

constexpr int kHintedEvery = 5;  // a hint in every fifth region

// The hints for `page` (RGB), an RGBA image of its size; empty when the
// filter's run fails.
inline io::ImageFile DrawHints(const base::ImageBuffer& page) {
  base::ImageBuffer result(page.geometry());
  std::memcpy(result.data(), page.data(), static_cast<size_t>(page.sizeBytes()));
  if (!PaintAtRandom(result)) return {base::ImageBuffer({1, 1, 4}), plugInModeRGBColor, true, {}};

  const flats::RegionMask mask = flats::ChangedPixels(page, result);
  const flats::RegionRuns map = flats::FindRegionRuns(mask, result, 3);
  base::ImageBuffer hints({page.width(), page.height(), 4});
  std::memset(hints.data(), 0, static_cast<size_t>(hints.sizeBytes()));
  constexpr uint8_t kInks[][3] = {{220, 40, 60}, {30, 90, 200}, {250, 210, 40}, {40, 170, 90}, {150, 60, 170}};
  constexpr int64_t kDab = 7;  // pixels a side, clipped to the region
  size_t hint = 0;
  for (size_t r = 0; r < map.regions.size(); r += kHintedEvery) {
    const flats::Region& region = map.regions[r];
    const uint8_t* ink = kInks[(r / kHintedEvery) % std::size(kInks)];
    for (int64_t y = region.firstY; y < std::min(region.firstY + kDab, page.height()); ++y)
      for (int64_t x = region.firstX; x < std::min(region.firstX + kDab, page.width()); ++x)
        if (map.RegionAt(x, y, hint) == static_cast<int32_t>(r)) hints.SetPixel(x, y, {ink[0], ink[1], ink[2], 255});
  }
  return {std::move(hints), plugInModeRGBColor, true, {}};
}

}  // namespace tessel::bench
