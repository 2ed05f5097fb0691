// Intra and inter rebuilding: worked and random windows, rows against samples, a "-d" run.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <vector>

#include "model/kernel_table.h"
#include "model/kernels.h"
#include "support/model_fixture.h"
#include "support/reference_kernels.h"
#include "support/test_support.h"

using namespace veldax_test;

using Row = std::vector<int32_t>;   // five columns, offsets -2..+2
using Window = std::array<Row, 6>;  // current rows above, own, below; then the other buffer's
static const int32_t* c(const Row& r) { return r.data() + 2; }
static int32_t intra_of(const int32_t* u, const int32_t* m, const int32_t* d, int32_t max_value) {
    return intra_filter(u, m, d, directional_average(u, d), max_value);
}

// Medians against a sort; intra results, medians of medians of the samples at
// offsets -1..+1, lie inside 0..max_value and their range; flat windows stay.
TEST(Kernels, RandomWindows) {
    std::mt19937 rng(20240611);
    for (int32_t mx : {1, 255, 65535})
        for (int i = 0; i < 40000; ++i) {
            const int32_t special[] = {INT32_MIN, INT32_MAX, 0, mx, mx - 1};
            std::array<int32_t, 5> v;
            for (auto& x : v) x = rng() % 2 ? special[rng() % 5] : static_cast<int32_t>(rng());
            auto s = v;
            std::sort(s.begin(), s.begin() + 3);
            ASSERT_EQ(median3(v[0], v[1], v[2]), s[1]) << v[0] << " " << v[1] << " " << v[2];
            std::sort(s.begin(), s.end());
            ASSERT_EQ(median5(v[0], v[1], v[2], v[3], v[4]), s[2]) << v[3] << " " << v[4];
            int32_t w[15];  // rows above, own and below, five columns each
            for (auto& x : w) x = static_cast<int32_t>(rng() % (static_cast<uint32_t>(mx) + 1u));
            const int32_t r = intra_of(w + 2, w + 7, w + 12, mx);
            const auto [lo, hi] = std::minmax({w[1], w[2], w[3], w[7], w[11], w[12], w[13]});
            ASSERT_TRUE(r >= 0 && r <= mx && r >= lo && r <= hi) << r << " max " << mx;
            const Row flat(5, w[0]);
            ASSERT_EQ(intra_of(c(flat), c(flat), c(flat), mx), w[0]);
        }
}

// Inter.  Slow: m = 20, band 85..105.  Medium: own rows differ by 50 in three columns,
// m = 150; medium gives 85, slow 110, fast 70.  Fast on the first picture: m = 850,
// v = 200, band 0..210.  Still: m = 0, band 100..100.
const Row kZ(5, 0),
    k100(5, 100), kBump{100, 100, 120, 100, 100}, kU{30, 40, 50, 60, 70}, kD{70, 80, 90, 100, 110};
const Window kSlow{Row(5, 90), kBump, k100, Row(5, 90), k100, k100};
const Window kMedium{kU, Row{90, 100, 110, 120, 130}, kD, kU, Row{40, 50, 60, 70, 80}, kD};
const Window kFast{Row{10, 10, 10, 200, 200}, Row(5, 10), Row{10, 200, 200, 200, 200}, kZ, kZ, kZ};
const Window kStill{k100, kBump, k100, k100, kBump, k100};

