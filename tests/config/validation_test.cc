#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"

using veldax_test::run_veldax;
using veldax_test::TempDir;

namespace {

struct Refusal {
    const char* text;
    const char* sw;  // switch to run with; none for configurations too large to generate
    const char* line;
};

// A refused configuration prints one line naming key, value and limit, then
// the driver's line; exit 1 and no file written, even with a generating switch.
TEST(Validation, RefusedConfigurations) {
    const Refusal cases[] = {
        {"num_plane=0\n", "-d", "cfg.kvf: num_plane = 0 is below 1\n"},
        {"frame_width=0\n", "-d", "cfg.kvf: frame_width = 0 is below 1\n"},
        {"frame_height=-4\n", "-d", "cfg.kvf: frame_height = -4 is below 1\n"},
        {"frame_width=-2147483648\n", "-d", "cfg.kvf: frame_width = -2147483648 is below 1\n"},
        {"frame_width=8\nframe_height=4\ndwidth = 10\n", "-d", "cfg.kvf: dwidth = 0 is outside 1..16\n"},
        {"frame_width=8\nframe_height=4\ndwidth=17\n", "-g", "cfg.kvf: dwidth = 17 is outside 1..16\n"},
        {"frame_width=8\nframe_height=4\nycbcr422=1\nnum_plane=2\n", "-d",
         "cfg.kvf: ycbcr422 = 1 needs num_plane >= 3, num_plane = 2\n"},
        {"frame_width=8\nframe_height=4\nburst_count=1\nburst_length=1\n", "-d",
         "cfg.kvf: (burst_count*burst_length)/2 * (dbus_width/dwidth) must be at least 1 "
         "(burst_count = 1, burst_length = 1, dbus_width = 16, dwidth = 8)\n"},
        {"frame_width=8\nframe_height=4\ndbus_width=4\n", "-d",
         "cfg.kvf: (burst_count*burst_length)/2 * (dbus_width/dwidth) must be at least 1 "
         "(burst_count = 3, burst_length = 4, dbus_width = 4, dwidth = 8)\n"},
        {"frame_width=8\nframe_height=4\ndynamic=1\nfrmw_1=8\n", "-d",
         "cfg.kvf: frmw_1 = 8 exceeds frame_width - 1 = 7\n"},
        {"frame_width=8\nframe_height=4\ndynamic=1\nfrmh_0=4\n", "-d",
         "cfg.kvf: frmh_0 = 4 exceeds frame_height - 1 = 3\n"},
        {"frame_height=2147483647\n", nullptr,
         "cfg.kvf: frame_height = 2147483647 gives padded_height 2147483649, beyond 2147483647\n"},
        {"frame_width=2147483646\n", nullptr,
         "cfg.kvf: frame_width = 2147483646 gives padded_width 2147483650, beyond 2147483647\n"},
        {"num_plane=3\nframe_width=30000\nframe_height=30000\n", nullptr,
         "cfg.kvf: num_plane*frame_width*frame_height = 3*30000*30000 exceeds 2147483647\n"},
        {"frame_width=40000\nframe_height=40000\n", nullptr,
         "cfg.kvf: 2*frame_width*frame_height = 2*40000*40000 exceeds 2147483647\n"},
        {"frame_width=8\nframe_height=4\nbase_addr=1FFFFFFFF\n", "-d",
         "cfg.kvf line 3: base_addr value 1FFFFFFFF does not fit in 32 bits\n"},
        {"frame_width=8\nframe_height=4\nModuleName=usr=4294967296\n", "-d",
         "cfg.kvf line 3: sr value 4294967296 does not fit in 32 bits\n"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        veldax_test::write_file(dir.file("cfg.kvf"), c.text);
        std::vector<std::string> args{"cfg.kvf"};
        if (c.sw) args.push_back(c.sw);
        const auto r = run_veldax(dir.path(), args);
        EXPECT_EQ(r.status, 1) << c.text;
        EXPECT_EQ(r.output, std::string(c.line) + "Failed to parse kvf file\n") << c.text;
        EXPECT_EQ(veldax_test::list_dir(dir.path()), std::vector<std::string>{"cfg.kvf"}) << c.text;
    }
}

// The frame-memory depth formed by the build-file writer must stay in 32
// bits: 40000 x 25000 samples of 16 bits need about 4e9 bytes per two fields.
TEST(Validation, MemoryDepthBeyond32Bits) {
    TempDir dir;
    veldax_test::write_file(dir.file("cfg.kvf"), "frame_width=40000\nframe_height=25000\ndwidth=16\n");
    const auto r = run_veldax(dir.path(), {"cfg.kvf"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.output.find("cfg.kvf: the frame memory depth for frame_width = 40000"),
              std::string::npos)
        << r.output;
    EXPECT_EQ(veldax_test::list_dir(dir.path()), std::vector<std::string>{"cfg.kvf"});
}

}  // namespace
