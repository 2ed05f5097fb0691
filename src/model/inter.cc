// Inter-field motion-adaptive interpolation: the motion of a position is the
// 3 x 3 sum of absolute differences between the current and the previous
// picture; the thresholds in force pick weave, a band around the vertical
// mean (slow motion), a median of vertical, temporal and neighbouring means
// (medium motion) or the edge-directed mean in a band (fast motion).
#include "config/model.h"
#include "model/kernels.h"

namespace {

// Rebuilt sample for motion value `motion`, from the window of the current
// picture (rows above, own and below: u, m, d) and of the other picture (pu,
// pm, pd), each pointing at the centre column.  All four rules are evaluated
// and the first threshold that holds selects one, with no branches, so a row
// of them vectorises.  Agrees with the early-return form of inter_sample.
[[gnu::always_inline]] inline int32_t inter_select(const int32_t* u, const int32_t* m,
                                                   const int32_t* d, const int32_t* pu,
                                                   const int32_t* pm, const int32_t* pd,
                                                   int32_t motion, int32_t th0, int32_t th1,
                                                   int32_t th2, int32_t max_value) {
    const int32_t own = m[0];
    const int32_t vertical_mean = rounded_mean(u[0], d[0]);

    // Slow motion: vertical change across the row in both pictures, column
    // by column (the zero pair of the slow table adds nothing).
    const int32_t slow_spread =
        std::max(std::max((abs_diff(u[-1], d[-1]) + abs_diff(pu[-1], pd[-1]) + 1) / 2,
                          (abs_diff(u[0], d[0]) + abs_diff(pu[0], pd[0]) + 1) / 2),
                 (abs_diff(u[1], d[1]) + abs_diff(pu[1], pd[1]) + 1) / 2);
    const int32_t slow = band_clamp(vertical_mean, slow_spread, own, max_value);

    // Medium motion: medians around the temporal mean.
    const int32_t temporal = rounded_mean(own, pm[0]);
    const int32_t mid3 = median3(u[0], d[0], temporal);
    const int32_t mid5 = median5(u[0], d[0], rounded_mean(u[-1], d[-1]),
                                 rounded_mean(u[1], d[1]), temporal);
    const int32_t medium = median3(mid3, mid5, own);

    // Fast motion: the edge-directed mean in a band set by the change
    // between the pictures.
    const int32_t fast_spread = std::max(
        std::max(abs_diff(own, pm[0]),
                 (abs_diff(m[-1], pm[-1]) + abs_diff(m[1], pm[1]) + 1) / 2),
        std::max((abs_diff(u[0], pu[0]) + abs_diff(d[0], pd[0]) + 1) / 2,
                 (abs_diff(vertical_mean, own) + abs_diff(vertical_mean, pm[0]) + 1) / 2));
    const int32_t fast =
        band_clamp(vertical_mean, fast_spread, directional_average(u, d), max_value);

    const int32_t above_th1 = motion < th2 ? medium : fast;
    const int32_t above_th0 = motion < th1 ? slow : above_th1;
    return motion < th0 ? own : above_th0;
}

// Thresholds in force and the sample ceiling.
struct Thresholds {
    int32_t th0;
    int32_t th1;
    int32_t th2;
    int32_t max_value;
};

// Planes above 0 of 4:2:2 and 4:4:4 data: the motion values plane 0 stored.
// Kept out of line so that the compiler honours the restrict qualifiers (it
// drops them once the loop is inlined and then gives up on vector code).
VELDAX_ROW_CLONES [[gnu::noinline]] void inter_row_reusing_motion(
    const int32_t* __restrict u, const int32_t* __restrict m, const int32_t* __restrict d,
    const int32_t* __restrict pu, const int32_t* __restrict pm, const int32_t* __restrict pd,
    const int32_t* __restrict motion_row, int32_t* __restrict out, int32_t width, Thresholds th) {
    for (int32_t j = 0; j < width; ++j)
        out[j] = inter_select(u + j, m + j, d + j, pu + j, pm + j, pd + j, motion_row[j], th.th0,
                              th.th1, th.th2, th.max_value);
}

// Every other plane: measure the motion of each position and store it.
VELDAX_ROW_CLONES [[gnu::noinline]] void inter_row_measuring_motion(
    const int32_t* __restrict u, const int32_t* __restrict m, const int32_t* __restrict d,
    const int32_t* __restrict pu, const int32_t* __restrict pm, const int32_t* __restrict pd,
    int32_t* __restrict motion_row, int32_t* __restrict out, int32_t width, Thresholds th) {
    for (int32_t j = 0; j < width; ++j) {
        const int32_t motion = window_sad(u + j, m + j, d + j, pu + j, pm + j, pd + j);
        motion_row[j] = motion;
        out[j] = inter_select(u + j, m + j, d + j, pu + j, pm + j, pd + j, motion, th.th0, th.th1,
                              th.th2, th.max_value);
    }
}

}  // namespace

