// Inter-field motion-adaptive interpolation: the motion of a position is the
// 3 x 3 sum of absolute differences between the current and the previous
// field; the thresholds in force pick weave, a band around the vertical mean
// (slow motion), a median of vertical, temporal and neighbouring means
// (medium motion) or the edge-directed mean in a band (fast motion).  Planes
// after the first of 4:2:2 and 4:4:4 data reuse the motion of plane 0.
#include "model/kernel_table.h"
#include "model/methods.h"

namespace veldax {

void inter_row(const RowInputs& in, const RowParams& params, int32_t width, int32_t* out) {
    const KernelTable& k = kernels();
    const InterRowKernel row = in.reuse_motion ? k.inter_row_reusing : k.inter_row_measuring;
    row(in.up, in.mid, in.down, in.prev_up, in.prev_mid, in.prev_down, in.motion, out, width,
        params);
}

}  // namespace veldax
