// The bob mean against the same mean formed in 64 bits, at the ends of the
// sample range and over random pairs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "model/kernel_table.h"
#include "model/kernels.h"

namespace {

using namespace veldax;

int32_t wide_mean(int32_t p, int32_t q) {
    return static_cast<int32_t>((int64_t{p} + int64_t{q} + 1) / 2);
}

// The mean itself, on any int32 pair: the ends of the range and random pairs.
TEST(BobRow, MeanEqualsSixtyFourBitMean) {
    const int32_t edges[] = {INT32_MIN, INT32_MIN + 1, -3,       -2, -1, 0, 1, 2, 3,
                             65535,     INT32_MAX - 1, INT32_MAX};
    for (int32_t p : edges)
        for (int32_t q : edges) ASSERT_EQ(rounded_up_mean(p, q), wide_mean(p, q)) << p << " " << q;
    uint32_t state = 12345;
    for (int32_t i = 0; i < 100000; ++i) {
        state = state * 1664525u + 1013904223u;
        const auto p = static_cast<int32_t>(state);
        state = state * 1664525u + 1013904223u;
        const auto q = static_cast<int32_t>(state);
        ASSERT_EQ(rounded_up_mean(p, q), wide_mean(p, q)) << p << " " << q;
    }
}

// The row of every kernel variant this processor runs, on 16-bit samples:
// every pair of the ends of the range, then random pairs, at every length up
// to 70 (vector bodies and their tails).
TEST(BobRow, RowsEqualSixtyFourBitMean) {
    std::vector<Sample> up, down;
    const Sample edges[] = {0, 1, 2, 3, 127, 128, 255, 256, 32767, 32768, 65533, 65534, 65535};
    for (Sample p : edges)
        for (Sample q : edges) {
            up.push_back(p);
            down.push_back(q);
        }
    uint32_t state = 12345;
    for (int32_t i = 0; i < 100000; ++i) {
        state = state * 1664525u + 1013904223u;
        up.push_back(static_cast<Sample>(state >> 16));
        down.push_back(static_cast<Sample>(state));
    }
    std::vector<Sample> out(up.size());
    int32_t count = 0;
    const KernelVariant* variants = kernel_variants(&count);
    for (int32_t v = 0; v < count; ++v) {
        if (!variants[v].usable() || !variants[v].table->bob_row) continue;
        SCOPED_TRACE(variants[v].table->name);
        for (int32_t n = 0; n <= 70; ++n) {
            std::fill(out.begin(), out.end(), Sample{7});
            variants[v].table->bob_row(up.data(), down.data(), out.data(), n);
            for (size_t i = 0; i < static_cast<size_t>(n); ++i)
                ASSERT_EQ(out[i], wide_mean(up[i], down[i])) << n << " " << up[i] << " " << down[i];
            ASSERT_EQ(out[static_cast<size_t>(n)], 7) << n;
        }
        const int32_t all = static_cast<int32_t>(up.size());
        variants[v].table->bob_row(up.data(), down.data(), out.data(), all);
        for (size_t i = 0; i < up.size(); ++i)
            ASSERT_EQ(out[i], wide_mean(up[i], down[i])) << up[i] << " " << down[i];
    }
}

}  // namespace
