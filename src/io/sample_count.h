// The stimulus and golden sample counters are reported as 32-bit parameters;
// a run that would carry one past that range fails instead of wrapping.
#pragma once

#include <cstdint>
#include <cstdio>

#include "core/report.h"

namespace veldax {

// Adds n to counter; false (counter unchanged, one line printed naming the
// parameter) when the sum leaves the signed 32-bit range.
[[nodiscard]] inline bool add_sample_count(int32_t& counter, int64_t n, const char* parameter) {
    const int64_t sum = int64_t{counter} + n;
    if (sum > INT32_MAX || sum < 0) {
        report_error("%s exceeds %d samples", parameter, INT32_MAX);
        return false;
    }
    counter = static_cast<int32_t>(sum);
    return true;
}

}  // namespace veldax
