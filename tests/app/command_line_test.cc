#include "app/command_line.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include "support/model_fixture.h"
#include "support/test_support.h"

namespace {

// A run of the program in a folder holding cfg.kvf (`kvf`) and bad.kvf (refused on reading), under
// an address-space limit (kB) if given: exit status, all that is printed, no file written.
struct DriverRow {
    std::string name;
    std::vector<std::string> args;
    int status;
    std::string out;
    std::string kvf = "";
    long kb = 0;
    // Instead of kvf: a configuration sized from the machine's physical memory (bytes).
    std::string (*sized)(double mem) = nullptr;
};

// A failing row shows its name, not its bytes.
void PrintTo(const DriverRow& row, std::ostream* os) { *os << row.name; }

const std::vector<std::string> v{"cfg.kvf"};  // no -d where a broken check would ask for GBs

DriverRow bad(std::string name, std::string kvf, std::string line,
              std::vector<std::string> args = {"cfg.kvf", "-d"}, std::string warning = "") {
    return DriverRow{name, args, 1, warning + "cfg.kvf: " + line + "\nFailed to parse kvf file\n",
                     kvf};
}

std::string not_switch(std::string sw) {
    return "veldax-gen: warning: " + sw +
           " is not a switch (-g, -d, -l, -b or -y): cfg.kvf is only "
           "checked, nothing is generated\n";
}

DriverRow example(std::string name, std::string file) {
    return DriverRow{name, {veldax_test::source_path("examples/") + file}, 0, ""};
}

const std::string nokvf = "KVF file nope.kvf does not exist\n",
                  two = "Stimulus memory allocate error\n",
                  nofile = "The stimulus file should be added\n",
                  three = "Golden memory allocate error\n";

// Beyond physical memory (if under 30 GB) a request is refused up front.  A frame 1 sample wide
// of 4 planes at 1 bit: its field buffers take 80 bytes a row (2 buffers, 4 planes, 5 columns with
// the borders, 2 bytes a sample), its golden frame 8 more (the motion row does not count).
// mem/60 rows: the field buffers alone do not fit; mem/84 rows: they fit (0.95 of it), the golden
// frame does not (1.05).  The memory depth, 4 bytes a row, stays in 32 bits under 30 GB.
std::string one_column(double rows) {
    return "num_plane=4\ndwidth=1\nframe_width=1\nburst_count=1\nburst_length=2\nframe_height=" +
           std::to_string(std::lround(rows));
}
std::string tall(double mem) { return one_column(mem / 60); }
std::string slim(double mem) { return one_column(mem / 84); }

// Under 220 MB, 8000^2 field buffers (256 MB at 16 bits a sample) fail; 7000^2 ones (196 MB) fit
// but their golden frame (98 MB) does not.
const DriverRow kDriverRows[] = {
    {"no_arguments", {}, 1, "At least the argument of KVF should be added\n"},
    {"kvf_missing", {"nope.kvf"}, 1, nokvf},
    {"kvf_missing_g", {"nope.kvf", "-g"}, 1, nokvf},
    {"kvf_missing_b_without_file", {"nope.kvf", "-b"}, 1, nofile},
    {"kvf_bad_b_without_file", {"bad.kvf", "-b"}, 1, nofile},
    {"unknown_switch_X", {"cfg.kvf", "-X", "5"}, 0, not_switch("-X")},
    {"unknown_switch_gg", {"cfg.kvf", "-gg"}, 0, not_switch("-gg")},
    {"switch_without_dash", {"cfg.kvf", "g"}, 0, not_switch("g")},
    bad("num_plane_0", "num_plane=0\n", "num_plane = 0 is below 1"),
    bad("dwidth_17", "dwidth=17\n", "dwidth = 17 is outside 1..16"),
    bad("dwidth_not_a_number", "dwidth = 10\n", "dwidth = 0 is outside 1..16", {"cfg.kvf", "-d"},
        "veldax-gen: warning: cfg.kvf line 1: dwidth value \"= 10\" is not a decimal number; read "
        "as 0\n"),
    bad("ycbcr422_two_planes", "ycbcr422=1\nnum_plane=2\n",
        "ycbcr422 = 1 needs num_plane >= 3, num_plane = 2"),
    bad("frmw_1_full_width", "dynamic=1\nfrmw_1=704\n",
        "frmw_1 = 704 exceeds frame_width - 1 = 703"),
    bad("frmh_0_full_height", "dynamic=1\nfrmh_0=480\n",
        "frmh_0 = 480 exceeds frame_height - 1 = 479"),
    bad("burst_under_one_sample", "burst_count=1\nburst_length=1\n",
        "(burst_count*burst_length)/2 * (dbus_width/dwidth) must be "
        "at least 1 (burst_count = 1, burst_length = 1, dbus_width = 16, dwidth = 8)"),
    bad("frame_height_padded_overflow", "frame_height=2147483647\n",
        "frame_height = 2147483647 gives padded_height 2147483649, beyond 2147483647", v),
    bad("planes_times_size_overflow", "num_plane=3\nframe_width=30000\nframe_height=30000\n",
        "num_plane*frame_width*frame_height = 3*30000*30000 exceeds 2147483647", v),
    bad("two_fields_size_overflow", "frame_width=40000\nframe_height=40000\n",
        "2*frame_width*frame_height = 2*40000*40000 exceeds 2147483647", v),
    bad("mem_depth_overflow", "frame_width=40000\nframe_height=25000\ndwidth=16\n",
        "the frame memory depth for frame_width = "
        "40000, frame_height = 25000, num_plane = 1, dwidth = 16, dbus_width = 16, burst_count = "
        "3, "
        "burst_length = 4 exceeds 2147483647",
        v),
    {"memory_field_buffers_under_220MB", v, 2, two, "frame_width=8000\nframe_height=8000\n",
     220000},
    {"memory_golden_frames_under_220MB", v, 3, three, "frame_width=7000\nframe_height=7000\n",
     220000},
    // Buffers that fit (96 MB: two 16-bit fields and a frame) with no room for a frame of
    // 16-bit words (32 MB) beside them under 110000 kB.
    {"memory_scratch_beyond_the_buffers", {"cfg.kvf", "-d"}, 3, three,
     "frame_width=4000\nframe_height=4000\ndmethod=inter\n", 110000},
    // Counters past 31 bits are known before the first field: 1024 x 1024 samples a field,
    // 4:2:2 twice that, field conversion 2 frames a field and one more.
    {"total_input_past_31_bits", {"cfg.kvf", "-d", "2049"}, 1,
     "cfg.kvf -d 2049: TOTAL_INPUT would be 2148532224 samples (2049 fields), beyond "
     "2147483647\n",
     "frame_width=1024\nframe_height=1024\n"},
    {"total_input_422_past_31_bits", {"cfg.kvf", "-g", "1025"}, 1,
     "cfg.kvf -g 1025: TOTAL_INPUT would be 2149580800 samples (1025 fields), beyond "
     "2147483647\n",
     "frame_width=1024\nframe_height=1024\nnum_plane=3\nycbcr422=1\nparallel=1\n"},
    {"total_output_past_31_bits", {"cfg.kvf", "-d", "1100"}, 1,
     "cfg.kvf -d 1100: TOTAL_OUTPUT would be 2307915776 samples (2201 golden frames), beyond "
     "2147483647\n",
     "frame_width=1024\nframe_height=1024\nfconvert=1\n"},
    example("example_default", "default.kvf"),
    example("example_ntsc_inter_422_10bit", "ntsc_inter_422_10bit.kvf"),
    example("example_hd_intra_422_8bit", "hd_intra_422_8bit.kvf"),
    {"memory_field_buffers_beyond_physical", v, 2, two, "", 0, tall},
    {"memory_golden_frames_beyond_physical", v, 3, three, "", 0, slim},
};

class Driver : public testing::TestWithParam<DriverRow> {};

TEST_P(Driver, Runs) {
    const DriverRow& c = GetParam();
    std::string kvf = c.kvf;
#ifdef VELDAX_TEST_ASAN
    if (c.kb)
        GTEST_SKIP()
            << "sanitizer build: the address sanitizer cannot run under an address-space limit";
#endif
    rlimit old{};
    getrlimit(RLIMIT_AS, &old);
    const rlim_t want = c.kb ? static_cast<rlim_t>(c.kb) << 10 : old.rlim_cur;
    if (old.rlim_max != RLIM_INFINITY && want > old.rlim_max)
        GTEST_SKIP() << "the address-space limit of " << c.kb << " kB is above the hard limit of "
                     << (old.rlim_max >> 10) << " kB";
    if (c.sized) {
        const double mem = static_cast<double>(sysconf(_SC_PHYS_PAGES)) *
                           static_cast<double>(sysconf(_SC_PAGE_SIZE));
        if (!(mem > 0 && mem < 30e9))
            GTEST_SKIP()
                << "physical memory is " << static_cast<double>(std::lround(mem / 1e8)) / 10.0
                << " GB: a request sized beyond it passes the 32-bit size checks only under 30 GB";
        kvf = c.sized(mem);
    }
    veldax_test::TempDir dir;
    veldax_test::write_file(dir.file("cfg.kvf"), kvf);
    veldax_test::write_file(dir.file("bad.kvf"), "dwidth=99999999999\n");
    const rlimit lim{want, old.rlim_max};
    // No row writes more than a few kB: a check that lets a run through
    // ends it at 64 MB (SIGXFSZ) instead of filling the disk.
    rlimit old_size{};
    getrlimit(RLIMIT_FSIZE, &old_size);
    const rlim_t size_cap = rlim_t{64} << 20;
    const rlimit size_lim{old_size.rlim_max == RLIM_INFINITY || size_cap < old_size.rlim_max
                              ? size_cap
                              : old_size.rlim_max,
                          old_size.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &size_lim), 0);
    ASSERT_EQ(setrlimit(RLIMIT_AS, &lim), 0);
    const auto r = veldax_test::run_veldax(dir.path(), c.args);
    setrlimit(RLIMIT_AS, &old);
    setrlimit(RLIMIT_FSIZE, &old_size);
    EXPECT_EQ(std::make_tuple(r.status, r.output, veldax_test::list_dir(dir.path())),
              std::make_tuple(c.status, c.out, std::vector<std::string>{"bad.kvf", "cfg.kvf"}))
        << kvf;
}

