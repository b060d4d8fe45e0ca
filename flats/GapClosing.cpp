#include "flats/GapClosing.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <unordered_map>

namespace tessel::flats {

PixelBits::PixelBits(int64_t width, int64_t height)
    : mWidth(width),
      mHeight(height),
      mWordsPerRow(width / 64 + 1),
      mRowBits(64 * mWordsPerRow),
      mWords(static_cast<size_t>((height + 2) * mWordsPerRow), 0) {}

namespace {

// How far the middle of a line may lie from its edge, for lines up to 16
// pixels wide (0.68 mm at 600 dpi), on each side of a gap.
constexpr int kLineReach = 17;
// A branch that meets another within this many steps of its end, beyond
// the line's half width, is a spur of a thick line's corner, or a stub.
constexpr int kSpur = 2;
constexpr int kShortest = 4;  // steps to point anywhere
// Steps back along an end's own line that it is never joined to: a thick
// line's own flanks and forks.
constexpr int kOwnLine = 3 * kLineReach;
// Steps along the skeleton from where a stroke lands to an end that it
// faces there.
constexpr int kFacing = 2 * kLineReach;
// The gap whose pocket limit a line that stops short of another has at least:
// 256 pixels, more than the bowls of the letters on the gap tests' pages.
constexpr int kLetterGap = 8;

// Guo and Hall's thinning rule (Zhang and Suen's erases lines two pixels
// thick on a diagonal) for 64 pixels at once: the pixels of `centre` that a
// sub-iteration removes, given each one's neighbours p2 (north) to p9
// (north-west), clockwise.
uint64_t Removable(uint64_t centre, uint64_t p2, uint64_t p3, uint64_t p4, uint64_t p5, uint64_t p6, uint64_t p7,
                   uint64_t p8, uint64_t p9, int pass) {
  // Exactly one of four: an odd count that is not three.
  const auto one = [](uint64_t a, uint64_t b, uint64_t c, uint64_t d) {
    return (a ^ b ^ c ^ d) & ~((a & b) | (c & d) | ((a | b) & (c | d)));
  };
  const auto atLeastTwo = [](uint64_t a, uint64_t b, uint64_t c, uint64_t d) {
    return (a & b) | (c & d) | ((a | b) & (c | d));
  };
  const uint64_t connected = one(~p2 & (p3 | p4), ~p4 & (p5 | p6), ~p6 & (p7 | p8), ~p8 & (p9 | p2));
  const uint64_t q1 = p9 | p2, q2 = p3 | p4, q3 = p5 | p6, q4 = p7 | p8;
  const uint64_t r1 = p2 | p3, r2 = p4 | p5, r3 = p6 | p7, r4 = p8 | p9;
  // The smaller of the two counts is two or three.
  const uint64_t count = atLeastTwo(q1, q2, q3, q4) & atLeastTwo(r1, r2, r3, r4) &
                         (~(q1 & q2 & q3 & q4) | ~(r1 & r2 & r3 & r4));
  const uint64_t side = pass == 0 ? (p6 | p7 | ~p9) & p8 : (p2 | p3 | ~p5) & p4;
  return centre & connected & count & ~side;
}

// Thins `bits` in place, 64 pixels a step. Each sub-iteration weighs a row
// against its neighbours as they were before it, and only rows beside a
// change of the two sub-iterations before: nothing else can have become
// removable.
void Thin(PixelBits& bits) {
  const int64_t words = bits.wordsPerRow(), height = bits.height();
  std::vector<uint64_t> saved[2] = {std::vector<uint64_t>(static_cast<size_t>(words)),
                                    std::vector<uint64_t>(static_cast<size_t>(words))};
  std::vector<int64_t> changedAt(static_cast<size_t>(height + 2), 0);  // by row + 1: the last sub-iteration that changed it
  for (int64_t step = 0, idle = 0; idle < 2; ++step) {
    const int pass = static_cast<int>(step & 1);
    bool any = false;
    const uint64_t* above = bits.Row(-1);  // the row above as it was before this sub-iteration
    int spare = 0;
    for (int64_t y = 0; y < height; ++y) {
      uint64_t* row = bits.Row(y);
      const uint64_t* below = bits.Row(y + 1);
      const size_t at = static_cast<size_t>(y + 1);
      if (std::max({changedAt[at - 1], changedAt[at], changedAt[at + 1]}) < step - 2) {
        above = row;
        continue;
      }
      uint64_t* original = saved[spare].data();
      std::copy(row, row + words, original);
      bool changed = false;
      for (int64_t j = 0; j < words; ++j) {
        const uint64_t centre = original[j];
        if (!centre) continue;
        const uint64_t left = j > 0 ? 1 : 0, right = j + 1 < words ? 1 : 0;
        const auto west = [&](const uint64_t* r) { return (r[j] << 1) | (left ? r[j - 1] >> 63 : 0); };
        const auto east = [&](const uint64_t* r) { return (r[j] >> 1) | (right ? r[j + 1] << 63 : 0); };
        const uint64_t removed = Removable(centre, above[j], east(above), east(original), east(below), below[j],
                                           west(below), west(original), west(above), pass);
        if (removed) {
          row[j] = centre & ~removed;
          changed = true;
        }
      }
      if (changed) {
        changedAt[at] = step;
        any = true;
        above = original;
        spare = 1 - spare;
      } else {
        above = row;
      }
    }
    idle = any ? 0 : idle + 1;
  }
}

// Up to three neighbours, side by side: the end of a line, however the
// thinning left its last pixels. By a pixel's neighbours clockwise from
// north, one bit each from bit 0.
const std::array<bool, 256>& Ends() {
  static const std::array<bool, 256> kEnds = [] {
    std::array<bool, 256> ends{};
    for (unsigned code = 0; code < 256; ++code) {
      int runs = 0;  // of neighbours around the pixel
      for (int k = 0; k < 8; ++k) runs += !((code >> k) & 1) && ((code >> ((k + 1) % 8)) & 1);
      ends[code] = __builtin_popcount(code) <= 3 && runs == 1;
    }
    return ends;
  }();
  return kEnds;
}
bool IsEnd(unsigned code) { return Ends()[code]; }

struct Pixel {
  int64_t x, y;
};

// Calls `visit` for each pixel of the 4-connected straight line from a to b,
// until it answers false.
template <typename Visit>
void WalkLine(Pixel a, Pixel b, const Visit& visit) {
  const int64_t dx = std::abs(b.x - a.x), dy = -std::abs(b.y - a.y);
  const int64_t sx = a.x < b.x ? 1 : -1, sy = a.y < b.y ? 1 : -1;
  int64_t error = dx + dy;
  for (Pixel p = a;;) {
    if (!visit(p) || (p.x == b.x && p.y == b.y)) return;
    const int64_t twice = 2 * error;
    // A diagonal step goes by way of its horizontal neighbour.
    if (twice >= dy) {
      error += dy;
      p.x += sx;
      if (twice <= dx && !visit(p)) return;
    }
    if (twice <= dx) {
      error += dx;
      p.y += sy;
    }
  }
}

// A skeleton pixel a stroke may go to.
struct Candidate {
  double cost, distance, ahead;  // ahead: the cosine of its angle from the end's direction
  Pixel at;
};

// How much longer a stroke's fill counts, turned from where its end points:
// not at all within 45 degrees, a fifth more at 60, so that a line end
// keeps to its way where a gap to one side is only a little narrower.
double Slant(double ahead) { return std::max(1.0, 1 + std::sqrt(0.5) - ahead); }

struct Direction {
  double x, y;  // of length 1
};

struct Stroke {
  Pixel end, target;
  Direction pointing;  // where the end's line points
  int gap;      // pixels of fill crossed, rounded up, slant weighed in
  double cost;  // among strokes across as many: distance, straight ahead weighing most
  bool toEnd;   // it lands by another line end: a line cut, not one stopping short
  std::vector<int64_t> bits;
  // Fill shut in by the stroke smaller than this is a pocket, not a shape:
  // four times the gap's square; at least that of the widest line's gap for
  // a line stopping short of another, as a letter's stroke stops short of
  // its own stem.
  size_t pocketLimit() const {
    const int side = toEnd ? gap : std::max(gap, kLetterGap);
    return static_cast<size_t>(4 * side * side);
  }
  bool Before(const Stroke& other) const { return gap != other.gap ? gap < other.gap : cost < other.cost; }
};

class Joiner {
 public:
  Joiner(const PixelBits& line, const PixelBits& solid, int maxGap)
      : mLine(line),
        mSolid(solid),
        mSkeleton(line),
        mSeen(line.width(), line.height()),
        mCovered(line.width(), line.height()),
        mFill{PixelBits(line.width(), line.height()), {}},
        mBefore{PixelBits(line.width(), line.height()), {}},
        mMaxGap(maxGap),
        mReach(maxGap + 2 * kLineReach) {
    const int64_t rowBits = line.rowBits();
    mOffsets = {-rowBits, -rowBits + 1, 1, rowBits + 1, rowBits, rowBits - 1, -1, -rowBits - 1};
    // Fills never step past a row's end nor above or below the page.
    for (int64_t y = -1; y <= line.height(); ++y)
      for (int64_t x = y < 0 || y == line.height() ? 0 : line.width(); x < rowBits; ++x)
        for (Fill* fill : {&mFill, &mBefore}) fill->visited.Set(line.Bit(x, y));
    Thin(mSkeleton);
  }

