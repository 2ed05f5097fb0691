#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/model_fixture.h"
#include "support/test_support.h"

using namespace veldax_test;

namespace {

TEST(SequencerRun, DefaultRandomRunIsTheSameEveryTime) {
    TempDir a, b;
    for (const TempDir* d : {&a, &b}) {
        write_file(d->file("t.kvf"), "\n");
        ASSERT_EQ(run_veldax(d->path(), {"t.kvf", "-g"}).status, 0);
    }
    const std::string golden = read_file(a.file("golden.dat"));
    EXPECT_EQ(golden.size(), 2027520u);
    EXPECT_TRUE(golden == read_file(b.file("golden.dat")));
}

// Status 5 and no build file: a full disk (the file is a link to /dev/full), a
// picture that cannot be opened (refused before any data file is created), an
// input named like an output (refused before it is overwritten).
TEST(SequencerRun, FailuresWriteNoBuildFile) {
    const std::vector<std::string> cases[] = {
        {"-d", "golden.dat"}, {"-d", "stimulus.dat"}, {"-l", "missing.txt"}, {"-y", "golden.yuv"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c[1]);
        TempDir dir;
        write_file(dir.file("t.kvf"), "\n");
        write_file(dir.file("golden.yuv"), "precious");
        const bool full = c[0] == "-d";
        if (full) {
            ASSERT_EQ(symlink("/dev/full", dir.file(c[1]).c_str()), 0);
        }
        const RunResult r = run_veldax(dir.path(), {"t.kvf", c[0], full ? "3" : c[1]});
        EXPECT_EQ(r.status, 5);
        EXPECT_NE(r.output.find("Failed to generate stimulus data\n"), std::string::npos);
        EXPECT_FALSE(file_exists(dir.file("params.v")) || file_exists(dir.file("veldax_head")));
        EXPECT_EQ(read_file(dir.file("golden.yuv")), "precious");
        const std::string golden = dir.file("golden.dat");
        if (c[0] == "-l") {
            EXPECT_FALSE(file_exists(golden));
        }
    }
}

// Frames of 4x2 one-byte samples (8 bytes) from a YUV file, up to a limit.
TEST(Sequencer, YuvFramesUpToTheLimit) {
    const std::string five(40, 'x');
    struct Case {
        std::string input;
        int32_t max_frames, fields;
    };
    const Case cases[] = {{"", 9, 0}, {five, 2, 2}, {five, 0, 1}, {five.substr(0, 19), 9, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.input.size() << " bytes, limit " << c.max_frames);
        TempDir dir;
        InDir in(dir.path());
        write_file("in.yuv", c.input);
        TestModel t(4, 2);
        t.m.run.source = StimulusSource::yuv;
        t.m.run.path = "in.yuv";
        t.m.run.max_fields = c.max_frames;
        ASSERT_TRUE(in.ok() && t.ready());
        EXPECT_EQ(t.m.run_generation(), Status::ok);
        EXPECT_EQ(t.m.input_frames, c.fields);
        EXPECT_EQ(read_file("golden.yuv"), c.input.substr(0, 8 * static_cast<size_t>(c.fields)));
    }
}

}  // namespace
