#include "imaging/pngfilter.h"

#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace sf {
namespace {

uint8_t PaethPredictor(int a, int b, int c) {
  const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
  return uint8_t(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

#if defined(__SSE2__)
// Sub, average and Paeth depend on the pixel to the left as just unfiltered, so they go a pixel
// at a time with that pixel kept in a register; every channel of the pixel in one operation. Up
// depends on the row above alone and goes sixteen bytes at a time. Pixels of up to eight bytes.

// A pixel of B bytes in the low lanes, read or written exactly; and one read or written with
// the bytes that follow it up to four or eight (W), which the next pixel then overwrites.
template <size_t B>
__m128i LoadPixel(const uint8_t* p) {
  if constexpr (B == 8) return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
  if constexpr (B == 3) return _mm_cvtsi32_si128(int(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16));
  uint32_t low = 0;
  std::memcpy(&low, p, B < 4 ? B : 4);
  if constexpr (B <= 4) return _mm_cvtsi32_si128(int(low));
  uint16_t high;
  std::memcpy(&high, p + 4, 2);
  return _mm_cvtsi64_si128(int64_t(uint64_t(high) << 32 | low));
}

template <size_t B>
void StorePixel(uint8_t* p, __m128i v) {
  if constexpr (B == 8) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v);
  } else if constexpr (B == 4 || B == 2) {
    const uint32_t x = uint32_t(_mm_cvtsi128_si32(v));
    std::memcpy(p, &x, B);
  } else {
    const uint64_t x = uint64_t(_mm_cvtsi128_si64(v));
    const uint32_t low = uint32_t(x);
    const uint16_t mid = uint16_t(B == 3 ? low : x >> 32);
    if constexpr (B == 3) {
      std::memcpy(p, &mid, 2);
      p[2] = uint8_t(low >> 16);
    } else {
      std::memcpy(p, &low, 4);
      std::memcpy(p + 4, &mid, 2);
    }
  }
}

template <size_t B>
constexpr size_t kWide = B == 3 ? 4 : B == 6 ? 8 : B;

template <size_t B>
__m128i LoadWide(const uint8_t* p) {
  if constexpr (kWide<B> == 4) {
    uint32_t x;
    std::memcpy(&x, p, 4);
    return _mm_cvtsi32_si128(int(x));
  } else if constexpr (kWide<B> == 8) {
    return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
  } else {
    return LoadPixel<B>(p);
  }
}

template <size_t B>
void StoreWide(uint8_t* p, __m128i v) {
  if constexpr (kWide<B> == 4) {
    const uint32_t x = uint32_t(_mm_cvtsi128_si32(v));
    std::memcpy(p, &x, 4);
  } else if constexpr (kWide<B> == 8) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v);
  } else {
    StorePixel<B>(p, v);
  }
}

// Runs step(i, load, store) for every pixel of a row of n bytes: wide loads and stores while
// they stay inside the row, exact ones for the last pixel.
template <size_t B, typename Step>
inline void ForPixels(size_t n, Step step) {
  size_t i = 0;
  for (; i + kWide<B> <= n; i += B) step(i, LoadWide<B>, StoreWide<B>);
  for (; i + B <= n; i += B) step(i, LoadPixel<B>, StorePixel<B>);
}

// Where mask is set, yes; elsewhere no.
__m128i Select(__m128i mask, __m128i yes, __m128i no) {
  return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
}

void UpSse2(const uint8_t* in, uint8_t* out, const uint8_t* prev, size_t n) {
  size_t i = 0;
  for (; i + 16 <= n; i += 16) {
    const __m128i f = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(prev + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_add_epi8(f, b));
  }
  for (; i < n; ++i) out[i] = uint8_t(in[i] + prev[i]);
}

template <size_t B>
void SubSse2(const uint8_t* in, uint8_t* out, size_t n) {
  __m128i a = _mm_setzero_si128();
  ForPixels<B>(n, [&](size_t i, auto load, auto store) {
    a = _mm_add_epi8(load(in + i), a);
    store(out + i, a);
  });
}

template <size_t B>
void AverageSse2(const uint8_t* in, uint8_t* out, const uint8_t* prev, size_t n) {
  const __m128i one = _mm_set1_epi8(1);
  __m128i a = _mm_setzero_si128();
  ForPixels<B>(n, [&](size_t i, auto load, auto store) {
    const __m128i b = load(prev + i);
    // (a + b) >> 1: the rounded-up average, less one where a + b is odd.
    const __m128i mean = _mm_sub_epi8(_mm_avg_epu8(a, b), _mm_and_si128(_mm_xor_si128(a, b), one));
    a = _mm_add_epi8(load(in + i), mean);
    store(out + i, a);
  });
}

