// Builds one golden frame from the field held in a field buffer.  Rows of the
// kept parity (and the frame's last row) pass unchanged; every other row is
// rebuilt by the row kernel of the method in force, taken from kernels()
// once per frame and called once per row.  The 4:2:2 chroma planes of the
// golden frame hold the even columns only (golden_plane_compact), the ones
// "golden.dat" and "golden.yuv" take: their rows are kept and rebuilt in those
// columns.  The frame is built row by row, each row through every plane
// before the next: the inter method's motion, measured on plane 0, is then
// needed for one row only.
#include <cstring>

#include "core/record.h"
#include "model/kernel_table.h"
#include "model/methods.h"

namespace veldax {

namespace {

// Bob of columns 0, 2, 4, ... (column 2m's mean at out[m]): the even
// columns of both rows kept a stretch at a time, then the bob kernel over
// them (a column's mean reads that column only).
void bob_even_columns(const KernelTable& k, const Sample* up, const Sample* down, Sample* out,
                      int32_t width) {
    constexpr int32_t kStretch = 512;  // even: stretches start at even columns
    Sample u[kStretch / 2], d[kStretch / 2];
    for (int32_t x = 0; x < width; x += kStretch) {
        const int32_t n = width - x < kStretch ? width - x : kStretch;
        keep_even_columns(up + x, n, u);
        keep_even_columns(down + x, n, d);
        k.bob_row(u, d, out + x / 2, (n + 1) / 2);
    }
}

}  // namespace

void DeinterlacerModel::interpolate_frame(int32_t buffer, int32_t parity, int32_t frame) {
    const MethodRow& method = method_row(method_now);
    const int32_t keep = kept_parity(method, parity);
    const int32_t last_row = frmh[frame_slot(frame)];
    const int32_t width = active_width;
    const RowParams params{th0_now, th1_now, th2_now, max_value, largest_sample()};
    const KernelTable& k = kernels();
    MotionValue* const motion = motion_store.row(0);

    for (int32_t i = 0; i < active_height; ++i) {
        const bool kept = i % 2 == keep || i == last_row;
        for (int32_t p = 0; p < num_plane; ++p) {
            const bool even = golden_plane_compact(p);
            const PixelPlane& cur = field_store[buffer][p];
            const PixelPlane& oth = field_store[1 - buffer][p];
            Sample* const row = golden_frame()[p].row(i);
            if (kept || method.rebuild == RowKernel::copy) {
                if (even)
                    keep_even_columns(cur.row(i), width, row);
                else
                    std::memcpy(row, cur.row(i), sizeof(Sample) * static_cast<size_t>(width));
                continue;
            }
            switch (method.rebuild) {
            case RowKernel::copy:
                break;
            case RowKernel::bob:
                if (even)
                    bob_even_columns(k, cur.row(i - 1), cur.row(i + 1), row, width);
                else
                    k.bob_row(cur.row(i - 1), cur.row(i + 1), row, width);
                break;
            case RowKernel::intra:
                (even ? k.intra_row_even : k.intra_row)(cur.row(i - 1), cur.row(i), cur.row(i + 1),
                                                        row, width, params);
                break;
            case RowKernel::inter: {
                // Later planes of 4:2:2 and 4:4:4 data take the motion of plane 0.
                const bool reuse = p > 0 && (ycbcr422 != 0 || ycbcr444 != 0);
                (even    ? k.inter_row_reusing_even
                 : reuse ? k.inter_row_reusing
                         : k.inter_row_measuring)(cur.row(i - 1), cur.row(i), cur.row(i + 1),
                                                  oth.row(i - 1), oth.row(i), oth.row(i + 1),
                                                  motion, row, width, params);
                break;
            }
            }
        }
    }
}

}  // namespace veldax
