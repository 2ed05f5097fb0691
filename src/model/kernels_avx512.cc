// The row kernels built for AVX-512 (F, BW, VL) with 512-bit vectors: this
// file is compiled with those options on x86-64, and its table is used only
// where the processor reports all three.
#include "model/kernel_table.h"

#ifdef VELDAX_HAVE_AVX512_KERNELS
#include "model/kernel_rows.inc"

namespace veldax {

namespace {

constexpr KernelTable avx512_table() {
    KernelTable table = row_kernel_table("avx512");
    // No bob row: it only streams memory, and its 256-bit build runs faster.
    table.bob_row = nullptr;
    return table;
}

}  // namespace

constinit const KernelTable kAvx512Kernels = avx512_table();

}  // namespace veldax

#endif