TEST(WorkedWindows, IntraAndInter) {
    // Rising diagonal cheapest: v = 200, e = max(95, 285 / 2 = 142), band 0..152.  Tie
    // of diagonals at 0 (vertical 200): falling wins, 0 (rising gives 100).  Costs all
    // 50: vertical 25 wins (diagonals 0).  Outlier: e = 150, band 100..255.  Last: v =
    // 255, e = 55, band 145..255 reaches max_value exactly; m3 = 255, m5 = 200 -> 255.
    struct Intra {
        Row u, m, d;
        int32_t average, result;
    };
    const Intra intra_cases[] = {
        {{10, 10, 10, 200, 200}, Row(5, 10), {10, 200, 200, 200, 200}, 200, 152},
        {{0, 0, 0, 100, 0}, Row(5, 0), {0, 100, 0, 0, 0}, 0, 0},
        {{0, 0, 50, 0, 0}, Row(5, 0), Row(5, 0), 25, 0},
        {Row(5, 100), {100, 100, 250, 100, 100}, Row(5, 100), 100, 100},
        {{200, 200, 255, 200, 200}, Row(5, 200), {200, 200, 255, 200, 200}, 255, 255},
        // A half rounds up: (1 + 2 + 1) / 2 = 2.
        {Row(5, 1), Row(5, 1), Row(5, 2), 2, 1},
        // Falling diagonal: v = (200 + 100 + 1) / 2 = 150, e = (160 + 140) / 2, band 0..150,
        // vertical median 0, X median of up[-1], up[+1], down[-1], down[+1], mid[0] = 120.
        {{0, 200, 0, 180, 255}, Row(5, 0), {255, 120, 0, 100, 0}, 150, 120},
    };
    for (const auto& t : intra_cases) {
        EXPECT_EQ(directional_average(c(t.u), c(t.d)), t.average) << t.result;
        EXPECT_EQ(intra_of(c(t.u), c(t.m), c(t.d), 255), t.result) << t.average;
    }
    struct Inter {
        Window w;
        int32_t th0, th1, th2, motion, expected;
    };
    const Inter inter_cases[] = {
        {kSlow, 0, 90, 180, 20, 105},    {kMedium, 0, 90, 180, 150, 85},
        {kFast, 0, 90, 180, 850, 200},   {kStill, 0, 90, 180, 0, 100},
        {kStill, 1, 90, 180, 0, 120},                                     // th0 = 1: weave
        {kMedium, 0, 150, 180, 150, 85}, {kMedium, 0, 90, 150, 150, 70},  // m = th1, m = th2
    };
    for (const auto& t : inter_cases) {
        TestModel tm(5, 3);
        ASSERT_TRUE(tm.ready());
        DeinterlacerModel& m = tm.m;
        for (int i = 0; i < 6; ++i) tm.set_row(i / 3, 0, i % 3, t.w[static_cast<size_t>(i)]);
        int32_t motion = -1;
        const RowParams params{t.th0, t.th1, t.th2, 255, 255};
        EXPECT_EQ(
            inter_reference(m.field_store[0][0], m.field_store[1][0], 1, 2, &motion, false, params),
            t.expected);
        EXPECT_EQ(motion, t.motion) << t.expected;
    }
}

// Row j of a plane whose columns come in pairs (odd column = the even one to its left), a
// sample a pair, column 2m's at index m + 2 (pairs -2 .. (width + 1) / 2 + 1).
static std::vector<Sample> paired_row(const PixelPlane& plane, int32_t j, int32_t width) {
    std::vector<Sample> pairs(static_cast<size_t>((width + 1) / 2 + 4));
    for (int32_t m = -2; m < (width + 1) / 2 + 2; ++m)
        pairs[static_cast<size_t>(m + 2)] = plane.row(j)[std::clamp(2 * m, -2, width + 1)];
    return pairs;
}

