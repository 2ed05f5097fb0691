#include "core/numbers.h"

#include <bit>
#include <cctype>
#include <limits>

namespace veldax {

NumberRead read_decimal(const char* s, int32_t* value, const char** end) {
    const char* p = s;
    while (std::isspace(static_cast<unsigned char>(*p))) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    if (!std::isdigit(static_cast<unsigned char>(*p))) {
        *value = 0;
        if (end) *end = s;
        return NumberRead::no_digits;
    }
    // Accumulate the magnitude; one past INT32_MAX is allowed for the minimum.
    const int64_t limit = negative ? int64_t{std::numeric_limits<int32_t>::max()} + 1
                                   : int64_t{std::numeric_limits<int32_t>::max()};
    int64_t magnitude = 0;
    bool overflow = false;
    for (; std::isdigit(static_cast<unsigned char>(*p)); ++p) {
        if (!overflow) {
            magnitude = magnitude * 10 + (*p - '0');
            if (magnitude > limit) overflow = true;
        }
    }
    if (end) *end = p;
    if (overflow) magnitude = limit;
    *value = static_cast<int32_t>(negative ? -magnitude : magnitude);
    return overflow ? NumberRead::overflow : NumberRead::ok;
}

int32_t ceil_log2(int64_t x) {
    if (x == 0) return -1;
    if (x < 0) return 0;
    const uint64_t u = static_cast<uint64_t>(x);
    const int32_t bits = static_cast<int32_t>(std::bit_width(u));
    // An exact power of two needs one bit fewer than its position.
    return (u & (u - 1)) == 0 ? bits - 1 : bits;
}

}  // namespace veldax
