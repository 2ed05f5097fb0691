#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <vector>

#include "config/model.h"

namespace {

struct Golden {
    DeinterlacerModel m;
    FILE* out = std::tmpfile();
    Golden(int32_t width, int32_t height, int32_t planes) {
        m.init_defaults();
        m.frame_width = width;
        m.frame_height = height;
        m.num_plane = planes;
    }
    // Golden sample (y, x) of plane p, buffer b = 100*p + 10*y + x.
    void ready(int32_t b = 0) {
        m.derive_configuration();
        ASSERT_EQ(m.allocate_buffers(), 0);
        for (int32_t p = 0; p < m.num_plane; ++p)
            for (int32_t y = 0; y < m.frame_height; ++y)
                for (int32_t x = 0; x < m.frame_width; ++x)
                    m.frame_store[b][p][y][x] = 100 * p + 10 * y + x;
    }
    ~Golden() {
        std::fclose(out);
        m.release_buffers();
    }
    std::vector<unsigned char> bytes() {
        std::fflush(out);
        std::rewind(out);
        std::vector<unsigned char> v;
        int c;
        while ((c = std::getc(out)) != EOF) v.push_back(static_cast<unsigned char>(c));
        return v;
    }
    std::vector<int32_t> words() {
        auto b = bytes();
        std::vector<int32_t> w;
        for (size_t i = 0; i + 1 < b.size(); i += 2) w.push_back(b[i] | b[i + 1] << 8);
        return w;
    }
};

TEST(GoldenFrame, LayoutAndOutputCount) {
    struct Case {
        const char* name;
        int32_t width, planes;
        uint8_t ycbcr422, parallel;
        std::vector<int32_t> words;
        int32_t total_output;
    };
    // Frames of 2 rows; plane p row y column x holds 100p + 10y + x.
    const Case cases[] = {
        {"one plane", 3, 1, 0, 0, {0, 1, 2, 10, 11, 12}, 6},
        {"two planes", 2, 2, 0, 0, {0, 1, 10, 11, 100, 101, 110, 111}, 8},
        {"two planes, parallel", 2, 2, 0, 1, {0, 1, 10, 11, 100, 101, 110, 111}, 4},
        // Chroma keeps columns 0 and 2 of each row.
        {"4:2:2", 4, 3, 1, 0,
         {0, 1, 2, 3, 10, 11, 12, 13, 100, 102, 110, 112, 200, 202, 210, 212}, 16},
        {"4:2:2 parallel", 4, 3, 1, 1,
         {0, 1, 2, 3, 10, 11, 12, 13, 100, 102, 110, 112, 200, 202, 210, 212}, 8},
        // Width 3: chroma words y*3/2 + k for k < 1 -> words 0 and 1 hold
        // column 0 of rows 0 and 1; word 2 is left without a sample and is 0.
        {"4:2:2 odd width", 3, 3, 1, 0, {0, 1, 2, 10, 11, 12, 100, 110, 0, 200, 210, 0}, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Golden g(c.width, 2, c.planes);
        g.m.ycbcr422 = c.ycbcr422;
        g.m.parallel = c.parallel;
        g.ready();
        EXPECT_FALSE(g.m.write_golden_frame(g.out, 0, 0));
        EXPECT_EQ(g.words(), c.words);
        EXPECT_EQ(g.m.total_output, c.total_output);
    }
}

TEST(GoldenFrame, CropsToEachFramesOwnSize) {
    Golden g(4, 3, 1);
    g.m.dynamic = 1;
    g.m.frmw[1] = 1;  // 2 x 1
    g.m.frmh[1] = 0;
    g.m.frmw[2] = 2;  // 3 x 2, also used by frames from 3 on
    g.m.frmh[2] = 1;
    g.ready(1);
    for (int32_t frame : {0, 1, 2, 1500}) EXPECT_FALSE(g.m.write_golden_frame(g.out, 1, frame));
    const std::vector<int32_t> full = {0, 1, 2, 3, 10, 11, 12, 13, 20, 21, 22, 23};
    std::vector<int32_t> want = full;
    for (int32_t v : {0, 1}) want.push_back(v);
    for (int32_t rep = 0; rep < 2; ++rep)
        for (int32_t v : {0, 1, 2, 10, 11, 12}) want.push_back(v);
    EXPECT_EQ(g.words(), want);
    EXPECT_EQ(g.m.total_output, 12 + 2 + 6 + 6);
}

TEST(GoldenFrame, WordsAreLowSixteenBitsLittleEndian) {
    Golden g(4, 1, 1);
    g.ready();
    const int32_t samples[] = {1023, 511, -1, 65536 + 5};
    for (int32_t x = 0; x < 4; ++x) g.m.frame_store[0][0][0][x] = samples[x];
    g.m.write_golden_frame(g.out, 0, 0);
    EXPECT_EQ(g.bytes(), (std::vector<unsigned char>{0xFF, 0x03, 0xFF, 0x01, 0xFF, 0xFF, 0x05, 0x00}));
}

TEST(GoldenFrame, FailuresAreReported) {
    Golden g(4, 2, 1);
    g.ready();
    FILE* full = std::fopen("/dev/full", "wb");
    ASSERT_NE(full, nullptr);
    std::setvbuf(full, nullptr, _IONBF, 0);
    EXPECT_TRUE(g.m.write_golden_frame(full, 0, 0));
    std::fclose(full);

    // A count that would leave the 32-bit range fails and is not wrapped.
    g.m.total_output = INT_MAX - 7;
    EXPECT_TRUE(g.m.write_golden_frame(g.out, 0, 0));
    EXPECT_EQ(g.m.total_output, INT_MAX - 7);
}

}  // namespace
