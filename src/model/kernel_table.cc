#include "model/kernel_table.h"

#include <cstring>

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

constexpr int32_t kVariantCount = static_cast<int32_t>(sizeof(kVariants) / sizeof(kVariants[0]));

template <class Kernel>
void take(Kernel& to, Kernel from) {
    if (from) to = from;
}

// The usable variants up to kVariants[last], each kernel from the last of
// them that has it, under the name of the last of them.
KernelTable usable_up_to(int32_t last) {
    KernelTable chosen = *kVariants[0].table;
    for (int32_t v = 0; v <= last; ++v) {
        const KernelTable& t = *kVariants[v].table;
        if (!kVariants[v].usable()) continue;
        chosen.name = t.name;
        take(chosen.bob_row, t.bob_row);
        take(chosen.intra_row, t.intra_row);
        take(chosen.inter_row_measuring, t.inter_row_measuring);
        take(chosen.inter_row_reusing, t.inter_row_reusing);
        take(chosen.intra_row_paired, t.intra_row_paired);
        take(chosen.inter_row_reusing_paired, t.inter_row_reusing_paired);
        take(chosen.random_row, t.random_row);
    }
    return chosen;
}

// The table kernels() returns: every usable variant, unless a test forces one.
KernelTable& in_use() {
    static KernelTable table = usable_up_to(kVariantCount - 1);
    return table;
}

}  // namespace

const KernelVariant* kernel_variants(int32_t* count) {
    *count = kVariantCount;
    return kVariants;
}

const KernelTable& kernels() { return in_use(); }

bool force_kernel_variant(const char* name) {
    for (int32_t v = 0; v < kVariantCount; ++v) {
        if (std::strcmp(kVariants[v].table->name, name) != 0) continue;
        if (!kVariants[v].usable()) return false;
        in_use() = usable_up_to(v);
        return true;
    }
    return false;
}

}  // namespace veldax
