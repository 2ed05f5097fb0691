#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "emit/emit_fixture.h"

using emit_test::defaults;
using emit_test::InFolder;
using emit_test::lines_of;
using veldax_test::read_file;
using veldax_test::TempDir;

namespace {

// The header as the writer leaves it, after the params writer has set the
// address width the way a run does.
std::string header_of(DeinterlacerModel& m) {
    TempDir dir;
    InFolder in(dir.path());
    EXPECT_EQ(m.write_params_file(), 0);
    EXPECT_EQ(m.write_define_header(), 0);
    return read_file(dir.file("veldax_head"));
}

DeinterlacerModel* abc_model() {
    auto* m = new DeinterlacerModel;
    defaults(*m);
    m->module_name = "abc";
    return m;
}

const char kFixedDefaults[] =
    "#define    VELDAX_USERNAME            abc\n"
    "#define    VELDAX_u1_USERNAME         u1_abc\n"
    "#define    VELDAX_USERNAME_top        abc_top\n"
    "#define    VELDAX_USERNAME_tb         abc_tb\n"
    "#define    VELDAX_u1_USERNAME_top     u1_abc_top\n"
    "#define    VELDAX_DEINTERLACER_NAME \"abc\"\n"
    "#define    VELDAX_NUM_PLANE           1\n"
    "#define    VELDAX_DWIDTH              8\n"
    "#define    VELDAX_MAXFWIDTH           704\n"
    "#define    VELDAX_MAXFHEIGHT          480\n"
    "#define    VELDAX_DMETHOD             \"WEAVE\"\n"
    "#define    VELDAX_YCBCR422            \"FALSE\"\n"
    "#define    VELDAX_YCBCR444            \"FALSE\"\n"
    "#define    VELDAX_PARALLEL            \"FALSE\"\n"
    "#define    VELDAX_INITFIELD           0\n"
    "#define    VELDAX_DYNAMIC             \"FALSE\"\n"
    "#define    VELDAX_FCONVERT            \"FALSE\"\n"
    "#define    VELDAX_COPYFRAME           \"FALSE\"\n"
    "#define    VELDAX_SEPPCLK             \"FALSE\"\n"
    "#define    VELDAX_LBUFFER             \"EBR\"\n"
    "#define    VELDAX_INTER_TH0           0\n"
    "#define    VELDAX_INTER_TH1           90\n"
    "#define    VELDAX_INTER_TH2           180\n"
    "#define    VELDAX_DBUS_WIDTH          16\n"
    "#define    VELDAX_ABUS_WIDTH          20\n"
    "#define    VELDAX_WRFIFO_DEPTH        16\n"
    "#define    VELDAX_WRFIFO_TYPE         \"EBR\"\n"
    "#define    VELDAX_RDFIFO_DEPTH        16\n"
    "#define    VELDAX_RDFIFO_TYPE         \"EBR\"\n"
    "#define    VELDAX_BASE_ADDR           0\n"
    "#define    VELDAX_BURST_COUNT         3\n"
    "#define    VELDAX_BURST_LENGTH        4\n"
    "#define    VELDAX_PBUS_WIDTH          32\n"
    "#define    VELDAX_PADDR_WIDTH         5\n"
    "#define    VELDAX_FAMILY              \"KAP2\"\n"
    "#define    VELDAX_FXWIDTH             10\n"
    "#define    VELDAX_FYWIDTH             9\n"
    "#define    VELDAX_DPWIDTH             8\n";

const char kClosingAbc[] =
    "#define    VELDAX_DEVICE          DEVICE_KAP2\n"
    "#define    VELDAX_STIMULUS        \"stimulus_abc.dat\"\n"
    "#define    VELDAX_GOLDEN          \"golden_abc.dat\"\n";

}  // namespace

TEST(DefineHeader, DefaultsWholeText) {
    std::unique_ptr<DeinterlacerModel> m(abc_model());
    m->derive_configuration();
    EXPECT_EQ(header_of(*m), std::string(kFixedDefaults) + kClosingAbc);
}

