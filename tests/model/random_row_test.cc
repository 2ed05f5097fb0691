// The random row of every kernel variant this processor runs against the
// serial draws scaled one at a time (next_random_draw, random_sample_value):
// every sample width and a few lowest values, lengths around the vector
// groups, every draw or the even ones only (4:2:2 pairs), from random states and
// from states whose draws reach the ends of the scale.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "core/random_source.h"
#include "model/kernel_table.h"

namespace {

using namespace veldax;

// The state n steps before `target`, so that draw n - 1 from it is the
// target's (draws 0 and 32767 are the ends of every scale).
uint32_t steps_before(uint32_t target, int32_t n) {
    uint32_t inverse = kRandomMultiplier;  // Newton steps to the inverse modulo 2^32
    for (int32_t j = 0; j < 5; ++j) inverse *= 2u - kRandomMultiplier * inverse;
    for (int32_t i = 0; i < n; ++i) target = (target - kRandomIncrement) * inverse;
    return target;
}

// `quotient`: the vector rows form the samples without the table, as for
// every sample width; not where the double formula rounds some draw the
// other way (93: draws 17969 and 22197).
TEST(KernelVariants, RandomRowsMatchSerialDraws) {
    struct Range {
        int32_t max_value, min_value;
        bool quotient;
    };
    std::vector<Range> ranges = {{255, 1, true},   {1023, 500, true}, {65535, 40000, true},
                                 {255, 300, true}, {93, 0, false},    {32768, 7, true}};
    for (int32_t dwidth = 1; dwidth <= 16; ++dwidth) ranges.push_back({(1 << dwidth) - 1, 0, true});
    std::mt19937 rng(977);
    std::vector<Sample> out(2000);
    int32_t count = 0;
    const KernelVariant* variants = kernel_variants(&count);
    for (int32_t v = 0; v < count; ++v) {
        if (!variants[v].usable()) continue;
        SCOPED_TRACE(variants[v].table->name);
        for (const Range& r : ranges) {
            RandomScale scale;
            const RandomScaling scaling = scale.scaling(r.max_value, r.min_value);
            ASSERT_EQ(scaling.quotient, r.quotient) << r.max_value << " " << r.min_value;
            for (const int32_t n : {0, 1, 2, 7, 8, 9, 15, 16, 17, 31, 32, 33, 63, 64, 65, 97, 1920})
                for (const bool pairs : {false, true})
                    for (uint32_t start :
                         {0u, static_cast<uint32_t>(rng()), steps_before(0x7FFF0000u, 1),
                          steps_before(0xFFFFFFFFu, 20), steps_before(0u, 43)}) {
                        SCOPED_TRACE(testing::Message() << r.max_value << " " << r.min_value << " "
                                                        << n << " " << pairs << " " << start);
                        std::fill(out.begin(), out.end(), Sample{7});
                        uint32_t state = start, serial = start;
                        variants[v].table->random_row(state, scaling, out.data(), n, pairs);
                        for (size_t k = 0; k < static_cast<size_t>(n); ++k) {
                            const auto value = static_cast<Sample>(random_sample_value(
                                next_random_draw(serial), r.max_value, r.min_value));
                            if (!pairs || k % 2 == 0) {
                                ASSERT_EQ(out[pairs ? k / 2 : k], value) << k;
                            }
                        }
                        ASSERT_EQ(out[static_cast<size_t>(pairs ? (n + 1) / 2 : n)], 7);
                        ASSERT_EQ(state, serial);
                    }
        }
    }
}

}  // namespace
