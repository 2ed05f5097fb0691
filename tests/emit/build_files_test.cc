// params.v and veldax_head: exact texts, frame-memory depth and address width,
// the lines that follow options, and the exit when one cannot be written.
#include <sys/stat.h>
#include <unistd.h>
#include <functional>
#include <gtest/gtest.h>
#include "support/model_fixture.h"
#include "support/test_support.h"

using namespace veldax_test;
using Set = std::function<void(DeinterlacerModel&)>;

// Defaults (KAP2, module abc) changed by set, written like a run: the text of
// file, "" when refused; depth gets the frame-memory depth, -1 when refused.
static std::string emitted(const Set& set, const char* file, int32_t* depth = nullptr) {
    TestModel t;
    t.m.module_name = "abc";
    if (set) set(t.m);
    t.m.derive_configuration();
    if (depth && !t.m.compute_mem_depth(depth)) *depth = -1;
    TempDir dir;
    InDir in(dir.path());
    testing::internal::CaptureStdout();
    const bool ok = t.m.write_params_file() == 0 && t.m.write_define_header() == 0;
    testing::internal::GetCapturedStdout();
    return ok ? read_file(dir.file(file)) : "";
}

TEST(Emit, CeilLog2) {
    const int64_t cases[][2] = {{0, -1}, {-5, 0}, {1, 0}, {2, 1}, {3, 2}, {4, 2}, {5, 3},
                                {704, 10}, {1024, 10}, {1025, 11}, {(int64_t{1} << 40) + 1, 41}};
    for (const auto& c : cases) EXPECT_EQ(ceil_log2(c[0]), c[1]) << "x=" << c[0];
}

// 704 samples -> 59 half-requests of 12 -> 708 bytes a line, 169920 a field;
// four fields, six for inter, two more with conversion.
TEST(Emit, MemoryDepthAndAddressWidth) {
    const struct { const char* name; Set set; int32_t depth, abus; } cases[] = {
        {"defaults", nullptr, 679680, 20},
        {"inter", [](DeinterlacerModel& m) { m.dmethod = inter; }, 1019520, 20},
        {"inter+fconvert", [](DeinterlacerModel& m) { m.dmethod = inter; m.fconvert = 1; }, 1359360, 21},
        {"base 0x100000", [](DeinterlacerModel& m) { m.base_addr = 0x100000; }, 679680, 21},
        // Two samples a pixel, not three: 1408 -> 118 half-requests -> 1416 bytes.
        {"422 three planes", [](DeinterlacerModel& m) { m.num_plane = 3; m.ycbcr422 = 1; }, 1359360, 21},
        {"parallel", [](DeinterlacerModel& m) { m.parallel = 1; }, 679680, 20},
        // A line of 3 one-byte words; 3 * 5 / 2 = 7 a field.
        {"odd height", [](DeinterlacerModel& m) { m.frame_width = 3; m.frame_height = 5; m.dbus_width = 8;
             m.burst_count = 1; m.burst_length = 2; }, 28, 5},
        // 708 * 2000000 / 2 fits, six times it does not.
        {"six fields overflow", [](DeinterlacerModel& m) { m.dmethod = inter; m.frame_height = 2000000; }, -1, 0},
    };
    for (const auto& c : cases) {
        int32_t depth = -7;
        const auto lines = lines_of(emitted(c.set, "params.v", &depth));
        EXPECT_EQ(depth, c.depth) << c.name;
        if (c.depth < 0) { EXPECT_TRUE(lines.empty()); continue; }
        ASSERT_EQ(lines.size(), 43u) << c.name;
        EXPECT_EQ(lines[19], "parameter ABUS_WIDTH        = " + std::to_string(c.abus) + ";") << c.name;
        EXPECT_EQ(lines[32], "parameter MEM_DEPTH         = " + std::to_string(c.depth) + ";") << c.name;
    }
}

