#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "io/file_test_helpers.h"
#include "support/test_support.h"

using fileio_test::SmallModel;
using fileio_test::stream_bytes;
using fileio_test::words_of;
using veldax_test::TempDir;
using veldax_test::write_file;

namespace {

std::string bytes(std::initializer_list<int> v) {
    std::string s;
    for (int b : v) s += static_cast<char>(b);
    return s;
}

// An input stream holding the given bytes.
FILE* input_of(const std::string& content) {
    FILE* f = std::tmpfile();
    std::fwrite(content.data(), 1, content.size(), f);
    std::rewind(f);
    return f;
}

TEST(YuvStimulus, Chroma422PairsColumnsAndWritesEachByteOnce) {
    SmallModel s(3, 4, 2, 8, true);
    ASSERT_TRUE(s.ok);
    // Y 8 bytes; Cb rows (a b) (c d); Cr rows (e f) (g h).
    const std::string frame = bytes({1, 2, 3, 4, 5, 6, 7, 8,  20, 21, 22, 23,  30, 31, 32, 33});
    FILE* in = input_of(frame + frame.substr(0, 10));  // then a partial frame
    FILE* stim = std::tmpfile();
    bool failed = true;
    EXPECT_TRUE(s.m.read_yuv_frame(in, stim, s.m.field_store[0], &failed));
    EXPECT_FALSE(failed);
    const int y_row1[4] = {5, 6, 7, 8}, cb_row0[4] = {20, 20, 21, 21}, cb_row1[4] = {22, 22, 23, 23},
              cr_row1[4] = {32, 32, 33, 33};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(s.field(0, 0, 1, k), y_row1[k]);
        EXPECT_EQ(s.field(0, 1, 0, k), cb_row0[k]);
        EXPECT_EQ(s.field(0, 1, 1, k), cb_row1[k]);
        EXPECT_EQ(s.field(0, 2, 1, k), cr_row1[k]);
    }
    EXPECT_EQ(words_of(stream_bytes(stim)),
              (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 20, 21, 22, 23, 30, 31, 32, 33}));
    EXPECT_EQ(s.m.total_input, 16);

    // The partial frame is not taken and leaves no trace.
    EXPECT_FALSE(s.m.read_yuv_frame(in, stim, s.m.field_store[1], &failed));
    EXPECT_FALSE(failed);
    EXPECT_EQ(stream_bytes(stim).size(), 32u);
    EXPECT_EQ(s.field(1, 0, 0, 0), 0);
    EXPECT_EQ(s.m.total_input, 16);
    EXPECT_TRUE(std::feof(in));
    std::fclose(in);
    std::fclose(stim);
}

TEST(YuvStimulus, OddAreaChromaIndexesRunIntoTheNextPlane) {
    // w = 3, h = 1: Y at 0..2, Cb at 3, Cr at 4, byte 5 is the frame's last.
    SmallModel s(3, 3, 1, 8, true);
    ASSERT_TRUE(s.ok);
    FILE* in = input_of(bytes({1, 2, 3, 40, 50, 60}));
    FILE* stim = std::tmpfile();
    bool failed = true;
    ASSERT_TRUE(s.m.read_yuv_frame(in, stim, s.m.field_store[0], &failed));
    const int cb[3] = {40, 40, 50}, cr[3] = {50, 50, 60};
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(s.field(0, 1, 0, k), cb[k]) << k;
        EXPECT_EQ(s.field(0, 2, 0, k), cr[k]) << k;
    }
    EXPECT_EQ(words_of(stream_bytes(stim)), (std::vector<int>{1, 2, 3, 40, 50}));
    EXPECT_EQ(s.m.total_input, 5);
    std::fclose(in);
    std::fclose(stim);
}

TEST(YuvStimulus, PlanarFramesAndCutShortPlanes) {
    SmallModel s(2, 2, 2, 4);  // 4-bit samples: bytes are not clamped
    ASSERT_TRUE(s.ok);
    const std::string frame = bytes({1, 2, 3, 200, 9, 8, 7, 6});
    FILE* in = input_of(frame + bytes({11, 12, 13, 14, 99}));  // second plane cut short
    FILE* stim = std::tmpfile();
    bool failed = true;
    ASSERT_TRUE(s.m.read_yuv_frame(in, stim, s.m.field_store[0], &failed));
    EXPECT_EQ(s.field(0, 0, 1, 1), 200);
    EXPECT_EQ(s.field(0, 1, 0, 1), 8);
    EXPECT_EQ(s.m.total_input, 8);

    EXPECT_FALSE(s.m.read_yuv_frame(in, stim, s.m.field_store[1], &failed));
    EXPECT_FALSE(failed);
    // The first plane was stored and written, the second was not.
    EXPECT_EQ(s.field(1, 0, 1, 1), 14);
    EXPECT_EQ(s.field(1, 1, 0, 0), 0);
    EXPECT_EQ(words_of(stream_bytes(stim)),
              (std::vector<int>{1, 2, 3, 200, 9, 8, 7, 6, 11, 12, 13, 14}));
    EXPECT_EQ(s.m.total_input, 12);
    std::fclose(in);
    std::fclose(stim);
}

