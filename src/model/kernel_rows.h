// The row kernels, included by one model/kernels_*.cc file per instruction
// set: each inclusion compiles its own copy (internal linkage) with that
// file's target options, and the file puts the copies in its table.  Every
// sample depends only on its own window, so each loop is branch-free
// straight-line code over rows that do not alias, which the compiler turns
// into vector code.
#pragma once

#include <cstdint>

#include "model/kernels.h"
#include "model/methods.h"

namespace veldax {

// Unused by a variant whose table leaves bob out.
[[maybe_unused]] static void bob_row_kernel(const int32_t* __restrict up, const int32_t* __restrict down,
                           int32_t* __restrict out, int32_t width) {
    for (int32_t j = 0; j < width; ++j) out[j] = rounded_up_mean(up[j], down[j]);
}

static void intra_row_kernel(
    const int32_t* __restrict up, const int32_t* __restrict mid, const int32_t* __restrict down,
    int32_t* __restrict out, int32_t width, int32_t max_value) {
    for (int32_t j = 0; j < width; ++j)
        out[j] = intra_filter(up + j, mid + j, down + j, directional_average(up + j, down + j),
                              max_value);
}

// Rebuilt inter sample for motion value `motion`, from the window of the
// current field (up, mid, down) and of the other one (prev_*), each pointing
// at the centre column.  All four rules are evaluated and the first
// threshold that holds selects one, with no branches, so a row of them
// vectorises.  Agrees with the early-return form of the reference.
[[gnu::always_inline]] static inline int32_t inter_select(
    const int32_t* up, const int32_t* mid, const int32_t* down, const int32_t* prev_up,
    const int32_t* prev_mid, const int32_t* prev_down, int32_t motion, const RowParams& p) {
    const int32_t own = mid[0];
    const int32_t vertical_mean = rounded_mean(up[0], down[0]);

    // Slow motion: vertical change across the row in both fields, column
    // by column (the zero pair of the slow table adds nothing).
    const int32_t slow_spread =
        max32(max32((abs_diff(up[-1], down[-1]) + abs_diff(prev_up[-1], prev_down[-1]) + 1) / 2,
                    (abs_diff(up[0], down[0]) + abs_diff(prev_up[0], prev_down[0]) + 1) / 2),
              (abs_diff(up[1], down[1]) + abs_diff(prev_up[1], prev_down[1]) + 1) / 2);
    const int32_t slow = band_clamp(vertical_mean, slow_spread, own, p.max_value);

    // Medium motion: medians around the temporal mean.
    const int32_t temporal = rounded_mean(own, prev_mid[0]);
    const int32_t mid3 = median3(up[0], down[0], temporal);
    const int32_t mid5 = median5(up[0], down[0], rounded_mean(up[-1], down[-1]),
                                 rounded_mean(up[1], down[1]), temporal);
    const int32_t medium = median3(mid3, mid5, own);

    // Fast motion: the edge-directed mean in a band set by the change
    // between the fields.
    const int32_t fast_spread = max32(
        max32(abs_diff(own, prev_mid[0]),
              (abs_diff(mid[-1], prev_mid[-1]) + abs_diff(mid[1], prev_mid[1]) + 1) / 2),
        max32((abs_diff(up[0], prev_up[0]) + abs_diff(down[0], prev_down[0]) + 1) / 2,
              (abs_diff(vertical_mean, own) + abs_diff(vertical_mean, prev_mid[0]) + 1) / 2));
    const int32_t fast =
        band_clamp(vertical_mean, fast_spread, directional_average(up, down), p.max_value);

    const int32_t above_th1 = motion < p.th2 ? medium : fast;
    const int32_t above_th0 = motion < p.th1 ? slow : above_th1;
    return motion < p.th0 ? own : above_th0;
}

// Planes above 0 of 4:2:2 and 4:4:4 data: the motion values plane 0 stored.
static void inter_row_reusing_kernel(
    const int32_t* __restrict up, const int32_t* __restrict mid, const int32_t* __restrict down,
    const int32_t* __restrict prev_up, const int32_t* __restrict prev_mid,
    const int32_t* __restrict prev_down, int32_t* __restrict motion, int32_t* __restrict out,
    int32_t width, const RowParams& params) {
    for (int32_t j = 0; j < width; ++j)
        out[j] = inter_select(up + j, mid + j, down + j, prev_up + j, prev_mid + j, prev_down + j,
                              motion[j], params);
}

// Every other plane: measure the motion of each position and store it.
static void inter_row_measuring_kernel(
    const int32_t* __restrict up, const int32_t* __restrict mid, const int32_t* __restrict down,
    const int32_t* __restrict prev_up, const int32_t* __restrict prev_mid,
    const int32_t* __restrict prev_down, int32_t* __restrict motion, int32_t* __restrict out,
    int32_t width, const RowParams& params) {
    for (int32_t j = 0; j < width; ++j) {
        const int32_t m = window_sad(up + j, mid + j, down + j, prev_up + j, prev_mid + j,
                                     prev_down + j);
        motion[j] = m;
        out[j] = inter_select(up + j, mid + j, down + j, prev_up + j, prev_mid + j, prev_down + j,
                              m, params);
    }
}

}  // namespace veldax
