// Intra-field edge interpolation: a rebuilt sample from the current field
// alone, by the edge-directed mean of the rows above and below, limited by
// the local edge strength and combined with a vertical and an X median.
#include "model/kernel_table.h"
#include "model/methods.h"

namespace veldax {

void intra_row(const RowInputs& in, const RowParams& params, int32_t width, int32_t* out) {
    kernels().intra_row(in.up, in.mid, in.down, out, width, params.max_value);
}

}  // namespace veldax
