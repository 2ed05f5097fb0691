// Builds one golden frame from the field held in a field buffer.  Rows of the
// kept parity (and the frame's last row) pass unchanged; every other row is
// rebuilt by the row kernel of the method in force, taken from kernels()
// once per frame and called once per row.  Paired planes (4:2:2 chroma whose
// column pairs hold one sample) are kept and rebuilt a sample a pair, which
// gives the even columns the files take.  The frame is built row by row,
// each row through every plane before the next: the inter method's motion,
// measured on plane 0, is then needed for one row only.
#include <cstring>

#include "core/record.h"
#include "model/kernel_table.h"
#include "model/methods.h"

namespace veldax {

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
            const bool pairs = paired_plane(p);
            // Samples a row of this plane holds.
            const int32_t held = pairs ? paired_width(width) : width;
            const PixelPlane& cur = field_store[buffer][p];
            const PixelPlane& oth = field_store[1 - buffer][p];
            Sample* const row = golden_frame()[p].row(i);
            if (kept || method.rebuild == RowKernel::copy) {
                std::memcpy(row, cur.row(i), sizeof(Sample) * static_cast<size_t>(held));
                continue;
            }
            switch (method.rebuild) {
            case RowKernel::copy:
                break;
            case RowKernel::bob:
                // A column's mean reads that column only.
                k.bob_row(cur.row(i - 1), cur.row(i + 1), row, held);
                break;
            case RowKernel::intra:
                (pairs ? k.intra_row_paired : k.intra_row)(cur.row(i - 1), cur.row(i),
                                                           cur.row(i + 1), row, width, params);
                break;
            case RowKernel::inter: {
                // Later planes of 4:2:2 and 4:4:4 data take the motion of plane 0.
                const bool reuse = p > 0 && (ycbcr422 != 0 || ycbcr444 != 0);
                (pairs   ? k.inter_row_reusing_paired
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
