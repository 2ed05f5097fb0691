#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "config/model.h"

namespace {

// A hand-built model with one-plane fields of the given size.
struct SmallModel {
    DeinterlacerModel m;
    SmallModel(int32_t width, int32_t height, int32_t planes = 1) {
        m.init_defaults();
        m.frame_width = width;
        m.frame_height = height;
        m.num_plane = planes;
        m.derive_configuration();
        EXPECT_EQ(m.allocate_buffers(), 0);
    }
    ~SmallModel() { m.release_buffers(); }

    // Field sample (y, x) of a plane of buffer b.
    void set(int32_t b, int32_t p, int32_t y, int32_t x, int32_t v) {
        m.field_store[b][p][m.pad_top + y][m.pad_left + x] = v;
    }
    // Golden column 0 of every row of a plane.
    std::vector<int32_t> column0(int32_t b, int32_t p = 0) const {
        std::vector<int32_t> out;
        for (int32_t i = 0; i < m.active_height; ++i) out.push_back(m.frame_store[b][p][i][0]);
        return out;
    }
};

// Rows 0..3 of a 3-wide field hold 10, 20, 30, 40 across the row.
void load_constant_rows(SmallModel& s, int32_t b) {
    const int32_t rows[] = {10, 20, 30, 40};
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 3; ++x) s.set(b, 0, y, x, rows[y]);
    s.m.fill_borders(s.m.field_store[b], 0);
}

TEST(InterpolateFrame, FourRowWorkedExamples) {
    struct Case {
        const char* name;
        int32_t method;
        int32_t parity;
        std::vector<int32_t> expected;
    };
    const Case cases[] = {
        {"weave keeps parity 0", weave, 0, {10, 20, 30, 40}},
        {"weave keeps parity 1", weave, 1, {10, 20, 30, 40}},
        // Row 1 = (10+30+1)/2; row 3 is odd but the last row, so kept.
        {"bobe, parity ignored", bobe, 1, {10, 20, 30, 40}},
        // Row 0 reads the mirrored border (row 1 = 20) above and row 1 below.
        {"bobo, parity ignored", bobo, 0, {20, 20, 30, 40}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SmallModel s(3, 4);
        load_constant_rows(s, 0);
        s.m.method_now = c.method;
        s.m.interpolate_frame(0, c.parity, 0);
        EXPECT_EQ(s.column0(0), c.expected);
        for (int32_t i = 0; i < 4; ++i)
            for (int32_t j = 1; j < 3; ++j) EXPECT_EQ(s.m.frame_store[0][0][i][j], c.expected[i]);
    }
}

TEST(InterpolateFrame, BobRoundsHalfUpPerColumn) {
    // Column 0: 5 above, 6 below -> 6; column 1: 5 and 7 -> 6; column 2: 0 and 1 -> 1;
    // column 3: 100 and 100 -> 100.
    SmallModel s(4, 4);
    const int32_t above[] = {5, 5, 0, 100};
    const int32_t below[] = {6, 7, 1, 100};
    for (int32_t x = 0; x < 4; ++x) {
        s.set(0, 0, 0, x, above[x]);
        s.set(0, 0, 1, x, 99);  // the rebuilt row's own samples are not read
        s.set(0, 0, 2, x, below[x]);
        s.set(0, 0, 3, x, 0);
    }
    s.m.fill_borders(s.m.field_store[0], 0);
    s.m.method_now = bobe;
    s.m.interpolate_frame(0, 0, 0);
    const int32_t expected[] = {6, 6, 1, 100};
    for (int32_t x = 0; x < 4; ++x) EXPECT_EQ(s.m.frame_store[0][0][1][x], expected[x]) << x;
}

TEST(InterpolateFrame, LastRowOfTheFrameIsAlwaysKept) {
    // Six rows holding 0, 10, ..., 50. A per-frame height of 3 rows (frmh 2)
    // keeps row 2 although it has the rebuilt parity; rows below it go by parity.
    SmallModel s(2, 6);
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 2; ++x) s.set(0, 0, y, x, 10 * y);
    s.m.fill_borders(s.m.field_store[0], 0);
    s.m.frmh[0] = 2;
    s.m.method_now = bobo;
    s.m.interpolate_frame(0, 0, 0);
    // Row 0: border mirrors row 1 -> (10+10+1)/2 = 10; row 4: (30+50+1)/2 = 40.
    EXPECT_EQ(s.column0(0), (std::vector<int32_t>{10, 10, 20, 30, 40, 50}));

    // A frame number beyond the tables uses the last entry.
    s.m.frmh[kFrameTableSize - 1] = 4;
    s.m.interpolate_frame(0, 0, 5000);
    EXPECT_EQ(s.column0(0), (std::vector<int32_t>{10, 10, 20, 30, 40, 50}));
    s.m.frmh[kFrameTableSize - 1] = 0;
    s.m.interpolate_frame(0, 0, 5000);
    // Row 0 is the last row now and is kept; row 2 = (10+30+1)/2 = 20.
    EXPECT_EQ(s.column0(0), (std::vector<int32_t>{0, 10, 20, 30, 40, 50}));
}

