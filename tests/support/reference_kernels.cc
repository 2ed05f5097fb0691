#include "support/reference_kernels.h"

#include "model/kernels.h"

namespace veldax_test {

using namespace veldax;

int32_t intra_reference(const PixelPlane& current, int32_t j, int32_t k, int32_t max_value) {
    const int32_t* up = current.row(j - 1) + k;
    const int32_t* mid = current.row(j) + k;
    const int32_t* down = current.row(j + 1) + k;
    return intra_filter(up, mid, down, directional_average(up, down), max_value);
}

int32_t inter_reference(const PixelPlane& current, const PixelPlane& other, int32_t j, int32_t k,
                        int32_t* motion, bool reuse, const RowParams& params) {
    const int32_t* up = current.row(j - 1) + k;
    const int32_t* mid = current.row(j) + k;
    const int32_t* down = current.row(j + 1) + k;
    const int32_t* prev_up = other.row(j - 1) + k;
    const int32_t* prev_mid = other.row(j) + k;
    const int32_t* prev_down = other.row(j + 1) + k;

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
