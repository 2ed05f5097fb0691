// Number reading in the manner of the C library's atoi, without its undefined
// behaviour on overflow.
#pragma once

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

}  // namespace veldax
