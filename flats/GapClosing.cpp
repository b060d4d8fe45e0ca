#include "flats/GapClosing.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace tessel::flats {

namespace {

constexpr uint8_t kOn = 1;      // skeleton pixel
constexpr uint8_t kQueued = 2;  // in the thinning's candidate list
constexpr uint8_t kSeen = 4;    // reached from the end being joined
constexpr uint8_t kAgain = 8;   // yet to be weighed by the thinning's other pass

// What a pixel is while strokes are weighed: line (1), or these.
constexpr uint8_t kStroke = 2;
constexpr uint8_t kReached = 4;  // by a fill from the stroke being weighed that proved large
constexpr uint8_t kFilling = 8;  // by the fill under way

// The skeleton of the line art in a frame one pixel wider on each side, so
// that every pixel has eight neighbours.
class Skeleton {
 public:
  explicit Skeleton(const LineMask& mask)
      : mStride(mask.width + 2),
        mBuffer({mask.width + 2, mask.height + 2, 1, base::PlaneLayout::Interleaved, 0}),
        mPixels(mBuffer.data()),
        mSize(static_cast<size_t>(mBuffer.sizeBytes())) {
    mOffsets = {-mStride, -mStride + 1, 1, mStride + 1, mStride, mStride - 1, -1, -mStride - 1};
    for (int64_t y = 0; y < mask.height; ++y) {
      const uint8_t* row = mask.line.data() + y * mask.width;
      std::transform(row, row + mask.width, mPixels + Index(0, y), [](uint8_t line) { return line ? kOn : 0; });
    }
    Thin();
  }

  int64_t stride() const { return mStride; }
  size_t Index(int64_t x, int64_t y) const { return static_cast<size_t>((y + 1) * mStride + x + 1); }
  bool On(size_t i) const { return mPixels[i] & kOn; }
  uint8_t& flags(size_t i) { return mPixels[i]; }
  const std::array<int64_t, 8>& offsets() const { return mOffsets; }
  // The neighbours clockwise from north, one bit each from bit 0.
  unsigned Code(size_t i) const {
    unsigned code = 0;
    for (int k = 0; k < 8; ++k) code |= static_cast<unsigned>(mPixels[i + mOffsets[k]] & kOn) << k;
    return code;
  }

  // How many runs of neighbours there are around a pixel.
  static int Transitions(unsigned code) {
    int count = 0;
    for (int k = 0; k < 8; ++k) count += !((code >> k) & 1) && ((code >> ((k + 1) % 8)) & 1);
    return count;
  }

 private:
  // Guo and Hall's thinning (Zhang and Suen's erases lines two pixels thick
  // on a diagonal), visiting only the pixels on the line art's border: those
  // of the first pass and the neighbours of what each removes.
  void Thin() {
    std::array<std::array<bool, 256>, 2> removable{};
    for (unsigned code = 0; code < 256; ++code) {
      const auto p = [code](int k) { return static_cast<int>((code >> (k - 2)) & 1); };  // p2 (north) to p9, clockwise
      const int c = ((1 - p(2)) & (p(3) | p(4))) + ((1 - p(4)) & (p(5) | p(6))) + ((1 - p(6)) & (p(7) | p(8))) +
                    ((1 - p(8)) & (p(9) | p(2)));
      const int n1 = (p(9) | p(2)) + (p(3) | p(4)) + (p(5) | p(6)) + (p(7) | p(8));
      const int n2 = (p(2) | p(3)) + (p(4) | p(5)) + (p(6) | p(7)) + (p(8) | p(9));
      const int n = std::min(n1, n2);
      const bool simple = c == 1 && n >= 2 && n <= 3;
      removable[0][code] = simple && !((p(6) | p(7) | (1 - p(9))) & p(8));
      removable[1][code] = simple && !((p(2) | p(3) | (1 - p(5))) & p(4));
    }
    // A pixel is weighed by both passes' rules after each change around it,
    // and then left until the next: nothing else can make it removable.
    std::vector<size_t> candidates, next, removed;
    for (size_t i = 0; i < mSize; ++i)
      if (On(i) && Code(i) != 255) {
        mPixels[i] |= kAgain;
        candidates.push_back(i);
      }
    next.reserve(candidates.size());
    for (int pass = 0, idle = 0; !candidates.empty() && idle < 2; pass = 1 - pass) {
      removed.clear();
      for (const size_t i : candidates)
        if (removable[pass][Code(i)]) removed.push_back(i);
      for (const size_t i : removed) mPixels[i] = 0;
      idle = removed.empty() ? idle + 1 : 0;
      next.clear();
      for (const size_t i : removed)
        for (const int64_t offset : mOffsets) {
          uint8_t& p = mPixels[i + offset];
          if ((p & kOn) && !(p & kQueued)) {
            p |= kQueued | kAgain;
            next.push_back(i + offset);
          }
        }
      for (const size_t i : candidates) {
        uint8_t& p = mPixels[i];
        if ((p & kAgain) && !(p & kQueued)) {
          p = kOn | kQueued;
          next.push_back(i);
        }
      }
      for (const size_t i : next) mPixels[i] &= static_cast<uint8_t>(~kQueued);
      candidates.swap(next);
    }
  }

