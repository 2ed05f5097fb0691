// Row kernels of the intra and inter methods, chosen once per run from what
// the processor can execute.  Every variant is the same integer arithmetic
// built for another instruction set, so all give identical results; the
// plain one is always built and is the reference the others are checked
// against.
#pragma once

#include <cstdint>

#include "core/pixel_plane.h"
#include "core/random_source.h"
#include "model/methods.h"

namespace veldax {

// Rows above, own and below of the current field (up, mid, down) at column
// 0; `width` results into out.  The thresholds of params are not read.
using IntraRowKernel = void (*)(const Sample* up, const Sample* mid, const Sample* down,
                                Sample* out, int32_t width, const RowParams& params);

// The current field's three rows, the other field's three rows, the motion
// row (written when measuring, read when reusing) and out.
using InterRowKernel = void (*)(const Sample* up, const Sample* mid, const Sample* down,
                                const Sample* prev_up, const Sample* prev_mid,
                                const Sample* prev_down, MotionValue* motion, Sample* out,
                                int32_t width, const RowParams& params);

// Mean of the rows above and below with a half rounded up (bob).
using BobRowKernel = void (*)(const Sample* up, const Sample* down, Sample* out, int32_t width);

// The next n draws of state as samples of `scaling` into out, state left
// where n calls of next_random_draw leave it; with pairs, only the even
// draws' samples, draw 2m's at out[m] ((n + 1) / 2 of them: a 4:2:2 chroma
// row, whose odd columns repeat the even ones, a sample a pair).
using RandomRowKernel = void (*)(uint32_t& state, const RandomScaling& scaling, Sample* out,
                                 int32_t n, bool pairs);

// Filled by name (designated initialisers) in row_kernel_table() of
// model/kernel_rows.inc, the one place that lists the kernels of a variant.
struct KernelTable {
    const char* name;
    BobRowKernel bob_row;
    IntraRowKernel intra_row;
    InterRowKernel inter_row_measuring;  // measures and stores the motion of each position
    InterRowKernel inter_row_reusing;    // takes the motion stored by plane 0
    // Paired planes (DeinterlacerModel::paired_plane): rows that hold one
    // sample a pair of columns, column 2m's at m; columns 0, 2, 4, ... of
    // `width` worked out, column 2m's result at out[m].  The motion row is
    // plane 0's, a value a column.
    IntraRowKernel intra_row_paired;
    InterRowKernel inter_row_reusing_paired;
    RandomRowKernel random_row;          // the random stimulus ("-g")
};

struct KernelVariant {
    const KernelTable* table;
    bool (*usable)();  // true when this processor executes the variant
};

// Every variant built into the program, the plain one first.  A variant may
// leave a kernel out (null) where an earlier one is faster.
const KernelVariant* kernel_variants(int32_t* count);

// The kernels in use, picked on the first call: each one from the last
// usable variant of kernel_variants that has it.
const KernelTable& kernels();

// For the tests: from now on kernels() gives the variant called `name`, each
// kernel it leaves out taken from the last usable variant before it, as the
// normal choice does.  False, with nothing changed, when no variant has that
// name or this processor cannot run it.  Call it before a run, not during
// one.
bool force_kernel_variant(const char* name);

// The tables of each instruction set (model/kernels_*.cc).
extern const KernelTable kPlainKernels;
#if defined(__x86_64__) && defined(__GNUC__)
#define VELDAX_HAVE_AVX2_KERNELS 1
#define VELDAX_HAVE_AVX512_KERNELS 1
extern const KernelTable kAvx2Kernels;
extern const KernelTable kAvx512Kernels;
#endif

}  // namespace veldax
