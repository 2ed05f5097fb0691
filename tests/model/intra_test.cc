// Intra method through the model: the worked windows at buffer positions
// (borders included), and the row version against the per-sample one.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "config/model.h"
#include "model/hand_model.h"

namespace veldax_test {
namespace {

TEST(IntraSample, WorkedWindowsInsideTheFrame) {
    struct Case {
        const char* name;
        std::vector<int32_t> up, mid, down;
        int32_t expected;
    };
    const Case cases[] = {
        {"edge window", {10, 10, 10, 200, 200}, {10, 10, 10, 10, 10}, {10, 200, 200, 200, 200},
         152},
        {"outlier", {100, 100, 100, 100, 100}, {100, 100, 250, 100, 100},
         {100, 100, 100, 100, 100}, 100},
        {"flat", {77, 77, 77, 77, 77}, {77, 77, 77, 77, 77}, {77, 77, 77, 77, 77}, 77},
    };
    for (const auto& tc : cases) {
        auto h = make_hand_model(5, 3, 1);
        h->set_row(0, 0, 0, tc.up);
        h->set_row(0, 0, 1, tc.mid);
        h->set_row(0, 0, 2, tc.down);
        DeinterlacerModel& m = h->m;
        const PixelPlane& cur = h->field(0, 0);
        const PixelPlane& other = h->field(1, 0);
        EXPECT_EQ(m.intra_sample(cur, other, m.pad_top + 1, m.pad_left + 2), tc.expected)
            << tc.name;
        std::vector<int32_t> out(5, -1);
        m.intra_line(cur, m.pad_top + 1, 5, out.data());
        EXPECT_EQ(out[2], tc.expected) << tc.name;
    }
}

// At column 0 the two left columns of the window are the replicated border:
// U = 10 10 | 10 200 200, D = 200 200 | 200 200 200, M = 10: the rising
// diagonal gives v = 200, e = max(95, (95 + 190) / 2) = 142, band 0..152,
// median(10, 200, 152) = 152.  The last column replicates to the right:
// U = 10 200 200 | 200 200, D all 200 and M 10: v = 200, e = 190,
// m3 = 200, m5 = 200, result 200.
TEST(IntraSample, ReadsTheReplicatedBorderAtTheEdges) {
    auto h = make_hand_model(3, 3, 1);
    h->set_row(0, 0, 0, {10, 200, 200});
    h->set_row(0, 0, 1, {10, 10, 10});
    h->set_row(0, 0, 2, {200, 200, 200});
    DeinterlacerModel& m = h->m;
    m.fill_borders(m.field_store[0], 0);
    const PixelPlane& cur = h->field(0, 0);
    EXPECT_EQ(m.intra_sample(cur, cur, m.pad_top + 1, m.pad_left), 152);
    EXPECT_EQ(m.intra_sample(cur, cur, m.pad_top + 1, m.pad_left + 2), 200);
    std::vector<int32_t> out(3, -1);
    m.intra_line(cur, m.pad_top + 1, 3, out.data());
    EXPECT_EQ(out[0], 152);
    EXPECT_EQ(out[2], 200);
}

// Every row of many planes: the row version equals the per-sample version
// sample for sample, for narrow and wide frames and every sample width.
TEST(IntraLine, MatchesPerSampleVersionEverywhere) {
    std::mt19937 rng(1234);
    const int32_t widths[] = {1, 2, 3, 5, 17, 64};
    const int32_t dwidths[] = {1, 8, 10, 16};
    int64_t compared = 0;
    for (int32_t width : widths)
        for (int32_t dwidth : dwidths)
            for (Pattern pattern : kAllPatterns) {
                auto h = make_hand_model(width, 5, 1, dwidth);
                DeinterlacerModel& m = h->m;
                fill_plane(m, h->field(0, 0), pattern, rng);
                m.fill_borders(m.field_store[0], 0);
                const PixelPlane& cur = h->field(0, 0);
                std::vector<int32_t> out(static_cast<size_t>(width));
                for (int32_t i = 0; i < m.active_height; ++i) {
                    const int32_t r = m.pad_top + i;
                    std::fill(out.begin(), out.end(), -1);
                    m.intra_line(cur, r, width, out.data());
                    for (int32_t j = 0; j < width; ++j) {
                        ASSERT_EQ(out[j], m.intra_sample(cur, cur, r, m.pad_left + j))
                            << "width " << width << " dwidth " << dwidth << " row " << i
                            << " column " << j;
                        ++compared;
                    }
                }
            }
    EXPECT_GT(compared, 0);
}

}  // namespace
}  // namespace veldax_test
