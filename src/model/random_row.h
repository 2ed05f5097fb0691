// The random fill row of model/kernel_rows.inc.  The plain form steps the
// generator in scalar lanes and looks every draw up in the scale table
// (fill_random_samples).  An AVX2 or AVX-512 build steps vectors of 32-bit
// generator states instead and, where the scaling is the exact quotient
// (RandomScaling::quotient), forms each sample in the register, so a row
// costs little more than its stores.  Included by model/kernel_rows.inc
// only, once per instruction set; every name has internal linkage.
#pragma once

#include <cstdint>

#include "core/pixel_plane.h"
#include "core/random_source.h"

#if defined(__AVX512F__) && defined(__AVX512BW__)
#define VELDAX_RANDOM_LANES 16
#elif defined(__AVX2__)
#define VELDAX_RANDOM_LANES 8
#endif

#ifdef VELDAX_RANDOM_LANES
#include <immintrin.h>

namespace veldax::random_lanes {
namespace {

constexpr int32_t kLanes = VELDAX_RANDOM_LANES;
// Two vectors of states, a then b, step together (so that the multiplies of
// the generator overlap): a group is the next kGroup draws, lane i of a
// holding draw i and lane i of b draw kLanes + i.
constexpr int32_t kGroup = 2 * kLanes;

#if VELDAX_RANDOM_LANES == 16
using W = __m512i;
// (The zero-masking forms below, with every lane kept: the plain ones start
// from an undefined register, which draws a false warning from some
// compilers.)
constexpr __mmask16 kAll = 0xFFFF;

inline W splat(uint32_t v) { return _mm512_set1_epi32(static_cast<int>(v)); }
inline W load(const uint32_t* p) { return _mm512_loadu_si512(p); }
// Products and sums modulo 2^32.
inline W mul(W a, W b) { return _mm512_mullo_epi32(a, b); }
inline W add(W a, W b) { return _mm512_add_epi32(a, b); }
template <unsigned n>
inline W shift_right(W a) {
    return _mm512_maskz_srli_epi32(kAll, a, n);
}
inline W vmax(W a, W b) { return _mm512_maskz_max_epu32(kAll, a, b); }
// The lanes of a, then of b, each at most 65535, as samples at out.  The
// pack interleaves a and b by 128-bit blocks; the permute puts them in order.
inline void store_samples(Sample* out, W a, W b) {
    const __m512i order = _mm512_set_epi64(7, 5, 3, 1, 6, 4, 2, 0);
    _mm512_storeu_si512(out,
                        _mm512_maskz_permutexvar_epi64(0xFF, order, _mm512_packus_epi32(a, b)));
}
// Lanes 0, 2, 4, ... of a, then of b, each at most 65535, as samples at out.
inline void store_even_samples(Sample* out, W a, W b) {
    const __m512i even =
        _mm512_setr_epi32(0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out),
                        _mm512_maskz_cvtepi32_epi16(kAll, _mm512_permutex2var_epi32(a, even, b)));
}
#else
using W = __m256i;

inline W splat(uint32_t v) { return _mm256_set1_epi32(static_cast<int>(v)); }
inline W load(const uint32_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
inline W mul(W a, W b) { return _mm256_mullo_epi32(a, b); }
inline W add(W a, W b) { return _mm256_add_epi32(a, b); }
template <int n>
inline W shift_right(W a) {
    return _mm256_srli_epi32(a, n);
}
inline W vmax(W a, W b) { return _mm256_max_epu32(a, b); }
inline void store_samples(Sample* out, W a, W b) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out),
                        _mm256_permute4x64_epi64(_mm256_packus_epi32(a, b), 0xD8));
}
inline void store_even_samples(Sample* out, W a, W b) {
    // a0 a2 b0 b2 | a4 a6 b4 b6, the 64-bit pairs put in order, then packed
    // twice over: the low half holds the eight samples in order.
    const __m256i even = _mm256_permute4x64_epi64(
        _mm256_castps_si256(_mm256_shuffle_ps(_mm256_castsi256_ps(a), _mm256_castsi256_ps(b), 0x88)),
        0xD8);
    const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi32(even, even), 0x08);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm256_castsi256_si128(packed));
}
#endif

