// The row kernels built for the baseline instruction set.
#include "model/kernel_table.h"

#include "model/kernel_rows.inc"

namespace veldax {

constinit const KernelTable kPlainKernels = row_kernel_table("plain");

}  // namespace veldax
