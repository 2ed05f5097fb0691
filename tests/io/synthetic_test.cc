#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "config/model.h"
#include "io/random_source.h"

namespace {

struct Synthetic {
    DeinterlacerModel m;
    FILE* out = std::tmpfile();
    Synthetic(int32_t width, int32_t height, int32_t planes, bool ramp) {
        m.init_defaults();
        m.frame_width = width;
        m.frame_height = height;
        m.num_plane = planes;
        m.pattern_mode = ramp;
    }
    void ready() {
        m.derive_configuration();
        ASSERT_EQ(m.allocate_buffers(), 0);
    }
    ~Synthetic() {
        std::fclose(out);
        m.release_buffers();
    }
    int32_t at(int32_t b, int32_t p, int32_t y, int32_t x) const {
        return m.field_store[b][p][m.pad_top + y][m.pad_left + x];
    }
    // Everything written so far, as little-endian 16-bit words.
    std::vector<int32_t> words() {
        std::fflush(out);
        std::rewind(out);
        std::vector<int32_t> w;
        int lo, hi;
        while ((lo = std::getc(out)) != EOF && (hi = std::getc(out)) != EOF) w.push_back(lo | hi << 8);
        std::fseek(out, 0, SEEK_END);
        return w;
    }
};

TEST(RandomSource, FirstDrawsFromStateOne) {
    uint32_t state = 1;
    for (int32_t want : {41, 18467, 6334, 26500, 19169})
        EXPECT_EQ(next_random_draw(state), want);
}

TEST(RandomSource, DrawScaling) {
    struct Case {
        int32_t draw, max_value, want;
    };
    const Case cases[] = {
        {0, 255, 0},        {1, 255, 0},          {16383, 255, 127}, {16384, 255, 127},
        {32767, 255, 255},  {32766, 255, 254},    {32767, 1023, 1023}, {32767, 65535, 65535},
        {16384, 65535, 32768}, {41, 255, 0},      {18467, 255, 143},
    };
    for (const Case& c : cases)
        EXPECT_EQ(random_sample_value(c.draw, c.max_value, 0), c.want)
            << c.draw << " of " << c.max_value;
}

TEST(SyntheticField, RandomSamplesContinueAcrossFieldsAndRestartPerModel) {
    // Draws 41, 18467, 6334, 26500 | 19169, ... scaled to 8 bits: 0, 143, 49, 206 | 149.
    Synthetic s(2, 2, 1, false);
    s.ready();
    EXPECT_FALSE(s.m.fill_synthetic_field(s.out, s.m.field_store[0], 0));
    EXPECT_EQ(s.at(0, 0, 0, 0), 0);
    EXPECT_EQ(s.at(0, 0, 0, 1), 143);
    EXPECT_EQ(s.at(0, 0, 1, 0), 49);
    EXPECT_EQ(s.at(0, 0, 1, 1), 206);
    EXPECT_FALSE(s.m.fill_synthetic_field(s.out, s.m.field_store[1], 1));
    EXPECT_EQ(s.at(1, 0, 0, 0), 149);
    auto w = s.words();
    ASSERT_EQ(w.size(), 8u);
    EXPECT_EQ((std::vector<int32_t>(w.begin(), w.begin() + 5)),
              (std::vector<int32_t>{0, 143, 49, 206, 149}));
    EXPECT_EQ(s.m.total_input, 8);

    Synthetic again(2, 2, 1, false);
    again.ready();
    again.m.fill_synthetic_field(again.out, again.m.field_store[0], 0);
    EXPECT_EQ(again.at(0, 0, 0, 1), 143);
}

TEST(SyntheticField, RampWrapsAtMaxValueAndUsesTheFieldNumber) {
    Synthetic s(300, 1, 2, true);
    s.ready();
    s.m.fill_synthetic_field(s.out, s.m.field_store[0], 0);
    EXPECT_EQ(s.at(0, 0, 0, 0), 0);
    EXPECT_EQ(s.at(0, 0, 0, 254), 254);
    EXPECT_EQ(s.at(0, 0, 0, 255), 0);  // 255 itself never occurs
    EXPECT_EQ(s.at(0, 0, 0, 299), 44);
    EXPECT_EQ(s.at(0, 1, 0, 0), 1);    // plane 1 is plane 0 plus one
    EXPECT_EQ(s.at(0, 1, 0, 254), 0);
    // Field 1000 lies beyond the per-frame tables but still enters the ramp:
    // 1000 mod 255 = 235.
    s.m.fill_synthetic_field(s.out, s.m.field_store[0], 1000);
    EXPECT_EQ(s.at(0, 0, 0, 0), 235);
    EXPECT_EQ(s.at(0, 0, 0, 20), 0);

    Synthetic four_bit(20, 1, 1, true);
    four_bit.m.dwidth = 4;
    four_bit.ready();
    four_bit.m.fill_synthetic_field(four_bit.out, four_bit.m.field_store[1], 3);
    EXPECT_EQ(four_bit.at(1, 0, 0, 11), 14);
    EXPECT_EQ(four_bit.at(1, 0, 0, 12), 0);  // (3 + 12) mod 15
}

TEST(SyntheticField, ChromaPairingAndWordPlacement) {
    struct Case {
        const char* name;
        int32_t width;
        std::vector<int32_t> words;
    };
    // Ramp field 0 of two rows, plane p row j column k = p + j + k.
    const Case cases[] = {
        // Plane 0: 0 1 2 3 / 1 2 3 4. Plane 1 paired: 1 1 3 3 / 2 2 4 4 -> 1 3 2 4.
        // Plane 2 paired: 2 2 4 4 / 3 3 5 5 -> 2 4 3 5.  2*W*H = 16 words.
        {"even width", 4, {0, 1, 2, 3, 1, 2, 3, 4, 1, 3, 2, 4, 2, 4, 3, 5}},
        // Width 3: plane 1 paired 1 1 3 / 2 2 4; row 0 lands at words 0,0,1 and
        // row 1 at 1,1,2, so words 0..2 are 1, 2, 4.  Plane 2: 2, 3, 5.
        {"odd width", 3, {0, 1, 2, 1, 2, 3, 1, 2, 4, 2, 3, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Synthetic s(c.width, 2, 3, true);
        s.m.ycbcr422 = 1;
        s.ready();
        s.m.fill_synthetic_field(s.out, s.m.field_store[0], 0);
        EXPECT_EQ(s.words(), c.words);
        EXPECT_EQ(s.m.total_input, static_cast<int32_t>(c.words.size()));
        EXPECT_EQ(s.at(0, 1, 0, 1), 1);  // odd column copies its left neighbour
        EXPECT_EQ(s.at(0, 0, 0, 1), 1);  // luma is not paired
    }
}

TEST(SyntheticField, SmallerFrameWritesItsOwnCornerButFillsTheWholeField) {
    Synthetic s(4, 3, 1, true);
    s.m.dynamic = 1;
    s.m.frmw[1] = 1;
    s.m.frmh[1] = 1;
    s.ready();
    s.m.fill_synthetic_field(s.out, s.m.field_store[0], 0);  // 4 x 3 = 12 words
    s.m.fill_synthetic_field(s.out, s.m.field_store[1], 1);  // 2 x 2 = 4 words
    auto w = s.words();
    ASSERT_EQ(w.size(), 16u);
    EXPECT_EQ((std::vector<int32_t>(w.begin() + 12, w.end())), (std::vector<int32_t>{1, 2, 2, 3}));
    EXPECT_EQ(s.at(1, 0, 2, 3), 6);  // outside the frame's corner, still filled
    EXPECT_EQ(s.m.total_input, 16);
}

}  // namespace