int32_t DeinterlacerModel::inter_sample(const PixelPlane& current, const PixelPlane& other,
                                        int32_t r, int32_t c, int32_t plane) {
    const int32_t* u = current[r - 1] + c;
    const int32_t* m = current[r] + c;
    const int32_t* d = current[r + 1] + c;
    const int32_t* pu = other[r - 1] + c;
    const int32_t* pm = other[r] + c;
    const int32_t* pd = other[r + 1] + c;

    const int32_t v = directional_average(u, d);

    int32_t& stored = (*motion_store)[r - pad_top][c - pad_left];
    int32_t motion;
    if ((ycbcr422 != 0 || ycbcr444 != 0) && plane > 0) {
        motion = stored;
    } else {
        motion = window_sad(u, m, d, pu, pm, pd);
        stored = motion;
    }

    if (motion < th0_now) return m[0];

    const int32_t vertical_mean = rounded_mean(u[0], d[0]);
    if (motion < th1_now) {
        const int32_t x[7] = {0, u[-1], pu[-1], u[0], pu[0], u[1], pu[1]};
        const int32_t y[7] = {0, d[-1], pd[-1], d[0], pd[0], d[1], pd[1]};
        return spread_clamp(x, y, vertical_mean, m[0], max_value);
    }
    if (motion < th2_now) {
        const int32_t temporal = rounded_mean(m[0], pm[0]);
        const int32_t mid3 = median3(u[0], d[0], temporal);
        const int32_t mid5 = median5(u[0], d[0], rounded_mean(u[-1], d[-1]),
                                     rounded_mean(u[1], d[1]), temporal);
        return median3(mid3, mid5, m[0]);
    }
    const int32_t x[7] = {m[0], m[-1], m[1], u[0], d[0], vertical_mean, vertical_mean};
    const int32_t y[7] = {pm[0], pm[-1], pm[1], pu[0], pd[0], m[0], pm[0]};
    return spread_clamp(x, y, vertical_mean, v, max_value);
}

// The same computation for a whole row.  The choice between computing the
// motion value and reusing plane 0's is made once per row; each loop is
// straight-line code over row pointers that do not alias, so it vectorises.
// out must not overlap the field rows or the motion plane.
void DeinterlacerModel::inter_line(const PixelPlane& current, const PixelPlane& other, int32_t r,
                                   int32_t plane, int32_t width, int32_t* out) {
    const int32_t* u = current[r - 1] + pad_left;
    const int32_t* m = current[r] + pad_left;
    const int32_t* d = current[r + 1] + pad_left;
    const int32_t* pu = other[r - 1] + pad_left;
    const int32_t* pm = other[r] + pad_left;
    const int32_t* pd = other[r + 1] + pad_left;
    int32_t* motion_row = (*motion_store)[r - pad_top];
    const Thresholds th{th0_now, th1_now, th2_now, max_value};
    if ((ycbcr422 != 0 || ycbcr444 != 0) && plane > 0)
        inter_row_reusing_motion(u, m, d, pu, pm, pd, motion_row, out, width, th);
    else
        inter_row_measuring_motion(u, m, d, pu, pm, pd, motion_row, out, width, th);
}
