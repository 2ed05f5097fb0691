// veldax-gen with one row kernel variant forced for the whole run, so that
// the tests run every variant this processor has through the whole program:
//
//   veldax-gen-variant VARIANT veldax-gen-args...
//   veldax-gen-variant --list       the usable variant names, one a line
//
// Exit status 2 with a line when the variant is unknown or this processor
// cannot run it; otherwise that of veldax-gen.
#include <cstdio>
#include <cstring>

#include "app/driver.h"
#include "model/kernel_table.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: veldax-gen-variant VARIANT veldax-gen-args... | --list\n");
        return 2;
    }
    if (std::strcmp(argv[1], "--list") == 0) {
        int32_t count = 0;
        const veldax::KernelVariant* variants = veldax::kernel_variants(&count);
        for (int32_t v = 0; v < count; ++v)
            if (variants[v].usable()) std::printf("%s\n", variants[v].table->name);
        return 0;
    }
    if (!veldax::force_kernel_variant(argv[1])) {
        std::fprintf(
            stderr,
            "veldax-gen-variant: %s: no such kernel variant, or this processor cannot run it\n",
            argv[1]);
        return 2;
    }
    // The program name, then veldax-gen's own arguments.
    argv[1] = argv[0];
    return veldax::veldax_main(argc - 1, argv + 1);
}
