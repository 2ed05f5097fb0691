#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/model.h"
#include "support/test_support.h"

using veldax_test::list_dir;
using veldax_test::run_veldax;
using veldax_test::TempDir;

namespace {

const std::vector<std::string> kOnlyKvf{"cfg.kvf"};

TEST(CommandLine, NoArgument) {
    TempDir dir;
    const auto r = run_veldax(dir.path(), {});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.output, "At least the argument of KVF should be added\n");
    EXPECT_TRUE(list_dir(dir.path()).empty());
}

TEST(CommandLine, MissingParameterFile) {
    const std::vector<std::vector<std::string>> runs = {
        {"nope.kvf"},
        {"nope.kvf", "-g"},
        {"nope.kvf", "-d", "5"},
        {"nope.kvf", "-l", "pic.txt"},
        {"nope.kvf", "-y", "seq.yuv", "2"},
        {"nope.kvf", "-X"},
    };
    for (const auto& args : runs) {
        TempDir dir;
        const auto r = run_veldax(dir.path(), args);
        EXPECT_EQ(r.status, 1) << args.size();
        EXPECT_EQ(r.output, "KVF file nope.kvf does not exist\n") << args.size();
        EXPECT_TRUE(list_dir(dir.path()).empty());
    }
}

// A file switch without its file: that one line, status 1, and the
// parameter file is not even looked at.
TEST(CommandLine, FileSwitchWithoutFile) {
    for (const char* kvf : {"nope.kvf", "cfg.kvf"}) {
        for (const char* sw : {"-b", "-l", "-y"}) {
            TempDir dir;
            veldax_test::write_file(dir.file("cfg.kvf"), "dwidth=99999999999\n");
            const auto r = run_veldax(dir.path(), {kvf, sw});
            EXPECT_EQ(r.status, 1) << kvf << " " << sw;
            EXPECT_EQ(r.output, "The stimulus file should be added\n") << kvf << " " << sw;
            EXPECT_EQ(list_dir(dir.path()), kOnlyKvf);
        }
    }
}

// Anything but the five exact switches means a validation-only run.
TEST(CommandLine, UnrecognisedSwitchesOnlyValidate) {
    for (const char* sw : {"-X", "-G", "-gg", "-", "-D", "g", "--g"}) {
        TempDir dir;
        veldax_test::write_file(dir.file("cfg.kvf"), "frame_width=16\nframe_height=8\n");
        const auto r = run_veldax(dir.path(), {"cfg.kvf", sw, "5"});
        EXPECT_EQ(r.status, 0) << sw;
        EXPECT_EQ(r.output, "") << sw;
        EXPECT_EQ(list_dir(dir.path()), kOnlyKvf) << sw;
    }
}

struct Parsed {
    int32_t result;
    DeinterlacerModel m;
};

// parse_command_line on a defaulted model, with an existing parameter file.
void parse(Parsed& p, const TempDir& dir, std::vector<std::string> words) {
    veldax_test::write_file(dir.file("cfg.kvf"), "");
    words.insert(words.begin(), {"veldax-gen", dir.file("cfg.kvf")});
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    p.m.init_defaults();
    p.m.pattern_mode = p.m.generate_outputs = p.m.file_input = p.m.bmp_input = p.m.yuv_input = 1;
    testing::internal::CaptureStdout();
    p.result = p.m.parse_command_line(static_cast<int>(words.size()), argv.data());
    testing::internal::GetCapturedStdout();
}

TEST(CommandLine, FieldCounts) {
    const struct {
        std::vector<std::string> words;
        int32_t input_frames;
    } cases[] = {
        {{"-g"}, 3},          {{"-g", "2"}, 3},      {{"-g", "0"}, 3},
        {{"-g", "-7"}, 3},    {{"-g", "abc"}, 3},    {{"-g", "4"}, 4},
        {{"-g", "12"}, 12},   {{"-g", "12abc"}, 12}, {{"-d", " 9"}, 9},
        {{"-d", "1500"}, 1500}, {{"-X", "12"}, 3},   {{"-l", "12"}, 3},
    };
    TempDir dir;
    for (const auto& c : cases) {
        Parsed p;
        parse(p, dir, c.words);
        EXPECT_EQ(p.result, 0) << c.words[0];
        EXPECT_EQ(p.m.input_frames, c.input_frames) << c.words[0] << " " << c.words.back();
    }
}

TEST(CommandLine, ModeFlags) {
    const struct {
        std::vector<std::string> words;
        int pattern, generate, file, bmp, yuv;
    } cases[] = {
        {{}, 0, 0, 0, 0, 0},
        {{"-G"}, 0, 0, 0, 0, 0},
        {{"-g"}, 0, 1, 0, 0, 0},
        {{"-d"}, 1, 1, 0, 0, 0},
        {{"-l", "pic.txt"}, 0, 1, 1, 0, 0},
        {{"-b", "pic.bmp"}, 0, 1, 1, 1, 0},
        {{"-y", "seq.yuv"}, 0, 1, 1, 0, 1},
    };
    TempDir dir;
    for (const auto& c : cases) {
        Parsed p;
        parse(p, dir, c.words);
        const std::string what = c.words.empty() ? "none" : c.words[0];
        ASSERT_EQ(p.result, 0) << what;
        EXPECT_EQ(p.m.pattern_mode, c.pattern) << what;
        EXPECT_EQ(p.m.generate_outputs, c.generate) << what;
        EXPECT_EQ(p.m.file_input, c.file) << what;
        EXPECT_EQ(p.m.bmp_input, c.bmp) << what;
        EXPECT_EQ(p.m.yuv_input, c.yuv) << what;
        if (c.words.size() == 2) {
            EXPECT_EQ(p.m.stimulus_path, c.words[1]);
        }
    }
}

TEST(CommandLine, YuvFieldLimitAndLongPaths) {
    TempDir dir;
    Parsed p;
    parse(p, dir, {"-y", "f"});
    EXPECT_EQ(p.m.max_frames, 10000);
    parse(p, dir, {"-y", "f", "0"});
    EXPECT_EQ(p.m.max_frames, 0);
    parse(p, dir, {"-y", "f", "-5"});
    EXPECT_EQ(p.m.max_frames, -5);

    const std::string long_name(700, 'y');
    parse(p, dir, {"-y", long_name});
    EXPECT_EQ(p.m.stimulus_path, long_name);
}

// Counts too large for 32 bits are refused, not clamped.
TEST(CommandLine, CountsBeyond32BitsAreRefused) {
    for (const char* sw : {"-g", "-d"}) {
        TempDir dir;
        veldax_test::write_file(dir.file("cfg.kvf"), "frame_width=16\nframe_height=8\n");
        const auto r = run_veldax(dir.path(), {"cfg.kvf", sw, "99999999999"});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.output, std::string(sw) + ": the number 99999999999 does not fit in 32 bits\n");
        EXPECT_EQ(list_dir(dir.path()), kOnlyKvf);
    }
    TempDir dir;
    Parsed p;
    parse(p, dir, {"-y", "f", "4294967296"});
    EXPECT_EQ(p.result, 1);
}

}  // namespace