TEST(Emit, DefaultTexts) {
    EXPECT_EQ(emitted(nullptr, "params.v"),
        "parameter NUM_PLANE         = 1;\n"         "parameter DWIDTH            = 8;\n"
        "parameter MAXFWIDTH         = 704;\n"       "parameter MAXFHEIGHT        = 480;\n"
        "parameter DMETHOD           = \"WEAVE\";\n" "parameter YCBCR422          = \"FALSE\";\n"
        "parameter YCBCR444          = \"FALSE\";\n" "parameter PARALLEL          = \"FALSE\";\n"
        "parameter DYNAMIC           = \"FALSE\";\n" "parameter INITFIELD         = 0;\n"
        "parameter FCONVERT          = \"FALSE\";\n" "parameter COPYFRAME         = \"FALSE\";\n"
        "parameter SEPPCLK           = \"FALSE\";\n" "parameter FRMPORTS          = \"FALSE\";\n"
        "parameter LBUFFER           = \"EBR\";\n"   "parameter INTER_TH0         = 0;\n"
        "parameter INTER_TH1         = 90;\n"        "parameter INTER_TH2         = 180;\n"
        "parameter DBUS_WIDTH        = 16;\n"        "parameter ABUS_WIDTH        = 20;\n"
        "parameter WRFIFO_DEPTH      = 16;\n"        "parameter WRFIFO_TYPE       = \"EBR\";\n"
        "parameter RDFIFO_DEPTH      = 16;\n"        "parameter RDFIFO_TYPE       = \"EBR\";\n"
        "parameter BASE_ADDR         = 0;\n"         "parameter BURST_COUNT       = 3;\n"
        "parameter BURST_LENGTH      = 4;\n"         "parameter PBUS_WIDTH        = 32;\n"
        "parameter PADDR_WIDTH       = 5;\n"         "parameter FAMILY            = \"KAP2\";\n"
        "//----only for simulation\n"                "parameter SEED              = 1;\n"
        "parameter MEM_DEPTH         = 679680;\n"    "parameter INPUT_FRAMES      = 3;\n"
        "parameter OUTPUT_FRAMES     = 0;\n"         "parameter TOTAL_INPUT       = 0;\n"
        "parameter TOTAL_OUTPUT      = 0;\n"         "parameter FRMWIDTH_0        = 703;\n"
        "parameter FRMWIDTH_1        = 703;\n"       "parameter FRMWIDTH_2        = 703;\n"
        "parameter FRMHEIGHT_0       = 479;\n"       "parameter FRMHEIGHT_1       = 479;\n"
        "parameter FRMHEIGHT_2       = 479;\n");
    EXPECT_EQ(emitted(nullptr, "veldax_head"), R"(#define    VELDAX_USERNAME            abc
#define    VELDAX_u1_USERNAME         u1_abc
#define    VELDAX_USERNAME_top        abc_top
#define    VELDAX_USERNAME_tb         abc_tb
#define    VELDAX_u1_USERNAME_top     u1_abc_top
#define    VELDAX_DEINTERLACER_NAME "abc"
#define    VELDAX_NUM_PLANE           1
#define    VELDAX_DWIDTH              8
#define    VELDAX_MAXFWIDTH           704
#define    VELDAX_MAXFHEIGHT          480
#define    VELDAX_DMETHOD             "WEAVE"
#define    VELDAX_YCBCR422            "FALSE"
#define    VELDAX_YCBCR444            "FALSE"
#define    VELDAX_PARALLEL            "FALSE"
#define    VELDAX_INITFIELD           0
#define    VELDAX_DYNAMIC             "FALSE"
#define    VELDAX_FCONVERT            "FALSE"
#define    VELDAX_COPYFRAME           "FALSE"
#define    VELDAX_SEPPCLK             "FALSE"
#define    VELDAX_LBUFFER             "EBR"
#define    VELDAX_INTER_TH0           0
#define    VELDAX_INTER_TH1           90
#define    VELDAX_INTER_TH2           180
#define    VELDAX_DBUS_WIDTH          16
#define    VELDAX_ABUS_WIDTH          20
#define    VELDAX_WRFIFO_DEPTH        16
#define    VELDAX_WRFIFO_TYPE         "EBR"
#define    VELDAX_RDFIFO_DEPTH        16
#define    VELDAX_RDFIFO_TYPE         "EBR"
#define    VELDAX_BASE_ADDR           0
#define    VELDAX_BURST_COUNT         3
#define    VELDAX_BURST_LENGTH        4
#define    VELDAX_PBUS_WIDTH          32
#define    VELDAX_PADDR_WIDTH         5
#define    VELDAX_FAMILY              "KAP2"
#define    VELDAX_FXWIDTH             10
#define    VELDAX_FYWIDTH             9
#define    VELDAX_DPWIDTH             8
#define    VELDAX_DEVICE          DEVICE_KAP2
#define    VELDAX_STIMULUS        "stimulus_abc.dat"
#define    VELDAX_GOLDEN          "golden_abc.dat"
)");
}

