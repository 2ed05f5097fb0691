// The bob row's 32-bit mean against the same mean formed in 64 bits, at the
// ends of the sample range and over random pairs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "model/kernel_table.h"

namespace {

using namespace veldax;

int32_t wide_mean(int32_t p, int32_t q) {
    return static_cast<int32_t>((int64_t{p} + int64_t{q} + 1) / 2);
}

TEST(BobRow, MeanEqualsSixtyFourBitMean) {
    std::vector<int32_t> up, down;
    const int32_t edges[] = {INT32_MIN, INT32_MIN + 1, -3,       -2, -1, 0, 1, 2, 3,
                             65535,     INT32_MAX - 1, INT32_MAX};
    for (int32_t p : edges)
        for (int32_t q : edges) {
            up.push_back(p);
            down.push_back(q);
        }
    uint32_t state = 12345;
    for (int32_t i = 0; i < 100000; ++i) {
        state = state * 1664525u + 1013904223u;
        up.push_back(static_cast<int32_t>(state));
        state = state * 1664525u + 1013904223u;
        // Every other pair stays in the 16-bit sample range.
        down.push_back(i % 2 ? static_cast<int32_t>(state) : static_cast<int32_t>(state >> 16));
        if (i % 2 == 0) up.back() = static_cast<int32_t>(static_cast<uint32_t>(up.back()) >> 16);
    }
    const int32_t n = static_cast<int32_t>(up.size());
    std::vector<int32_t> out(up.size());
    kernels().bob_row(up.data(), down.data(), out.data(), n);
    for (size_t i = 0; i < up.size(); ++i)
        ASSERT_EQ(out[i], wide_mean(up[i], down[i])) << up[i] << " " << down[i];
    // Every kernel variant this processor runs.
    int32_t count = 0;
    const KernelVariant* variants = kernel_variants(&count);
    for (int32_t v = 0; v < count; ++v) {
        if (!variants[v].usable() || !variants[v].table->bob_row) continue;
        std::fill(out.begin(), out.end(), -7);
        variants[v].table->bob_row(up.data(), down.data(), out.data(), n);
        for (size_t i = 0; i < up.size(); ++i)
            ASSERT_EQ(out[i], wide_mean(up[i], down[i])) << variants[v].table->name << " " << up[i];
    }
}

}  // namespace
