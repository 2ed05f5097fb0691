#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "emit/emit_fixture.h"

using emit_test::defaults;
using emit_test::InFolder;
using emit_test::lines_of;
using veldax_test::file_exists;
using veldax_test::read_file;
using veldax_test::TempDir;

namespace {

std::string write_and_read(DeinterlacerModel& m) {
    TempDir dir;
    InFolder in(dir.path());
    EXPECT_EQ(m.write_params_file(), 0);
    return read_file(dir.file("params.v"));
}

}  // namespace

TEST(CeilLog2, SmallestPowerAtLeastX) {
    const struct {
        int64_t x;
        int32_t expected;
    } cases[] = {
        {0, -1},         {-5, 0},        {INT64_MIN, 0},    {1, 0},
        {2, 1},          {3, 2},         {4, 2},            {5, 3},
        {480, 9},        {704, 10},      {1024, 10},        {1025, 11},
        {int64_t{1} << 40, 40},          {(int64_t{1} << 40) + 1, 41},
        {(int64_t{1} << 62) - 1, 62},    {int64_t{1} << 62, 62},
        {INT64_MAX, 63},
    };
    for (const auto& c : cases) EXPECT_EQ(ceil_log2(c.x), c.expected) << "x=" << c.x;
}

// Depths worked by hand from the line, burst and field sizes.
TEST(MemDepth, ConfigurationsGiveHandComputedDepthAndWidth) {
    const struct {
        const char* name;
        std::function<void(DeinterlacerModel&)> set;
        int32_t depth;
        int32_t abus;
    } cases[] = {
        // 704 samples -> 59 half-requests of 12 -> 708 bytes a line, 169920 a field.
        {"defaults", [](DeinterlacerModel&) {}, 679680, 20},
        {"inter", [](DeinterlacerModel& m) { m.dmethod = inter; }, 1019520, 20},
        {"inter+fconvert", [](DeinterlacerModel& m) { m.dmethod = inter; m.fconvert = 1; },
         1359360, 21},
        {"weave+fconvert", [](DeinterlacerModel& m) { m.fconvert = 1; }, 1019520, 20},
        {"intra", [](DeinterlacerModel& m) { m.dmethod = intra; }, 679680, 20},
        {"method 7 counts as four fields", [](DeinterlacerModel& m) { m.dmethod = 7; }, 679680,
         20},
        {"base 0x100000", [](DeinterlacerModel& m) { m.base_addr = 0x100000; }, 679680, 21},
        // 4:2:2 carries two samples a pixel: 1408 -> 118 half-requests -> 1416 bytes.
        {"422 three planes", [](DeinterlacerModel& m) { m.num_plane = 3; m.ycbcr422 = 1; },
         1359360, 21},
        // Three planes: 2112 samples -> 176 half-requests -> 2112 bytes.
        {"three planes", [](DeinterlacerModel& m) { m.num_plane = 3; }, 2027520, 21},
        {"three planes parallel",
         [](DeinterlacerModel& m) { m.num_plane = 3; m.parallel = 1; }, 2027520, 21},
        {"parallel one plane", [](DeinterlacerModel& m) { m.parallel = 1; }, 679680, 20},
        // 720 samples are exactly 60 half-requests.
        {"width 720", [](DeinterlacerModel& m) { m.frame_width = 720; }, 691200, 20},
        // One-byte words, one-word half-requests: line 3 bytes, 3*5/2 = 7 per field.
        {"odd height truncates",
         [](DeinterlacerModel& m) {
             m.frame_width = 3; m.frame_height = 5; m.dbus_width = 8;
             m.burst_count = 1; m.burst_length = 2;
         },
         28, 5},
        // 32-bit bus of 10-bit samples holds 3; 30 samples -> 2 half-requests
        // of 18 -> 48 bytes a line, 144 a field, six fields.
        {"10-bit samples on 32-bit bus",
         [](DeinterlacerModel& m) {
             m.frame_width = 10; m.frame_height = 6; m.num_plane = 3; m.dwidth = 10;
             m.dbus_width = 32; m.dmethod = inter; m.base_addr = 0x100;
         },
         864, 11},
        // Largest depth that still fits: 4 * 400000000.
        {"near the limit",
         [](DeinterlacerModel& m) {
             m.frame_width = 20000; m.frame_height = 40000; m.dbus_width = 8;
             m.burst_count = 1; m.burst_length = 2;
         },
         1600000000, 31},
        // Address bits above 32 still count towards the width.
        {"wide base address",
         [](DeinterlacerModel& m) { m.base_addr = uint64_t{1} << 40; }, 679680, 41},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DeinterlacerModel m;
        defaults(m);
        c.set(m);
        m.derive_configuration();
        int32_t depth = -7;
        ASSERT_TRUE(m.compute_mem_depth(&depth));
        EXPECT_EQ(depth, c.depth);

        TempDir dir;
        InFolder in(dir.path());
        ASSERT_EQ(m.write_params_file(), 0);
        EXPECT_EQ(m.mem_depth, c.depth);
        EXPECT_EQ(m.abus_width, c.abus);
        const auto lines = lines_of(read_file(dir.file("params.v")));
        ASSERT_EQ(lines.size(), 43u);
        EXPECT_EQ(lines[19], "parameter ABUS_WIDTH        = " + std::to_string(c.abus) + ";");
        EXPECT_EQ(lines[32], "parameter MEM_DEPTH         = " + std::to_string(c.depth) + ";");
    }
}