TEST(YuvStimulus, EmptyInputReadsNothing) {
    for (bool packed : {false, true}) {
        SmallModel s(3, 2, 2, 8, packed);
        ASSERT_TRUE(s.ok);
        FILE* in = input_of("");
        FILE* stim = std::tmpfile();
        bool failed = true;
        EXPECT_FALSE(s.m.read_yuv_frame(in, stim, s.m.field_store[0], &failed));
        EXPECT_FALSE(failed);
        EXPECT_EQ(stream_bytes(stim), "");
        EXPECT_EQ(s.m.total_input, 0);
        std::fclose(in);
        std::fclose(stim);
    }
}

TEST(YuvStimulus, WriteAndReadFailures) {
    TempDir dir;
    SmallModel s(1, 2, 1);
    ASSERT_TRUE(s.ok);
    bool failed = false;
    // "stimulus.dat" refusing the words.
    write_file(dir.file("ro"), "");
    FILE* ro = std::fopen(dir.file("ro").c_str(), "rb");
    FILE* in = input_of(bytes({1, 2}));
    EXPECT_FALSE(s.m.read_yuv_frame(in, ro, s.m.field_store[0], &failed));
    EXPECT_TRUE(failed);
    std::fclose(in);

    // A read error (a folder opened as the sequence) takes no frame and
    // leaves the error on the input stream for the caller to see.
    FILE* folder = std::fopen(dir.path().c_str(), "rb");
    ASSERT_NE(folder, nullptr);
    FILE* stim = std::tmpfile();
    failed = false;
    EXPECT_FALSE(s.m.read_yuv_frame(folder, stim, s.m.field_store[0], &failed));
    EXPECT_FALSE(failed);
    EXPECT_TRUE(std::ferror(folder));
    EXPECT_EQ(stream_bytes(stim), "");
    std::fclose(folder);
    std::fclose(stim);
    std::fclose(ro);
}

TEST(GoldenYuv, LowBytesAndEvenChromaColumns) {
    struct Case {
        const char* name;
        int planes, w, h;
        bool packed;
        std::vector<int> expected;
    };
    // Golden sample of plane p, row j, column k: 100 p + 10 j + k; plane 0
    // row 0 column 0 is 300 (written as its low byte, 44).
    const Case cases[] = {
        {"4:2:2 w4", 3, 4, 2, true,
         {44, 1, 2, 3, 10, 11, 12, 13,  100, 102, 110, 112,  200, 202, 210, 212}},
        // Odd width: row 1 starts at index 1; index 2 gets no sample.
        {"4:2:2 w3", 3, 3, 2, true, {44, 1, 2, 10, 11, 12,  100, 110, 0,  200, 210, 0}},
        {"planar", 2, 2, 1, false, {44, 1, 100, 101}},
    };
    for (const auto& c : cases) {
        SmallModel s(c.planes, c.w, c.h, 10, c.packed);
        ASSERT_TRUE(s.ok);
        for (int p = 0; p < c.planes; ++p)
            for (int j = 0; j < c.h; ++j)
                for (int k = 0; k < c.w; ++k) s.m.frame_store[1][p][j][k] = 100 * p + 10 * j + k;
        s.m.frame_store[1][0][0][0] = 300;
        FILE* out = std::tmpfile();
        EXPECT_FALSE(s.m.write_golden_yuv(out, 1)) << c.name;
        const std::string got = stream_bytes(out);
        std::vector<int> values;
        for (unsigned char ch : got) values.push_back(ch);
        EXPECT_EQ(values, c.expected) << c.name;
        std::fclose(out);
    }
}

TEST(GoldenYuv, WriteFailureIsReported) {
    TempDir dir;
    SmallModel s(1, 2, 1);
    ASSERT_TRUE(s.ok);
    write_file(dir.file("ro"), "");
    FILE* ro = std::fopen(dir.file("ro").c_str(), "rb");
    EXPECT_TRUE(s.m.write_golden_yuv(ro, 0));
    std::fclose(ro);
}

}  // namespace