TEST(Emit, MethodWords) {
    const char* words[] = {"WEAVE", "BOBE", "BOBO", "INTRA", "INTER", "WEAVE"};
    for (int32_t i = 0; i < 6; ++i) {  // 5 stands for the out-of-range 7
        const auto lines = lines_of(emitted([&](DeinterlacerModel& m) { m.dmethod = i < 5 ? i : 7; }, "params.v"));
        EXPECT_EQ(lines.at(4), std::string("parameter DMETHOD           = \"") + words[i] + "\";");
    }
}

// The port width (line 38) and the optional lines between it and the device.
TEST(Emit, HeaderPortWidthAndOptionalLines) {
    const std::string d = "#define    VELDAX_";
    const struct { const char* name; Set set; int dp; std::vector<std::string> optional; } cases[] = {
        {"all six", [](DeinterlacerModel& m) { m.dynamic = m.seppclk = m.fconvert = m.sr = m.frmports = m.resync = 1; },
         8, {d + "PCLK", d + "DYNAMIC_PORTS", d + "OCLK", "#define     VELDAX_PORTSR", d + "FRMPORTS", d + "RESYNC"}},
        {"seppclk alone", [](DeinterlacerModel& m) { m.seppclk = 1; }, 8, {}},
        {"parallel 3 planes", [](DeinterlacerModel& m) { m.parallel = 1; m.num_plane = 3; m.dwidth = 10; }, 30, {}},
        {"parallel 422", [](DeinterlacerModel& m) { m.parallel = m.ycbcr422 = 1; m.num_plane = 3; m.dwidth = 10; }, 20, {}},
        {"serial 3 planes", [](DeinterlacerModel& m) { m.num_plane = 3; m.dwidth = 10; }, 10, {}},
    };
    for (const auto& c : cases) {
        const auto lines = lines_of(emitted(c.set, "veldax_head"));
        ASSERT_EQ(lines.size(), 41 + c.optional.size()) << c.name;
        EXPECT_EQ(lines[37], d + "DPWIDTH             " + std::to_string(c.dp)) << c.name;
        EXPECT_EQ(std::vector<std::string>(lines.begin() + 38, lines.end() - 3), c.optional) << c.name;
    }
}

// Each per-frame line names its own frame's size.
TEST(Emit, PerFrameSizeLines) {
    const auto lines = lines_of(emitted([](DeinterlacerModel& m) {
        m.dynamic = 1;
        m.frmw[1] = 100, m.frmw[2] = 200, m.frmh[1] = 50, m.frmh[2] = 60;
    }, "params.v"));
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(lines.end() - 6, lines.end()),
              (std::vector<std::string>{
                  "parameter FRMWIDTH_0        = 703;", "parameter FRMWIDTH_1        = 100;",
                  "parameter FRMWIDTH_2        = 200;", "parameter FRMHEIGHT_0       = 479;",
                  "parameter FRMHEIGHT_1       = 50;", "parameter FRMHEIGHT_2       = 60;"}));
}

TEST(Emit, UnwritableBuildFileExitStatus) {
    const struct { const char* file; int status; const char* message; } cases[] = {
        {"params.v", 8, "Failed to generate params file \n"},
        {"veldax_head", 9, "Can't generate veldax_head file\nFailed to generate veldax head file \n"}};
    for (const auto& c : cases) {
        for (const bool as_directory : {true, false}) {
            TempDir dir;
            write_file(dir.file("cfg.kvf"), "ModuleName=abc\nframe_width=8\nframe_height=4\n");
            const std::string at = dir.file(c.file);
            ASSERT_EQ(as_directory ? mkdir(at.c_str(), 0755) : symlink("/dev/full", at.c_str()), 0);
            const auto r = run_veldax(dir.path(), {"cfg.kvf", "-d", "1"});
            EXPECT_EQ(r.status, c.status) << c.file << (as_directory ? " directory" : " /dev/full");
            EXPECT_NE(r.output.find(c.message), std::string::npos) << r.output;
        }
    }
}