  int64_t mStride;
  std::array<int64_t, 8> mOffsets;
  base::ImageBuffer mBuffer;  // zeroed pages, cheaper to come by than a vector's
  uint8_t* mPixels;
  size_t mSize;
};

struct Pixel {
  int64_t x, y;
};

// Calls `visit` for each pixel of the 4-connected straight line from a to b.
template <typename Visit>
void WalkLine(Pixel a, Pixel b, const Visit& visit) {
  const int64_t dx = std::abs(b.x - a.x), dy = -std::abs(b.y - a.y);
  const int64_t sx = a.x < b.x ? 1 : -1, sy = a.y < b.y ? 1 : -1;
  int64_t error = dx + dy;
  for (Pixel p = a;;) {
    visit(p);
    if (p.x == b.x && p.y == b.y) return;
    const int64_t twice = 2 * error;
    // A diagonal step goes by way of its horizontal neighbour.
    if (twice >= dy) {
      error += dy;
      p.x += sx;
      if (twice <= dx) visit(p);
    }
    if (twice <= dx) {
      error += dx;
      p.y += sy;
    }
  }
}

class Joiner {
 public:
  Joiner(LineMask& mask, int maxGap)
      : mMask(mask), mSkeleton(mask), mMaxGap(maxGap), mReach(maxGap + 2 * kLineReach) {}

  std::vector<int64_t> Strokes() {
    for (int64_t y = 0; y < mMask.height; ++y)
      for (int64_t x = 0; x < mMask.width; ++x) {
        const size_t i = mSkeleton.Index(x, y);
        if (mSkeleton.On(i) && IsEnd(mSkeleton.Code(i))) Join({x, y});
      }
    DropPocketStrokes();
    std::vector<int64_t> pixels;
    for (const std::vector<int64_t>& stroke : mStrokes) pixels.insert(pixels.end(), stroke.begin(), stroke.end());
    std::sort(pixels.begin(), pixels.end());
    pixels.erase(std::unique(pixels.begin(), pixels.end()), pixels.end());
    return pixels;
  }

 private:
  // How far the middle of a line may lie from its edge, for lines up to 8
  // pixels wide, on each side of a gap.
  static constexpr int kLineReach = 9;
  // A branch that meets another within this many steps of its end, beyond
  // the line's half width, is a spur of a thick line's corner, or a stub.
  static constexpr int kSpur = 2;
  static constexpr int kShortest = 4;  // steps to point anywhere

  // Up to three neighbours, side by side: the end of a line, however the
  // thinning left its last pixels.
  static bool IsEnd(unsigned code) { return __builtin_popcount(code) <= 3 && Skeleton::Transitions(code) == 1; }

  bool Line(Pixel p) const { return mMask.line.data()[p.y * mMask.width + p.x]; }

  // The distance from `p` to the nearest pixel outside the line, in whole
  // pixels (square rings), up to the widest line's half.
  int HalfWidth(Pixel p) const {
    for (int r = 1; r <= kLineReach / 2; ++r)
      for (int64_t y = p.y - r; y <= p.y + r; ++y)
        for (int64_t x = p.x - r; x <= p.x + r; x += (y == p.y - r || y == p.y + r) ? 1 : 2 * r)
          if (x >= 0 && y >= 0 && x < mMask.width && y < mMask.height && !Line({x, y})) return r;
    return kLineReach / 2;
  }

