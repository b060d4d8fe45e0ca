// Generated line art for tests and benchmarks: closed shapes outlined on a
// white page, with hard or anti-aliased lines, in grey, RGB or CMYK bytes laid
// out interleaved or planar, as a host would deliver them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tessel::testing {

enum class Layout { kInterleaved, kPlanar };

struct Page {
  int64_t width = 0;
  int64_t height = 0;
  int planes = 3;
  Layout layout = Layout::kInterleaved;
  std::vector<uint8_t> bytes;

  Page() = default;
  // A white page: every byte 255 (no ink in CMYK).
  Page(int64_t width, int64_t height, int planes, Layout layout);

  int64_t rowBytes() const { return layout == Layout::kInterleaved ? width * planes : width; }
  int64_t columnBytes() const { return layout == Layout::kInterleaved ? planes : 1; }
  int64_t planeBytes() const { return layout == Layout::kInterleaved ? 1 : width * height; }
  uint8_t& at(int64_t x, int64_t y, int plane) {
    return bytes[static_cast<size_t>(y * rowBytes() + x * columnBytes() + plane * planeBytes())];
  }
  uint8_t at(int64_t x, int64_t y, int plane) const { return const_cast<Page*>(this)->at(x, y, plane); }
  // Darkens (x, y) to the neutral level `level` unless it is darker already.
  void Ink(int64_t x, int64_t y, uint8_t level);
};

struct LineStyle {
  double halfWidth = 1.0;
  bool antiAliased = true;
};

// Draws the segment from (x0, y0) to (x1, y1) in black.
void DrawLine(Page& page, double x0, double y0, double x1, double y1, const LineStyle& style);
// Draws the outline of an ellipse.
void DrawEllipse(Page& page, double cx, double cy, double rx, double ry, const LineStyle& style);
// Draws a closed polygon through the given corners.
void DrawPolygon(Page& page, const std::vector<double>& xs, const std::vector<double>& ys, const LineStyle& style);

struct SketchOptions {
  int shapes = 20;
  double smallestRadius = 2;
  double largestRadius = 20;
  LineStyle style;
  uint32_t seed = 1;
};

// Random closed shapes (ellipses and polygons), overlapping freely.
void DrawRandomShapes(Page& page, const SketchOptions& options);

// A comic-like page: a frame of panels, each full of overlapping shapes and
// strokes, so that the page falls into many small and a few large regions.
Page DrawComicPage(int64_t width, int64_t height, int planes, int shapesPerPanel, uint32_t seed);

}  // namespace tessel::testing
