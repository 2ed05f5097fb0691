// Vectors of unsigned 16-bit lanes for the row kernels: 32 lanes in an
// AVX-512 build, 16 in an AVX2 build, nothing in a baseline build (where
// VELDAX_LANES16 stays undefined and the kernels keep their scalar loops).
// Included by model/kernel_rows.inc only, once per instruction set; every
// name here has internal linkage, so each build keeps its own.
//
// Every operation is exact on any 16-bit lanes (no wrap-around) unless its
// comment says otherwise; the kernels state the ranges that make their sums
// fit.
#pragma once

#include <cstdint>

#if defined(__AVX512F__) && defined(__AVX512BW__)
#define VELDAX_LANES16 32
#elif defined(__AVX2__)
#define VELDAX_LANES16 16
#endif

#ifdef VELDAX_LANES16
#include <immintrin.h>

#include "core/pixel_plane.h"

namespace veldax::lanes {
namespace {

constexpr int32_t kLanes = VELDAX_LANES16;

#if VELDAX_LANES16 == 32
using V = __m512i;
// Lane i of a mask is bit i.
using Mask = __mmask32;

inline V load(const Sample* p) { return _mm512_loadu_si512(p); }
inline void store(Sample* p, V v) { _mm512_storeu_si512(p, v); }
inline V splat(int32_t v) { return _mm512_set1_epi16(static_cast<short>(v)); }
// a + b modulo 2^16: callers keep the true sum below 2^16.
inline V add(V a, V b) { return _mm512_add_epi16(a, b); }
// a + b, or 65535 where that is larger.
inline V add_sat(V a, V b) { return _mm512_adds_epu16(a, b); }
// a - b, or 0 where that is negative.
inline V sub_sat(V a, V b) { return _mm512_subs_epu16(a, b); }
inline V half(V a) { return _mm512_srli_epi16(a, 1); }
inline V vmin(V a, V b) { return _mm512_min_epu16(a, b); }
inline V vmax(V a, V b) { return _mm512_max_epu16(a, b); }
// (a + b + 1) / 2, formed in 17 bits.
inline V mean_up(V a, V b) { return _mm512_avg_epu16(a, b); }
// m ? x : y, lane by lane.
inline V select(Mask m, V x, V y) { return _mm512_mask_blend_epi16(m, y, x); }
// Lanes of a below t, for a t of 0..65535.
inline Mask below(V a, V t) { return _mm512_cmplt_epu16_mask(a, t); }
// |a - b| for lanes of at most 32767, whose difference a signed lane holds.
inline V diff(V a, V b) { return _mm512_abs_epi16(_mm512_sub_epi16(a, b)); }
// a - b for a >= b.
inline V sub(V a, V b) { return _mm512_sub_epi16(a, b); }
// a < b ? (p + q + 1) / 2 : other.
inline V mean_if_less(V a, V b, V p, V q, V other) {
    return _mm512_mask_avg_epu16(other, _mm512_cmplt_epu16_mask(a, b), p, q);
}
inline Mask either(Mask a, Mask b) { return a | b; }
// Lanes of a that are not lanes of b.
inline Mask but_not(Mask a, Mask b) { return a & ~b; }
inline bool any(Mask m) { return m != 0; }
inline bool all(Mask m) { return m == 0xFFFFFFFFu; }
// The 32-bit values of lo then hi cut to -32768..32767, each as a signed
// lane (which the 16-bit lanes of V hold as they are).
inline V narrow(__m512i lo, __m512i hi) {
    // The pack interleaves the 64-bit quarters of its two sources lane by lane.
    return _mm512_maskz_permutexvar_epi64(0xFF, _mm512_setr_epi64(0, 2, 4, 6, 1, 3, 5, 7),
                                          _mm512_packs_epi32(lo, hi));
}
// The motion values at motion[0 .. kLanes), narrowed.
inline V narrow_motion(const MotionValue* motion) {
    return narrow(_mm512_loadu_si512(motion), _mm512_loadu_si512(motion + 16));
}
// The motion values at motion[0], motion[2], ..., motion[2 * kLanes - 2],
// narrowed.
inline V narrow_motion_even(const MotionValue* motion) {
    const __m512i even =
        _mm512_setr_epi32(0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30);
    const auto half_of = [&](const MotionValue* m) {
        return _mm512_permutex2var_epi32(_mm512_loadu_si512(m), even, _mm512_loadu_si512(m + 16));
    };
    return narrow(half_of(motion), half_of(motion + 32));
}
// Lanes of a below t, both read as signed.
inline Mask below_signed(V a, V t) { return _mm512_cmplt_epi16_mask(a, t); }
// motion[i] < t (signed 32-bit) for the kLanes values at motion.
inline Mask motion_below(const MotionValue* motion, int32_t t) {
    const __m512i tt = _mm512_set1_epi32(t);
    const uint32_t lo = _mm512_cmplt_epi32_mask(_mm512_loadu_si512(motion), tt);
    const uint32_t hi = _mm512_cmplt_epi32_mask(_mm512_loadu_si512(motion + 16), tt);
    return static_cast<Mask>(lo | hi << 16);
}
// The lanes widened to 32 bits, stored at motion[0 .. kLanes).
// (The zero-masking forms: the plain ones start from an undefined register,
// which draws a false warning from some compilers.)
inline void store_widened(MotionValue* motion, V v) {
    const __m256i lo = _mm512_maskz_extracti64x4_epi64(0xF, v, 0);
    const __m256i hi = _mm512_maskz_extracti64x4_epi64(0xF, v, 1);
    _mm512_storeu_si512(motion, _mm512_maskz_cvtepu16_epi32(0xFFFF, lo));
    _mm512_storeu_si512(motion + 16, _mm512_maskz_cvtepu16_epi32(0xFFFF, hi));
}
// The samples at p[x - 2 .. x + 29], x = -2..+2, from two loads (p - 2 and
// p + 2) and three permutes: a load that crosses a cache line costs two, and
// nearly every one here does.
struct Around {
    V m2, m1, c, p1, p2;
};
// Lane i of the permute picks lane i + shift of p - 2 .. p + 29 and, past
// its end, lane i + shift - 4 of p + 2 .. p + 33 (indices from 32 on).
struct ShiftIndex {
    alignas(64) short lane[4][32];
};
constexpr ShiftIndex shift_index() {
    ShiftIndex t{};
    for (int32_t s = 1; s <= 3; ++s)
        for (int32_t i = 0; i < 32; ++i)
            t.lane[s - 1][i] = static_cast<short>(i + s <= 31 ? i + s : 32 + i + s - 4);
    for (int32_t i = 0; i < 32; ++i) t.lane[3][i] = static_cast<short>(i < 31 ? i + 1 : 32 + 30);
    return t;
}
constexpr ShiftIndex kShiftIndex = shift_index();
inline V shifted(V left, V right, int32_t shift) {
    return _mm512_permutex2var_epi16(left, _mm512_load_si512(kShiftIndex.lane[shift - 1]), right);
}
inline Around around(const Sample* p) {
    const V left = load(p - 2), right = load(p + 2);
    return {left, shifted(left, right, 1), shifted(left, right, 2), shifted(left, right, 3), right};
}
// The samples at p[x .. x + 31], x = -1..+1: two loads and one permute.
struct Beside {
    V m1, c, p1;
};
// Column 0 of a value given in columns -1 and +1 (lanes j - 1 .. j + 30 and
// j + 1 .. j + 32): lanes 1..31 of the first, then lane 30 of the second.
inline V centre_of(V left, V right) {
    return _mm512_permutex2var_epi16(left, _mm512_load_si512(kShiftIndex.lane[3]), right);
}
inline Beside beside(const Sample* p) {
    const V left = load(p - 1), right = load(p + 1);
    return {left, centre_of(left, right), right};
}
#else
using V = __m256i;
// Lane i of a mask is all ones or all zeros.
using Mask = __m256i;

inline V load(const Sample* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
inline void store(Sample* p, V v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }
inline V splat(int32_t v) { return _mm256_set1_epi16(static_cast<short>(v)); }
inline V add(V a, V b) { return _mm256_add_epi16(a, b); }
inline V add_sat(V a, V b) { return _mm256_adds_epu16(a, b); }
inline V sub_sat(V a, V b) { return _mm256_subs_epu16(a, b); }
inline V half(V a) { return _mm256_srli_epi16(a, 1); }
inline V vmin(V a, V b) { return _mm256_min_epu16(a, b); }
inline V vmax(V a, V b) { return _mm256_max_epu16(a, b); }
inline V mean_up(V a, V b) { return _mm256_avg_epu16(a, b); }
// All ones where a >= b: there b - a saturates to 0.
inline V at_least(V a, V b) { return _mm256_cmpeq_epi16(_mm256_subs_epu16(b, a), _mm256_setzero_si256()); }
inline V select(Mask m, V x, V y) { return _mm256_blendv_epi8(y, x, m); }
inline Mask below(V a, V t) {
    // Biased by 32768, an unsigned order is the signed one.
    const __m256i bias = _mm256_set1_epi16(-32768);
    return _mm256_cmpgt_epi16(_mm256_xor_si256(t, bias), _mm256_xor_si256(a, bias));
}
inline V diff(V a, V b) { return _mm256_abs_epi16(_mm256_sub_epi16(a, b)); }
inline V sub(V a, V b) { return _mm256_sub_epi16(a, b); }
inline V mean_if_less(V a, V b, V p, V q, V other) {
    return _mm256_blendv_epi8(_mm256_avg_epu16(p, q), other, at_least(a, b));
}
inline Mask either(Mask a, Mask b) { return _mm256_or_si256(a, b); }
inline Mask but_not(Mask a, Mask b) { return _mm256_andnot_si256(b, a); }
inline bool any(Mask m) { return _mm256_testz_si256(m, m) == 0; }
inline bool all(Mask m) { return _mm256_testc_si256(m, _mm256_set1_epi16(-1)) != 0; }
inline V narrow_motion(const MotionValue* motion) {
    const __m256i lo = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(motion));
    const __m256i hi = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(motion + 8));
    return _mm256_permute4x64_epi64(_mm256_packs_epi32(lo, hi), 0xD8);
}
// The motion values at motion[0], motion[2], ..., motion[30], narrowed.
inline V narrow_motion_even(const MotionValue* motion) {
    const auto even_of = [](const MotionValue* m) {
        const __m256 a = _mm256_castsi256_ps(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(m)));
        const __m256 b =
            _mm256_castsi256_ps(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(m + 8)));
        // m[0], m[2], m[8], m[10] | m[4], m[6], m[12], m[14]; the permute puts
        // the 64-bit pairs in order.
        return _mm256_permute4x64_epi64(_mm256_castps_si256(_mm256_shuffle_ps(a, b, 0x88)), 0xD8);
    };
    return _mm256_permute4x64_epi64(_mm256_packs_epi32(even_of(motion), even_of(motion + 16)),
                                    0xD8);
}
inline Mask below_signed(V a, V t) { return _mm256_cmpgt_epi16(t, a); }
struct Around {
    V m2, m1, c, p1, p2;
};
inline Around around(const Sample* p) {
    return {load(p - 2), load(p - 1), load(p), load(p + 1), load(p + 2)};
}
struct Beside {
    V m1, c, p1;
};
inline Beside beside(const Sample* p) { return {load(p - 1), load(p), load(p + 1)}; }
inline Mask motion_below(const MotionValue* motion, int32_t t) {
    const __m256i tt = _mm256_set1_epi32(t);
    const __m256i lo = _mm256_cmpgt_epi32(tt, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(motion)));
    const __m256i hi =
        _mm256_cmpgt_epi32(tt, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(motion + 8)));
    // The pack interleaves the 128-bit halves; the permute puts them back in order.
    return _mm256_permute4x64_epi64(_mm256_packs_epi32(lo, hi), 0xD8);
}
inline void store_widened(MotionValue* motion, V v) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(motion),
                        _mm256_cvtepu16_epi32(_mm256_castsi256_si128(v)));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(motion + 8),
                        _mm256_cvtepu16_epi32(_mm256_extracti128_si256(v, 1)));
}
#endif

inline V median3(V p, V q, V s) { return vmax(vmin(p, q), vmin(vmax(p, q), s)); }

// band_clamp of model/kernels.h: the limits are max(centre - spread, 0) and
// min(centre + spread, max_value), each exact on any 16-bit lanes (a sum
// above 65535 saturates, and max_value is at most 65535).
inline V band_clamp(V centre, V spread, V value, V max_value) {
    return median3(sub_sat(centre, spread), vmin(add_sat(centre, spread), max_value), value);
}

// band_clamp where centre and value lie in 0..max_value: the limits cannot
// cross and the upper one only matters below max_value, so value is simply
// held between centre - spread and centre + spread (each saturated).
inline V band_clamp_inside(V centre, V spread, V value) {
    return vmin(vmax(value, sub_sat(centre, spread)), add_sat(centre, spread));
}

}  // namespace
}  // namespace veldax::lanes

#endif
