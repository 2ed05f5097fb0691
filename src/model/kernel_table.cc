#include "model/kernel_table.h"

namespace veldax {

namespace {

bool always() { return true; }

#ifdef VELDAX_HAVE_AVX2_KERNELS
bool has_avx2() { return __builtin_cpu_supports("avx2"); }
#endif

// Pointers, not copies: the table is complete before any code runs,
// whatever order the files' objects are set up in.
const KernelVariant kVariants[] = {
    {&kPlainKernels, always},
#ifdef VELDAX_HAVE_AVX2_KERNELS
    {&kAvx2Kernels, has_avx2},
#endif
};

const KernelTable& best_usable() {
    const KernelTable* best = kVariants[0].table;
    for (const KernelVariant& v : kVariants)
        if (v.usable()) best = v.table;
    return *best;
}

}  // namespace

const KernelVariant* kernel_variants(int32_t* count) {
    *count = static_cast<int32_t>(sizeof(kVariants) / sizeof(kVariants[0]));
    return kVariants;
}

const KernelTable& kernels() {
    static const KernelTable& chosen = best_usable();
    return chosen;
}

}  // namespace veldax