  Closing Find() {
    std::vector<Stroke> strokes;
    for (int64_t y = 0; y < mLine.height(); ++y) {
      const uint64_t* row = mSkeleton.Row(y);
      for (int64_t j = 0; j < mSkeleton.wordsPerRow(); ++j)
        for (uint64_t word = row[j]; word; word &= word - 1) {
          const Pixel end{64 * j + __builtin_ctzll(word), y};
          if (!IsEnd(Code(mLine.Bit(end.x, end.y)))) continue;
          std::optional<Stroke> stroke = Join(end);
          if (stroke && !ShutsInPocket(*stroke)) strokes.push_back(std::move(*stroke));
        }
    }
    strokes = OneStrokeAGap(std::move(strokes));
    Closing closing;
    closing.pockets = Pockets(strokes);
    for (const Stroke& stroke : strokes)
      for (const int64_t bit : stroke.bits)
        if (!mSolid.at(bit)) closing.pixels.push_back(Index(bit));
    for (const Closing::Pocket& pocket : closing.pockets)
      closing.pixels.insert(closing.pixels.end(), pocket.pixels.begin(), pocket.pixels.end());
    std::sort(closing.pixels.begin(), closing.pixels.end());
    closing.pixels.erase(std::unique(closing.pixels.begin(), closing.pixels.end()), closing.pixels.end());
    return closing;
  }