// The row path must give what the per-sample dispatch gives, for every method.
TEST(InterpolateFrame, RowPathMatchesPerSampleDispatch) {
    const int32_t width = 9, height = 7;
    struct Variant {
        int32_t method, parity;
        uint8_t shared_motion;  // 4:4:4: later planes reuse plane 0's motion
    };
    std::vector<Variant> variants;
    for (int32_t method : {weave, bobe, bobo, intra, inter})
        for (int32_t parity : {0, 1})
            for (uint8_t shared : {0, 1}) variants.push_back({method, parity, shared});
    for (const Variant& v : variants) {
        const int32_t method = v.method, parity = v.parity;
        SCOPED_TRACE(testing::Message() << "method " << method << " parity " << parity
                                        << " shared motion " << int{v.shared_motion});
        SmallModel s(width, height, 3);
        s.m.ycbcr444 = v.shared_motion;
        // Current field random; the previous one close to it on the left
        // (slow and medium motion) and unrelated on the right (fast).
        uint32_t state = 12345;
        auto draw = [&] {
            state = state * 1103515245u + 12345u;
            return static_cast<int32_t>((state >> 16) % 256);
        };
        for (int32_t p = 0; p < 3; ++p)
            for (int32_t y = 0; y < height; ++y)
                for (int32_t x = 0; x < width; ++x) {
                    const int32_t now = draw();
                    const int32_t near = std::clamp(now + draw() % 9 - 4, 0, 255);
                    s.set(1, p, y, x, now);
                    s.set(0, p, y, x, x < 5 ? near : draw());
                }
        s.m.fill_borders(s.m.field_store[0], 0);
        s.m.fill_borders(s.m.field_store[1], 0);
        s.m.method_now = method;
        s.m.th0_now = 0;
        s.m.th1_now = 20;
        s.m.th2_now = 60;
        s.m.interpolate_frame(1, parity, 0);
        // The per-sample reference, plane by plane in the same order (the
        // inter method records motion on plane 0 that later planes read).
        const int32_t keep = method == bobe ? 0 : method == bobo ? 1 : parity;
        for (int32_t p = 0; p < 3; ++p) {
            const PixelPlane& cur = s.m.field_store[1][p];
            const PixelPlane& prev = s.m.field_store[0][p];
            for (int32_t i = 0; i < height; ++i)
                for (int32_t j = 0; j < width; ++j) {
                    const int32_t r = s.m.pad_top + i, c = s.m.pad_left + j;
                    const bool kept = i % 2 == keep || i == height - 1;
                    const int32_t want =
                        kept ? cur[r][c] : s.m.interpolate_sample(cur, prev, r, c, p);
                    ASSERT_EQ(s.m.frame_store[1][p][i][j], want)
                        << "plane " << p << " row " << i << " col " << j;
                }
        }
    }
}

}  // namespace
