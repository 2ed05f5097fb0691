#include <gtest/gtest.h>

#include "support/model_fixture.h"

// Every sample a golden plane stores maps back to its own row and column,
// packed 4:2:2 chroma (column 2c for word c) and odd widths included.
TEST(FrameLayout, SpanPositionInvertsThePacking) {
    for (int32_t w : {1, 2, 3, 4, 5, 12}) {
        for (int32_t h : {1, 2, 5}) {
            for (bool packed : {false, true}) {
                const PlaneSpan span{w, h, packed, packed ? chroma_words(w, h) : int64_t{w} * h, 0};
                for (int32_t j = 0; j < h; ++j)
                    for (int32_t k = 0; k < w; k += packed ? 2 : 1) {
                        if (packed && k + 1 >= w && w % 2) continue;  // no partner column
                        const int64_t word = packed ? chroma_word(w, j, k) : int64_t{j} * w + k;
                        const SamplePosition at = span_position(span, word);
                        EXPECT_EQ(at.row, j) << w << "x" << h << " packed " << packed << " word " << word;
                        EXPECT_EQ(at.col, k) << w << "x" << h << " packed " << packed << " word " << word;
                    }
                // Words no column reaches stay inside the row they lie in.
                for (int64_t word = 0; word < span.words; ++word) {
                    const SamplePosition at = span_position(span, word);
                    EXPECT_LT(at.row, h);
                    EXPECT_LT(at.col, w);
                }
            }
        }
    }
}

TEST(FrameLayout, GoldenPlaneWordAndStimulusRecords) {
    veldax_test::TestModel t(12, 6, 3, 10);
    t.m.ycbcr422 = 1;
    t.m.dynamic = 1;
    t.m.frmw[1] = 9;
    t.m.frmh[1] = 3;
    t.m.derive_configuration();
    const FrameLayout l = t.m.layout();
    // Frame index 1 is 10 x 4: 40 luma words, then two chroma planes of 20.
    const struct { int64_t word; int32_t plane; int64_t within; } cases[] = {
        {0, 0, 0}, {39, 0, 39}, {40, 1, 0}, {59, 1, 19}, {60, 2, 0}, {79, 2, 19}};
    for (const auto& c : cases) {
        const PlaneWord pw = l.golden_plane_word(1, c.word);
        EXPECT_EQ(pw.plane, c.plane) << c.word;
        EXPECT_EQ(pw.word, c.within) << c.word;
    }
    // Synthetic fields take their own sizes: 144, 80, then entry 2's size.
    std::vector<int64_t> offsets, words;
    l.for_each_stimulus_field(3, [&](const StimulusField& f) {
        offsets.push_back(f.byte_offset);
        words.push_back(f.words);
        EXPECT_EQ(f.bytes, 2 * f.words);
    });
    EXPECT_EQ(offsets, (std::vector<int64_t>{0, 288, 448}));
    EXPECT_EQ(words, (std::vector<int64_t>{144, 80, 144}));
    EXPECT_EQ(l.run_fields(5, 0, 0), 5);
}

// A planar sequence cut inside a frame leaves the whole planes read before
// the cut in "stimulus.dat", unless the field limit stopped the reading.
TEST(FrameLayout, YuvStrayWords) {
    veldax_test::TestModel t(4, 2, 3);
    t.m.file_input = t.m.yuv_input = 1;
    t.m.derive_configuration();
    const FrameLayout planar = t.m.layout();
    const struct { int64_t bytes; int32_t max; int32_t fields; int64_t stray; } cases[] = {
        {24, 10, 1, 0}, {24 + 8, 10, 1, 8}, {24 + 17, 10, 1, 16}, {48 + 8, 2, 2, 0},
        {7, 10, 0, 0},  {8, 0, 0, 8},       {24 + 8, 1, 1, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(planar.yuv_fields(c.bytes, c.max), c.fields) << c.bytes << " " << c.max;
        EXPECT_EQ(planar.yuv_stray_words(c.bytes, c.max), c.stray) << c.bytes << " " << c.max;
    }
    t.m.ycbcr422 = 1;
    EXPECT_EQ(t.m.layout().yuv_stray_words(16 + 8, 10), 0);
}