 private:
  unsigned Code(int64_t bit) const {
    unsigned code = 0;
    for (int k = 0; k < 8; ++k) code |= static_cast<unsigned>(mSkeleton.at(bit + mOffsets[k])) << k;
    return code;
  }
  Pixel At(int64_t bit) const { return {bit % mLine.rowBits(), bit / mLine.rowBits() - 1}; }
  int64_t Index(int64_t bit) const {
    const Pixel p = At(bit);
    return p.y * mLine.width() + p.x;
  }
  bool Line(Pixel p) const { return mLine.at(mLine.Bit(p.x, p.y)); }

  // The distance from `p` to the nearest pixel outside the line, in whole
  // pixels (square rings), up to the widest line's half.
  int HalfWidth(Pixel p) const {
    for (int r = 1; r <= kLineReach / 2; ++r)
      for (int64_t y = p.y - r; y <= p.y + r; ++y)
        for (int64_t x = p.x - r; x <= p.x + r; x += (y == p.y - r || y == p.y + r) ? 1 : 2 * r)
          if (x >= 0 && y >= 0 && x < mLine.width() && y < mLine.height() && !Line({x, y})) return r;
    return kLineReach / 2;
  }

  // Walks the skeleton breadth first from `start`, up to `steps` steps away,
  // through pixels mSeen does not mark, marking each and listing it in
  // mWalked after what is there. `reached(depth, from, to)` is told of each
  // step's pixels, mWalked[from, to), the start's first; the walk stops, and
  // answers true, where it answers true.
  template <typename Reached>
  bool Walk(int64_t start, int steps, const Reached& reached) {
    size_t from = mWalked.size();
    mWalked.push_back(start);
    mSeen.Set(start);
    for (int depth = 0;; ++depth) {
      const size_t to = mWalked.size();
      if (reached(depth, from, to)) return true;
      if (depth == steps || from == to) return false;
      for (size_t k = from; k < to; ++k)
        for (const int64_t offset : mOffsets) {
          const int64_t i = mWalked[k] + offset;
          if (mSkeleton.at(i) && !mSeen.at(i)) {
            mSeen.Set(i);
            mWalked.push_back(i);
          }
        }
      from = to;
    }
  }