  // Walks back from `end` along the skeleton, marking what it reaches within
  // one and a half times the reach as the end's own line; false for a spur or a stub. The
  // direction the end points in comes from where the walk stood after a few steps.
  bool WalkBack(Pixel end, double& dirX, double& dirY) {
    const int64_t stride = mSkeleton.stride();
    const size_t start = mSkeleton.Index(end.x, end.y);
    mSeen.assign(1, start);
    mSkeleton.flags(start) |= kSeen;
    // Near the end, before the line can turn a shape's corner.
    const size_t spur = static_cast<size_t>(HalfWidth(end) + kSpur);
    const int depthForDirection = static_cast<int>(spur) + kShortest;
    bool sound = true, directed = false;
    for (size_t from = 0, depth = 1; from < mSeen.size() && depth <= static_cast<size_t>(3 * mReach / 2); ++depth) {
      const size_t to = mSeen.size();
      for (size_t k = from; k < to; ++k)
        for (const int64_t offset : mSkeleton.offsets()) {
          const size_t i = mSeen[k] + offset;
          if (mSkeleton.On(i) && !(mSkeleton.flags(i) & kSeen)) {
            mSkeleton.flags(i) |= kSeen;
            mSeen.push_back(i);
          }
        }
      from = to;
      if (from == mSeen.size()) break;
      int64_t left = INT64_MAX, right = INT64_MIN, top = INT64_MAX, bottom = INT64_MIN;
      double sumX = 0, sumY = 0;
      for (size_t k = from; k < mSeen.size(); ++k) {
        const int64_t x = static_cast<int64_t>(mSeen[k]) % stride, y = static_cast<int64_t>(mSeen[k]) / stride;
        left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
        sumX += x, sumY += y;
      }
      if (depth <= spur && (right - left > 2 || bottom - top > 2)) sound = false;
      if (static_cast<int>(depth) <= depthForDirection) {
        const double count = static_cast<double>(mSeen.size() - from);
        dirX = static_cast<double>(end.x + 1) - sumX / count;
        dirY = static_cast<double>(end.y + 1) - sumY / count;
        directed = static_cast<int>(depth) >= kShortest;
      }
    }
    const double length = std::hypot(dirX, dirY);
    if (!directed || length == 0) return false;
    dirX /= length, dirY /= length;
    return sound;
  }

  // The length of the one run of fill on the way from `end` to `target`
  // (pixels times the length of a step), or 0 when the way has no fill or
  // crosses other line on the way.
  double GapAlong(Pixel end, Pixel target) const {
    int runs = 0;
    int64_t fill = 0;
    bool inFill = false;
    WalkLine(end, target, [&](Pixel p) {
      const bool line = Line(p);
      if (!line && !inFill) ++runs;
      inFill = !line;
      fill += !line;
    });
    if (runs != 1) return 0;
    const double dx = std::abs(target.x - end.x), dy = std::abs(target.y - end.y);
    return static_cast<double>(fill) * std::hypot(dx, dy) / (dx + dy);  // steps of the 4-connected walk
  }

  void Join(Pixel end) {
    double dirX = 0, dirY = 0;
    const bool sound = WalkBack(end, dirX, dirY);
    if (sound) Aim(end, dirX, dirY);
    for (const size_t i : mSeen) mSkeleton.flags(i) &= static_cast<uint8_t>(~kSeen);
  }

