// The row kernels built for AVX-512 (F, BW, VL) with 512-bit vectors: this
// file is compiled with those options on x86-64, and its table is used only
// where the processor reports all three.
#include "model/kernel_table.h"

#ifdef VELDAX_HAVE_AVX512_KERNELS
#include "model/kernel_rows.h"

namespace veldax {

// No bob row: it only streams memory, and its 256-bit build runs faster.
const KernelTable kAvx512Kernels = {"avx512", nullptr, intra_row_kernel,
                                    inter_row_measuring_kernel, inter_row_reusing_kernel};
}  // namespace veldax

#endif
