#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/test_support.h"

using veldax_test::list_dir;
using veldax_test::run_veldax;
using veldax_test::TempDir;

#if defined(__SANITIZE_ADDRESS__)
#define VELDAX_TEST_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELDAX_TEST_SANITIZED 1
#endif
#endif

namespace {

TEST(Driver, HelpAndVersionExitZero) {
    TempDir dir;
    for (const char* arg : {"--help", "-h"}) {
        auto r = run_veldax(dir.path(), {arg});
        EXPECT_EQ(r.status, 0);
        EXPECT_NE(r.output.find("usage: veldax-gen"), std::string::npos);
    }
    auto r = run_veldax(dir.path(), {"--version"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.output.rfind("veldax-gen ", 0), 0u);
    EXPECT_TRUE(list_dir(dir.path()).empty());
}

// Each shipped example passes validation silently and writes nothing.
TEST(Driver, ShippedExamplesValidate) {
    for (const char* name : {"default.kvf", "ntsc_inter_422_10bit.kvf", "hd_intra_422_8bit.kvf"}) {
        TempDir dir;
        const auto r = run_veldax(dir.path(), {veldax_test::source_path("examples/") + name});
        EXPECT_EQ(r.status, 0) << name;
        EXPECT_EQ(r.output, "") << name;
        EXPECT_TRUE(list_dir(dir.path()).empty()) << name;
    }
}

// A valid configuration far beyond the machine's memory: two planes of
// 32000 x 32000 need about 16 GB of field buffers and as much again for the
// golden frames.  The run ends with the memory message, not a crash.
TEST(Driver, ConfigurationBeyondMemory) {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long page = sysconf(_SC_PAGE_SIZE);
    const double memory = static_cast<double>(pages) * static_cast<double>(page);
    const double field = 2.0 * 2 * 32002.0 * 32004.0 * 4;
    const double golden = 2.0 * 2 * 32000.0 * 32000.0 * 4 + 32000.0 * 32000.0 * 4;
    if (pages <= 0 || page <= 0 || memory >= field + golden) GTEST_SKIP() << "memory unknown or large";
    TempDir dir;
    veldax_test::write_file(dir.file("cfg.kvf"),
                            "num_plane=2\nframe_width=32000\nframe_height=32000\ndwidth=1\n");
    const auto r = run_veldax(dir.path(), {"cfg.kvf", "-d"});
    if (memory < field) {
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.output, "Stimulus memory allocate error\n");
    } else {
        EXPECT_EQ(r.status, 3);
        EXPECT_EQ(r.output, "Golden memory allocate error\n");
    }
    EXPECT_EQ(list_dir(dir.path()), std::vector<std::string>{"cfg.kvf"});
}

// Real allocation failures, under a 200 MB address-space limit: 8000 x 8000
// field buffers (512 MB) fail at once; 4000 x 4000 field buffers (128 MB)
// fit but the golden frames beside them do not.
TEST(Driver, AllocationFailureUnderAddressLimit) {
#ifdef VELDAX_TEST_SANITIZED
    GTEST_SKIP() << "sanitizers cannot run under an address-space limit";
#else
    const struct {
        int side;
        int status;
        const char* message;
    } cases[] = {
        {8000, 2, "Stimulus memory allocate error\n"},
        {4000, 3, "Golden memory allocate error\n"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const std::string side = std::to_string(c.side);
        veldax_test::write_file(dir.file("cfg.kvf"),
                                "frame_width=" + side + "\nframe_height=" + side + "\n");
        TempDir capture;
        const std::string cmd = "cd '" + dir.path() + "' && bash -c \"ulimit -v 220000; exec '" +
                                VELDAX_BINARY + "' cfg.kvf -d\" >'" + capture.file("out") +
                                "' 2>&1";
        const int raw = std::system(cmd.c_str());
        ASSERT_TRUE(WIFEXITED(raw));
        EXPECT_EQ(WEXITSTATUS(raw), c.status) << c.side;
        EXPECT_EQ(veldax_test::read_file(capture.file("out")), c.message) << c.side;
        EXPECT_EQ(list_dir(dir.path()), std::vector<std::string>{"cfg.kvf"});
    }
#endif
}

}  // namespace