INSTANTIATE_TEST_SUITE_P(, Driver, testing::ValuesIn(kDriverRows),
                         [](const testing::TestParamInfo<DriverRow>& row) {
                             return row.param.name;
                         });

TEST(DriverInfo, HelpAndVersion) {
    veldax_test::TempDir dir;
    const auto help = veldax_test::run_veldax(dir.path(), {"--help"}),
               version = veldax_test::run_veldax(dir.path(), {"--version"});
    EXPECT_EQ(std::make_tuple(help.status, help.output.rfind("usage: veldax-gen", 0),
                              version.status, version.output.rfind("veldax-gen ", 0)),
              std::make_tuple(0, 0u, 0, 0u));
}

// Counts after a switch, as the command line reads them.
TEST(CommandLine, FieldCounts) {
    const struct {
        std::vector<std::string> words;
        int32_t fields, max_fields;
    } cases[] = {{{"-g", "2"}, 3, 10000},
                 {{"-g", "4"}, 4, 10000},
                 {{"-g", "12abc"}, 12, 10000},
                 {{"-g", "abc"}, 3, 10000},
                 {{"-y", "f", "0"}, 3, 0}};
    for (auto c : cases) {
        c.words.insert(c.words.begin(),
                       {"veldax-gen", veldax_test::source_path("examples/default.kvf")});
        std::vector<const char*> argv;
        for (auto& w : c.words) argv.push_back(w.c_str());
        CommandLine command;
        EXPECT_EQ(parse_command_line(static_cast<int>(argv.size()), argv.data(), &command),
                  Status::ok);
        veldax_test::TestModel t;
        t.m.set_run_mode(command.run.mode);
        EXPECT_EQ(std::make_pair(t.m.input_frames, t.m.run.max_fields),
                  std::make_pair(c.fields, c.max_fields));
    }
}

}  // namespace