// Outputs of every row of every plane, by the row kernels of `kernels` or (null) by the
// per-sample reference, then the motion plane; no sample lies above `largest`.  The 4:2:2
// chroma planes hold their columns in pairs and go through the paired kernels (rows of a
// sample a pair, column 2m's result at m), whose rows hold no more than (width + 1) / 2
// results.
static std::vector<int32_t> run_pass(DeinterlacerModel& m, bool inter, const KernelTable* kernels,
                                     int32_t largest) {
    std::vector<MotionValue> motion(
        static_cast<size_t>(m.active_height) * static_cast<size_t>(m.active_width), -7);
    const auto motion_row = [&](int32_t j) {
        return motion.data() + static_cast<size_t>(j) * static_cast<size_t>(m.active_width);
    };
    const RowParams params{m.th0_now, m.th1_now, m.th2_now, m.max_value, largest};
    std::vector<int32_t> result;
    for (int32_t p = 0; p < m.num_plane; ++p)
        for (int32_t j = 0; j < m.active_height; ++j) {
            const PixelPlane &cur = m.field_store[0][p], &oth = m.field_store[1][p];
            const bool reuse = (m.ycbcr422 || m.ycbcr444) && p > 0;
            const bool even = m.ycbcr422 && (p == 1 || p == 2);
            std::vector<int32_t> out(static_cast<size_t>(m.active_width), -1);
            std::vector<Sample> row(static_cast<size_t>(m.active_width), 0xFFFF);
            std::vector<Sample> pairs[6];
            const Sample* rows[6];
            for (int32_t r = 0; r < 6; ++r) {
                const PixelPlane& plane = r < 3 ? cur : oth;
                if (even) pairs[r] = paired_row(plane, j - 1 + r % 3, m.active_width);
                rows[r] = even ? pairs[r].data() + 2 : plane.row(j - 1 + r % 3);
            }
            if (kernels && inter)
                (even    ? kernels->inter_row_reusing_paired
                 : reuse ? kernels->inter_row_reusing
                         : kernels->inter_row_measuring)(rows[0], rows[1], rows[2], rows[3],
                                                         rows[4], rows[5], motion_row(j),
                                                         row.data(), m.active_width, params);
            if (kernels && !inter)
                (even ? kernels->intra_row_paired : kernels->intra_row)(
                    rows[0], rows[1], rows[2], row.data(), m.active_width, params);
            if (kernels) out.assign(row.begin(), row.end());
            for (int32_t k = 0; !kernels && k < m.active_width; k += even ? 2 : 1)
                out[static_cast<size_t>(even ? k / 2 : k)] =
                    inter ? inter_reference(cur, oth, j, k, motion_row(j) + k, reuse, params)
                          : intra_reference(cur, j, k, m.max_value);
            if (even) {
                // Past the even columns' results the kernel's row keeps what it held.
                const auto results = static_cast<size_t>(m.active_width + 1) / 2;
                EXPECT_TRUE(std::all_of(row.begin() + static_cast<ptrdiff_t>(results), row.end(),
                                        [](Sample v) { return v == 0xFFFF; }));
                out.resize(results);
            }
            result.insert(result.end(), out.begin(), out.end());
        }
    result.insert(result.end(), motion.begin(), motion.end());
    return result;
}

