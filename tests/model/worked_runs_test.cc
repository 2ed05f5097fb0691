// Small runs worked out by hand, so that the faults the reference model
// check finds are also found where python3 is missing: the ramp's wrap, the
// parity and place of converted frames, the odd-width chroma of golden.dat,
// both sample counters.  The runs go through veldax-gen-variant once per row
// kernel variant this processor runs (the variant names the test).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/model_fixture.h"
#include "support/test_support.h"

using namespace veldax_test;

namespace {

struct Outputs {
    int status;
    std::vector<int> stimulus, golden;
    std::string params;
};

// The runs of a test, with the kernel variant of its parameter.
class WorkedRuns : public testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        RecordProperty("kernel_variant", GetParam());
        std::printf("kernel variant %s\n", GetParam().c_str());
    }
    Outputs run_d(const std::string& kvf) const;
};

Outputs WorkedRuns::run_d(const std::string& kvf) const {
    TempDir dir;
    write_file(dir.file("cfg.kvf"), kvf);
    const auto r = run_variant_shell(GetParam(), dir.path(), {"cfg.kvf", "-d"});
    return {r.status, words_of(read_file(dir.file("stimulus.dat"))),
            words_of(read_file(dir.file("golden.dat"))), read_file(dir.file("params.v"))};
}

std::string counter(const std::string& params, const std::string& name) {
    const size_t at = params.find("parameter " + name);
    if (at == std::string::npos) return "?";
    const size_t eq = params.find("= ", at) + 2;
    return params.substr(eq, params.find(';', eq) - eq);
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(KernelVariants, WorkedRuns, testing::ValuesIn(usable_kernel_variants()),
                         [](const testing::TestParamInfo<std::string>& variant) {
                             return variant.param;
                         });

// Ramp (i + p + j + k) mod max_value: with 2-bit samples (max 3) it wraps
// after 2, never reaching 3.
TEST_P(WorkedRuns, RampWrapsAtMaxValue) {
    const Outputs r = run_d("frame_width=4\nframe_height=2\ndwidth=2\n");
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.stimulus, (std::vector<int>{0, 1, 2, 0, 1, 2, 0, 1,     // field 0
                                            1, 2, 0, 1, 2, 0, 1, 2,     // field 1
                                            2, 0, 1, 2, 0, 1, 2, 0}));  // field 2
}

// One column of three rows, intra: a rebuilt row of constant rows above u,
// own m and below d is the median of (u, m, d), the X median and (u+d+1)/2;
// the last row is always kept.  Field i holds i, i+1, i+2; the border rows
// mirror row 1.  Keeping parity 0 gives the field itself, parity 1 rebuilds
// row 0 as i+1.  fconvert adds one frame of the other parity per field and
// one more ahead of the first pair; copyframe keeps the same parity.
TEST_P(WorkedRuns, ConvertedFramesParityAndFirstExtraFrame) {
    const std::string base = "frame_width=1\nframe_height=3\ndmethod=intra\nfconvert=1\n";
    const Outputs other = run_d(base);
    ASSERT_EQ(other.status, 0);
    EXPECT_EQ(other.golden,
              (std::vector<int>{0, 1, 2, 1, 1, 2, 1, 1, 2,  // field 0, extra, converted
                                1, 2, 3, 2, 2, 3,           // field 1
                                2, 3, 4, 3, 3, 4}));        // field 2
    EXPECT_EQ(counter(other.params, "OUTPUT_FRAMES"), "7");
    const Outputs same = run_d(base + "copyframe=1\n");
    ASSERT_EQ(same.status, 0);
    EXPECT_EQ(same.golden,
              (std::vector<int>{0, 1, 2, 0, 1, 2, 0, 1, 2, 1, 2, 3, 1, 2, 3, 2, 3, 4, 2, 3, 4}));
    const Outputs odd = run_d(base + "initfield=1\n");
    ASSERT_EQ(odd.status, 0);
    EXPECT_EQ(std::vector<int>(odd.golden.begin(), odd.golden.begin() + 9),
              (std::vector<int>{1, 1, 2, 0, 1, 2, 0, 1, 2}));
}

// 4:2:2 of 4 x 2: a field is 8 luma and 2 x 4 chroma words in, a frame 8 and
// 2 x 4 out; with parallel ports a frame counts its luma only.  Planar
// parallel counts plane 0 only.
TEST_P(WorkedRuns, BothSampleCounters) {
    const struct {
        std::string kvf, input, output;
    } cases[] = {
        {"num_plane=3\nycbcr422=1\n", "48", "48"},
        {"num_plane=3\nycbcr422=1\nparallel=1\n", "48", "24"},
        {"num_plane=3\n", "72", "72"},
        {"num_plane=3\nparallel=1\n", "72", "24"},
    };
    for (const auto& c : cases) {
        const Outputs r = run_d("frame_width=4\nframe_height=2\n" + c.kvf);
        ASSERT_EQ(r.status, 0) << c.kvf;
        EXPECT_EQ(counter(r.params, "TOTAL_INPUT"), c.input) << c.kvf;
        EXPECT_EQ(counter(r.params, "TOTAL_OUTPUT"), c.output) << c.kvf;
    }
}

// Odd width 3, 4:2:2: a chroma plane of golden.dat takes the even columns of
// row y at word y*3/2 + k, so row 1 starts at word 1; the third word gets
// no sample and is 0.
TEST(WorkedModel, OddWidthGoldenChroma) {
    TestModel t(3, 2, 3);
    t.m.ycbcr422 = 1;
    ASSERT_TRUE(t.ready());
    for (int p = 0; p < 3; ++p)
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) t.golden(p, y, x) = 10 * p + 3 * y + x + 1;
    FILE* f = std::tmpfile();
    ASSERT_EQ(t.m.write_golden_frame(f, 0), Status::ok);
    EXPECT_EQ(words_of(stream_bytes(f)),
              (std::vector<int>{1, 2, 3, 4, 5, 6, 11, 14, 0, 21, 24, 0}));
    std::fclose(f);
    EXPECT_EQ(t.m.total_output, 6 + 2 * 2);
}
