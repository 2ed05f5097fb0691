#include "config/numbers.h"

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

}  // namespace veldax
