// Integer displacements from a pixel, nearest first, for searches that look
// outward from a seed. Displacements come in square rings (ring n: the 8n
// displacements whose larger coordinate magnitude is n), made on demand and
// kept for later searches. x counts columns to the right, y rows downward.
#pragma once

#include <cstdint>
#include <map>
#include <memory_resource>

class CPixelDistance {
  // Declared first, for mDisplacements lives in it. Rings are never dropped,
  // so entries are packed without per-entry allocation overhead and released
  // together with the generator.
  std::pmr::monotonic_buffer_resource mRingStore;
  uint16_t mMaxLevels;

 public:
  struct Displacement {
    int16_t x;
    int16_t y;
  };
  // Inclusive limits of the displacements a search may return.
  struct Bounds {
    int32_t top;
    int32_t left;
    int32_t bottom;
    int32_t right;
  };
  using Displacements = std::pmr::multimap<uint64_t, Displacement>;

  // The widest ring whose displacements 16-bit coordinates can hold.
  static constexpr uint16_t kMaxLevels = 32767;
  // The rings every generator starts with.
  static constexpr uint16_t kInitialLevels = 10;

  // Makes the first kInitialLevels rings. Searches give up rather than grow
  // past `maxLevels` rings (never fewer than the initial ones, never more than
  // kMaxLevels).
  explicit CPixelDistance(uint16_t maxLevels = kMaxLevels);
  virtual ~CPixelDistance() = default;

  // Makes the next ring; does nothing once the ring limit is reached.
  void AddLevel();
  // Starts a search at the displacements of squared distance radius² (the
  // nearest ones when radius is 0 or beyond the rings made so far) and yields
  // the first within mBounds. False when radius exceeds mMaxSquare (x, y
  // untouched), or when the search gives up: eight displacements in a row
  // outside mBounds, or the ring limit reached (x, y: the last one tried).
  bool GetFirstXY(int& x, int& y, unsigned radius);
  // The next displacement within mBounds; false when the search gives up.
  bool GetNextXY(int& x, int& y);

  // Set by the caller before each search; starts empty of displacements.
  Bounds mBounds{0, 0, 0, 0};
  uint16_t mLevels;
  uint64_t mMaxSquare;
  Displacements mDisplacements;
  Displacements::iterator mCurrent;
};