// The constants of a row, each in every lane.
struct Scaling {
    W max_value, lowest, one;
};

// max(draw_quotient(draw, max_value), lowest) of each lane, from twice its
// state (see random_row).  With x = draw * max_value = 32767 q + r,
// 0 <= r < 32767:
//   x + (x >> 15) = 32768 q + r + e, e = floor((r - q) / 32768);
// for a max_value of at most 32767 (kNarrow) q is too, so e is 0 or -1 and
// (x + (x >> 15) + 1) >> 15 is q.  Up to 65535, e may be -2 and that sum one
// short, so t = (x + (x >> 15)) >> 15 is q or q - 1 and
// (x + t + 1) >> 15 is q.
template <bool kNarrow>
[[gnu::always_inline]] inline W sample(W twice_state, const Scaling& c) {
    const W x = mul(shift_right<17>(twice_state), c.max_value);  // below 2^31
    if constexpr (kNarrow)
        return vmax(shift_right<15>(add(add(x, shift_right<15>(x)), c.one)), c.lowest);
    const W t = shift_right<15>(add(x, shift_right<15>(x)));
    return vmax(shift_right<15>(add(add(x, t), c.one)), c.lowest);
}

// Draws [0, returned) of the row, whole groups only, state advanced past
// them; with kPairs, draw 2m's sample goes to out[m] and the odd draws to
// none.
// The lanes hold twice each state, modulo 2^32: the top bit of a state never
// reaches a draw (bits 16..30) nor the lower bits of any later state, so
// stepping 2s as 2s * multiplier + 2 * increment keeps every draw, now bits
// 17..31, one shift away.
template <bool kPairs, bool kNarrow>
int32_t random_row(uint32_t& state, const RandomScaling& scaling, Sample* out, int32_t n) {
    if (n < kGroup) return 0;
    uint32_t lane[kGroup];
    uint32_t s = state;
    for (int32_t i = 0; i < kGroup; ++i) {
        s = s * kRandomMultiplier + kRandomIncrement;
        lane[i] = s << 1;
    }
    constexpr RandomJump jump = random_jump(kGroup);
    const W multiplier = splat(jump.multiplier), increment = splat(jump.increment << 1);
    const Scaling c{splat(scaling.max_value), splat(scaling.lowest), splat(1u)};
    W a = load(lane), b = load(lane + kLanes);
    int32_t k = 0;
    for (; k + kGroup <= n; k += kGroup) {
        const W va = sample<kNarrow>(a, c), vb = sample<kNarrow>(b, c);
        if constexpr (kPairs) store_even_samples(out + k / 2, va, vb);
        else store_samples(out + k, va, vb);
        a = add(mul(a, multiplier), increment);
        b = add(mul(b, multiplier), increment);
    }
    const RandomJump filled = random_jump(k);
    state = state * filled.multiplier + filled.increment;
    return k;
}

template <bool kPairs>
int32_t random_row(uint32_t& state, const RandomScaling& scaling, Sample* out, int32_t n) {
    return scaling.max_value <= 32767u ? random_row<kPairs, true>(state, scaling, out, n)
                                       : random_row<kPairs, false>(state, scaling, out, n);
}

}  // namespace
}  // namespace veldax::random_lanes
#endif

namespace veldax {

// The next n draws of state as samples of `scaling` into out, state left
// where n calls of next_random_draw leave it; with pairs, only the even
// draws' samples, draw 2m's at out[m] (a paired 4:2:2 chroma row).
static void random_row_kernel(uint32_t& state, const RandomScaling& scaling, Sample* out, int32_t n,
                              bool pairs) {
    int32_t k = 0;
#ifdef VELDAX_RANDOM_LANES
    if (scaling.quotient)
        k = pairs ? random_lanes::random_row<true>(state, scaling, out, n)
                  : random_lanes::random_row<false>(state, scaling, out, n);
#endif
    // k is even.
    if (pairs)
        even_columns_made(out + k / 2, n - k, [&](int32_t, Sample* row, int32_t count) {
            fill_random_samples(state, scaling.table, row, count);
        });
    else
        fill_random_samples(state, scaling.table, out + k, n - k);
}

}  // namespace veldax