  // Walks back from `end` along the skeleton, marking its own line in
  // mSeen; false for a spur or a stub. The direction the end points in comes
  // from where the walk stood after a few steps.
  bool WalkBack(Pixel end, double& dirX, double& dirY) {
    mWalked.clear();
    // Near the end, before the line can turn a shape's corner.
    const int spur = HalfWidth(end) + kSpur;
    const int depthForDirection = spur + kShortest;
    bool sound = true, directed = false;
    Walk(mLine.Bit(end.x, end.y), kOwnLine, [&](int depth, size_t from, size_t to) {
      if (depth == 0 || depth > depthForDirection || from == to) return false;
      int64_t left = INT64_MAX, right = INT64_MIN, top = INT64_MAX, bottom = INT64_MIN;
      double sumX = 0, sumY = 0;
      for (size_t k = from; k < to; ++k) {
        const Pixel p = At(mWalked[k]);
        left = std::min(left, p.x), right = std::max(right, p.x), top = std::min(top, p.y), bottom = std::max(bottom, p.y);
        sumX += static_cast<double>(p.x), sumY += static_cast<double>(p.y);
      }
      if (depth <= spur && (right - left > 2 || bottom - top > 2)) sound = false;
      const double count = static_cast<double>(to - from);
      dirX = static_cast<double>(end.x) - sumX / count;
      dirY = static_cast<double>(end.y) - sumY / count;
      directed = depth >= kShortest;
      return false;
    });
    const double length = std::hypot(dirX, dirY);
    if (!directed || length == 0) return false;
    dirX /= length, dirY /= length;
    return sound;
  }

  // The pixels of fill on the way from `from` to `to`, rounded up from
  // pixels times the length of a step times `slant`, when the way crosses
  // exactly one run of fill, and that of at most `most`; else 0.
  int GapAlong(Pixel from, Pixel to, int most, double slant) const {
    const double dx = static_cast<double>(std::abs(to.x - from.x)), dy = static_cast<double>(std::abs(to.y - from.y));
    const double step = slant * std::hypot(dx, dy) / (dx + dy);  // of the 4-connected walk
    const int64_t fillAllowed = static_cast<int64_t>(std::floor(most / step + 1e-9));
    int runs = 0;
    int64_t fill = 0;
    bool inFill = false;
    WalkLine(from, to, [&](Pixel p) {
      const bool line = Line(p);
      if (!line && !inFill) ++runs;
      inFill = !line;
      fill += !line;
      return runs <= 1 && fill <= fillAllowed;
    });
    if (runs != 1 || fill > fillAllowed) return 0;
    return static_cast<int>(std::ceil(static_cast<double>(fill) * step - 1e-9));
  }

  // Within reach: the middle of the line beyond a gap, from the middle of the
  // line end before it.
  static bool Reaches(double distance, int gap) { return distance <= gap - 1 + 2 * kLineReach; }

