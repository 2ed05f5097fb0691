// The in-process run against the program: for every source the stimulus and
// golden words the interface hands out, laid end to end, are the bytes of
// stimulus.dat and golden.dat of a real run of the same words, and the
// interface itself writes no file.
#include "app/run_api.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/test_support.h"

using namespace veldax_test;

namespace {

struct ApiCase {
    const char* name;
    const char* kvf;                  // parameter file, one key a line
    std::vector<std::string> words;   // the switch and its arguments
    const char* input_name;           // input file written beside it, or null
    std::string input;
};

std::string bmp_3x2() {
    // 24-bit BMP, 3 x 2 pixels, rows of 12 bytes (9 + 3 padding).
    std::string h = "BM";
    auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) h += static_cast<char>(v >> (8 * i)); };
    auto u16 = [&](uint16_t v) { h += static_cast<char>(v & 0xff); h += static_cast<char>(v >> 8); };
    u32(54 + 24); u16(0); u16(0); u32(54);
    u32(40); u32(3); u32(2); u16(1); u16(24); u32(0); u32(24); u32(0); u32(0); u32(0); u32(0);
    for (int i = 0; i < 24; ++i) h += static_cast<char>(i * 11);
    return h;
}

std::string yuv_frames(int bytes) {
    std::string s;
    for (int i = 0; i < bytes; ++i) s += static_cast<char>((i * 37 + 11) & 0xff);
    return s;
}

const ApiCase kCases[] = {
    {"ramp_weave", "frame_width=16\nframe_height=8\n", {"-d", "4"}, nullptr, ""},
    {"random_inter", "frame_width=12\nframe_height=6\ndmethod=inter\n", {"-g", "5"}, nullptr, ""},
    {"fconvert_422_sizes",
     "num_plane=3\nycbcr422=1\nframe_width=16\nframe_height=8\nfconvert=1\ndynamic=1\n"
     "frmw_0=11\nfrmh_0=5\nfrmw_1=13\nfrmh_1=6\nfrmw_2=9\nfrmh_2=3\ndwidth=10\ndmethod=intra\n",
     {"-d", "4"}, nullptr, ""},
    {"bobo_444", "num_plane=3\nycbcr444=1\nframe_width=8\nframe_height=6\ndmethod=bobo\n",
     {"-g"}, nullptr, ""},
    {"yuv_422_cut", "num_plane=3\nycbcr422=1\nframe_width=6\nframe_height=4\nfconvert=1\n",
     {"-y", "seq.yuv"}, "seq.yuv", yuv_frames(150)},
    {"yuv_limit", "num_plane=3\nframe_width=8\nframe_height=4\ndmethod=inter\n",
     {"-y", "seq.yuv", "2"}, "seq.yuv", yuv_frames(4 * 96)},
    {"text", "frame_width=4\nframe_height=4\ndwidth=10\ndmethod=intra\n", {"-l", "pic.txt"},
     "pic.txt", "3ff\n0\n1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n13\n14\n"},
    {"bmp", "num_plane=3\nframe_width=3\nframe_height=2\n", {"-b", "pic.bmp"}, "pic.bmp",
     bmp_3x2()},
};

std::string le_bytes(const uint16_t* words, size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        s += static_cast<char>(words[i] & 0xff);
        s += static_cast<char>(words[i] >> 8);
    }
    return s;
}

class RunApi : public ::testing::TestWithParam<ApiCase> {};

