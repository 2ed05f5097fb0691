#include "support/reference_kernels.h"

#include "model/kernels.h"

namespace veldax_test {

using namespace veldax;

namespace {

// The 5 x 3 window of (j, k) in a plane, each sample widened to int32 before
// any arithmetic: the reference works on int32 values whatever the plane's
// sample type.  row(r) points at the centre column of row j - 1 + r.
struct Window32 {
    int32_t v[3][5];
    Window32(const PixelPlane& plane, int32_t j, int32_t k) {
        for (int32_t r = 0; r < 3; ++r)
            for (int32_t x = -2; x <= 2; ++x) v[r][x + 2] = plane.row(j - 1 + r)[k + x];
    }
    const int32_t* row(int32_t r) const { return v[r] + 2; }
};

}  // namespace

int32_t intra_reference(const PixelPlane& current, int32_t j, int32_t k, int32_t max_value) {
    const Window32 w(current, j, k);
    const int32_t* up = w.row(0);
    const int32_t* mid = w.row(1);
    const int32_t* down = w.row(2);
    return intra_filter(up, mid, down, directional_average(up, down), max_value);
}

int32_t inter_reference(const PixelPlane& current, const PixelPlane& other, int32_t j, int32_t k,
                        int32_t* motion, bool reuse, const RowParams& params) {
    const Window32 cur(current, j, k);
    const Window32 oth(other, j, k);
    const int32_t* up = cur.row(0);
    const int32_t* mid = cur.row(1);
    const int32_t* down = cur.row(2);
    const int32_t* prev_up = oth.row(0);
    const int32_t* prev_mid = oth.row(1);
    const int32_t* prev_down = oth.row(2);
    if (!reuse) *motion = window_sad(up, mid, down, prev_up, prev_mid, prev_down);
    const int32_t m = *motion;
    if (m < params.th0) return mid[0];

    const int32_t vertical_mean = rounded_mean(up[0], down[0]);
    if (m < params.th1) {
        const int32_t x[7] = {0, up[-1], prev_up[-1], up[0], prev_up[0], up[1], prev_up[1]};
        const int32_t y[7] = {0,       down[-1],    prev_down[-1], down[0], prev_down[0],
                              down[1], prev_down[1]};
        return spread_clamp(x, y, vertical_mean, mid[0], params.max_value);
    }
    if (m < params.th2) {
        const int32_t temporal = rounded_mean(mid[0], prev_mid[0]);
        const int32_t mid3 = median3(up[0], down[0], temporal);
        const int32_t mid5 = median5(up[0], down[0], rounded_mean(up[-1], down[-1]),
                                     rounded_mean(up[1], down[1]), temporal);
        return median3(mid3, mid5, mid[0]);
    }
    const int32_t x[7] = {mid[0], mid[-1], mid[1], up[0], down[0], vertical_mean, vertical_mean};
    const int32_t y[7] = {prev_mid[0],  prev_mid[-1], prev_mid[1], prev_up[0],
                          prev_down[0], mid[0],       prev_mid[0]};
    return spread_clamp(x, y, vertical_mean, directional_average(up, down), params.max_value);
}

}  // namespace veldax_test