  // Joins `end` to the skeleton pixel ahead of it that is nearest, straight
  // ahead weighing most, across one gap of at most the largest gap.
  void Aim(Pixel end, double dirX, double dirY) {
    double best = INFINITY;
    Pixel target{-1, -1};
    for (int64_t y = std::max<int64_t>(end.y - mReach, 0); y <= std::min(end.y + mReach, mMask.height - 1); ++y)
      for (int64_t x = std::max<int64_t>(end.x - mReach, 0); x <= std::min(end.x + mReach, mMask.width - 1); ++x) {
        const size_t i = mSkeleton.Index(x, y);
        if (!mSkeleton.On(i) || (mSkeleton.flags(i) & kSeen)) continue;
        const double dx = static_cast<double>(x - end.x), dy = static_cast<double>(y - end.y);
        const double distance = std::hypot(dx, dy);
        const double ahead = (dx * dirX + dy * dirY) / distance;
        if (distance > mReach || ahead < 0.5) continue;
        const double cost = distance * (2 - ahead);
        if (cost >= best) continue;
        const double gap = GapAlong(end, {x, y});
        if (gap <= 0 || gap > mMaxGap + 1) continue;  // a gap of width g spans up to g + 1 pixel centres
        best = cost;
        target = {x, y};
      }
    if (target.x < 0) return;
    mStrokes.emplace_back();
    WalkLine(end, target, [&](Pixel p) { mStrokes.back().push_back(p.y * mMask.width + p.x); });
  }

  // A stroke that shuts in a pocket smaller than a gap's square, four times
  // over, joins lines too close to be a gap: letters to their neighbours, a
  // letter's open bowl, the ends of dense strokes. It is dropped, and so is
  // the pocket.
  void DropPocketStrokes() {
    uint8_t* state = mMask.line.data();
    for (const std::vector<int64_t>& stroke : mStrokes)
      for (const int64_t i : stroke)
        if (!state[static_cast<size_t>(i)]) state[static_cast<size_t>(i)] = kStroke;
    std::vector<std::vector<int64_t>> kept;
    for (std::vector<int64_t>& stroke : mStrokes) {
      mReached.clear();
      bool pocket = false;
      for (size_t k = 0; k < stroke.size() && !pocket; ++k)
        ForNeighbours(stroke[k], [&](int64_t n) { pocket = pocket || (!state[static_cast<size_t>(n)] && Pocket(n, state)); });
      for (const int64_t i : mReached) state[static_cast<size_t>(i)] = 0;
      if (pocket) {
        for (const int64_t i : stroke)
          if (state[static_cast<size_t>(i)] == kStroke) state[static_cast<size_t>(i)] = 0;
      } else {
        kept.push_back(std::move(stroke));
      }
    }
    mStrokes.swap(kept);
  }

  // Fills from `seed` until the fill proves large: as large as the smallest
  // region kept, or touching what an earlier fill of the same stroke reached,
  // which proved large (else the stroke was dropped).
  bool Pocket(int64_t seed, uint8_t* state) {
    const size_t smallest = static_cast<size_t>(4 * mMaxGap * mMaxGap);
    const size_t from = mReached.size();
    state[static_cast<size_t>(seed)] = kFilling;
    mReached.push_back(seed);
    bool large = false;
    for (size_t at = from; at < mReached.size() && !large && mReached.size() - from < smallest; ++at)
      ForNeighbours(mReached[at], [&](int64_t n) {
        uint8_t& s = state[static_cast<size_t>(n)];
        large = large || s == kReached;
        if (s) return;
        s = kFilling;
        mReached.push_back(n);
      });
    for (size_t k = from; k < mReached.size(); ++k) state[static_cast<size_t>(mReached[k])] = kReached;
    return !large && mReached.size() - from < smallest;
  }

  template <typename Visit>
  void ForNeighbours(int64_t i, const Visit& visit) const {
    const int64_t x = i % mMask.width, y = i / mMask.width;
    if (x > 0) visit(i - 1);
    if (x + 1 < mMask.width) visit(i + 1);
    if (y > 0) visit(i - mMask.width);
    if (y + 1 < mMask.height) visit(i + mMask.width);
  }

  LineMask& mMask;  // its bytes become the pockets' state at the end
  Skeleton mSkeleton;
  int mMaxGap;
  int64_t mReach;
  std::vector<size_t> mSeen;
  std::vector<std::vector<int64_t>> mStrokes;
  std::vector<int64_t> mReached;
};

}  // namespace

std::vector<int64_t> ClosingStrokes(LineMask mask, int maxGap) {
  if (mask.line.width() != mask.width || mask.line.height() != mask.height || mask.line.planes() != 1 ||
      mask.line.rowBytes() != mask.width)
    throw std::invalid_argument("the line mask's size does not match its sides");
  if (maxGap < 1) return {};
  return Joiner(mask, maxGap).Strokes();
}

}  // namespace tessel::flats
