// The row kernels built for AVX2: this file is compiled with -mavx2 on
// x86-64, and its table is used only where the processor reports AVX2.
#include "model/kernel_table.h"

#ifdef VELDAX_HAVE_AVX2_KERNELS
#include "model/kernel_rows.h"

namespace veldax {

const KernelTable kAvx2Kernels = {"avx2", bob_row_kernel, intra_row_kernel, inter_row_measuring_kernel,
                                  inter_row_reusing_kernel};
}  // namespace veldax

#endif
