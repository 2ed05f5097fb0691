// The random source: its first draws and scaled values, and the fast random
// fill against the plain generator and the plain scale: the lookup table over
// every draw and every sample width, the jumped lanes against the serial
// sequence over a long run and every row length.
#include "core/random_source.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using namespace veldax;

// The scale written out independently of the program's own function.
int32_t scaled_by_double(int32_t draw, int32_t max_value) {
    const int32_t v = static_cast<int32_t>((draw / 32767.0) * static_cast<double>(max_value));
    return v > max_value ? max_value : (v < 0 ? 0 : v);
}

TEST(RandomSource, FirstDrawsAndScaling) {
    uint32_t state = 1;
    for (int32_t want : {41, 18467, 6334, 26500, 19169}) EXPECT_EQ(next_random_draw(state), want);
    EXPECT_EQ(random_sample_value(16383, 255, 0), 127);
    EXPECT_EQ(random_sample_value(32767, 255, 0), 255);
}

TEST(RandomScale, EveryDrawEveryWidth) {
    std::vector<Sample> scale(kRandomDraws);
    for (int32_t dwidth = 1; dwidth <= 16; ++dwidth) {
        const int32_t max_value = (1 << dwidth) - 1;
        build_random_scale(scale.data(), max_value, 0);
        for (int32_t draw = 0; draw < kRandomDraws; ++draw)
            ASSERT_EQ(scale[static_cast<size_t>(draw)], scaled_by_double(draw, max_value))
                << "dwidth " << dwidth << ", draw " << draw;
    }
}

// An affine map modulo 2^32 is fixed by its values at 0 and 1, so these two
// points prove each jump equal to its single steps for every state.
TEST(RandomJump, EqualsSingleStepsForEveryState) {
    for (const int32_t n : {0, 1, 8, kRandomLanes, 16, 32, 1919, 1920}) {
        const RandomJump jump = random_jump(n);
        for (uint32_t start : {0u, 1u, 0xFFFFFFFFu, 0x12345678u}) {
            uint32_t serial = start;
            for (int32_t i = 0; i < n; ++i) next_random_draw(serial);
            EXPECT_EQ(start * jump.multiplier + jump.increment, serial) << n << " " << start;
        }
    }
}

// The run is cut into rows of every length 1..64 and the rows are filled in
// turn, as a plane is; the samples and the state after each row must be the
// serial ones, written out here, for every seed (--seed) tried, the largest
// included.  The scale is the identity, so a sample shows its draw.
TEST(RandomFill, SameSequenceAsSerialDraws) {
    std::vector<Sample> identity(kRandomDraws);
    for (int32_t d = 0; d < kRandomDraws; ++d) identity[static_cast<size_t>(d)] = static_cast<Sample>(d);
    std::vector<Sample> row(2000);
    for (const uint32_t seed : {1u, 2u, 977u, 2147483647u}) {
        uint32_t fast = seed;
        uint32_t serial = seed;
        int64_t drawn = 0;
        for (int32_t pass = 0; drawn < 1'000'000; ++pass) {
            const int32_t n = pass % 64 + 1 + (pass % 7 == 0 ? 1900 : 0);
            fill_random_samples(fast, identity.data(), row.data(), n);
            for (int32_t k = 0; k < n; ++k) {
                serial = serial * 214013u + 2531011u;
                ASSERT_EQ(row[static_cast<size_t>(k)], static_cast<int32_t>((serial >> 16) & 0x7FFFu))
                    << "seed " << seed << ", draw " << drawn + k;
            }
            ASSERT_EQ(fast, serial) << "seed " << seed << ", after draw " << drawn + n;
            drawn += n;
        }
    }
}

TEST(RandomFill, FirstDrawsFromStateOne) {
    std::vector<Sample> identity(kRandomDraws);
    for (int32_t d = 0; d < kRandomDraws; ++d) identity[static_cast<size_t>(d)] = static_cast<Sample>(d);
    Sample row[9];
    uint32_t state = 1;
    fill_random_samples(state, identity.data(), row, 9);
    EXPECT_EQ(row[0], 41);
    EXPECT_EQ(row[1], 18467);
    EXPECT_EQ(row[2], 6334);
    EXPECT_EQ(row[3], 26500);
    EXPECT_EQ(row[4], 19169);
}

}  // namespace
