// The interpolation driver over a whole frame: kept and rebuilt rows of weave
// and bob, the mirrored border and the rounding of the mean.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "support/model_fixture.h"

using namespace veldax_test;

namespace {

// Four rows of three equal samples through the interpolation driver.
TEST(InterpolateFrame, FourRowWorkedExamples) {
    struct Case {
        int32_t method, parity;
        std::vector<int32_t> rows, want;
    };
    const Case cases[] = {
        {method_number(DeinterlaceMethod::weave), 0, {10, 20, 30, 40}, {10, 20, 30, 40}},
        {method_number(DeinterlaceMethod::weave), 1, {10, 20, 30, 40}, {10, 20, 30, 40}},
        // Row 1 = (10 + 30 + 1) / 2; row 3 has the rebuilt parity but is the last row: kept.
        {method_number(DeinterlaceMethod::bobe), 1, {10, 20, 30, 40}, {10, 20, 30, 40}},
        // Row 0 reads the mirrored border (row 1) above; row 2 = (20 + 40 + 1) / 2.
        {method_number(DeinterlaceMethod::bobo), 0, {10, 20, 30, 40}, {20, 20, 30, 40}},
        // Rounding: (5 + 6 + 1) / 2 = 6; the rebuilt row's own 99 is not read.
        {method_number(DeinterlaceMethod::bobe), 0, {5, 99, 6, 0}, {5, 6, 6, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "method " << c.method << " row 0 " << c.rows[0]);
        TestModel t(3, 4);
        ASSERT_TRUE(t.ready());
        for (int32_t j = 0; j < 4; ++j) t.set_row(0, 0, j, std::vector<int32_t>(3, c.rows[static_cast<size_t>(j)]));
        t.m.fill_borders(t.m.field_store[0], 0);
        t.m.method_now = c.method;
        t.m.interpolate_frame(0, c.parity, 0);
        for (int32_t i = 0; i < 12; ++i) EXPECT_EQ(t.golden(0, i / 3, i % 3), c.want[static_cast<size_t>(i / 3)]);
    }
}

// A wide 4:2:2 frame, its chroma held whole (no source) or a sample a pair (a "-g" run),
// through weave and bob: each stored column of each plane (every column of plane 0, the
// even ones of the chroma planes) is the field's sample, or the rounded mean of the rows
// around it.
TEST(InterpolateFrame, Wide422) {
    constexpr int32_t kWidth = 1030;
    for (DeinterlaceMethod method : {DeinterlaceMethod::weave, DeinterlaceMethod::bobe})
        for (StimulusSource source : {StimulusSource::none, StimulusSource::random}) {
            SCOPED_TRACE(testing::Message() << method_number(method) << " " << int(source));
            TestModel t(kWidth, 4, 3);
            t.m.ycbcr422 = 1;
            t.m.run.source = source;
            ASSERT_TRUE(t.ready());
            ASSERT_EQ(t.m.paired_plane(1), source == StimulusSource::random);
            const auto sample = [](int32_t p, int32_t j, int32_t k) {
                return (7 * k + 13 * j + 100 * p) % 256;
            };
            for (int32_t p = 0; p < 3; ++p)
                for (int32_t j = 0; j < 4; ++j)
                    for (int32_t k = 0; k < kWidth; k += p ? 2 : 1)
                        t.field(0, p, j, k) = sample(p, j, k);
            t.m.fill_borders(t.m.field_store[0], 0);
            t.m.method_now = method_number(method);
            t.m.interpolate_frame(0, 0, 0);
            int32_t mismatches = 0;
            for (int32_t p = 0; p < 3; ++p)
                for (int32_t j = 0; j < 4; ++j)
                    for (int32_t k = 0; k < kWidth; k += p ? 2 : 1) {
                        // Rows 0 and 2 and the last row are kept.
                        const bool kept =
                            method == DeinterlaceMethod::weave || j % 2 == 0 || j == 3;
                        const int32_t want =
                            kept ? sample(p, j, k)
                                 : (sample(p, j - 1, k) + sample(p, j + 1, k) + 1) / 2;
                        mismatches += t.golden(p, j, k) != want;
                    }
            EXPECT_EQ(mismatches, 0);
        }
}

}  // namespace