  std::optional<Stroke> Join(Pixel end) {
    double dirX = 0, dirY = 0;
    const bool sound = WalkBack(end, dirX, dirY);
    std::optional<Stroke> stroke;
    if (sound) stroke = Aim(end, dirX, dirY);
    for (const int64_t i : mWalked) mSeen.Clear(i);
    return stroke;
  }

  // The stroke from `end` to the skeleton pixel ahead of it across the
  // fewest pixels of fill, at most the largest gap, the nearest and
  // straightest among equals: no stroke chosen for one largest gap is passed
  // over for another at a larger one.
  std::optional<Stroke> Aim(Pixel end, double dirX, double dirY) {
    mCandidates.clear();
    const int64_t left = std::max<int64_t>(end.x - mReach, 0), right = std::min(end.x + mReach, mLine.width() - 1);
    for (int64_t y = std::max<int64_t>(end.y - mReach, 0); y <= std::min(end.y + mReach, mLine.height() - 1); ++y)
      for (int64_t x = left; x <= right; ++x) {
        const int64_t bit = mLine.Bit(x, y);
        if (!mSkeleton.at(bit) || mSeen.at(bit)) continue;
        const double dx = static_cast<double>(x - end.x), dy = static_cast<double>(y - end.y);
        const double distance = std::hypot(dx, dy);
        const double ahead = (dx * dirX + dy * dirY) / distance;
        if (distance > mReach || ahead < 0.5) continue;
        mCandidates.push_back({distance * (2 - ahead), distance, ahead, {x, y}});
      }
    std::stable_sort(mCandidates.begin(), mCandidates.end(),
                     [](const Candidate& a, const Candidate& b) { return a.cost < b.cost; });
    std::optional<Stroke> best;
    for (const Candidate& candidate : mCandidates) {
      // A gap of width g spans up to g + 1 pixel centres; a later candidate
      // costs as much or more, so it must cross less fill to be better.
      const int most = best ? best->gap - 1 : mMaxGap + 1;
      if (most < 1) break;
      if (!Reaches(candidate.distance, most)) continue;
      const int gap = GapAlong(end, candidate.at, most, Slant(candidate.ahead));
      if (gap <= 0 || !Reaches(candidate.distance, gap)) continue;
      best = Stroke{end, candidate.at, {dirX, dirY}, gap, candidate.cost, false, {}};
    }
    if (best) {
      best->toEnd = NearEnd(best->target);
      best->bits = Bits(best->end, best->target);
    }
    return best;
  }

  // Whether a line end lies within reach of `target` along the skeleton,
  // away from the end being joined, whose line mSeen marks: marked too, and
  // listed in mWalked to be cleared with it.
  bool NearEnd(Pixel target) {
    return Walk(mLine.Bit(target.x, target.y), kFacing, [&](int, size_t from, size_t to) {
      for (size_t k = from; k < to; ++k)
        if (IsEnd(Code(mWalked[k]))) return true;
      return false;
    });
  }

  std::vector<int64_t> Bits(Pixel from, Pixel to) const {
    std::vector<int64_t> bits;
    WalkLine(from, to, [&](Pixel p) {
      bits.push_back(mLine.Bit(p.x, p.y));
      return true;
    });
    return bits;
  }

  // A fill and what it reached, marked in `visited` (which is always set past
  // the page) until cleared.
  struct Fill {
    PixelBits visited;
    std::vector<int64_t> reached;
    void Clear() {
      for (const int64_t bit : reached) visited.Clear(bit);
      reached.clear();
    }
  };

  // Fills from `seed` through what is neither `wall` nor, unless
  // `throughCovered`, covered, until the fill proves as large as `limit`;
  // true when it stays smaller.
  bool Smaller(Fill& fill, int64_t seed, size_t limit, const PixelBits& wall, bool throughCovered = false) const {
    const size_t from = fill.reached.size();
    fill.visited.Set(seed);
    fill.reached.push_back(seed);
    for (size_t at = from; at < fill.reached.size() && fill.reached.size() - from < limit; ++at)
      for (const int k : {0, 2, 4, 6}) {
        const int64_t n = fill.reached[at] + mOffsets[static_cast<size_t>(k)];
        if (fill.visited.at(n) || wall.at(n) || (!throughCovered && mCovered.at(n))) continue;
        fill.visited.Set(n);
        fill.reached.push_back(n);
      }
    return fill.reached.size() - from < limit;
  }

