// Number reading in the manner of the C library's atoi, without its undefined
// behaviour on overflow, and the checked integer steps the size arithmetic
// of every stage uses.
#pragma once

#include <climits>
#include <cstdint>

namespace veldax {

enum class NumberRead {
    ok,        // digits found and the value fits
    no_digits, // no leading number: the value is 0
    overflow,  // the digits do not fit a signed 32-bit integer
};

// Optional leading white space, an optional sign, then decimal digits up to
// the first other character.  *value is 0 without digits and saturates at
// the int32 limits on overflow.  *end, when given, receives the first
// character after the number (s itself without digits).
NumberRead read_decimal(const char* s, int32_t* value, const char** end = nullptr);

// Value of a hexadecimal digit (either case), -1 for any other character.
constexpr int32_t hex_digit_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Signed 32-bit steps that refuse to leave the range instead of wrapping:
// false (and *out untouched) when the exact result does not fit.
inline bool mul32(int32_t a, int32_t b, int32_t* out) { return !__builtin_mul_overflow(a, b, out); }
inline bool add32(int32_t a, int32_t b, int32_t* out) { return !__builtin_add_overflow(a, b, out); }
inline bool sub32(int32_t a, int32_t b, int32_t* out) { return !__builtin_sub_overflow(a, b, out); }
inline bool div32(int32_t a, int32_t b, int32_t* out) {
    if (b == 0 || (a == INT32_MIN && b == -1)) return false;
    *out = a / b;  // truncates toward zero
    return true;
}

// The unsigned 32-bit product of two sizes (the size fields of a file
// format); false when either operand or the product leaves 32 bits.
inline bool mul_u32(int64_t a, int64_t b, uint32_t* out) {
    if (a < 0 || b < 0 || a > UINT32_MAX || b > UINT32_MAX) return false;
    return !__builtin_mul_overflow(static_cast<uint32_t>(a), static_cast<uint32_t>(b), out);
}

// Integer ceiling of log2: smallest p with 2^p >= x; 0 gives -1, negative 0.
int32_t ceil_log2(int64_t x);

}  // namespace veldax
