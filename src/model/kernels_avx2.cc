// The row kernels built for AVX2: this file is compiled with -mavx2 on
// x86-64, and its table is used only where the processor reports AVX2.
#include "model/kernel_table.h"

#ifdef VELDAX_HAVE_AVX2_KERNELS
#include "model/kernel_rows.inc"

namespace veldax {

constinit const KernelTable kAvx2Kernels = row_kernel_table("avx2");

}  // namespace veldax

#endif
