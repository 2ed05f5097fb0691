#include "model/kernel_table.h"

namespace veldax {

namespace {

bool always() { return true; }

#ifdef VELDAX_HAVE_AVX2_KERNELS
bool has_avx2() { return __builtin_cpu_supports("avx2"); }
#endif
#ifdef VELDAX_HAVE_AVX512_KERNELS
bool has_avx512() {
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
           __builtin_cpu_supports("avx512vl");
}
#endif

// Pointers, not copies: the table is complete before any code runs,
// whatever order the files' objects are set up in.
const KernelVariant kVariants[] = {
    {&kPlainKernels, always},
#ifdef VELDAX_HAVE_AVX2_KERNELS
    {&kAvx2Kernels, has_avx2},
#endif
#ifdef VELDAX_HAVE_AVX512_KERNELS
    {&kAvx512Kernels, has_avx512},
#endif
};

template <class Kernel>
void take(Kernel& to, Kernel from) {
    if (from) to = from;
}

KernelTable best_usable() {
    KernelTable best = *kVariants[0].table;
    for (const KernelVariant& v : kVariants) {
        if (!v.usable()) continue;
        best.name = v.table->name;
        take(best.bob_row, v.table->bob_row);
        take(best.intra_row, v.table->intra_row);
        take(best.inter_row_measuring, v.table->inter_row_measuring);
        take(best.inter_row_reusing, v.table->inter_row_reusing);
    }
    return best;
}

}  // namespace

const KernelVariant* kernel_variants(int32_t* count) {
    *count = static_cast<int32_t>(sizeof(kVariants) / sizeof(kVariants[0]));
    return kVariants;
}

const KernelTable& kernels() {
    static const KernelTable chosen = best_usable();
    return chosen;
}

}  // namespace veldax
