// The five deinterlacing methods, one row each: the words that name them,
// the rows they keep, what they read and the kernel that rebuilds a row.
// The parameter reader, the interpolation driver and both build-file writers
// read this table; a new method is one more row here and its row kernel.
#pragma once

#include <cstdint>

#include "core/deinterlace_method.h"

namespace veldax {

// Thresholds in force, the sample ceiling and the largest sample the planes
// may hold.
struct RowParams {
    int32_t th0;
    int32_t th1;
    int32_t th2;
    int32_t max_value;
    // No sample of the field planes lies above this: max_value, or 255 for a
    // headerless YUV input of fewer bits (its bytes are stored as they are).
    // The vector kernels keep their sums in 16 bits when it is small enough.
    int32_t largest_sample;
};

// The kernel that rebuilds a method's rows: a copy of the row itself, or
// the member of the kernel table (model/kernel_table.h) of that name.  The
// interpolation driver takes the kernel from kernels() once per plane.
enum class RowKernel : int32_t {
    copy,   // weave: the field's own row
    bob,    // bob_row
    intra,  // intra_row
    inter,  // inter_row_measuring, or inter_row_reusing where plane 0's motion is taken
};

struct MethodRow {
    DeinterlaceMethod method;
    const char* word;        // in the parameter file ("dmethod=")
    const char* build_word;  // in "params.v" and "veldax_head"
    int32_t kept_parity;     // rows kept unchanged: -1 the parity asked for, else 0 or 1
    int32_t field_memories;  // fields of frame memory the core needs ("params.v" depth)
    RowKernel rebuild;       // rows not kept
};

// Table order is the order in which a "dmethod=" value is searched for the
// words: the first word found anywhere in the value wins.
inline constexpr MethodRow kMethods[] = {
    {DeinterlaceMethod::weave, "weave", "WEAVE", -1, 4, RowKernel::copy},
    {DeinterlaceMethod::bobe, "bobe", "BOBE", 0, 4, RowKernel::bob},
    {DeinterlaceMethod::bobo, "bobo", "BOBO", 1, 4, RowKernel::bob},
    {DeinterlaceMethod::intra, "intra", "INTRA", -1, 4, RowKernel::intra},
    {DeinterlaceMethod::inter, "inter", "INTER", -1, 6, RowKernel::inter},
};

inline constexpr int32_t kMethodCount = static_cast<int32_t>(sizeof(kMethods) / sizeof(kMethods[0]));

// Row of a stored method number; any number outside the table is weave.
constexpr const MethodRow& method_row(int32_t number) {
    for (const MethodRow& row : kMethods)
        if (method_number(row.method) == number) return row;
    return kMethods[0];
}

// Parity of the rows that pass unchanged when `parity` is asked for.
constexpr int32_t kept_parity(const MethodRow& method, int32_t parity) {
    return method.kept_parity < 0 ? parity : method.kept_parity;
}

}  // namespace veldax
