#include "engine/JoinSources.h"

#include <algorithm>

namespace {

int64_t Blocks(int64_t length) { return (length + JoinSources::kBlockSide - 1) >> JoinSources::kBlockShift; }

uint64_t Gap(int64_t from, int64_t to, int64_t at) {
  const int64_t gap = at < from ? from - at : at > to ? at - to : 0;
  return static_cast<uint64_t>(gap);
}

}  // namespace

JoinSources::JoinSources(int64_t width, int64_t height) : mWidth(width), mHeight(height) {
  Tier tier{Blocks(width), Blocks(height), kBlockShift, {}};
  mMasks.assign(static_cast<size_t>(tier.columns * tier.rows), 0);
  mTiers.push_back(tier);
  while (tier.columns > 1 || tier.rows > 1) {
    tier = Tier{Blocks(tier.columns), Blocks(tier.rows), tier.shift + kBlockShift, {}};
    tier.any.assign(static_cast<size_t>(tier.columns * tier.rows), 0);
    mTiers.push_back(tier);
  }
}

void JoinSources::RaiseTiers() {
  for (size_t t = 1; t < mTiers.size(); ++t) {
    const Tier& below = mTiers[t - 1];
    Tier& tier = mTiers[t];
    for (int64_t row = 0; row < below.rows; ++row)
      for (int64_t column = 0; column < below.columns; ++column)
        if (Occupied(static_cast<int>(t) - 1, column, row))
          tier.any[static_cast<size_t>((row >> kBlockShift) * tier.columns + (column >> kBlockShift))] = 1;
  }
}

void JoinSources::Add(int64_t x, int64_t y) {
  mMasks[MaskAt(x, y)] |= Bit(x, y);
  for (size_t t = 1; t < mTiers.size(); ++t) {
    Tier& tier = mTiers[t];
    tier.any[static_cast<size_t>((y >> tier.shift) * tier.columns + (x >> tier.shift))] = 1;
  }
}

bool JoinSources::Has(int64_t x, int64_t y) const { return (mMasks[MaskAt(x, y)] & Bit(x, y)) != 0; }

bool JoinSources::Occupied(int tier, int64_t column, int64_t row) const {
  const size_t at = static_cast<size_t>(row * mTiers[static_cast<size_t>(tier)].columns + column);
  return tier == 0 ? mMasks[at] != 0 : mTiers[static_cast<size_t>(tier)].any[at] != 0;
}

// The least squared distance from (x, y) to any pixel of the block.
uint64_t JoinSources::Bound(int tier, int64_t column, int64_t row, int64_t x, int64_t y) const {
  const int shift = mTiers[static_cast<size_t>(tier)].shift;
  const uint64_t dx = Gap(column << shift, std::min(((column + 1) << shift) - 1, mWidth - 1), x);
  const uint64_t dy = Gap(row << shift, std::min(((row + 1) << shift) - 1, mHeight - 1), y);
  return dx * dx + dy * dy;
}

// Best first over the blocks: a block is opened only while it could still
// hold a nearer source than the nearest found, and an empty block never is.
uint64_t JoinSources::NearestSquare(int64_t x, int64_t y) {
  const auto later = [](const Candidate& a, const Candidate& b) { return a.bound > b.bound; };
  uint64_t best = kNone;
  mQueue.clear();
  const int top = static_cast<int>(mTiers.size()) - 1;
  for (int64_t row = 0; row < mTiers.back().rows; ++row)
    for (int64_t column = 0; column < mTiers.back().columns; ++column)
      if (Occupied(top, column, row)) mQueue.push_back({Bound(top, column, row, x, y), top, column, row});
  std::make_heap(mQueue.begin(), mQueue.end(), later);
  while (!mQueue.empty()) {
    std::pop_heap(mQueue.begin(), mQueue.end(), later);
    const Candidate block = mQueue.back();
    mQueue.pop_back();
    if (block.bound >= best) break;
    if (block.tier == 0) {
      for (uint64_t mask = mMasks[static_cast<size_t>(block.row * mTiers[0].columns + block.column)]; mask;
           mask &= mask - 1) {
        const int bit = __builtin_ctzll(mask);
        const int64_t dx = (block.column << kBlockShift) + (bit & (kBlockSide - 1)) - x;
        const int64_t dy = (block.row << kBlockShift) + (bit >> kBlockShift) - y;
        if (dx != 0 || dy != 0) best = std::min(best, static_cast<uint64_t>(dx * dx + dy * dy));
      }
      continue;
    }
    const int below = block.tier - 1;
    const Tier& children = mTiers[static_cast<size_t>(below)];
    for (int64_t row = block.row << kBlockShift; row < std::min((block.row + 1) << kBlockShift, children.rows); ++row)
      for (int64_t column = block.column << kBlockShift;
           column < std::min((block.column + 1) << kBlockShift, children.columns); ++column) {
        if (!Occupied(below, column, row)) continue;
        const uint64_t bound = Bound(below, column, row, x, y);
        if (bound < best) {
          mQueue.push_back({bound, below, column, row});
          std::push_heap(mQueue.begin(), mQueue.end(), later);
        }
      }
  }
  return best;
}
