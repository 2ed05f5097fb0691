// The five deinterlacing methods, one row each: the words that name them,
// the rows they keep, what they read and the operation that rebuilds a row.
// The parameter reader, the interpolation driver and both build-file writers
// read this table; a new method is one more row here and its row operation.
#pragma once

#include <cstdint>

#include "core/deinterlace_method.h"

namespace veldax {

// What a rebuilt row may read.  Every pointer addresses column 0 of the
// stored area; the field rows carry their border columns on both sides.
struct RowInputs {
    const int32_t* up;         // current field, the row above
    const int32_t* mid;        // current field, the row itself
    const int32_t* down;       // current field, the row below
    const int32_t* prev_up;    // the other field buffer, same three rows
    const int32_t* prev_mid;
    const int32_t* prev_down;
    int32_t* motion;           // the motion row of the inter method
    bool reuse_motion;         // read the motion row instead of measuring it
};

// Thresholds in force and the sample ceiling.
struct RowParams {
    int32_t th0;
    int32_t th1;
    int32_t th2;
    int32_t max_value;
};

// Rebuilds `width` samples of one row into out (which overlaps no input).
using RowOperation = void (*)(const RowInputs& in, const RowParams& params, int32_t width,
                              int32_t* out);

void weave_row(const RowInputs& in, const RowParams& params, int32_t width, int32_t* out);
void bob_row(const RowInputs& in, const RowParams& params, int32_t width, int32_t* out);
void intra_row(const RowInputs& in, const RowParams& params, int32_t width, int32_t* out);
void inter_row(const RowInputs& in, const RowParams& params, int32_t width, int32_t* out);

struct MethodRow {
    DeinterlaceMethod method;
    const char* word;        // in the parameter file ("dmethod=")
    const char* build_word;  // in "params.v" and "veldax_head"
    int32_t kept_parity;     // rows kept unchanged: -1 the parity asked for, else 0 or 1
    int32_t rows_read;       // field rows a rebuilt sample reads: 1 (own), 2 or 3
    bool reads_other_field;  // also reads the previous field
    int32_t field_memories;  // fields of frame memory the core needs ("params.v" depth)
    RowOperation rebuild;
};

// Table order is the order in which a "dmethod=" value is searched for the
// words: the first word found anywhere in the value wins.
inline constexpr MethodRow kMethods[] = {
    {DeinterlaceMethod::weave, "weave", "WEAVE", -1, 1, false, 4, weave_row},
    {DeinterlaceMethod::bobe, "bobe", "BOBE", 0, 2, false, 4, bob_row},
    {DeinterlaceMethod::bobo, "bobo", "BOBO", 1, 2, false, 4, bob_row},
    {DeinterlaceMethod::intra, "intra", "INTRA", -1, 3, false, 4, intra_row},
    {DeinterlaceMethod::inter, "inter", "INTER", -1, 3, true, 6, inter_row},
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
