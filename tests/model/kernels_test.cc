// Pure kernels: medians, edge-directed mean, intra filter, window SAD and the
// pair-table clamp, on hand-worked windows and on many random ones.
#include "model/kernels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <cstdint>
#include <random>

namespace {

using Row5 = std::array<int32_t, 5>;  // offsets -2..+2
using Row3 = std::array<int32_t, 3>;  // offsets -1..+1

const int32_t* centre(const Row5& row) { return row.data() + 2; }
const int32_t* centre(const Row3& row) { return row.data() + 1; }

// Values where a careless network or a subtraction-based selection breaks.
int32_t pick_value(std::mt19937& rng, int32_t max_value) {
    static const int32_t kExtremes[] = {INT32_MIN, INT32_MIN + 1, -1, 0, 1, INT32_MAX - 1,
                                        INT32_MAX};
    switch (rng() % 4) {
        case 0: return kExtremes[rng() % 7];
        case 1: return (rng() % 2) ? max_value : max_value - 1;
        case 2: return static_cast<int32_t>(rng() % 4);  // many equal values
        default: return static_cast<int32_t>(rng());
    }
}

TEST(Median, AgreesWithSortingForExtremeAndRepeatedValues) {
    std::mt19937 rng(20240611);
    for (int i = 0; i < 200000; ++i) {
        std::array<int32_t, 5> v;
        for (auto& x : v) x = pick_value(rng, 255);
        std::array<int32_t, 3> three = {v[0], v[1], v[2]};
        std::sort(three.begin(), three.end());
        ASSERT_EQ(median3(v[0], v[1], v[2]), three[1]) << v[0] << " " << v[1] << " " << v[2];
        std::array<int32_t, 5> five = v;
        std::sort(five.begin(), five.end());
        ASSERT_EQ(median5(v[0], v[1], v[2], v[3], v[4]), five[2])
            << v[0] << " " << v[1] << " " << v[2] << " " << v[3] << " " << v[4];
    }
}

TEST(Median, EveryOrderOfFiveDistinctValues) {
    std::array<int32_t, 5> v = {INT32_MIN, -7, 0, 65535, INT32_MAX};
    do {
        ASSERT_EQ(median5(v[0], v[1], v[2], v[3], v[4]), 0);
    } while (std::next_permutation(v.begin(), v.end()));
    std::array<int32_t, 3> t = {INT32_MIN, 5, INT32_MAX};
    do {
        ASSERT_EQ(median3(t[0], t[1], t[2]), 5);
    } while (std::next_permutation(t.begin(), t.end()));
}

TEST(RoundedMean, HalfRoundsUpAndNegativeSumsTruncateTowardZero) {
    EXPECT_EQ(rounded_mean(5, 6), 6);
    EXPECT_EQ(rounded_mean(5, 7), 6);
    EXPECT_EQ(rounded_mean(0, 0), 0);
    EXPECT_EQ(rounded_mean(65535, 65535), 65535);
    EXPECT_EQ(rounded_mean(-3, 0), -1);  // (-3 + 1) / 2 = -1
    EXPECT_EQ(rounded_mean(-4, 0), -1);  // (-4 + 1) / 2 = -1.5 -> -1
}

struct DirectionalCase {
    const char* name;
    Row5 up;
    Row5 down;
    int32_t expected;
};

TEST(DirectionalAverage, PicksCheapestDirectionWithFixedTieOrder) {
    const DirectionalCase cases[] = {
        // Sv = 380, Sf = 570, Sr = 0: rising diagonal, avg(200, 200).
        {"rising wins", {10, 10, 10, 200, 200}, {10, 200, 200, 200, 200}, 200},
        // Mirror image: Sf = 0, Sv = 380: falling diagonal, avg(200, 200).
        {"falling wins", {200, 200, 10, 10, 10}, {200, 200, 200, 200, 10}, 200},
        // Sv = 200, Sf = Sr = 0: falling beats rising on a tie (0, not 100).
        {"falling beats rising on tie", {0, 0, 0, 100, 0}, {0, 100, 0, 0, 0}, 0},
        // Sv = Sf = Sr = 50: vertical avg(50, 0) = 25, diagonals would give 0.
        {"vertical wins three-way tie", {0, 0, 50, 0, 0}, {0, 0, 0, 0, 0}, 25},
        // Sv = Sr = 10 < Sf = 50: vertical avg(10, 0) = 5, rising would give 0.
        {"vertical beats rising on tie", {40, 0, 10, 0, 0}, {0, 0, 0, 0, 0}, 5},
        // Sv = Sf = 10 < Sr = 60: vertical avg(10, 0) = 5, falling avg(0, 0) = 0.
        {"vertical beats falling on tie", {0, 0, 10, 0, 50}, {0, 0, 0, 0, 0}, 5},
        // Flat rows 5 and 6: every cost 3, vertical mean rounds up to 6.
        {"rounding of vertical mean", {5, 5, 5, 5, 5}, {6, 6, 6, 6, 6}, 6},
    };
    for (const auto& tc : cases)
        EXPECT_EQ(directional_average(centre(tc.up), centre(tc.down)), tc.expected) << tc.name;
}

struct FilterCase {
    const char* name;
    Row5 up;
    Row3 mid;
    Row5 down;
    int32_t max_value;
    int32_t expected;
};

TEST(IntraFilter, WorkedWindows) {
    const FilterCase cases[] = {
        // v = 200, e = max(95, 285/2 = 142), band 0..152, median(10, 200, 152).
        {"edge window", {10, 10, 10, 200, 200}, {10, 10, 10}, {10, 200, 200, 200, 200}, 255, 152},
        // v = 100, e = 150, band 100..255 (400 clipped), cv = 100.
        {"outlier in own row", {100, 100, 100, 100, 100}, {100, 250, 100},
         {100, 100, 100, 100, 100}, 255, 100},
        // Side strength halved with truncation: |100-80| + |51-30| = 41 -> 20
        // (21 if rounded); v = 100 (rising), band 0..20, m3 = 0, m5 = 100.
        {"side strength truncates", {0, 100, 0, 100, 0}, {80, 0, 30}, {0, 100, 0, 1, 0}, 255,
         20},
        // Own sample near the top: M0 = 200, e = 55, band 145..255; v = 145,
        // m3 = 145, m5 = 145.
        {"own sample near max", {145, 145, 145, 145, 145}, {145, 200, 145},
         {145, 145, 145, 145, 145}, 255, 145},
        // One-bit samples: v = 1 through the rising diagonal, band 0..1.
        {"one-bit range", {0, 0, 0, 1, 1}, {0, 0, 0}, {0, 1, 1, 1, 1}, 1, 1},
    };
    for (const auto& tc : cases) {
        const int32_t v = directional_average(centre(tc.up), centre(tc.down));
        EXPECT_EQ(intra_filter(centre(tc.up), centre(tc.mid), centre(tc.down), v, tc.max_value),
                  tc.expected)
            << tc.name;
    }
}

TEST(BandClamp, LimitsAreZeroAndMaxValueInclusive) {
    struct Case {
        int32_t centre, spread, value, max_value, expected;
    };
    const Case cases[] = {
        {10, 10, -5, 255, 0},      // centre - spread exactly 0: lo = 0
        {10, 15, -5, 255, 0},      // below 0: lo = 0
        {200, 55, 300, 255, 255},  // centre + spread exactly max_value
        {200, 90, 300, 255, 255},  // above max_value: hi = max_value
        {100, 5, 120, 255, 105},   // inside: value limited to 95..105
        {100, 5, 90, 255, 95},
        {100, 5, 100, 255, 100},
        {100, 0, 7, 255, 100},     // no spread: the centre itself
        {0, 0, 5, 1, 0},
        {1, 0, 0, 1, 1},
        {65535, 65535, 70000, 65535, 65535},
        {300, 10, 300, 255, 290},  // limits crossed (centre above the range): median
    };
    for (const auto& c : cases)
        EXPECT_EQ(band_clamp(c.centre, c.spread, c.value, c.max_value), c.expected)
            << c.centre << " +- " << c.spread << " value " << c.value;
}

TEST(WindowSad, SumsNineAbsoluteDifferences) {
    const Row3 cu = {1, 2, 3}, cm = {10, 20, 30}, cd = {0, 0, 65535};
    const Row3 ou = {3, 2, 1}, om = {30, 20, 10}, od = {65535, 0, 0};
    // 2 + 0 + 2 + 20 + 0 + 20 + 65535 + 0 + 65535
    EXPECT_EQ(window_sad(centre(cu), centre(cm), centre(cd), centre(ou), centre(om), centre(od)),
              131114);
    EXPECT_EQ(window_sad(centre(cu), centre(cm), centre(cd), centre(cu), centre(cm), centre(cd)),
              0);
}

TEST(SpreadClamp, PairZeroAloneOtherPairsAveragedRoundingUp) {
    struct Case {
        const char* name;
        std::array<int32_t, 7> x, y;
        int32_t centre, value, expected;
    };
    const Case cases[] = {
        // Slow-motion table of the worked window: g = (10 + 10 + 1) / 2 = 10.
        {"slow window", {0, 90, 90, 90, 90, 90, 90}, {0, 100, 100, 100, 100, 100, 100}, 95, 120,
         105},
        // Pair 1 differs by 3, pair 2 by 0: (3 + 0 + 1) / 2 = 2 beats pair 0's 1.
        {"half rounded up", {1, 3, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0}, 50, 0, 48},
        // Pair 0 counts alone: 7 is not halved.
        {"pair zero alone", {7, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0}, 50, 100, 57},
        // The last two pairs: (4 + 6 + 1) / 2 = 5.
        {"last pairs", {0, 0, 0, 0, 0, 4, 0}, {0, 0, 0, 0, 0, 0, 6}, 50, 0, 45},
        // Differences taken either way round.
        {"absolute", {0, 0, 0, 0, 10, 0, 0}, {0, 0, 0, 10, 0, 0, 0}, 250, 255, 255},
    };
    for (const auto& c : cases)
        EXPECT_EQ(spread_clamp(c.x.data(), c.y.data(), c.centre, c.value, 255), c.expected)
            << c.name;
}

// Random windows of in-range samples: the clamp result stays inside its band
// (computed here in 64 bits), the intra result inside 0..max_value, and a
// flat window gives back its value.
TEST(KernelProperties, RandomWindowsStayInRange) {
    std::mt19937 rng(7);
    const int32_t max_values[] = {1, 255, 1023, 65535};
    for (int32_t max_value : max_values) {
        std::uniform_int_distribution<int32_t> sample(0, max_value);
        for (int i = 0; i < 20000; ++i) {
            Row5 up, down;
            Row3 mid;
            for (auto& s : up) s = sample(rng);
            for (auto& s : down) s = sample(rng);
            for (auto& s : mid) s = sample(rng);
            const int32_t v = directional_average(centre(up), centre(down));
            // The mean of one of three sample pairs: inside the sample range.
            ASSERT_GE(v, 0);
            ASSERT_LE(v, max_value);
            const int32_t r = intra_filter(centre(up), centre(mid), centre(down), v, max_value);
            ASSERT_GE(r, 0);
            ASSERT_LE(r, max_value);

            std::array<int32_t, 7> x, y;
            int64_t g = 0;
            for (int k = 0; k < 7; ++k) {
                x[k] = sample(rng);
                y[k] = sample(rng);
            }
            g = std::llabs(int64_t{x[0]} - y[0]);
            for (int k = 1; k < 7; k += 2) {
                const int64_t pair = (std::llabs(int64_t{x[k]} - y[k]) +
                                      std::llabs(int64_t{x[k + 1]} - y[k + 1]) + 1) / 2;
                g = std::max(g, pair);
            }
            const int32_t c = sample(rng);
            const int32_t value = static_cast<int32_t>(rng() % (3 * (int64_t{max_value} + 1))) -
                                  (max_value + 1);
            const int32_t clamped = spread_clamp(x.data(), y.data(), c, value, max_value);
            ASSERT_GE(clamped, std::max<int64_t>(0, c - g));
            ASSERT_LE(clamped, std::min<int64_t>(max_value, c + g));
            if (value >= c - g && value <= c + g && value >= 0 && value <= max_value) {
                ASSERT_EQ(clamped, value);
            }

            const int32_t s = sample(rng);
            const Row5 flat5 = {s, s, s, s, s};
            const Row3 flat3 = {s, s, s};
            ASSERT_EQ(directional_average(centre(flat5), centre(flat5)), s);
            ASSERT_EQ(intra_filter(centre(flat5), centre(flat3), centre(flat5), s, max_value), s);
        }
    }
}

}  // namespace
