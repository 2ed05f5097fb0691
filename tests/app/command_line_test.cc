#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>
#include <cmath>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "support/model_fixture.h"
#include "support/test_support.h"

// Runs in a folder holding cfg.kvf (`kvf`) and bad.kvf (refused on reading), under an address-space
// limit (kB) if given: exit status, all that is printed, no file written. Beyond physical memory (if
// under 30 GB) a request is refused up front: field buffers take 80 bytes a row for 2 planes 1 x mem/60,
// 16 a sample for 2 planes sqrt(mem/28) square at 1 bit, golden frames 20 more. Under 220 MB, 8000^2
// field buffers (512 MB) fail; 4000^2 ones (128 MB) fit but their golden frames do not.
TEST(Driver, Runs) {
    struct Case { std::vector<std::string> args; int status; std::string out, kvf = ""; long kb = 0; };
    const std::vector<std::string> v{"cfg.kvf"};  // no -d where a broken check would ask for GBs
    auto bad = [](std::string kvf, std::string line, std::vector<std::string> args = {"cfg.kvf", "-d"},
                  std::string warning = "") {
        return Case{args, 1, warning + "cfg.kvf: " + line + "\nFailed to parse kvf file\n", kvf};
    };
    auto not_switch = [](std::string sw) {
        return "veldax-gen: warning: " + sw + " is not a switch (-g, -d, -l, -b or -y): cfg.kvf is only "
               "checked, nothing is generated\n";
    };
    const std::string nokvf = "KVF file nope.kvf does not exist\n", two = "Stimulus memory allocate error\n",
                      nofile = "The stimulus file should be added\n", three = "Golden memory allocate error\n";
    std::vector<Case> runs = {
        {{}, 1, "At least the argument of KVF should be added\n"}, {{"nope.kvf"}, 1, nokvf},
        {{"nope.kvf", "-g"}, 1, nokvf}, {{"nope.kvf", "-b"}, 1, nofile}, {{"bad.kvf", "-b"}, 1, nofile},
        {{"cfg.kvf", "-X", "5"}, 0, not_switch("-X")}, {{"cfg.kvf", "-gg"}, 0, not_switch("-gg")},
        {{"cfg.kvf", "g"}, 0, not_switch("g")},
        bad("num_plane=0\n", "num_plane = 0 is below 1"), bad("dwidth=17\n", "dwidth = 17 is outside 1..16"),
        bad("dwidth = 10\n", "dwidth = 0 is outside 1..16", {"cfg.kvf", "-d"},
            "veldax-gen: warning: cfg.kvf line 1: dwidth value \"= 10\" is not a decimal number; read as 0\n"),
        bad("ycbcr422=1\nnum_plane=2\n", "ycbcr422 = 1 needs num_plane >= 3, num_plane = 2"),
        bad("dynamic=1\nfrmw_1=704\n", "frmw_1 = 704 exceeds frame_width - 1 = 703"),
        bad("dynamic=1\nfrmh_0=480\n", "frmh_0 = 480 exceeds frame_height - 1 = 479"),
        bad("burst_count=1\nburst_length=1\n", "(burst_count*burst_length)/2 * (dbus_width/dwidth) must be "
            "at least 1 (burst_count = 1, burst_length = 1, dbus_width = 16, dwidth = 8)"),
        bad("frame_height=2147483647\n",
            "frame_height = 2147483647 gives padded_height 2147483649, beyond 2147483647", v),
        bad("num_plane=3\nframe_width=30000\nframe_height=30000\n",
            "num_plane*frame_width*frame_height = 3*30000*30000 exceeds 2147483647", v),
        bad("frame_width=40000\nframe_height=40000\n",
            "2*frame_width*frame_height = 2*40000*40000 exceeds 2147483647", v),
        bad("frame_width=40000\nframe_height=25000\ndwidth=16\n", "the frame memory depth for frame_width = "
            "40000, frame_height = 25000, num_plane = 1, dwidth = 16, dbus_width = 16, burst_count = 3, "
            "burst_length = 4 exceeds 2147483647", v),
        {v, 2, two, "frame_width=8000\nframe_height=8000\n", 220000},
        {v, 3, three, "frame_width=4000\nframe_height=4000\n", 220000},
    };
#ifdef __SANITIZE_ADDRESS__  // sanitizers cannot run under an address-space limit
    runs.resize(runs.size() - 2);
#endif
    for (const char* name : {"default.kvf", "ntsc_inter_422_10bit.kvf", "hd_intra_422_8bit.kvf"})
        runs.push_back({{veldax_test::source_path("examples/") + name}, 0, ""});
    const double mem = static_cast<double>(sysconf(_SC_PHYS_PAGES)) * sysconf(_SC_PAGE_SIZE);
    const std::string tall = "num_plane=2\nframe_width=1\nburst_count=1\nburst_length=2\nframe_height=" +
                             std::to_string(std::lround(mem / 60)),
                      side = std::to_string(std::lround(std::sqrt(mem / 28))),
                      square = "num_plane=2\ndwidth=1\nframe_width=" + side + "\nframe_height=" + side;
    if (mem > 0 && mem < 30e9) runs.insert(runs.end(), {{v, 2, two, tall}, {v, 3, three, square}});
    for (const auto& c : runs) {
        veldax_test::TempDir dir;
        veldax_test::write_file(dir.file("cfg.kvf"), c.kvf);
        veldax_test::write_file(dir.file("bad.kvf"), "dwidth=99999999999\n");
        rlimit old{};
        getrlimit(RLIMIT_AS, &old);
        const rlimit lim{c.kb ? static_cast<rlim_t>(c.kb) << 10 : old.rlim_cur, old.rlim_max};
        setrlimit(RLIMIT_AS, &lim);
        const auto r = veldax_test::run_veldax(dir.path(), c.args);
        setrlimit(RLIMIT_AS, &old);
        EXPECT_EQ(std::make_tuple(r.status, r.output, veldax_test::list_dir(dir.path())),
                  std::make_tuple(c.status, c.out, std::vector<std::string>{"bad.kvf", "cfg.kvf"})) << c.kvf;
    }
    veldax_test::TempDir dir;
    const auto help = veldax_test::run_veldax(dir.path(), {"--help"}),
               version = veldax_test::run_veldax(dir.path(), {"--version"});
    EXPECT_EQ(std::make_tuple(help.status, help.output.rfind("usage: veldax-gen", 0), version.status,
                              version.output.rfind("veldax-gen ", 0)), std::make_tuple(0, 0u, 0, 0u));
}

// Counts after a switch, as the command line reads them.
TEST(CommandLine, FieldCounts) {
    const struct { std::vector<std::string> words; int32_t fields, max_fields; } cases[] = {
        {{"-g", "2"}, 3, 10000}, {{"-g", "4"}, 4, 10000}, {{"-g", "12abc"}, 12, 10000},
        {{"-g", "abc"}, 3, 10000}, {{"-y", "f", "0"}, 3, 0}};
    for (auto c : cases) {
        c.words.insert(c.words.begin(), {"veldax-gen", veldax_test::source_path("examples/default.kvf")});
        std::vector<const char*> argv;
        for (auto& w : c.words) argv.push_back(w.c_str());
        CommandLine command;
        EXPECT_EQ(parse_command_line(static_cast<int>(argv.size()), argv.data(), &command), Status::ok);
        veldax_test::TestModel t;
        t.m.set_run_mode(command.run.mode);
        EXPECT_EQ(std::make_pair(t.m.input_frames, t.m.run.max_fields), std::make_pair(c.fields, c.max_fields));
    }
}
