// How well --close-gaps closes gaps, on drawings made twice: closed, and with
// a gap of 2 to 8 pixels cut into one side of every shape. The regions are
// found as the anti-aliased fill test finds them (4-connected pixels of
// neutral grey above 16), with the strokes as line; after the strokes are
// taken out, each of their pixels joins its nearest region, and each pocket
// of fill they shut in the region it was cut from. Reported together: the
// share of gaps between two regions of the closed drawing that come out
// closed (goal >= 95 %), the share of the closed drawing's regions that come
// out split (goal <= 2 %), pixels beside a gap aside, and the pixels of fill
// where a gap was cut that come out in neither region beside it, where no
// other line passes by: slivers (goal 0). And over sizes 1 to 32, the gaps
// that a larger size opens again (goal 0).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <map>
#include <random>
#include <set>

#include "flats/NearestRegion.h"
#include "pipeline/PageGaps.h"
#include "tests/support/LineArt.h"

namespace {

using namespace tessel;
// The drawing as a 300 dpi page: 11.9 x 8.5 cm, lines 0.08 to 0.68 mm wide.
constexpr int64_t kWidth = 1400, kHeight = 1000;
constexpr int kMaxGap = 8;
constexpr double kDrawnDpi = 300;

struct Gap {
  double x, y;                 // its middle
  int64_t sideA, sideB;        // a pixel on each side of the line there
  std::vector<int64_t> taken;  // the pixels of the line that the cut took
};

struct Drawing {
  explicit Drawing(int scale)
      : width(kWidth * scale),
        height(kHeight * scale),
        closed(width, height, 1, testing::Layout::kInterleaved),
        cut(width, height, 1, testing::Layout::kInterleaved) {}
  int64_t width, height;
  testing::Page closed, cut;
  std::vector<Gap> gaps;
};

// Random polygons of 3 to 7 corners in lines 1 to 8 pixels wide; each one's
// longest side is cut in the middle in `cut`; all `scale` times larger.
Drawing Draw(uint32_t seed, int scale) {
  Drawing d(scale);
  const int64_t kWidth = d.width, kHeight = d.height;
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> unit(0, 1);
  for (int shape = 0; shape < 90; ++shape) {
    const int corners = 3 + static_cast<int>(random() % 5), lineWidth = scale * (1 + static_cast<int>(random() % 8));
    const int gap = scale * (2 + static_cast<int>(random() % (kMaxGap - 1)));
    const testing::LineStyle style{lineWidth / 2.0, lineWidth % 2 == 0};
    const double cx = scale * (60 + unit(random) * (kWidth / scale - 120));
    const double cy = scale * (60 + unit(random) * (kHeight / scale - 120));
    const double radius = scale * (25 + unit(random) * 35), turn = unit(random) * 6.283;
    std::vector<double> xs, ys;
    for (int k = 0; k < corners; ++k) {
      const double angle = turn + 6.283 * (k + 0.3 * unit(random)) / corners;
      xs.push_back(cx + radius * std::cos(angle));
      ys.push_back(cy + radius * std::sin(angle));
    }
    int longest = 0;
    for (int k = 0; k < corners; ++k) {
      const int n = (k + 1) % corners, l = (longest + 1) % corners;
      if (std::hypot(xs[n] - xs[k], ys[n] - ys[k]) > std::hypot(xs[l] - xs[longest], ys[l] - ys[longest])) longest = k;
    }
    for (int k = 0; k < corners; ++k) {
      const int n = (k + 1) % corners;
      testing::DrawLine(d.closed, xs[k], ys[k], xs[n], ys[n], style);
      if (k != longest) {
        testing::DrawLine(d.cut, xs[k], ys[k], xs[n], ys[n], style);
        continue;
      }
      const double length = std::hypot(xs[n] - xs[k], ys[n] - ys[k]);
      const double ux = (xs[n] - xs[k]) / length, uy = (ys[n] - ys[k]) / length;
      const double mx = (xs[k] + xs[n]) / 2, my = (ys[k] + ys[n]) / 2, half = gap / 2.0 + style.halfWidth;
      testing::DrawLine(d.cut, xs[k], ys[k], mx - half * ux, my - half * uy, style);
      testing::DrawLine(d.cut, mx + half * ux, my + half * uy, xs[n], ys[n], style);
      const double side = style.halfWidth + 3 * scale;
      const auto at = [&](double x, double y) { return std::lround(y) * kWidth + std::lround(x); };
      d.gaps.push_back({mx, my, at(mx - uy * side, my + ux * side), at(mx + uy * side, my - ux * side), {}});
      const int64_t reach = static_cast<int64_t>(half) + 2;
      for (int64_t y = std::lround(my) - reach; y <= std::lround(my) + reach; ++y)
        for (int64_t x = std::lround(mx) - reach; x <= std::lround(mx) + reach; ++x) {
          const double along = (x - mx) * ux + (y - my) * uy, across = (x - mx) * uy - (y - my) * ux;
          if (std::abs(along) <= half + 1 && std::abs(across) < style.halfWidth + 0.5 && x >= 0 && y >= 0 &&
              x < kWidth && y < kHeight)
            d.gaps.back().taken.push_back(y * kWidth + x);
        }
    }
  }
  return d;
}

// Labels of the 4-connected components of `fill`, rows `kWidth` long, 0 elsewhere.
std::vector<int32_t> Components(const std::vector<bool>& fill, int64_t kWidth) {
  std::vector<int32_t> labels(fill.size(), 0);
  std::vector<int64_t> stack;
  int32_t next = 0;
  for (int64_t seed = 0; seed < static_cast<int64_t>(fill.size()); ++seed) {
    if (!fill[seed] || labels[seed]) continue;
    labels[seed] = ++next;
    stack.assign(1, seed);
    while (!stack.empty()) {
      const int64_t i = stack.back();
      stack.pop_back();
      const int64_t x = i % kWidth;
      for (const int64_t n : {x > 0 ? i - 1 : -1, x + 1 < kWidth ? i + 1 : -1, i - kWidth, i + kWidth})
        if (n >= 0 && n < static_cast<int64_t>(fill.size()) && fill[n] && !labels[n]) {
          labels[n] = next;
          stack.push_back(n);
        }
    }
  }
  return labels;
}

std::vector<bool> Fill(const testing::Page& page) {
  std::vector<bool> fill(page.bytes.size());
  for (size_t i = 0; i < fill.size(); ++i) fill[i] = page.bytes[i] > 16;
  return fill;
}

// The drawing's regions once the gaps cut into it are closed up to `maxGap`,
// found as a run finds them: the fill the strokes leave, labelled; each
// other pixel in its nearest region's, each pocket in the region it was cut
// from.
struct Closed {
  std::vector<bool> fill;       // with the strokes as line
  std::vector<int32_t> joined;  // every pixel's region
};

Closed Close(const Drawing& d, int maxGap) {
  const int64_t kWidth = d.width, kHeight = d.height;
  base::ImageBuffer pixels({kWidth, kHeight, 1, base::PlaneLayout::Interleaved, 0});
  std::memcpy(pixels.data(), d.cut.bytes.data(), d.cut.bytes.size());
  io::ImageFile page{std::move(pixels), plugInModeGrayScale, false, {}};
  const pipeline::GapStrokes strokes = pipeline::CloseGaps(page, maxGap);
  Closed closed;
  closed.fill.resize(d.cut.bytes.size());
  for (size_t i = 0; i < closed.fill.size(); ++i) closed.fill[i] = page.pixels.data()[i] > 16;
  const std::vector<int32_t> result = Components(closed.fill, kWidth);
  flats::RegionMask labelled(kWidth, kHeight);
  for (int64_t i = 0; i < kWidth * kHeight; ++i)
    if (result[i]) labelled.Set(i % kWidth, i / kWidth);
  closed.joined = result;
  flats::VisitNearestRegionPixels(labelled, [&](int64_t y, const int32_t* fromX, const int32_t* fromY) {
    for (int64_t x = 0; x < kWidth; ++x)
      if (!result[y * kWidth + x]) closed.joined[y * kWidth + x] = result[fromY[x] * kWidth + fromX[x]];
  });
  for (const flats::Closing::Pocket& pocket : strokes.pockets)
    if (pocket.from >= 0 && result[pocket.from])
      for (const int64_t i : pocket.pixels) closed.joined[i] = result[pocket.from];
  return closed;
}

// Whether a gap lies between two regions of the closed drawing `truth`, and
// so counts.
bool Counts(const Gap& gap, const std::vector<int32_t>& truth) {
  return truth[gap.sideA] && truth[gap.sideB] && truth[gap.sideA] != truth[gap.sideB];
}

// Arguments: the page's resolution, at which the drawing is drawn larger,
// and the largest gap to close in hundredths of a millimetre (0: 8 pixels at
// 300 dpi, the widest gap drawn).
void BM_GapClosingQuality(benchmark::State& state) {
  const int dpi = static_cast<int>(state.range(0)), scale = static_cast<int>(dpi / kDrawnDpi);
  const int maxGap = state.range(1) == 0 ? kMaxGap
                                         : static_cast<int>(std::lround(state.range(1) / 100.0 * dpi / 25.4));
  int64_t gaps = 0, closed = 0, regions = 0, split = 0, slivers = 0;
  for (auto _ : state) {
    for (uint32_t seed = 1; seed <= 6; ++seed) {
      Drawing d = Draw(seed, scale);
      const int64_t kWidth = d.width, kHeight = d.height;
      const std::vector<int32_t> truth = Components(Fill(d.closed), kWidth);

      const Closed result = Close(d, maxGap);
      const std::vector<bool>& fill = result.fill;
      const std::vector<int32_t>& joined = result.joined;
      const int64_t nearGap = kMaxGap * scale;
      for (const Gap& gap : d.gaps) {
        if (!Counts(gap, truth)) continue;
        ++gaps;
        closed += joined[gap.sideA] != joined[gap.sideB];
        // Where other lines pass by, the gap has more than two sides.
        bool twoSided = true;
        for (int64_t y = std::lround(gap.y) - nearGap; y <= std::lround(gap.y) + nearGap; ++y)
          for (int64_t x = std::lround(gap.x) - nearGap; x <= std::lround(gap.x) + nearGap; ++x) {
            const int32_t region = x >= 0 && y >= 0 && x < kWidth && y < kHeight ? truth[y * kWidth + x] : 0;
            twoSided = twoSided && (!region || region == truth[gap.sideA] || region == truth[gap.sideB]);
          }
        if (!twoSided) continue;
        for (const int64_t i : gap.taken)
          slivers += d.cut.bytes[i] > 16 && joined[i] != joined[gap.sideA] && joined[i] != joined[gap.sideB];
      }
      // Beside a gap, which side a pixel falls on is the stroke's choice.
      std::vector<bool> beside(fill.size(), false);
      const int64_t reach = (kMaxGap + 8) * scale;
      for (const Gap& gap : d.gaps)
        for (int64_t y = std::lround(gap.y) - reach; y <= std::lround(gap.y) + reach; ++y)
          for (int64_t x = std::lround(gap.x) - reach; x <= std::lround(gap.x) + reach; ++x)
            if (x >= 0 && y >= 0 && x < kWidth && y < kHeight) beside[y * kWidth + x] = true;
      std::map<int32_t, std::set<int32_t>> parts;
      for (int64_t i = 0; i < kWidth * kHeight; ++i)
        if (truth[i] && fill[i] && !beside[i]) parts[truth[i]].insert(joined[i]);
      for (const auto& [region, labels] : parts) {
        ++regions;
        split += labels.size() > 1;
      }
    }
  }
  state.counters["gap_px"] = maxGap;
  state.counters["gaps"] = static_cast<double>(gaps) / static_cast<double>(state.iterations());
  state.counters["gaps_closed_pct"] = 100.0 * static_cast<double>(closed) / static_cast<double>(gaps);
  state.counters["regions"] = static_cast<double>(regions) / static_cast<double>(state.iterations());
  state.counters["regions_split_pct"] = 100.0 * static_cast<double>(split) / static_cast<double>(regions);
  state.counters["sliver_pixels"] = static_cast<double>(slivers) / static_cast<double>(state.iterations());
}
// The goal's case, then gap sizes in millimetres on the drawing at 300 and at
// 600 dpi, for the sizes the README gives.
BENCHMARK(BM_GapClosingQuality)
    ->ArgNames({"dpi", "gap_hundredths_mm"})
    ->Args({300, 0})
    ->ArgsProduct({{300, 600}, {20, 30, 40, 50, 60, 70, 80}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// Over sizes 1 to 32 on the drawings at 300 dpi, the gaps that one size
// closes and the next opens again (goal 0): a larger size never closes less.
void BM_GapClosingMonotonic(benchmark::State& state) {
  int64_t gaps = 0, reopened = 0;
  for (auto _ : state) {
    for (uint32_t seed = 1; seed <= 6; ++seed) {
      const Drawing d = Draw(seed, 1);
      const std::vector<int32_t> truth = Components(Fill(d.closed), d.width);
      std::vector<bool> closedBefore(d.gaps.size(), false);
      for (int size = 1; size <= 32; ++size) {
        const Closed result = Close(d, size);
        for (size_t k = 0; k < d.gaps.size(); ++k) {
          if (!Counts(d.gaps[k], truth)) continue;
          const bool closed = result.joined[d.gaps[k].sideA] != result.joined[d.gaps[k].sideB];
          reopened += closedBefore[k] && !closed;
          closedBefore[k] = closed;
          gaps += size == 1;
        }
      }
    }
  }
  state.counters["gaps"] = static_cast<double>(gaps) / static_cast<double>(state.iterations());
  state.counters["reopened"] = static_cast<double>(reopened) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_GapClosingMonotonic)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
