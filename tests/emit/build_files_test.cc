// Whole runs: a build file that cannot be written ends the run with its own
// status and message, and nothing after it is written.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include "support/test_support.h"

using veldax_test::file_exists;
using veldax_test::read_file;
using veldax_test::run_veldax;
using veldax_test::TempDir;
using veldax_test::write_file;

namespace {

enum class Blocker { kDirectory, kFullDevice };

void block(const std::string& path, Blocker how) {
    if (how == Blocker::kDirectory) {
        ASSERT_EQ(mkdir(path.c_str(), 0755), 0);
    } else {
        ASSERT_EQ(symlink("/dev/full", path.c_str()), 0);
    }
}

const char kSmallConfig[] =
    "ModuleName=abc\n"
    "frame_width=8\n"
    "frame_height=4\n";

}  // namespace

TEST(BuildFiles, GeneratingRunWritesBoth) {
    TempDir dir;
    write_file(dir.file("cfg.kvf"), kSmallConfig);
    const auto r = run_veldax(dir.path(), {"cfg.kvf", "-d", "1"});
    EXPECT_EQ(r.status, 0) << r.output;
    const std::string params = read_file(dir.file("params.v"));
    EXPECT_EQ(std::count(params.begin(), params.end(), '\n'), 43);
    EXPECT_TRUE(file_exists(dir.file("veldax_head")));
}

TEST(BuildFiles, UnwritableParamsFileExitsEight) {
    for (const Blocker how : {Blocker::kDirectory, Blocker::kFullDevice}) {
        SCOPED_TRACE(how == Blocker::kDirectory ? "directory" : "/dev/full");
        TempDir dir;
        write_file(dir.file("cfg.kvf"), kSmallConfig);
        block(dir.file("params.v"), how);
        const auto r = run_veldax(dir.path(), {"cfg.kvf", "-d", "1"});
        EXPECT_EQ(r.status, 8);
        EXPECT_NE(r.output.find("Failed to generate params file \n"), std::string::npos)
            << r.output;
        EXPECT_FALSE(file_exists(dir.file("veldax_head")));
    }
}

TEST(BuildFiles, UnwritableHeaderExitsNine) {
    for (const Blocker how : {Blocker::kDirectory, Blocker::kFullDevice}) {
        SCOPED_TRACE(how == Blocker::kDirectory ? "directory" : "/dev/full");
        TempDir dir;
        write_file(dir.file("cfg.kvf"), kSmallConfig);
        block(dir.file("veldax_head"), how);
        const auto r = run_veldax(dir.path(), {"cfg.kvf", "-d", "1"});
        EXPECT_EQ(r.status, 9);
        EXPECT_NE(r.output.find("Can't generate veldax_head file\n"
                                "Failed to generate veldax head file \n"),
                  std::string::npos)
            << r.output;
        // params.v came first and is complete.
        const std::string params = read_file(dir.file("params.v"));
        EXPECT_EQ(std::count(params.begin(), params.end(), '\n'), 43);
    }
}