  // Calls `seed` for each pixel, neither `wall` nor covered, beside the
  // pixels of `covered` that are not `wall` (those that split what was one),
  // until it answers true; answers whether one did.
  template <typename Seed>
  bool Beside(const std::vector<int64_t>& covered, const PixelBits& wall, const Seed& seed) {
    for (const int64_t bit : covered) {
      if (wall.at(bit)) continue;
      for (const int k : {0, 2, 4, 6}) {
        const int64_t n = bit + mOffsets[static_cast<size_t>(k)];
        if (!mFill.visited.at(n) && !wall.at(n) && !mCovered.at(n) && seed(n)) return true;
      }
    }
    return false;
  }

  void Cover(const std::vector<int64_t>& bits, bool on) {
    for (const int64_t bit : bits) on ? mCovered.Set(bit) : mCovered.Clear(bit);
  }

  // Whether the stroke, drawn alone, cuts off a pocket of fill smaller than
  // its limit.
  bool ShutsInPocket(const Stroke& stroke) {
    Cover(stroke.bits, true);
    const bool pocket =
        Beside(stroke.bits, mLine, [&](int64_t n) { return Smaller(mFill, n, stroke.pocketLimit(), mLine); });
    mFill.Clear();
    Cover(stroke.bits, false);
    return pocket;
  }

  // The stroke of two ends that land on each other's line: one stroke from
  // end to end, else the better of the two.
  std::vector<Stroke> OneStrokeAGap(std::vector<Stroke> strokes) {
    std::unordered_map<int64_t, size_t> byEnd;
    for (size_t s = 0; s < strokes.size(); ++s) byEnd[mLine.Bit(strokes[s].end.x, strokes[s].end.y)] = s;
    // The strokes whose ends lie near where each one lands.
    std::vector<std::vector<size_t>> facing(strokes.size());
    for (size_t s = 0; s < strokes.size(); ++s) {
      mWalked.clear();
      Walk(mLine.Bit(strokes[s].target.x, strokes[s].target.y), kFacing, [&](int, size_t from, size_t to) {
        for (size_t k = from; k < to; ++k)
          if (const auto found = byEnd.find(mWalked[k]); found != byEnd.end() && found->second != s)
            facing[s].push_back(found->second);
        return false;
      });
      for (const int64_t i : mWalked) mSeen.Clear(i);
    }
    std::vector<bool> dropped(strokes.size(), false);
    std::vector<Stroke> joined;
    for (size_t s = 0; s < strokes.size(); ++s)
      for (const size_t t : facing[s]) {
        if (dropped[s] || dropped[t] || std::find(facing[t].begin(), facing[t].end(), s) == facing[t].end()) continue;
        std::optional<Stroke> both = EndToEnd(strokes[s], strokes[t]);
        if (both) {
          dropped[s] = dropped[t] = true;
          joined.push_back(std::move(*both));
        } else {
          dropped[strokes[s].Before(strokes[t]) ? t : s] = true;
        }
      }
    for (size_t s = 0; s < strokes.size(); ++s)
      if (!dropped[s]) joined.push_back(std::move(strokes[s]));
    return joined;
  }

  // The one stroke from end to end of two that face each other, when it
  // keeps the rules: ahead of both, across one run of fill of at most the
  // largest gap, shutting in no pocket.
  std::optional<Stroke> EndToEnd(const Stroke& a, const Stroke& b) {
    const double dx = static_cast<double>(b.end.x - a.end.x), dy = static_cast<double>(b.end.y - a.end.y);
    const double distance = std::hypot(dx, dy);
    if (distance == 0) return std::nullopt;
    const double ahead = std::min(a.pointing.x * dx + a.pointing.y * dy, -b.pointing.x * dx - b.pointing.y * dy) / distance;
    if (ahead < 0.5) return std::nullopt;
    // The same pixels whichever end comes first.
    const bool forward = mLine.Bit(a.end.x, a.end.y) < mLine.Bit(b.end.x, b.end.y);
    const Pixel from = forward ? a.end : b.end, to = forward ? b.end : a.end;
    const int gap = GapAlong(from, to, mMaxGap + 1, Slant(ahead));
    if (gap <= 0 || !Reaches(distance, gap)) return std::nullopt;
    Stroke stroke{from, to, a.pointing, gap, distance, true, Bits(from, to)};
    if (ShutsInPocket(stroke)) return std::nullopt;
    return stroke;
  }

