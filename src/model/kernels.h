// Pixel kernels of the intra and inter methods: pure functions of the window
// samples and the sample ceiling, free of I/O and of the model record, so the
// row loops (model/kernel_rows.inc) and the per-sample reference of the tests
// share them, and tests call them directly.
//
// Windows are passed as pointers to the centre sample of each row: up[x],
// mid[x] and down[x] for offsets x = -2..+2 (or -1..+1 where only three
// columns are read).  A row of a field buffer plus the column therefore is a
// window row as it stands.
//
// Value ranges.  The medians are exact for every int32 input.  The costs,
// means, edge strengths, spreads and the window SAD add and subtract samples:
// they assume every window sample (and max_value) lies in -2^26 .. 2^26, which
// keeps every difference (at most 2^27), every sum of them (nine at most, the
// SAD) and every band limit inside int32.  The model feeds samples of
// 0..65535 only.
//
// The window functions take the rows as pointers to any integer sample type
// (the model's 16-bit samples, or int32 in the tests); every sample is
// widened to int32 before the arithmetic, so the results do not depend on it.
#pragma once

#include <cstdint>

namespace veldax {

// Mean of two samples with a half rounded up: (p + q + 1) / 2, the division
// truncating toward zero as C++ integer division does.
static inline int32_t rounded_mean(int32_t p, int32_t q) {
    return (p + q + 1) / 2;
}

// rounded_mean for any pair of 32-bit samples, without forming the sum that
// may overflow: h + l / 2 with h the sum of the halves rounded down and l
// (1..3) the sum of the low bits plus one is the mean rounded down; an odd
// l with a negative result is then rounded toward zero, as the division does.
static inline int32_t rounded_up_mean(int32_t p, int32_t q) {
    const int32_t low = (p & 1) + (q & 1) + 1;
    const int32_t floor_mean = (p >> 1) + (q >> 1) + (low >> 1);
    const auto negative = static_cast<int32_t>(static_cast<uint32_t>(floor_mean) >> 31);
    return floor_mean + (low & 1 & negative);
}

// Own minimum and maximum: these headers are compiled once per instruction
// set, and an inline template shared between those builds could be linked
// from the wrong one.
static inline int32_t min32(int32_t p, int32_t q) { return p < q ? p : q; }
static inline int32_t max32(int32_t p, int32_t q) { return p < q ? q : p; }

static inline int32_t abs_diff(int32_t p, int32_t q) {
    const int32_t d = p - q;
    return d < 0 ? -d : d;
}

// Middle value of three, by a min/max network (no branches, any int32).
static inline int32_t median3(int32_t p, int32_t q, int32_t s) {
    const int32_t lo = min32(p, q);
    const int32_t hi = max32(p, q);
    return max32(lo, min32(hi, s));
}

// Third smallest of five, by a min/max network (no branches, any int32).
// Sorting the pairs (p, q) and (s, t) shows that the smaller of the two pair
// minima lies below three other values and the larger of the two pair maxima
// above three others, so neither can be the middle value; the middle of the
// five is then the middle of the remaining three.
static inline int32_t median5(int32_t p, int32_t q, int32_t s, int32_t t, int32_t u) {
    const int32_t low_pair_top = max32(min32(p, q), min32(s, t));
    const int32_t high_pair_bottom = min32(max32(p, q), max32(s, t));
    return median3(low_pair_top, high_pair_bottom, u);
}

// Value limited to the band centre - spread .. centre + spread, itself cut to
// 0 .. max_value: the median of the two band limits and the value, so a band
// whose limits cross (centre outside 0..max_value) still gives a defined
// answer.
static inline int32_t band_clamp(int32_t centre, int32_t spread, int32_t value,
                                 int32_t max_value) {
    const int32_t below = centre - spread;
    const int32_t above = centre + spread;
    const int32_t lo = below > 0 ? below : 0;
    const int32_t hi = above < max_value ? above : max_value;
    return median3(lo, hi, value);
}

// Edge-directed mean of the rows above and below (up[-2..2], down[-2..2]).
// Three costs, each the sum of three absolute differences along a direction;
// the cheapest direction gives the mean.  Comparisons are strict: the
// vertical mean wins every tie, and the falling diagonal (upper left to lower
// right) wins a tie with the rising one.
template <class S>
static inline int32_t directional_average(const S* up, const S* down) {
    const int32_t vertical =
        abs_diff(up[-1], down[-1]) + abs_diff(up[0], down[0]) + abs_diff(up[1], down[1]);
    const int32_t falling =
        abs_diff(up[-2], down[0]) + abs_diff(up[-1], down[1]) + abs_diff(up[0], down[2]);
    const int32_t rising =
        abs_diff(up[0], down[-2]) + abs_diff(up[1], down[-1]) + abs_diff(up[2], down[0]);

    const bool take_falling = falling < vertical;
    const int32_t best = take_falling ? falling : vertical;
    const int32_t result =
        take_falling ? rounded_mean(up[-1], down[1]) : rounded_mean(up[0], down[0]);
    return rising < best ? rounded_mean(up[1], down[-1]) : result;
}

// The intra result from the window (up, mid, down at offsets -1..+1) and the
// edge-directed mean v: v limited to a band around the rebuilt row's own
// sample whose half-width is the stronger of the centre and the side edge
// strengths (the side one a truncated half sum), then the median of that,
// the vertical median and the X-shaped median.
template <class S>
static inline int32_t intra_filter(const S* up, const S* mid, const S* down, int32_t v,
                                   int32_t max_value) {
    const int32_t centre_edge = abs_diff(rounded_mean(up[0], down[0]), mid[0]);
    const int32_t side_edge = (abs_diff(rounded_mean(up[-1], down[-1]), mid[-1]) +
                               abs_diff(rounded_mean(up[1], down[1]), mid[1])) /
                              2;
    const int32_t edge = max32(centre_edge, side_edge);

    const int32_t vertical_median = median3(up[0], mid[0], down[0]);
    const int32_t x_median = median5(up[-1], up[1], down[-1], down[1], mid[0]);
    const int32_t limited = band_clamp(mid[0], edge, v, max_value);
    return median3(vertical_median, x_median, limited);
}

// Sum of absolute differences between two 3 x 3 windows, each given by the
// centres of its three rows (columns -1..+1 read).  Never negative within the
// documented range; samples of 0..65535 give at most 9 * 65535.
template <class S>
static inline int32_t window_sad(const S* cur_up, const S* cur_mid, const S* cur_down,
                                 const S* oth_up, const S* oth_mid, const S* oth_down) {
    const int32_t left = abs_diff(cur_up[-1], oth_up[-1]) + abs_diff(cur_mid[-1], oth_mid[-1]) +
                         abs_diff(cur_down[-1], oth_down[-1]);
    const int32_t centre = abs_diff(cur_up[0], oth_up[0]) + abs_diff(cur_mid[0], oth_mid[0]) +
                           abs_diff(cur_down[0], oth_down[0]);
    const int32_t right = abs_diff(cur_up[1], oth_up[1]) + abs_diff(cur_mid[1], oth_mid[1]) +
                          abs_diff(cur_down[1], oth_down[1]);
    return left + centre + right;
}

// Spread of seven pairs: pair 0 counts alone, pairs 1+2, 3+4 and 5+6 are
// averaged two by two with a half rounded up; the largest of the four.
static inline int32_t pair_spread(const int32_t* x, const int32_t* y) {
    const int32_t g0 = abs_diff(x[0], y[0]);
    const int32_t g1 = (abs_diff(x[1], y[1]) + abs_diff(x[2], y[2]) + 1) / 2;
    const int32_t g2 = (abs_diff(x[3], y[3]) + abs_diff(x[4], y[4]) + 1) / 2;
    const int32_t g3 = (abs_diff(x[5], y[5]) + abs_diff(x[6], y[6]) + 1) / 2;
    return max32(max32(g0, g1), max32(g2, g3));
}

// value limited to centre -/+ the spread of the seven pairs x[k], y[k], and
// to 0 .. max_value.
static inline int32_t spread_clamp(const int32_t* x, const int32_t* y, int32_t centre,
                                   int32_t value, int32_t max_value) {
    return band_clamp(centre, pair_spread(x, y), value, max_value);
}

}  // namespace veldax
