#include "tests/support/LineArt.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace tessel::testing {

constexpr double kPi = 3.14159265358979323846;

Page::Page(int64_t w, int64_t h, int p, Layout l)
    : width(w), height(h), planes(p), layout(l), bytes(static_cast<size_t>(w * h * p), 255) {}

void Page::Ink(int64_t x, int64_t y, uint8_t level) {
  if (x < 0 || y < 0 || x >= width || y >= height) return;
  for (int k = 0; k < planes; ++k) {
    uint8_t& v = at(x, y, k);
    v = std::min(v, level);
  }
}

void DrawLine(Page& page, double x0, double y0, double x1, double y1, const LineStyle& style) {
  const double reach = style.halfWidth + 1;
  const int64_t left = static_cast<int64_t>(std::floor(std::min(x0, x1) - reach));
  const int64_t right = static_cast<int64_t>(std::ceil(std::max(x0, x1) + reach));
  const int64_t top = static_cast<int64_t>(std::floor(std::min(y0, y1) - reach));
  const int64_t bottom = static_cast<int64_t>(std::ceil(std::max(y0, y1) + reach));
  const double dx = x1 - x0, dy = y1 - y0;
  const double length2 = dx * dx + dy * dy;
  for (int64_t y = std::max<int64_t>(top, 0); y <= std::min(bottom, page.height - 1); ++y)
    for (int64_t x = std::max<int64_t>(left, 0); x <= std::min(right, page.width - 1); ++x) {
      const double t = length2 > 0 ? std::clamp(((x - x0) * dx + (y - y0) * dy) / length2, 0.0, 1.0) : 0.0;
      const double distance = std::hypot(x - (x0 + t * dx), y - (y0 + t * dy));
      const double coverage = std::clamp(style.halfWidth + 0.5 - distance, 0.0, 1.0);
      if (style.antiAliased) {
        if (coverage > 0) page.Ink(x, y, static_cast<uint8_t>(std::lround(255 * (1 - coverage))));
      } else if (coverage >= 0.5) {
        page.Ink(x, y, 0);
      }
    }
}

void DrawPolygon(Page& page, const std::vector<double>& xs, const std::vector<double>& ys, const LineStyle& style) {
  for (size_t i = 0; i < xs.size(); ++i) {
    const size_t j = (i + 1) % xs.size();
    DrawLine(page, xs[i], ys[i], xs[j], ys[j], style);
  }
}

void DrawEllipse(Page& page, double cx, double cy, double rx, double ry, const LineStyle& style) {
  const int sides = std::clamp(static_cast<int>(std::max(rx, ry)), 8, 64);
  std::vector<double> xs(sides), ys(sides);
  for (int i = 0; i < sides; ++i) {
    const double angle = 2 * kPi * i / sides;
    xs[i] = cx + rx * std::cos(angle);
    ys[i] = cy + ry * std::sin(angle);
  }
  DrawPolygon(page, xs, ys, style);
}

namespace {

void DrawShapesIn(Page& page, double left, double top, double right, double bottom, const SketchOptions& options,
                  std::mt19937& random) {
  std::uniform_real_distribution<double> radius(options.smallestRadius, options.largestRadius);
  std::uniform_real_distribution<double> across(left, right), down(top, bottom), unit(0, 1);
  for (int i = 0; i < options.shapes; ++i) {
    const double cx = across(random), cy = down(random);
    if (unit(random) < 0.5) {
      DrawEllipse(page, cx, cy, radius(random), radius(random), options.style);
    } else {
      const int corners = 3 + static_cast<int>(unit(random) * 4);
      std::vector<double> xs, ys;
      for (int c = 0; c < corners; ++c) {
        const double angle = 2 * kPi * (c + unit(random) * 0.8) / corners;
        const double r = radius(random);
        xs.push_back(cx + r * std::cos(angle));
        ys.push_back(cy + r * std::sin(angle));
      }
      DrawPolygon(page, xs, ys, options.style);
    }
  }
}

}  // namespace

void DrawRandomShapes(Page& page, const SketchOptions& options) {
  std::mt19937 random(options.seed);
  DrawShapesIn(page, 0, 0, static_cast<double>(page.width), static_cast<double>(page.height), options, random);
}

Page DrawComicPage(int64_t width, int64_t height, int planes, int shapesPerPanel, uint32_t seed) {
  Page page(width, height, planes, Layout::kInterleaved);
  std::mt19937 random(seed);
  constexpr int kColumns = 3, kRows = 4;
  const double margin = width / 40.0, gutter = width / 60.0;
  const double panelWidth = (width - 2 * margin - (kColumns - 1) * gutter) / kColumns;
  const double panelHeight = (height - 2 * margin - (kRows - 1) * gutter) / kRows;
  const LineStyle frame{2.5, true};
  SketchOptions options;
  options.shapes = shapesPerPanel;
  options.smallestRadius = width / 800.0;
  options.largestRadius = width / 40.0;
  options.style = LineStyle{1.2, true};
  for (int row = 0; row < kRows; ++row)
    for (int column = 0; column < kColumns; ++column) {
      const double left = margin + column * (panelWidth + gutter);
      const double top = margin + row * (panelHeight + gutter);
      const double right = left + panelWidth, bottom = top + panelHeight;
      DrawShapesIn(page, left, top, right, bottom, options, random);
      DrawPolygon(page, {left, right, right, left}, {top, top, bottom, bottom}, frame);
    }
  return page;
}

}  // namespace tessel::testing