  // The parts of fill that the strokes cut off between them, each smaller
  // than the pocket limit of a stroke beside it: first of the fill that the
  // line art leaves, then of what only solid line walls in, which an
  // anti-aliased fill test takes for fill. A part that was as small before
  // is a region of its own, and no pocket.
  std::vector<Closing::Pocket> Pockets(const std::vector<Stroke>& strokes) {
    for (const Stroke& stroke : strokes) Cover(stroke.bits, true);
    std::vector<std::vector<int64_t>> found;  // bits
    // What each stroke covers: itself, and the pockets found beside it.
    std::vector<std::vector<int64_t>> covers(strokes.size());
    for (size_t s = 0; s < strokes.size(); ++s) covers[s] = strokes[s].bits;
    for (const PixelBits* wall : {&mLine, &mSolid})
      for (size_t s = 0; s < strokes.size(); ++s) {
        const size_t limit = strokes[s].pocketLimit();
        const size_t first = found.size();
        Beside(covers[s], *wall, [&](int64_t n) {
          const size_t from = mFill.reached.size();
          if (Smaller(mFill, n, limit, *wall) && !Smaller(mBefore, n, limit, *wall, true))
            found.emplace_back(mFill.reached.begin() + static_cast<std::ptrdiff_t>(from), mFill.reached.end());
          mBefore.Clear();
          return false;
        });
        mFill.Clear();
        for (size_t k = first; k < found.size(); ++k) {
          Cover(found[k], true);
          covers[s].insert(covers[s].end(), found[k].begin(), found[k].end());
        }
      }
    std::vector<Closing::Pocket> pockets;
    for (const std::vector<int64_t>& bits : found) {
      Closing::Pocket pocket{{}, -1};
      int64_t bridge = -1;
      for (size_t k = 0; k < bits.size() && pocket.from < 0; ++k)
        for (const int d : {0, 2, 4, 6}) {
          // Across one covered pixel, to fill no stroke covers (and not past
          // the page, where fills are always visited): what the pocket was
          // part of, and light, as every fill test takes it.
          const int64_t step = mOffsets[static_cast<size_t>(d)], across = bits[k] + 2 * step;
          if (mCovered.at(bits[k] + step) && !mSolid.at(bits[k] + step) && !mFill.visited.at(across) &&
              !mCovered.at(across) && !mLine.at(across)) {
            pocket.from = Index(across);
            bridge = bits[k] + step;
            break;
          }
        }
      for (const int64_t bit : bits) pocket.pixels.push_back(Index(bit));
      if (bridge >= 0) pocket.pixels.push_back(Index(bridge));
      pockets.push_back(std::move(pocket));
    }
    return pockets;
  }

  const PixelBits& mLine;
  const PixelBits& mSolid;
  PixelBits mSkeleton;
  PixelBits mSeen;     // walked from the end being joined, or from where a stroke lands
  PixelBits mCovered;  // by strokes, and by the pockets found between them
  Fill mFill;          // what the pocket being looked for reached
  Fill mBefore;        // what it was part of before the strokes
  std::array<int64_t, 8> mOffsets;
  int mMaxGap;
  int64_t mReach;
  std::vector<int64_t> mWalked;
  std::vector<Candidate> mCandidates;
};

}  // namespace

Closing FindClosing(const PixelBits& line, const PixelBits& solid, int maxGap) {
  if (maxGap < 1) return {};
  return Joiner(line, solid, maxGap).Find();
}

}  // namespace tessel::flats