TEST(MemDepth, UndefinedOrOutOfRangeStepsAreRefused) {
    const struct {
        const char* name;
        std::function<void(DeinterlacerModel&)> set;
    } cases[] = {
        {"dwidth 0", [](DeinterlacerModel& m) { m.dwidth = 0; }},
        {"bus narrower than a sample", [](DeinterlacerModel& m) { m.dwidth = 16; m.dbus_width = 8; }},
        {"one word a request", [](DeinterlacerModel& m) { m.burst_count = 1; m.burst_length = 1; }},
        {"bus / -1 of INT32_MIN",
         [](DeinterlacerModel& m) { m.dbus_width = INT32_MIN; m.dwidth = -1; }},
        {"burst product", [](DeinterlacerModel& m) { m.burst_count = 1 << 16; m.burst_length = 1 << 16; }},
        {"line samples", [](DeinterlacerModel& m) { m.frame_width = 1 << 30; m.num_plane = 3; }},
        {"rounding numerator", [](DeinterlacerModel& m) { m.frame_width = INT32_MAX; }},
        {"line bytes", [](DeinterlacerModel& m) { m.dbus_width = 1 << 28; m.dwidth = 1 << 28; }},
        {"field bytes", [](DeinterlacerModel& m) { m.frame_height = 1 << 22; }},
        {"six fields",
         [](DeinterlacerModel& m) {
             m.frame_width = 20000; m.frame_height = 40000; m.dbus_width = 8;
             m.burst_count = 1; m.burst_length = 2; m.dmethod = inter;
         }},
        {"two extra fields",
         [](DeinterlacerModel& m) {
             m.frame_width = 20000; m.frame_height = 40000; m.dbus_width = 8;
             m.burst_count = 1; m.burst_length = 2; m.fconvert = 1;
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DeinterlacerModel m;
        defaults(m);
        c.set(m);
        int32_t depth = -7;
        EXPECT_FALSE(m.compute_mem_depth(&depth));

        // The writer refuses too, without creating the file.
        TempDir dir;
        InFolder in(dir.path());
        testing::internal::CaptureStdout();
        EXPECT_EQ(m.write_params_file(), 1);
        testing::internal::GetCapturedStdout();
        EXPECT_FALSE(file_exists(dir.file("params.v")));
    }
}

TEST(ParamsFile, DefaultsWholeText) {
    DeinterlacerModel m;
    defaults(m);
    m.derive_configuration();
    const std::string expected =
        "parameter NUM_PLANE         = 1;\n"
        "parameter DWIDTH            = 8;\n"
        "parameter MAXFWIDTH         = 704;\n"
        "parameter MAXFHEIGHT        = 480;\n"
        "parameter DMETHOD           = \"WEAVE\";\n"
        "parameter YCBCR422          = \"FALSE\";\n"
        "parameter YCBCR444          = \"FALSE\";\n"
        "parameter PARALLEL          = \"FALSE\";\n"
        "parameter DYNAMIC           = \"FALSE\";\n"
        "parameter INITFIELD         = 0;\n"
        "parameter FCONVERT          = \"FALSE\";\n"
        "parameter COPYFRAME         = \"FALSE\";\n"
        "parameter SEPPCLK           = \"FALSE\";\n"
        "parameter FRMPORTS          = \"FALSE\";\n"
        "parameter LBUFFER           = \"EBR\";\n"
        "parameter INTER_TH0         = 0;\n"
        "parameter INTER_TH1         = 90;\n"
        "parameter INTER_TH2         = 180;\n"
        "parameter DBUS_WIDTH        = 16;\n"
        "parameter ABUS_WIDTH        = 20;\n"
        "parameter WRFIFO_DEPTH      = 16;\n"
        "parameter WRFIFO_TYPE       = \"EBR\";\n"
        "parameter RDFIFO_DEPTH      = 16;\n"
        "parameter RDFIFO_TYPE       = \"EBR\";\n"
        "parameter BASE_ADDR         = 0;\n"
        "parameter BURST_COUNT       = 3;\n"
        "parameter BURST_LENGTH      = 4;\n"
        "parameter PBUS_WIDTH        = 32;\n"
        "parameter PADDR_WIDTH       = 5;\n"
        "parameter FAMILY            = \"KAP2\";\n"
        "//----only for simulation\n"
        "parameter SEED              = 1;\n"
        "parameter MEM_DEPTH         = 679680;\n"
        "parameter INPUT_FRAMES      = 3;\n"
        "parameter OUTPUT_FRAMES     = 0;\n"
        "parameter TOTAL_INPUT       = 0;\n"
        "parameter TOTAL_OUTPUT      = 0;\n"
        "parameter FRMWIDTH_0        = 703;\n"
        "parameter FRMWIDTH_1        = 703;\n"
        "parameter FRMWIDTH_2        = 703;\n"
        "parameter FRMHEIGHT_0       = 479;\n"
        "parameter FRMHEIGHT_1       = 479;\n"
        "parameter FRMHEIGHT_2       = 479;\n";
    EXPECT_EQ(write_and_read(m), expected);
}

TEST(ParamsFile, MethodWords) {
    const struct {
        int32_t method;
        const char* word;
    } cases[] = {{0, "WEAVE"}, {1, "BOBE"}, {2, "BOBO"}, {3, "INTRA"},
                 {4, "INTER"}, {7, "WEAVE"}, {-1, "WEAVE"}};
    for (const auto& c : cases) {
        DeinterlacerModel m;
        defaults(m);
        m.dmethod = c.method;
        m.derive_configuration();
        const auto lines = lines_of(write_and_read(m));
        ASSERT_EQ(lines.size(), 43u);
        EXPECT_EQ(lines[4], std::string("parameter DMETHOD           = \"") + c.word + "\";")
            << "method " << c.method;
    }
}

// Every field that is not at its default shows up on its own line.
TEST(ParamsFile, ChangedFieldsReachTheirLines) {
    DeinterlacerModel m;
    defaults(m);
    m.num_plane = 3;
    m.dwidth = 10;
    m.frame_width = 64;
    m.frame_height = 32;
    m.ycbcr422 = 1;
    m.ycbcr444 = 1;
    m.parallel = 1;
    m.dynamic = 1;
    m.initfield = 1;
    m.fconvert = 1;
    m.copyframe = 1;
    m.seppclk = 1;
    m.frmports = 1;
    m.lbuffer = 0;
    m.interth0 = 3;
    m.interth1 = 40;
    m.interth2 = 77;
    m.dbus_width = 64;
    m.wrfifo_depth = 16;
    m.rdfifo_depth = 32;
    m.wrfifo_type = 0;
    m.rdfifo_type = 2;
    m.base_addr = 0x1FFFFFFF0;  // low 32 bits 0xFFFFFFF0 read as -16
    m.burst_count = 2;
    m.burst_length = 8;
    m.pbus_width = 16;
    m.family = "KAP3";
    m.frmw[0] = 31;
    m.frmh[1] = 7;
    m.derive_configuration();
    m.seed = 5;
    m.input_frames = 4;
    m.output_frames = 9;
    m.total_input = 1234;
    m.total_output = 5678;
    const auto lines = lines_of(write_and_read(m));
    ASSERT_EQ(lines.size(), 43u);
    const struct {
        size_t index;
        const char* text;
    } expected[] = {
        {0, "parameter NUM_PLANE         = 3;"},
        {1, "parameter DWIDTH            = 10;"},
        {2, "parameter MAXFWIDTH         = 64;"},
        {3, "parameter MAXFHEIGHT        = 32;"},
        {5, "parameter YCBCR422          = \"TRUE\";"},
        {6, "parameter YCBCR444          = \"TRUE\";"},
        {7, "parameter PARALLEL          = \"TRUE\";"},
        {8, "parameter DYNAMIC           = \"TRUE\";"},
        {9, "parameter INITFIELD         = 1;"},
        {10, "parameter FCONVERT          = \"TRUE\";"},
        {11, "parameter COPYFRAME         = \"TRUE\";"},
        {12, "parameter SEPPCLK           = \"TRUE\";"},
        {13, "parameter FRMPORTS          = \"TRUE\";"},
        {14, "parameter LBUFFER           = \"PFU\";"},
        {15, "parameter INTER_TH0         = 3;"},
        {16, "parameter INTER_TH1         = 40;"},
        {17, "parameter INTER_TH2         = 77;"},
        {18, "parameter DBUS_WIDTH        = 64;"},
        // 64 samples of 2 (4:2:2) = 128; 6 per word, 8 words a half-request
        // -> 3 half-requests of 64 bytes; 192*32/2 = 3072 a field, 6 fields
        // = 18432; plus the base 0x1FFFFFFF0 -> 34 bits.
        {19, "parameter ABUS_WIDTH        = 34;"},
        {20, "parameter WRFIFO_DEPTH      = 16;"},
        {21, "parameter WRFIFO_TYPE       = \"LUT\";"},
        {22, "parameter RDFIFO_DEPTH      = 32;"},
        {23, "parameter RDFIFO_TYPE       = \"LUT\";"},
        {24, "parameter BASE_ADDR         = -16;"},
        {25, "parameter BURST_COUNT       = 2;"},
        {26, "parameter BURST_LENGTH      = 8;"},
        {27, "parameter PBUS_WIDTH        = 16;"},
        {29, "parameter FAMILY            = \"KAP3\";"},
        {31, "parameter SEED              = 5;"},
        {32, "parameter MEM_DEPTH         = 18432;"},
        {33, "parameter INPUT_FRAMES      = 4;"},
        {34, "parameter OUTPUT_FRAMES     = 9;"},
        {35, "parameter TOTAL_INPUT       = 1234;"},
        {36, "parameter TOTAL_OUTPUT      = 5678;"},
        {37, "parameter FRMWIDTH_0        = 31;"},
        {38, "parameter FRMWIDTH_1        = 31;"},
        {39, "parameter FRMWIDTH_2        = 31;"},
        {40, "parameter FRMHEIGHT_0       = 31;"},
        {41, "parameter FRMHEIGHT_1       = 7;"},
        {42, "parameter FRMHEIGHT_2       = 31;"},
    };
    for (const auto& e : expected) EXPECT_EQ(lines[e.index], e.text) << "line " << e.index + 1;
}

// The depth and width are in the record even when the file cannot be made,
// and a file that cannot be written completely is a failure.
TEST(ParamsFile, UnwritableFileFailsAfterStoringDepth) {
    for (const bool as_directory : {true, false}) {
        SCOPED_TRACE(as_directory ? "directory" : "/dev/full");
        TempDir dir;
        if (as_directory) {
            ASSERT_EQ(mkdir(dir.file("params.v").c_str(), 0755), 0);
        } else {
            ASSERT_EQ(symlink("/dev/full", dir.file("params.v").c_str()), 0);
        }
        DeinterlacerModel m;
        defaults(m);
        m.derive_configuration();
        InFolder in(dir.path());
        EXPECT_EQ(m.write_params_file(), 1);
        EXPECT_EQ(m.mem_depth, 679680);
        EXPECT_EQ(m.abus_width, 20);
    }
}