TEST_P(RunApi, WordsEqualTheFilesOfARun) {
    const ApiCase& c = GetParam();
    TempDir gen, api;
    for (const TempDir* d : {&gen, &api}) {
        write_file(d->file("c.kvf"), c.kvf);
        if (c.input_name) write_file(d->file(c.input_name), c.input);
    }
    std::vector<std::string> args{"c.kvf"};
    args.insert(args.end(), c.words.begin(), c.words.end());
    const RunResult r = run_veldax(gen.path(), args);
    ASSERT_EQ(r.status, 0) << r.output;
    const std::vector<std::string> before = list_dir(api.path());

    char cwd[4096];
    ASSERT_TRUE(getcwd(cwd, sizeof cwd));
    ASSERT_EQ(chdir(api.path().c_str()), 0);
    std::vector<const char*> words;
    for (const std::string& w : c.words) words.push_back(w.c_str());
    // Twice: handing out the stimulus, then the golden frames alone.
    for (const int hand_out : {1, 0}) {
        char error[256] = "";
        veldax_run* run = veldax_run_open("c.kvf", static_cast<int>(words.size()), words.data(),
                                          error, sizeof error);
        std::string stimulus, golden;
        int64_t frames = 0;
        if (run) {
            EXPECT_EQ(veldax_run_hand_out_stimulus(run, hand_out), 1);
            const veldax_field* f = nullptr;
            int status = 0;
            while ((status = veldax_run_next_field(run, &f, error, sizeof error)) ==
                   VELDAX_RUN_FIELD) {
                if (f->stimulus_bytes)
                    stimulus.append(reinterpret_cast<const char*>(f->stimulus_bytes),
                                    f->stimulus_byte_count);
                for (int32_t k = 0; k < f->frame_count; ++k) {
                    const veldax_frame& fr = f->frames[k];
                    EXPECT_EQ(fr.index, frames++);
                    EXPECT_EQ(fr.byte_offset, static_cast<int64_t>(golden.size()));
                    int64_t plane_words = 0;
                    for (int32_t p = 0; p < fr.plane_count; ++p) plane_words += fr.planes[p].words;
                    EXPECT_EQ(plane_words, static_cast<int64_t>(fr.word_count));
                    golden += le_bytes(fr.words, fr.word_count);
                }
            }
            EXPECT_EQ(status, VELDAX_RUN_END) << error;
            EXPECT_EQ(frames, veldax_run_frames(run));
            EXPECT_EQ(veldax_run_hand_out_stimulus(run, 1), 0) << "set after a step";
            veldax_run_close(run);
        }
        ASSERT_NE(run, nullptr) << error;
        EXPECT_EQ(stimulus, hand_out ? read_file(gen.file("stimulus.dat")) : "");
        EXPECT_EQ(golden, read_file(gen.file("golden.dat")));
        EXPECT_FALSE(golden.empty());
    }
    ASSERT_EQ(chdir(cwd), 0);
    EXPECT_EQ(list_dir(api.path()), before) << "the in-process run wrote a file";
}

INSTANTIATE_TEST_SUITE_P(Sources, RunApi, ::testing::ValuesIn(kCases),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(RunApiRefusals, OneLineForEachRefusal) {
    TempDir d;
    write_file(d.file("c.kvf"), "frame_width=8\nframe_height=4\n");
    write_file(d.file("bad.kvf"), "frame_width=zz\n");
    const struct {
        const char* kvf;
        std::vector<const char*> words;
        const char* says;
    } rows[] = {
        {"c.kvf", {}, "give the run's switch"},
        {"bad.kvf", {"-d"}, "bad.kvf"},
        {"c.kvf", {"-l", "missing.txt"}, "missing.txt"},
        {"c.kvf", {"-l"}, ""},
    };
    char cwd[4096];
    ASSERT_TRUE(getcwd(cwd, sizeof cwd));
    ASSERT_EQ(chdir(d.path().c_str()), 0);
    for (const auto& row : rows) {
        char error[256] = "";
        veldax_run* run = veldax_run_open(row.kvf, static_cast<int>(row.words.size()),
                                          row.words.data(), error, sizeof error);
        EXPECT_EQ(run, nullptr) << row.kvf;
        EXPECT_NE(std::string(error).find(row.says), std::string::npos) << error;
        EXPECT_NE(error[0], '\0') << row.kvf;
        veldax_run_close(run);
    }
    ASSERT_EQ(chdir(cwd), 0);
}

}  // namespace
