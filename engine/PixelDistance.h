// Integer displacements from a pixel, nearest first, for searches that look
// outward from a seed. Displacements come in square rings (ring n: the 8n
// displacements whose larger coordinate magnitude is n). x counts columns to
// the right, y rows downward.
//
// Displacements are made as the enumeration reaches them, from one cursor per
// column offset, so memory grows with the search distance, not its square.
#pragma once

#include <cstdint>
#include <vector>

class CPixelDistance {
 public:
  // Inclusive limits of the displacements a search may return.
  struct Bounds {
    int32_t top;
    int32_t left;
    int32_t bottom;
    int32_t right;
  };

  // The widest ring whose displacements 16-bit coordinates can hold.
  static constexpr uint16_t kMaxLevels = 32767;
  // The rings every generator starts with.
  static constexpr uint16_t kInitialLevels = 10;

  // Counts the first kInitialLevels rings as made. Searches give up rather
  // than grow past `maxLevels` rings (never fewer than the initial ones, never
  // more than kMaxLevels).
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
  // Starts a search at the first displacement whose squared distance is at
  // least `square`, making the rings up to it; otherwise as GetFirstXY. False
  // at once (x, y untouched) when `square` lies beyond the ring limit.
  bool GetFirstFrom(int& x, int& y, uint64_t square);
  // The next displacement within mBounds; false when the search gives up.
  bool GetNextXY(int& x, int& y);

  // Set by the caller before each search.
  Bounds mBounds{0, 0, 0, 0};
  uint16_t mLevels;
  // mLevels²: every displacement up to this squared distance has been made.
  uint64_t mMaxSquare;

 private:
  // The displacements of ring n at column offset d (0 <= d <= n): up to eight,
  // all at squared distance n² + d².
  struct Group {
    uint32_t n;
    uint32_t d;
    uint64_t square;
    // Among groups of one squared distance the larger ring comes first, but
    // the initial rings' axis displacements come last.
    uint32_t Rank() const { return d == 0 && n <= kInitialLevels ? UINT32_MAX : d; }
    bool After(const Group& other) const {
      return square != other.square ? square > other.square : Rank() > other.Rank();
    }
  };
  // The heap keeps the group that comes first on top.
  static bool ComesLater(const Group& a, const Group& b) { return a.After(b); }

  void StartAt(uint64_t square);
  void Push(uint32_t n, uint32_t d);
  void NextGroup();

  uint16_t mMaxLevels;
  // A heap of the next group of every column offset met so far, plus the
  // first group of the next offset, on the diagonal.
  std::vector<Group> mAhead;
  Group mGroup{0, 0, 0};
  int mMember = 0;
};
