// The row kernels built for the baseline instruction set.
#include "model/kernel_rows.h"
#include "model/kernel_table.h"

namespace veldax {

const KernelTable kPlainKernels = {"plain", bob_row_kernel, intra_row_kernel, inter_row_measuring_kernel,
                                   inter_row_reusing_kernel};

}  // namespace veldax
