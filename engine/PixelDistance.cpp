#include "engine/PixelDistance.h"

#include <algorithm>
#include <cmath>

namespace {

// A search that meets this many displacements in a row outside its bounds has
// left the rectangle behind.
constexpr int kAttemptsOutside = 8;

// The order within a group of ring n and column offset d: (d, n), (n, d),
// (n, -d), (d, -n), (-d, -n), (-n, -d), (-n, d), (-d, n). On the axes and the
// diagonals half of these coincide; each is given once, where it first comes.
constexpr int kAxisMembers[] = {0, 1, 3, 5};
constexpr int kDiagonalMembers[] = {0, 2, 4, 6};

void Member(int index, int n, int d, int& x, int& y) {
  switch (index) {
    case 0: x = d, y = n; break;
    case 1: x = n, y = d; break;
    case 2: x = n, y = -d; break;
    case 3: x = d, y = -n; break;
    case 4: x = -d, y = -n; break;
    case 5: x = -n, y = -d; break;
    case 6: x = -n, y = d; break;
    default: x = -d, y = n; break;
  }
}

uint64_t CeilSqrt(uint64_t value) {
  auto root = static_cast<uint64_t>(std::sqrt(static_cast<double>(value)));
  while (root * root > value) --root;
  while (root * root < value) ++root;
  return root;
}

}  // namespace

CPixelDistance::CPixelDistance(uint16_t maxLevels)
    : mLevels(0), mMaxSquare(0), mMaxLevels(std::clamp(maxLevels, kInitialLevels, kMaxLevels)) {
  for (int i = 0; i < kInitialLevels; ++i) AddLevel();
  StartAt(1);
}

void CPixelDistance::AddLevel() {
  if (mLevels >= mMaxLevels) return;
  ++mLevels;
  mMaxSquare = static_cast<uint64_t>(mLevels) * mLevels;
}

void CPixelDistance::Push(uint32_t n, uint32_t d) {
  mAhead.push_back(Group{n, d, static_cast<uint64_t>(n) * n + static_cast<uint64_t>(d) * d});
  std::push_heap(mAhead.begin(), mAhead.end(), ComesLater);
}

// Every column offset d whose diagonal lies below `square` gets a cursor at
// its first ring reaching `square`; the first offset whose diagonal does not
// waits on the diagonal and brings in the next offset when it is taken.
void CPixelDistance::StartAt(uint64_t square) {
  square = std::max<uint64_t>(square, 1);
  mAhead.clear();
  uint32_t d = 0;
  for (; 2 * static_cast<uint64_t>(d) * d < square; ++d)
    Push(static_cast<uint32_t>(CeilSqrt(square - static_cast<uint64_t>(d) * d)), d);
  Push(d, d);
  NextGroup();
}

void CPixelDistance::NextGroup() {
  std::pop_heap(mAhead.begin(), mAhead.end(), ComesLater);
  mGroup = mAhead.back();
  mAhead.pop_back();
  mMember = 0;
  Push(mGroup.n + 1, mGroup.d);
  if (mGroup.n == mGroup.d) Push(mGroup.d + 1, mGroup.d + 1);
}

bool CPixelDistance::GetFirstXY(int& x, int& y, unsigned radius) {
  if (radius > mMaxSquare) return false;
  // Ring `radius` holds (0, radius), so its squared distance is reached; beyond
  // the rings made so far, start nearest.
  StartAt(radius > 0 && radius <= mLevels ? static_cast<uint64_t>(radius) * radius : 1);
  return GetNextXY(x, y);
}

bool CPixelDistance::GetFirstFrom(int& x, int& y, uint64_t square) {
  if (square > static_cast<uint64_t>(mMaxLevels) * mMaxLevels) return false;
  StartAt(square);
  return GetNextXY(x, y);
}

bool CPixelDistance::GetNextXY(int& x, int& y) {
  for (int attempt = 0; attempt < kAttemptsOutside; ++attempt) {
    if (mMember == (mGroup.d == 0 || mGroup.d == mGroup.n ? 4 : 8)) NextGroup();
    const bool axis = mGroup.d == 0, diagonal = mGroup.d == mGroup.n;
    // Displacements beyond mMaxSquare belong to rings not made yet.
    while (mGroup.square > mMaxSquare) {
      if (mLevels >= mMaxLevels) return false;
      AddLevel();
    }
    const int index = axis ? kAxisMembers[mMember] : diagonal ? kDiagonalMembers[mMember] : mMember;
    ++mMember;
    Member(index, static_cast<int>(mGroup.n), static_cast<int>(mGroup.d), x, y);
    if (y >= mBounds.top && y <= mBounds.bottom && x >= mBounds.left && x <= mBounds.right) return true;
  }
  return false;
}
