// New colours for the regions so that no two neighbours share one (or, with
// random colours, look alike). Works on region indices and the neighbour
// lists only; what a colour is and which may paint is the caller's.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <vector>

#include "flats/Neighbours.h"

namespace tessel::flats {

// What each region does. A region that follows another takes whatever colour
// that one gets (the filter joined it there); a kept one keeps the filter's
// colour (flagged) and constrains nobody; a given one has its colour given
// beforehand (a hint), which its neighbours avoid, though two given ones may
// share it.
struct RegionRoles {
  static constexpr int32_t kOwn = -1;
  static constexpr int32_t kKept = -2;
  static constexpr int32_t kGiven = -3;
  std::vector<int32_t> follows;  // per region: kOwn, kKept, kGiven, or the index it follows
};

// Per region: the palette index chosen, or -1 for a kept region.
struct PaletteColouring {
  std::vector<int32_t> colour;
  int64_t clashes = 0;  // neighbouring pairs (neither kept) left in one colour
};

// `usable[i]`: whether palette entry i may paint. Regions in order take the
// next usable entry of the cycle that no coloured neighbour has, the cycle
// moving on past it. Should that fail anywhere, the whole graph is coloured
// in smallest-last order instead, which needs no more colours than one more
// than its degeneracy; with too few, each region takes the colour fewest of
// its neighbours have. A given region has the entry `given` holds for it
// (one not usable for a colour outside the palette). Throws
// std::invalid_argument when no entry is usable, or a given entry is none.
PaletteColouring ColourFromPalette(const NeighbourLists& neighbours, const RegionRoles& roles,
                                   const std::vector<bool>& usable, const std::vector<int32_t>& given = {});

using Lab = std::array<double, 3>;

struct Paint {
  std::vector<uint8_t> bytes;
  Lab lab;
};
// A colour that may paint, drawn from `random`, with its Lab value; nothing
// when none could be found.
using PaintDraw = std::function<std::optional<Paint>(std::mt19937& random)>;

struct RandomColouring {
  std::vector<Paint> paint;  // per region; a kept region's is `current`'s
  int64_t clashes = 0;       // neighbouring pairs closer than the distance asked for
};

// CIE76: the Euclidean distance in Lab.
double DeltaE(const Lab& a, const Lab& b);

// Regions in order keep `current` (the filter's colour) when it lies at
// least `minDeltaE` from every coloured neighbour, or else take the first
// of up to `tries` colours drawn that does; failing that, the farthest
// drawn. A given region keeps `current`, its given colour, from the start.
// `random` is seeded by the caller, so runs repeat.
RandomColouring ColourAtRandom(const NeighbourLists& neighbours, const RegionRoles& roles,
                               std::vector<Paint> current, const PaintDraw& draw, std::mt19937& random,
                               double minDeltaE, int tries);

}  // namespace tessel::flats