// Every kernel variant this processor runs (the plain one always) against the per-sample
// reference.  Widths 1, 5, 17, 40, 67, 130 (no vector, one or two vectors of 16 or 32 lanes
// or of 16 or 32 even columns, and a tail); every sample width 1..16; modes 1 plane, 3, 3 of
// 4:2:2 (chroma in pairs), 3 of 4:4:4; current planes (borders too) of 0, max, max - 1, a mix
// of those, random, or random bytes (above max below 8 bits, as a headerless YUV input stores
// them); the other buffer mostly copies the current one, or for every fourth n is its
// complement (whole vectors of fast motion); thresholds negative, 0 and up to four times max
// (beyond 16 bits at 16).
TEST(KernelVariants, MatchPerSampleReference) {
    int32_t count = 0;
    const KernelVariant* variants = kernel_variants(&count);
    ASSERT_GE(count, 1);
    EXPECT_STREQ(variants[0].table->name, "plain");
    for (int32_t v = 0; v < count; ++v) {
        const KernelTable& table = *variants[v].table;
        if (!variants[v].usable()) {
            std::printf("kernel variant %s: not run (this processor lacks it)\n", table.name);
            continue;
        }
        std::printf("kernel variant %s: checked\n", table.name);
        SCOPED_TRACE(table.name);
        std::mt19937 rng(4321);
        for (int32_t width : {1, 5, 17, 40, 67, 130})
            for (int32_t dwidth = 1; dwidth <= 16; ++dwidth)
                for (int n = 0; n < 24; ++n) {
                    const int mode = n / 6, pattern = n % 6;
                    SCOPED_TRACE(testing::Message() << width << " " << dwidth << " " << n);
                    TestModel tm(width, 4, mode ? 3 : 1, dwidth);
                    tm.m.ycbcr422 = mode == 2, tm.m.ycbcr444 = mode == 3;
                    ASSERT_TRUE(tm.ready());
                    DeinterlacerModel& m = tm.m;
                    const int32_t mx = m.max_value, pick[] = {0, mx, mx - 1};
                    const int32_t largest = pattern == 5 ? std::max(mx, 255) : mx;
                    const bool far = n % 4 == 3;  // the other buffer far off: high motion
                    auto sample = [&](int k) {
                        return k < 3    ? pick[k]
                               : k == 3 ? pick[rng() % 3]
                                        : int32_t(rng() % (static_cast<uint32_t>(k == 5 ? largest : mx) + 1u));
                    };
                    for (int32_t p = 0; p < m.num_plane; ++p) {
                        const PixelPlane &cur = m.field_store[0][p], &oth = m.field_store[1][p];
                        for (size_t i = 0; i < cur.block_samples(); ++i) {
                            const auto s = cur.block()[i] = static_cast<Sample>(sample(pattern));
                            oth.block()[i] = far              ? static_cast<Sample>(largest - s)
                                             : rng() % 3 ? s
                                                         : static_cast<Sample>(sample(4));
                        }
                        // 4:2:2 chroma comes in pairs: each odd column takes the even one
                        // to its left.
                        for (int32_t y = -1; m.ycbcr422 && p > 0 && y <= m.frame_height; ++y)
                            for (int32_t x = -1; x <= width + 1; x += 2)
                                cur.row(y)[x] = cur.row(y)[x - 1], oth.row(y)[x] = oth.row(y)[x - 1];
                    }
                    EXPECT_EQ(run_pass(m, false, &table, largest), run_pass(m, false, nullptr, largest));
                    for (int32_t th1 : {-5, 0, mx, 2 * mx, 4 * mx}) {  // the last above th2
                        m.th0_now = th1 / 2, m.th1_now = th1, m.th2_now = 3 * mx;
                        ASSERT_EQ(run_pass(m, true, &table, largest), run_pass(m, true, nullptr, largest))
                            << th1;
                    }
                }
    }
}

// 6 x 4, three 8-bit 4:2:2 planes, thresholds 0, 28, 200; the "-d" ramp holds i + p +
// j + k at field i, plane p, row j, column k (chroma words: even columns).  Field 0,
// row 1, other buffer zero: plane 0 motion 12, 18, 27, 36, 45, 51, so slow (the own
// sample) then medium, e.g. k = 3: T = 2, mid3 = median(3, 5, 2) = 3, mid5 = median(3,
// 5, 3, 5, 2) = 3.  Chroma reuses it: column 2 slow (its own 30 would give medium, 3),
// column 4 medium (Cb T = 3, mid3 = mid5 = 5).  Later fields: motion 9, slow, the ramp.
TEST(InterEndToEnd, RampThroughThreePlanesOf422) {
    std::vector<int> expected;
    for (int f = 0; f < 3; ++f)
        for (int p = 0; p < 3; ++p)
            for (int j = 0; j < 4; ++j)
                for (int k = 0; k < 6; k += p ? 2 : 1) expected.push_back(f + p + j + k);
    // Field 0, row 1: luma 1 2 3 3 4 5, Cb 2 4 5, Cr 3 5 6.
    expected[9] = 3, expected[10] = 4, expected[11] = 5, expected[29] = 5, expected[41] = 6;
    // The whole program with each kernel variant this processor runs.
    for (const std::string& variant : usable_kernel_variants()) {
        std::printf("kernel variant %s: run\n", variant.c_str());
        SCOPED_TRACE(variant);
        TempDir dir;
        write_file(dir.file("i.kvf"),
                   "num_plane=3\nframe_width=6\nframe_height=4\ndmethod=inter\n"
                   "ycbcr422=1\ndwidth=8\ninterth0=0\ninterth1=28\ninterth2=200\n");
        const ShellRun run = run_variant_shell(variant, dir.path(), {"i.kvf", "-d"});
        ASSERT_EQ(run.status, 0) << run.out << run.err;
        EXPECT_EQ(words_of(read_file(dir.file("golden.dat"))), expected);
    }
}
