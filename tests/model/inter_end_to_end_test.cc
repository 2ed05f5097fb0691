// A whole run with the inter method on three 4:2:2 planes: golden words
// derived by hand from the ramp stimulus of "-d".
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace veldax_test {
namespace {

std::vector<int32_t> words_of(const std::string& bytes) {
    std::vector<int32_t> words;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        words.push_back(static_cast<uint8_t>(bytes[i]) |
                        (static_cast<uint8_t>(bytes[i + 1]) << 8));
    return words;
}

// 6 x 4 frame, three planes of 4:2:2 data, 8-bit ramp: field i, plane p holds
// i + p + j + k at row j, column k; chroma odd columns repeat the even one.
// Kept parity 0 and the last row kept: only row 1 is rebuilt.  Thresholds
// 0, 28, 200: motion below 28 takes the slow rule, from 28 on the medium one.
//
// Field 0 (previous picture all zero).  Plane 0 motion of row 1, by column:
// 12, 18, 27, 36, 45, 51 (the ramp summed over 3 x 3, edges replicated).
//   slow (k = 0..2): B = M0, g = 1 -> the own sample 1, 2, 3.
//   medium, k = 3: T = avg(4, 0) = 2, mid3 = median(3, 5, 2) = 3,
//     mid5 = median(3, 5, 3, 5, 2) = 3 -> median(3, 3, 4) = 3;
//   k = 4: T = 3, mid3 = 4, mid5 = median(4, 6, 4, 6, 3) = 4 -> 4;
//   k = 5: T = 3, mid3 = 5, mid5 = median(5, 7, 5, 6, 3) = 5 -> 5.
// Plane 1 rows 0..2: 1 1 3 3 5 5 / 2 2 4 4 6 6 / 3 3 5 5 7 7.  Its own
// motion at column 2 would be 30 (medium, giving 3), but 4:2:2 planes take
// plane 0's 27: slow, the own sample 4.  Column 0: slow, 2.  Column 4:
// motion 45, medium: T = avg(6, 0) = 3, mid3 = median(5, 7, 3) = 5,
// mid5 = median(5, 7, 4, 6, 3) = 5 -> median(5, 5, 6) = 5.
// Plane 2 is plane 1 plus one: column 0 -> 3, column 2 -> 5, column 4:
// T = 4, mid3 = 6, mid5 = median(6, 8, 5, 7, 4) = 6 -> 6.
//
// Fields 1 and 2 differ from the previous field by 1 everywhere: motion 9,
// slow rule, and the ramp is straight, so the golden frame is the field.
TEST(InterEndToEnd, RampThroughThreePlanesOf422) {
    TempDir dir;
    write_file(dir.file("inter.kvf"),
               "num_plane=3\n"
               "frame_width=6\n"
               "frame_height=4\n"
               "dmethod=inter\n"
               "ycbcr422=1\n"
               "dwidth=8\n"
               "interth0=0\n"
               "interth1=28\n"
               "interth2=200\n");
    const RunResult run = run_veldax(dir.path(), {"inter.kvf", "-d"});
    ASSERT_EQ(run.status, 0) << run.output;

    const std::vector<int32_t> golden = words_of(read_file(dir.file("golden.dat")));
    // Per frame: 24 luma words, then 4 rows x 3 words of each chroma plane.
    const size_t frame_words = 24 + 12 + 12;
    ASSERT_EQ(golden.size(), 3 * frame_words);

    auto luma = [&](int frame, int row, int col) {
        return golden[frame * frame_words + row * 6 + col];
    };
    auto chroma = [&](int frame, int plane, int row, int even_col) {
        return golden[frame * frame_words + 24 + (plane - 1) * 12 + row * 3 + even_col / 2];
    };

    // Field 0, rebuilt row 1.
    const int32_t row1_luma[6] = {1, 2, 3, 3, 4, 5};
    for (int k = 0; k < 6; ++k) EXPECT_EQ(luma(0, 1, k), row1_luma[k]) << "column " << k;
    const int32_t row1_cb[3] = {2, 4, 5};
    const int32_t row1_cr[3] = {3, 5, 6};
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(chroma(0, 1, 1, 2 * k), row1_cb[k]) << "column " << 2 * k;
        EXPECT_EQ(chroma(0, 2, 1, 2 * k), row1_cr[k]) << "column " << 2 * k;
    }
    // Kept rows of field 0 are the ramp itself.
    EXPECT_EQ(luma(0, 0, 5), 5);
    EXPECT_EQ(luma(0, 3, 2), 5);
    EXPECT_EQ(chroma(0, 2, 2, 4), 8);

    // Later fields: the ramp of the field.
    for (int frame = 1; frame < 3; ++frame)
        for (int k = 0; k < 6; ++k) {
            EXPECT_EQ(luma(frame, 1, k), frame + 1 + k) << "frame " << frame;
            if (k % 2 == 0) {
                EXPECT_EQ(chroma(frame, 1, 1, k), frame + 2 + k) << "frame " << frame;
                EXPECT_EQ(chroma(frame, 2, 1, k), frame + 3 + k) << "frame " << frame;
            }
        }
}

}  // namespace
}  // namespace veldax_test