TEST(DefineHeader, OptionalLinesFollowTheirOptionsInOrder) {
    const std::string pclk = "#define    VELDAX_PCLK";
    const std::string ports = "#define    VELDAX_DYNAMIC_PORTS";
    const std::string oclk = "#define    VELDAX_OCLK";
    const std::string portsr = "#define     VELDAX_PORTSR";
    const std::string frmports = "#define    VELDAX_FRMPORTS";
    const std::string resync = "#define    VELDAX_RESYNC";
    const struct {
        const char* name;
        std::function<void(DeinterlacerModel&)> set;
        std::vector<std::string> optional;
    } cases[] = {
        {"none", [](DeinterlacerModel&) {}, {}},
        {"seppclk alone", [](DeinterlacerModel& m) { m.seppclk = 1; }, {}},
        {"dynamic alone", [](DeinterlacerModel& m) { m.dynamic = 1; }, {ports}},
        {"dynamic and seppclk",
         [](DeinterlacerModel& m) { m.dynamic = 1; m.seppclk = 1; }, {pclk, ports}},
        {"fconvert", [](DeinterlacerModel& m) { m.fconvert = 1; }, {oclk}},
        {"sr", [](DeinterlacerModel& m) { m.sr = 1; }, {portsr}},
        {"frmports and resync",
         [](DeinterlacerModel& m) { m.frmports = 1; m.resync = 1; }, {frmports, resync}},
        {"all six",
         [](DeinterlacerModel& m) {
             m.dynamic = m.seppclk = m.fconvert = m.sr = m.frmports = m.resync = 1;
         },
         {pclk, ports, oclk, portsr, frmports, resync}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<DeinterlacerModel> m(abc_model());
        c.set(*m);
        m->derive_configuration();
        const auto lines = lines_of(header_of(*m));
        ASSERT_EQ(lines.size(), 41 + c.optional.size());
        const std::vector<std::string> between(lines.begin() + 38, lines.end() - 3);
        EXPECT_EQ(between, c.optional);
        EXPECT_EQ(lines[38 + c.optional.size()], "#define    VELDAX_DEVICE          DEVICE_KAP2");
        EXPECT_EQ(lines.back(), "#define    VELDAX_GOLDEN          \"golden_abc.dat\"");
    }
}

TEST(DefineHeader, PortAndCoordinateWidths) {
    const struct {
        const char* name;
        std::function<void(DeinterlacerModel&)> set;
        const char* fx;
        const char* fy;
        const char* dp;
    } cases[] = {
        {"parallel three planes",
         [](DeinterlacerModel& m) { m.parallel = 1; m.num_plane = 3; m.dwidth = 10; }, "10", "9",
         "30"},
        {"parallel 4:2:2",
         [](DeinterlacerModel& m) {
             m.parallel = 1; m.num_plane = 3; m.dwidth = 10; m.ycbcr422 = 1;
         },
         "10", "9", "20"},
        {"serial three planes",
         [](DeinterlacerModel& m) { m.num_plane = 3; m.dwidth = 10; }, "10", "9", "10"},
        {"serial 4:2:2",
         [](DeinterlacerModel& m) { m.num_plane = 3; m.dwidth = 12; m.ycbcr422 = 1; }, "10",
         "9", "12"},
        {"power-of-two width, one line",
         [](DeinterlacerModel& m) { m.frame_width = 1024; m.frame_height = 1; }, "10", "0", "8"},
        {"width one above a power",
         [](DeinterlacerModel& m) { m.frame_width = 1025; m.frame_height = 2; }, "11", "1", "8"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<DeinterlacerModel> m(abc_model());
        c.set(*m);
        m->derive_configuration();
        const auto lines = lines_of(header_of(*m));
        ASSERT_EQ(lines.size(), 41u);
        EXPECT_EQ(lines[35], std::string("#define    VELDAX_FXWIDTH             ") + c.fx);
        EXPECT_EQ(lines[36], std::string("#define    VELDAX_FYWIDTH             ") + c.fy);
        EXPECT_EQ(lines[37], std::string("#define    VELDAX_DPWIDTH             ") + c.dp);
    }
}

TEST(DefineHeader, WordsAndNamesOfAChangedConfiguration) {
    DeinterlacerModel m;
    defaults(m);
    m.module_name = "";  // written as it is
    m.family = "ZO2";
    m.dmethod = inter;
    m.ycbcr444 = 1;
    m.initfield = 1;
    m.copyframe = 1;
    m.lbuffer = 0;
    m.wrfifo_type = 0;
    m.rdfifo_type = 1;
    m.rdfifo_depth = 32;
    m.base_addr = 0x80000000;
    m.derive_configuration();
    const auto lines = lines_of(header_of(m));
    ASSERT_EQ(lines.size(), 41u);
    const struct {
        size_t index;
        const char* text;
    } expected[] = {
        {0, "#define    VELDAX_USERNAME            "},
        {1, "#define    VELDAX_u1_USERNAME         u1_"},
        {2, "#define    VELDAX_USERNAME_top        _top"},
        {5, "#define    VELDAX_DEINTERLACER_NAME \"\""},
        {10, "#define    VELDAX_DMETHOD             \"INTER\""},
        {12, "#define    VELDAX_YCBCR444            \"TRUE\""},
        {14, "#define    VELDAX_INITFIELD           1"},
        {17, "#define    VELDAX_COPYFRAME           \"TRUE\""},
        {19, "#define    VELDAX_LBUFFER             \"PFU\""},
        // 1019520 + 2^31 needs 32 address bits.
        {24, "#define    VELDAX_ABUS_WIDTH          32"},
        {26, "#define    VELDAX_WRFIFO_TYPE         \"LUT\""},
        {27, "#define    VELDAX_RDFIFO_DEPTH        32"},
        {28, "#define    VELDAX_RDFIFO_TYPE         \"EBR\""},
        {29, "#define    VELDAX_BASE_ADDR           -2147483648"},
        {34, "#define    VELDAX_FAMILY              \"ZO2\""},
        {38, "#define    VELDAX_DEVICE          DEVICE_ZO2"},
        {39, "#define    VELDAX_STIMULUS        \"stimulus_.dat\""},
        {40, "#define    VELDAX_GOLDEN          \"golden_.dat\""},
    };
    for (const auto& e : expected) EXPECT_EQ(lines[e.index], e.text) << "line " << e.index + 1;
}

TEST(DefineHeader, UnwritableFileIsReported) {
    for (const bool as_directory : {true, false}) {
        SCOPED_TRACE(as_directory ? "directory" : "/dev/full");
        TempDir dir;
        if (as_directory) {
            ASSERT_EQ(mkdir(dir.file("veldax_head").c_str(), 0755), 0);
        } else {
            ASSERT_EQ(symlink("/dev/full", dir.file("veldax_head").c_str()), 0);
        }
        std::unique_ptr<DeinterlacerModel> m(abc_model());
        m->derive_configuration();
        InFolder in(dir.path());
        testing::internal::CaptureStdout();
        const uint8_t result = m->write_define_header();
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "Can't generate veldax_head file\n");
        EXPECT_EQ(result, 1);
    }
}
