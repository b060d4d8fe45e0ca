// The fill test over 16 pixels in SSSE3 vector code, one instance per layout
// and plane count. Only for processors that have SSSE3: see ProcessorHasSsse3.
#pragma once

#if defined(__x86_64__) || defined(__i386__)
#define TESSEL_HAVE_X86 1

#include <immintrin.h>

#include <array>
#include <cstdint>

#include "engine/BlockTest.h"

namespace vector_blocks {

// Shuffle controls gathering plane `plane` of 16 pixels `stride` bytes apart
// out of `stride` consecutive 16-byte loads: one control per load, -128 (0x80)
// where the load holds no byte of that plane.
template <int stride>
struct Deinterleave {
  using Controls = std::array<std::array<int8_t, 16>, stride>;
  static constexpr Controls For(int plane) {
    Controls controls{};
    for (int load = 0; load < stride; ++load)
      for (int lane = 0; lane < 16; ++lane) {
        const int source = lane * stride + plane;
        controls[load][lane] = source / 16 == load ? static_cast<int8_t>(source % 16) : int8_t{-128};
      }
    return controls;
  }
  static constexpr std::array<Controls, 4> kPlanes = {For(0), For(1), For(2), For(3)};
};

template <int stride>
__attribute__((target("ssse3"))) inline __m128i GatherPlane(const __m128i (&loads)[stride], int plane) {
  const auto& controls = Deinterleave<stride>::kPlanes[plane];
  __m128i out = _mm_setzero_si128();
  for (int load = 0; load < stride; ++load) {
    const __m128i control = _mm_loadu_si128(reinterpret_cast<const __m128i*>(controls[load].data()));
    out = _mm_or_si128(out, _mm_shuffle_epi8(loads[load], control));
  }
  return out;
}

// The fill test's thresholds spread across vectors. Made once per fill: set
// per block, they cost more than the test itself.
struct VectorTest {
  bool antiAliased;
  __m128i low[4];
  __m128i high[4];

  __attribute__((target("ssse3"))) explicit VectorTest(const FillTest& test) : antiAliased(test.antiAliased) {
    for (int k = 0; k < 4; ++k) {
      low[k] = _mm_set1_epi8(char(test.low[k]));
      high[k] = _mm_set1_epi8(char(test.high[k]));
    }
  }
};

// The fill test on `count` planes already gathered one plane per vector.
template <int count>
__attribute__((target("ssse3"))) inline uint32_t TestPlanes(const VectorTest& test, const __m128i* planes) {
  const __m128i zero = _mm_setzero_si128();
  if (test.antiAliased) {
    __m128i lo = planes[0], hi = planes[0];
    for (int k = 1; k < count; ++k) {
      lo = _mm_min_epu8(lo, planes[k]);
      hi = _mm_max_epu8(hi, planes[k]);
    }
    const __m128i notNearWhite = _mm_cmpeq_epi8(_mm_subs_epu8(lo, _mm_set1_epi8(char(FillTest::kNearWhite))), zero);
    const __m128i tooDark = _mm_cmpeq_epi8(_mm_subs_epu8(hi, _mm_set1_epi8(char(FillTest::kDarkestGrey))), zero);
    const __m128i neutral =
        _mm_cmpeq_epi8(_mm_subs_epu8(_mm_sub_epi8(hi, lo), _mm_set1_epi8(char(FillTest::kGreySpread))), zero);
    // near white, or (bright enough and neutral)
    const __m128i fails = _mm_and_si128(notNearWhite, _mm_or_si128(tooDark, _mm_xor_si128(neutral, _mm_set1_epi8(-1))));
    return ~static_cast<uint32_t>(_mm_movemask_epi8(fails)) & kFullBlock;
  }
  __m128i inside = _mm_set1_epi8(-1);
  for (int k = 0; k < count; ++k) {
    const __m128i v = planes[k];
    const __m128i aboveLow = _mm_cmpeq_epi8(_mm_max_epu8(v, test.low[k]), v);
    const __m128i belowHigh = _mm_cmpeq_epi8(_mm_min_epu8(v, test.high[k]), v);
    inside = _mm_and_si128(inside, _mm_and_si128(aboveLow, belowHigh));
  }
  return static_cast<uint32_t>(_mm_movemask_epi8(inside));
}

// One byte per column: grey, or planar layouts with each plane apart.
template <int count>
__attribute__((target("ssse3"))) inline uint32_t SeparateTest(const VectorTest& test, const uint8_t* p,
                                                              int64_t planeStep) {
  __m128i planes[count];
  for (int k = 0; k < count; ++k) planes[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k * planeStep));
  return TestPlanes<count>(test, planes);
}

template <int stride, int count>
__attribute__((target("ssse3"))) inline uint32_t InterleavedTest(const VectorTest& test, const uint8_t* p) {
  __m128i loads[stride];
  for (int load = 0; load < stride; ++load)
    loads[load] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * load));
  __m128i planes[count];
  for (int k = 0; k < count; ++k) planes[k] = GatherPlane<stride>(loads, k);
  return TestPlanes<count>(test, planes);
}

// The same tests as block test functions, for callers holding only the FillTest.
template <int count>
__attribute__((target("ssse3"))) inline uint32_t SeparateMask(const FillTest& test, const uint8_t* p, int64_t,
                                                              int64_t planeStep) {
  return SeparateTest<count>(VectorTest(test), p, planeStep);
}

template <int stride, int count>
__attribute__((target("ssse3"))) inline uint32_t InterleavedMask(const FillTest& test, const uint8_t* p, int64_t,
                                                                 int64_t) {
  return InterleavedTest<stride, count>(VectorTest(test), p);
}

}  // namespace vector_blocks

// Block tests of one layout as a callable made for one fill test, for fills
// compiled around them; the test passed with each block is that same test.
template <int stride, int count>
struct InterleavedBlocks {
  vector_blocks::VectorTest prepared;
  explicit InterleavedBlocks(const FillTest& test) : prepared(test) {}
  __attribute__((target("ssse3"))) uint32_t operator()(const FillTest&, const uint8_t* p, int64_t, int64_t) const {
    return vector_blocks::InterleavedTest<stride, count>(prepared, p);
  }
};

template <int count>
struct SeparateBlocks {
  vector_blocks::VectorTest prepared;
  explicit SeparateBlocks(const FillTest& test) : prepared(test) {}
  __attribute__((target("ssse3"))) uint32_t operator()(const FillTest&, const uint8_t* p, int64_t,
                                                       int64_t planeStep) const {
    return vector_blocks::SeparateTest<count>(prepared, p, planeStep);
  }
};

inline bool ProcessorHasSsse3() {
  static const bool has = __builtin_cpu_supports("ssse3");
  return has;
}

#endif
