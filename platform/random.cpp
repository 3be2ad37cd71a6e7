#include "platform/random.h"

#include <chrono>
#include <cstdlib>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace sf {
void TRandom::Randomize() {
  auto now = std::chrono::steady_clock::now().time_since_epoch();
  auto wall = std::chrono::system_clock::now().time_since_epoch();
  seed_ = uint32_t(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()) ^
          uint32_t(std::chrono::duration_cast<std::chrono::microseconds>(wall).count());
}

namespace {

constexpr uint32_t kMultiplier = 0x08088405u;

// The generator's step taken n times, itself a step of the same form: seed * a + c.
struct TStep {
  uint32_t a = 1, c = 0;
  uint32_t operator()(uint32_t seed) const { return seed * a + c; }
};
TStep StepTimes(uint64_t n) {
  TStep result, power{kMultiplier, 1u};
  for (; n; n >>= 1) {
    if (n & 1) result = {result.a * power.a, result.c * power.a + power.c};
    power = {power.a * power.a, power.c * power.a + power.c};
  }
  return result;
}

uint8_t Scaled(uint32_t seed, uint32_t range) { return uint8_t((uint64_t(seed) * range) >> 32); }

// Thirty-two chains, each stepping 32 draws at a time, side by side (sixty-four with AVX-512).
constexpr int kChains = 32, kWideChains = 64;

// The draws of n that fill whole batches of `chains`.
size_t WholeBatches(size_t n, size_t chains = kChains) { return n - n % chains; }

// The draws from `whole` on, one at a time; returns the seed after the last.
uint32_t FinishDraws(uint32_t seed, uint8_t* out, size_t whole, size_t n, uint32_t range) {
  seed = StepTimes(whole)(seed);
  for (size_t k = whole; k < n; ++k) out[k] = Scaled(seed = seed * kMultiplier + 1u, range);
  return seed;
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
// The whole batches: four vectors of eight seeds, so that the multiplies of one vector are under
// way while the others are scaled and stored.
__attribute__((target("avx2"))) void WholeBatchesAvx2(uint32_t seed, uint8_t* out, size_t whole, uint32_t range) {
  alignas(32) uint32_t first[kChains];
  for (uint32_t& c : first) c = seed = seed * kMultiplier + 1u;
  const TStep jump = StepTimes(kChains);
  const __m256i a = _mm256_set1_epi32(int(jump.a)), c = _mm256_set1_epi32(int(jump.c));
  const __m256i scale = _mm256_set1_epi32(int(range));
  // The low bytes of the four 64-bit halves, even draw then odd draw, to the front of each
  // 128-bit lane; then the two lanes' four bytes side by side.
  const __m256i gather = _mm256_setr_epi8(0, 1, 8, 9, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                                          0, 1, 8, 9, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
  const __m256i join = _mm256_setr_epi32(0, 4, 1, 1, 1, 1, 1, 1);
  __m256i v[4];
  for (int j = 0; j < 4; ++j) v[j] = _mm256_load_si256(reinterpret_cast<const __m256i*>(first) + j);
  for (size_t k = 0; k < whole; k += kChains)
    for (int j = 0; j < 4; ++j) {
      const __m256i even = _mm256_srli_epi64(_mm256_mul_epu32(v[j], scale), 32);
      const __m256i odd = _mm256_mul_epu32(_mm256_srli_epi64(v[j], 32), scale);
      const __m256i both = _mm256_or_si256(even, _mm256_slli_epi64(_mm256_srli_epi64(odd, 32), 8));
      const __m256i bytes = _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(both, gather), join);
      _mm_storel_epi64(reinterpret_cast<__m128i*>(out + k + size_t(8 * j)), _mm256_castsi256_si128(bytes));
      v[j] = _mm256_add_epi32(_mm256_mullo_epi32(v[j], a), c);
    }
}

// Four vectors of sixteen seeds. The zero-masked forms of the intrinsics, as the plain ones leave
// lanes undefined in a way that GCC 12 warns about.
__attribute__((target("avx512f"))) void WholeBatchesAvx512(uint32_t seed, uint8_t* out, size_t whole, uint32_t range) {
  alignas(64) uint32_t first[kWideChains];
  for (uint32_t& c : first) c = seed = seed * kMultiplier + 1u;
  const TStep jump = StepTimes(kWideChains);
  const __m512i a = _mm512_set1_epi32(int(jump.a)), c = _mm512_set1_epi32(int(jump.c));
  const __m512i scale = _mm512_set1_epi32(int(range));
  constexpr __mmask8 kAll = 0xff;
  __m512i v[4];
  for (int j = 0; j < 4; ++j) v[j] = _mm512_load_si512(first + 16 * j);
  for (size_t k = 0; k < whole; k += kWideChains)
    for (int j = 0; j < 4; ++j) {
      // The high halves of seed x range: the even seeds' brought down, the odd seeds' in place.
      const __m512i even = _mm512_maskz_srli_epi64(kAll, _mm512_maskz_mul_epu32(kAll, v[j], scale), 32);
      const __m512i odd = _mm512_maskz_mul_epu32(kAll, _mm512_maskz_srli_epi64(kAll, v[j], 32), scale);
      _mm512_mask_cvtepi32_storeu_epi8(out + k + size_t(16 * j), 0xffff, _mm512_mask_mov_epi32(even, 0xaaaa, odd));
      v[j] = _mm512_add_epi32(_mm512_mullo_epi32(v[j], a), c);
    }
}
#endif

}  // namespace

uint32_t RandomBytesWith(TVectorUnit unit, uint32_t seed, uint8_t* out, size_t n, uint32_t range) {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
  static const bool avx512 = __builtin_cpu_supports("avx512f"), avx2 = __builtin_cpu_supports("avx2");
  if ((unit == TVectorUnit::Avx512 && avx512) || (unit != TVectorUnit::None && avx2)) {
    const bool wide = unit == TVectorUnit::Avx512 && avx512;
    const size_t whole = WholeBatches(n, wide ? kWideChains : kChains);
    if (whole > 0) (wide ? WholeBatchesAvx512 : WholeBatchesAvx2)(seed, out, whole, range);
    return FinishDraws(seed, out, whole, n, range);
  }
#endif
  const size_t whole = WholeBatches(n);
  if (whole > 0) {
    const TStep jump = StepTimes(kChains);
    uint32_t chain[kChains], s = seed;
    for (uint32_t& c : chain) c = s = s * kMultiplier + 1u;
    for (size_t k = 0; k < whole; k += kChains)
      for (int i = 0; i < kChains; ++i) {
        out[k + size_t(i)] = Scaled(chain[i], range);
        chain[i] = jump(chain[i]);
      }
  }
  return FinishDraws(seed, out, whole, n, range);
}

uint32_t RandomBytes(uint32_t seed, uint8_t* out, size_t n, uint32_t range) {
  return RandomBytesWith(TFastPaths::Process().vectors, seed, out, n, range);
}

const TFastPaths& TFastPaths::Process() {
  static const TFastPaths paths = [] {
    TFastPaths p;
    const char* simd = std::getenv("SHOWFORGE_SIMD");
    if (simd != nullptr && std::strcmp(simd, "portable") == 0) p.vectors = TVectorUnit::None;
    const char* threads = std::getenv("SHOWFORGE_THREADS");
    if (threads != nullptr && std::strcmp(threads, "1") == 0) p.threads = false;
    return p;
  }();
  return paths;
}

uint32_t SeedAfter(uint32_t seed, uint64_t draws) { return StepTimes(draws)(seed); }

}  // namespace sf