template <size_t B>
void PaethSse2(const uint8_t* in, uint8_t* out, const uint8_t* prev, size_t n) {
  // With e = a - c and d = b - c the three distances are |p - a| = |d|, |p - b| = |e| and
  // |p - c| = |e + d|, none changed by turning the signs of both e and d. With e' = e turned
  // by d's sign and D = |d|: a is the prediction where e' >= D or e' <= -2D; else b where
  // e' >= -(D >> 1); else c. The bounds come from the row above alone, so that the one step
  // that waits for the pixel to the left is e', three comparisons and the choice. In 16-bit
  // lanes whose high bytes stay 0, so that the byte-wise sum of the filtered bytes and the
  // prediction is the unfiltered pixel.
  const __m128i zero = _mm_setzero_si128(), one = _mm_set1_epi16(1);
  __m128i a = zero, c = zero;
  ForPixels<B>(n, [&](size_t i, auto load, auto store) {
    const __m128i b = _mm_unpacklo_epi8(load(prev + i), zero);
    const __m128i f = _mm_unpacklo_epi8(load(in + i), zero);
    const __m128i d = _mm_sub_epi16(b, c);
    const __m128i negative = _mm_srai_epi16(d, 15);
    const __m128i D = _mm_sub_epi16(_mm_xor_si128(d, negative), negative);
    const __m128i aAbove = _mm_sub_epi16(D, one);                                 // a where e' > D - 1
    const __m128i aBelow = _mm_sub_epi16(one, _mm_add_epi16(D, D));               // or e' < 1 - 2D
    const __m128i bAbove = _mm_sub_epi16(_mm_sub_epi16(zero, _mm_srli_epi16(D, 1)), one);  // b where e' > -(D >> 1) - 1
    const __m128i e = _mm_sub_epi16(_mm_xor_si128(_mm_sub_epi16(a, c), negative), negative);
    const __m128i takeA = _mm_or_si128(_mm_cmpgt_epi16(e, aAbove), _mm_cmpgt_epi16(aBelow, e));
    const __m128i bc = Select(_mm_cmpgt_epi16(e, bAbove), b, c);
    a = _mm_add_epi8(f, Select(takeA, a, bc));
    store(out + i, _mm_packus_epi16(a, a));
    c = b;
  });
}

template <size_t B>
void FilterSse2(uint8_t type, const uint8_t* in, uint8_t* out, const uint8_t* prev, size_t n) {
  switch (type) {
    case 1: SubSse2<B>(in, out, n); break;
    case 3: AverageSse2<B>(in, out, prev, n); break;
    default: PaethSse2<B>(in, out, prev, n); break;
  }
}
#endif

}  // namespace

bool UnfilterRowPortable(uint8_t type, const uint8_t* in, uint8_t* out, const uint8_t* prev, size_t n, size_t bpp) {
  if (n == 0) return type <= 4;  // an empty row may come with no buffers at all
  const size_t lead = bpp < n ? bpp : n;  // the bytes without a left neighbour
  switch (type) {
    case 0: std::memcpy(out, in, n); return true;
    case 1:
      std::memcpy(out, in, lead);
      for (size_t i = bpp; i < n; ++i) out[i] = uint8_t(in[i] + out[i - bpp]);
      return true;
    case 2:
      for (size_t i = 0; i < n; ++i) out[i] = uint8_t(in[i] + prev[i]);
      return true;
    case 3:
      for (size_t i = 0; i < lead; ++i) out[i] = uint8_t(in[i] + (prev[i] >> 1));
      for (size_t i = bpp; i < n; ++i) out[i] = uint8_t(in[i] + ((out[i - bpp] + prev[i]) >> 1));
      return true;
    case 4:
      for (size_t i = 0; i < lead; ++i) out[i] = uint8_t(in[i] + prev[i]);  // the predictor of (0, b, 0) is b
      for (size_t i = bpp; i < n; ++i) out[i] = uint8_t(in[i] + PaethPredictor(out[i - bpp], prev[i], prev[i - bpp]));
      return true;
    default: return false;
  }
}

bool UnfilterRow(uint8_t type, const uint8_t* in, uint8_t* out, const uint8_t* prev, size_t n, size_t bpp) {
#if defined(__SSE2__)
  // Rows of whole pixels of two to eight bytes; one-byte pixels gain nothing from a register
  // that holds one byte.
  if (type == 2) {
    UpSse2(in, out, prev, n);
    return true;
  }
  if ((type == 1 || type == 3 || type == 4) && n % bpp == 0) {
    switch (bpp) {
      case 2: FilterSse2<2>(type, in, out, prev, n); return true;
      case 3: FilterSse2<3>(type, in, out, prev, n); return true;
      case 4: FilterSse2<4>(type, in, out, prev, n); return true;
      case 6: FilterSse2<6>(type, in, out, prev, n); return true;
      case 8: FilterSse2<8>(type, in, out, prev, n); return true;
      default: break;
    }
  }
#endif
  return UnfilterRowPortable(type, in, out, prev, n, bpp);
}

}  // namespace sf
