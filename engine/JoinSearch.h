// The search around a seed for the first displacement, in the ring
// generator's order, whose pixel could lend its colour. Near displacements are
// tried one by one; past them, the squared distance of the nearest source is
// asked for and only displacements at that distance are tried, so a seed far
// from any colour costs no more than a near one. The choice, the give-up rule
// and the ring limit stay those of trying every displacement in turn.
#pragma once

#include <algorithm>
#include <cstdint>

#include "engine/PixelDistance.h"

// Displacements tried one by one before the nearest source is asked for: the
// common seed finds its colour right beside it.
constexpr uint64_t kNearJoinSquare = 16 * 16;

// Up to this squared distance no search within `bounds` can give up. Some
// quadrant of the bounds reaches at least r = sqrt(result) both ways, so every
// group of displacements of one ring and column offset up to r² has a member
// in it, and no eight displacements in a row fall outside.
inline uint64_t UnfailingSquare(const CPixelDistance::Bounds& bounds) {
  const int64_t right = bounds.right, below = bounds.bottom, above = -int64_t{bounds.top}, left = -int64_t{bounds.left};
  const int64_t reach =
      std::max({std::min(right, below), std::min(right, above), std::min(left, above), std::min(left, below)});
  return reach > 0 ? static_cast<uint64_t>(reach * reach) : 0;
}

inline uint64_t SquaredLength(int x, int y) {
  return static_cast<uint64_t>(int64_t{x} * x) + static_cast<uint64_t>(int64_t{y} * y);
}

// Searches `rings` (its mBounds set) for the first displacement (x, y) for
// which accepts(x, y) holds. nearestSquare() gives the least squared length of
// such a displacement within the bounds, or UINT64_MAX when there is none; it
// is asked only once the near displacements are done. False when the search
// gives up or the ring limit comes first.
template <class Accepts, class NearestSquare>
bool FindJoinSource(CPixelDistance& rings, Accepts&& accepts, NearestSquare&& nearestSquare, int& x, int& y,
                    uint64_t nearSquare = kNearJoinSquare) {
  bool more = rings.GetFirstXY(x, y, 0);
  for (; more && SquaredLength(x, y) <= nearSquare; more = rings.GetNextXY(x, y))
    if (accepts(x, y)) return true;
  if (!more) return false;
  const uint64_t nearest = nearestSquare();
  if (nearest == UINT64_MAX) return false;
  // Restarting at a squared distance up to the unfailing one loses no run of
  // displacements outside the bounds that could have ended the search.
  const uint64_t start = std::min(nearest, UnfailingSquare(rings.mBounds));
  if (start > SquaredLength(x, y)) more = rings.GetFirstFrom(x, y, start);
  for (; more; more = rings.GetNextXY(x, y)) {
    const uint64_t square = SquaredLength(x, y);
    if (square > nearest) return false;
    if (square == nearest && accepts(x, y)) return true;
  }
  return false;
}
