// A filter whose output buffer is a test page, ready for the engine's calls.
#pragma once

#include <array>
#include <cstdint>
#include <utility>

#include "engine/TesselParams.h"
#include "plugin/Tessel.h"
#include "tests/support/LineArt.h"
#include "tests/support/TestRecord.h"

namespace tessel::testing {

using Bytes = std::array<uint8_t, 4>;

inline Bytes Of(const unsigned char (&c)[4]) { return Bytes{c[0], c[1], c[2], c[3]}; }

// The channel bytes of (x, y); planes the page lacks read 0.
inline Bytes PixelOf(const Page& page, int64_t x, int64_t y) {
  Bytes value{0, 0, 0, 0};
  for (int k = 0; k < page.planes; ++k) value[static_cast<size_t>(k)] = page.at(x, y, k);
  return value;
}

struct FilterOnPage {
  Page page;
  FilterRecord record{};
  CTessel filter;

  FilterOnPage(Page p, int16_t imageMode) : page(std::move(p)) {
    FakeColorServices::Reset();
    DescribePage(record, page, imageMode);
    filter.init(&record, nullptr);
    filter.mPlanes = static_cast<uint8_t>(std::min(page.planes, 4));
  }

  // Sets the run's fill test as the start of a run does.
  void Prepare(CTesselParams& params) {
    filter.SetFillColor(params.fillColor, params.tolerance);
    filter.mPaintAA = params.paintAntiAliased != 0;
  }

  void Set(int64_t x, int64_t y, Bytes value) {
    for (int k = 0; k < page.planes; ++k) page.at(x, y, k) = value[static_cast<size_t>(k)];
  }
  Bytes Get(int64_t x, int64_t y) const { return PixelOf(page, x, y); }
  void SetPaint(Bytes value) { std::copy(value.begin(), value.end(), filter.mPaintColor); }
  void SetRange(Bytes low, Bytes high) {
    std::copy(low.begin(), low.end(), filter.mFillLow);
    std::copy(high.begin(), high.end(), filter.mFillHigh);
  }
  // Resets the counters as the scan does before each region.
  void StartArea(int64_t x, int64_t y) {
    filter.mAreaCount = 0;
    filter.mMinX = filter.mMaxX = x;
    filter.mMinY = filter.mMaxY = y;
  }
};

}  // namespace tessel::testing
