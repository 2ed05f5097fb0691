// Intra-field edge interpolation: a rebuilt sample from the current field
// buffer alone, by the edge-directed mean of the rows above and below, limited
// by the local edge strength and combined with a vertical and an X median.
#include "config/model.h"
#include "model/kernels.h"

int32_t DeinterlacerModel::intra_sample(const PixelPlane& current, const PixelPlane&, int32_t r,
                                        int32_t c) const {
    const int32_t* up = current[r - 1] + c;
    const int32_t* mid = current[r] + c;
    const int32_t* down = current[r + 1] + c;
    return intra_filter(up, mid, down, directional_average(up, down), max_value);
}

namespace {

// Kept out of line so that the compiler honours the restrict qualifiers and
// emits vector code without run-time overlap checks.
VELDAX_ROW_CLONES [[gnu::noinline]] void intra_row(const int32_t* __restrict up, const int32_t* __restrict mid,
                                 const int32_t* __restrict down, int32_t* __restrict out,
                                 int32_t width, int32_t max_value) {
    for (int32_t j = 0; j < width; ++j)
        out[j] = intra_filter(up + j, mid + j, down + j, directional_average(up + j, down + j),
                              max_value);
}

}  // namespace

// The same computation for a whole row.  Every sample depends only on its
// own window, so the loop body is branch-free straight-line code over three
// row pointers, which the compiler turns into vector code.  out must not
// overlap the field rows.
void DeinterlacerModel::intra_line(const PixelPlane& current, int32_t r, int32_t width,
                                   int32_t* out) const {
    intra_row(current[r - 1] + pad_left, current[r] + pad_left, current[r + 1] + pad_left, out,
              width, max_value);
}
