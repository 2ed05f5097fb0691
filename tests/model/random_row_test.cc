// The random row of every kernel variant this processor runs against the
// serial draws scaled one at a time (next_random_draw, random_sample_value):
// every sample width and a few lowest values, lengths around the vector
// groups, with and without the 4:2:2 pair repeat, from random states and
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

struct Range {
    int32_t max_value, min_value;
};

TEST(KernelVariants, RandomRowsMatchSerialDraws) {
    std::vector<Range> ranges;
    for (int32_t dwidth = 1; dwidth <= 16; ++dwidth) ranges.push_back({(1 << dwidth) - 1, 0});
    // Lowest values inside and above the range; 93 and 32768, scaled by the
    // table and by the wide quotient.
    ranges.insert(ranges.end(),
                  {{255, 1}, {1023, 500}, {65535, 40000}, {255, 300}, {93, 0}, {32768, 7}});
    const int32_t lengths[] = {0, 1, 2, 7, 8, 9, 15, 16, 17, 31, 32, 33, 63, 64, 65, 97, 1920};
    std::mt19937 rng(977);
    std::vector<Sample> out(2000);
    int32_t count = 0;
    const KernelVariant* variants = kernel_variants(&count);
    for (int32_t v = 0; v < count; ++v) {
        if (!variants[v].usable()) continue;
        const KernelTable& table = *variants[v].table;
        SCOPED_TRACE(table.name);
        for (const Range& r : ranges) {
            RandomScale scale;
            const RandomScaling scaling = scale.scaling(r.max_value, r.min_value);
            ASSERT_NE(scaling.table, nullptr);
            for (const int32_t n : lengths)
                for (const bool repeat : {false, true})
                    for (uint32_t start :
                         {0u, static_cast<uint32_t>(rng()), steps_before(0x7FFF0000u, 1),
                          steps_before(0xFFFFFFFFu, 20), steps_before(0u, 43)}) {
                        SCOPED_TRACE(testing::Message() << r.max_value << " " << r.min_value << " "
                                                        << n << " " << repeat << " " << start);
                        std::fill(out.begin(), out.end(), Sample{7});
                        uint32_t state = start;
                        table.random_row(state, scaling, out.data(), n, repeat);
                        uint32_t serial = start;
                        for (int32_t k = 0; k < n; ++k) {
                            const int32_t value = random_sample_value(next_random_draw(serial),
                                                                      r.max_value, r.min_value);
                            const int32_t want = repeat && k % 2 ? out[static_cast<size_t>(k - 1)]
                                                                 : static_cast<Sample>(value);
                            ASSERT_EQ(out[static_cast<size_t>(k)], want) << k;
                        }
                        ASSERT_EQ(out[static_cast<size_t>(n)], 7);
                        ASSERT_EQ(state, serial);
                    }
        }
    }
}

}  // namespace
