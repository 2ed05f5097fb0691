// params.v and veldax_head: exact texts, frame-memory depth and address width,
// the lines that follow options, and the exit when one cannot be written.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <map>
#include <set>
#include <sstream>

#include "core/numbers.h"
#include "emit/build_fields.h"
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
    if (depth) *depth = t.m.compute_mem_depth().value_or(-1);
    TempDir dir;
    InDir in(dir.path());
    testing::internal::CaptureStdout();
    const bool ok =
        t.m.write_params_file() == Status::ok && t.m.write_define_header() == Status::ok;
    testing::internal::GetCapturedStdout();
    return ok ? read_file(dir.file(file)) : "";
}

TEST(Emit, CeilLog2) {
    const int64_t cases[][2] = {{0, -1},
                                {-5, 0},
                                {1, 0},
                                {2, 1},
                                {3, 2},
                                {4, 2},
                                {5, 3},
                                {704, 10},
                                {1024, 10},
                                {1025, 11},
                                {(int64_t{1} << 40) + 1, 41}};
    for (const auto& c : cases) EXPECT_EQ(ceil_log2(c[0]), c[1]) << "x=" << c[0];
}

// 704 samples -> 59 half-requests of 12 -> 708 bytes a line, 169920 a field;
// four fields, six for inter, two more with conversion.
TEST(Emit, MemoryDepthAndAddressWidth) {
    const struct {
        const char* name;
        Set set;
        int32_t depth, abus;
    } cases[] = {
        {"defaults", nullptr, 679680, 20},
        {"inter", [](DeinterlacerModel& m) { m.dmethod = method_number(DeinterlaceMethod::inter); },
         1019520, 20},
        {"inter+fconvert",
         [](DeinterlacerModel& m) {
             m.dmethod = method_number(DeinterlaceMethod::inter);
             m.fconvert = 1;
         },
         1359360, 21},
        {"base 0x100000", [](DeinterlacerModel& m) { m.base_addr = 0x100000; }, 679680, 21},
        // Two samples a pixel, not three: 1408 -> 118 half-requests -> 1416 bytes.
        {"422 three planes",
         [](DeinterlacerModel& m) {
             m.num_plane = 3;
             m.ycbcr422 = 1;
         },
         1359360, 21},
        {"parallel", [](DeinterlacerModel& m) { m.parallel = 1; }, 679680, 20},
        // A line of 3 one-byte words; 3 * 5 / 2 = 7 a field.
        {"odd height",
         [](DeinterlacerModel& m) {
             m.frame_width = 3;
             m.frame_height = 5;
             m.dbus_width = 8;
             m.burst_count = 1;
             m.burst_length = 2;
         },
         28, 5},
        // 708 * 2000000 / 2 fits, six times it does not.
        {"six fields overflow",
         [](DeinterlacerModel& m) {
             m.dmethod = method_number(DeinterlaceMethod::inter);
             m.frame_height = 2000000;
         },
         -1, 0},
    };
    for (const auto& c : cases) {
        int32_t depth = -7;
        const auto lines = lines_of(emitted(c.set, "params.v", &depth));
        EXPECT_EQ(depth, c.depth) << c.name;
        if (c.depth < 0) {
            EXPECT_TRUE(lines.empty());
            continue;
        }
        ASSERT_EQ(lines.size(), 43u) << c.name;
        EXPECT_EQ(lines[19], "parameter ABUS_WIDTH        = " + std::to_string(c.abus) + ";")
            << c.name;
        EXPECT_EQ(lines[32], "parameter MEM_DEPTH         = " + std::to_string(c.depth) + ";")
            << c.name;
    }
}

// The field table: which names each file prints, in which order, numbers or quoted
// words.  (The two files give DYNAMIC and INITFIELD in opposite orders, and FRMPORTS only
// in params.v.)
TEST(Emit, FieldTable) {
    std::string params, header, simulation;
    for (int32_t i = 0; i < kBuildFieldCount; ++i) {
        const BuildField& f = kBuildFields[i];
        TestModel t;
        const std::string entry = std::string(f.name) + (f.value(t.m).word ? "\"" : "") + " ";
        if (f.file == BuildFile::simulation)
            simulation += entry;
        else if (in_params(f.file))
            params += entry;
        if (in_header(f.file)) header += entry;
    }
    const std::string common =
        "DBUS_WIDTH ABUS_WIDTH WRFIFO_DEPTH WRFIFO_TYPE\" RDFIFO_DEPTH RDFIFO_TYPE\" "
        "BASE_ADDR BURST_COUNT BURST_LENGTH PBUS_WIDTH PADDR_WIDTH FAMILY\" ";
    const std::string first =
        "NUM_PLANE DWIDTH MAXFWIDTH MAXFHEIGHT DMETHOD\" YCBCR422\" YCBCR444\" PARALLEL\" ";
    const std::string later = "FCONVERT\" COPYFRAME\" SEPPCLK\" ";
    const std::string thresholds = "INTER_TH0 INTER_TH1 INTER_TH2 ";
    EXPECT_EQ(params, first + "DYNAMIC\" INITFIELD " + later + "FRMPORTS\" LBUFFER\" " +
                          thresholds + common);
    EXPECT_EQ(header, first + "INITFIELD DYNAMIC\" " + later + "LBUFFER\" " + thresholds + common +
                          "FXWIDTH FYWIDTH DPWIDTH ");
    EXPECT_EQ(simulation,
              "SEED MEM_DEPTH INPUT_FRAMES OUTPUT_FRAMES TOTAL_INPUT TOTAL_OUTPUT FRMWIDTH_0 "
              "FRMWIDTH_1 FRMWIDTH_2 FRMHEIGHT_0 FRMHEIGHT_1 FRMHEIGHT_2 ");
}

// Both files in full, written out by hand, for a configuration whose fields all differ
// from their defaults.  The values not given directly:
// - MEM_DEPTH 1866240: 4:2:2 stores two samples a pixel, so a line is 720 * 2 = 1440
//   samples; a 64-bit bus word holds 64 / 10 = 6 of them and a half-request is
//   5 * 8 / 2 = 20 words, 120 samples; 1440 / 120 = 12 half-requests of 20 eight-byte
//   words = 1920 bytes a line, 1920 * 486 / 2 = 466560 a field, four fields for intra.
// - ABUS_WIDTH 33: the top address 1866240 + 0xFFFFFFFF = 4296833535 lies above
//   2^32 = 4294967296, so 33 bits.  BASE_ADDR is its low 32 bits signed: -1.
// - FXWIDTH 10 and FYWIDTH 9: 720 <= 2^10, 486 <= 2^9.  DPWIDTH 20: parallel 4:2:2
//   carries two 10-bit samples.
// - The per-frame sizes (dynamic): entry 0 is the frame less one (719, 485), the entries
//   not given follow entry 0.  SEED 1 and the counters are those before a run.
// - PCLK (dynamic with seppclk), DYNAMIC_PORTS and FRMPORTS are the optional lines set.
TEST(Emit, FilesFollowTheTable) {
    const Set set = [](DeinterlacerModel& m) {
        m.num_plane = 3, m.dwidth = 10, m.frame_width = 720, m.frame_height = 486;
        m.dmethod = method_number(DeinterlaceMethod::intra),
        m.ycbcr422 = m.parallel = m.dynamic = 1;
        m.initfield = m.copyframe = m.seppclk = m.frmports = 1, m.lbuffer = m.wrfifo_type = 0;
        m.interth0 = 3, m.interth1 = 40, m.interth2 = 99, m.dbus_width = 64, m.wrfifo_depth = 32;
        m.rdfifo_depth = 8, m.base_addr = 0xFFFFFFFFu, m.burst_count = 5, m.burst_length = 8;
        m.pbus_width = 16, m.family = "RUM", m.frmw[1] = 500, m.frmh[2] = 200;
    };
    const std::string params = R"(parameter NUM_PLANE         = 3;
parameter DWIDTH            = 10;
parameter MAXFWIDTH         = 720;
parameter MAXFHEIGHT        = 486;
parameter DMETHOD           = "INTRA";
parameter YCBCR422          = "TRUE";
parameter YCBCR444          = "FALSE";
parameter PARALLEL          = "TRUE";
parameter DYNAMIC           = "TRUE";
parameter INITFIELD         = 1;
parameter FCONVERT          = "FALSE";
parameter COPYFRAME         = "TRUE";
parameter SEPPCLK           = "TRUE";
parameter FRMPORTS          = "TRUE";
parameter LBUFFER           = "PFU";
parameter INTER_TH0         = 3;
parameter INTER_TH1         = 40;
parameter INTER_TH2         = 99;
parameter DBUS_WIDTH        = 64;
parameter ABUS_WIDTH        = 33;
parameter WRFIFO_DEPTH      = 32;
parameter WRFIFO_TYPE       = "LUT";
parameter RDFIFO_DEPTH      = 8;
parameter RDFIFO_TYPE       = "EBR";
parameter BASE_ADDR         = -1;
parameter BURST_COUNT       = 5;
parameter BURST_LENGTH      = 8;
parameter PBUS_WIDTH        = 16;
parameter PADDR_WIDTH       = 5;
parameter FAMILY            = "RUM";
//----only for simulation
parameter SEED              = 1;
parameter MEM_DEPTH         = 1866240;
parameter INPUT_FRAMES      = 3;
parameter OUTPUT_FRAMES     = 0;
parameter TOTAL_INPUT       = 0;
parameter TOTAL_OUTPUT      = 0;
parameter FRMWIDTH_0        = 719;
parameter FRMWIDTH_1        = 500;
parameter FRMWIDTH_2        = 719;
parameter FRMHEIGHT_0       = 485;
parameter FRMHEIGHT_1       = 485;
parameter FRMHEIGHT_2       = 200;
)";
    const std::string header = R"(#define    VELDAX_USERNAME            abc
#define    VELDAX_u1_USERNAME         u1_abc
#define    VELDAX_USERNAME_top        abc_top
#define    VELDAX_USERNAME_tb         abc_tb
#define    VELDAX_u1_USERNAME_top     u1_abc_top
#define    VELDAX_DEINTERLACER_NAME "abc"
#define    VELDAX_NUM_PLANE           3
#define    VELDAX_DWIDTH              10
#define    VELDAX_MAXFWIDTH           720
#define    VELDAX_MAXFHEIGHT          486
#define    VELDAX_DMETHOD             "INTRA"
#define    VELDAX_YCBCR422            "TRUE"
#define    VELDAX_YCBCR444            "FALSE"
#define    VELDAX_PARALLEL            "TRUE"
#define    VELDAX_INITFIELD           1
#define    VELDAX_DYNAMIC             "TRUE"
#define    VELDAX_FCONVERT            "FALSE"
#define    VELDAX_COPYFRAME           "TRUE"
#define    VELDAX_SEPPCLK             "TRUE"
#define    VELDAX_LBUFFER             "PFU"
#define    VELDAX_INTER_TH0           3
#define    VELDAX_INTER_TH1           40
#define    VELDAX_INTER_TH2           99
#define    VELDAX_DBUS_WIDTH          64
#define    VELDAX_ABUS_WIDTH          33
#define    VELDAX_WRFIFO_DEPTH        32
#define    VELDAX_WRFIFO_TYPE         "LUT"
#define    VELDAX_RDFIFO_DEPTH        8
#define    VELDAX_RDFIFO_TYPE         "EBR"
#define    VELDAX_BASE_ADDR           -1
#define    VELDAX_BURST_COUNT         5
#define    VELDAX_BURST_LENGTH        8
#define    VELDAX_PBUS_WIDTH          16
#define    VELDAX_PADDR_WIDTH         5
#define    VELDAX_FAMILY              "RUM"
#define    VELDAX_FXWIDTH             10
#define    VELDAX_FYWIDTH             9
#define    VELDAX_DPWIDTH             20
#define    VELDAX_PCLK
#define    VELDAX_DYNAMIC_PORTS
#define    VELDAX_FRMPORTS
#define    VELDAX_DEVICE          DEVICE_RUM
#define    VELDAX_STIMULUS        "stimulus_abc.dat"
#define    VELDAX_GOLDEN          "golden_abc.dat"
)";
    int32_t depth = -1;
    const std::string p = emitted(set, "params.v", &depth);
    ASSERT_EQ(depth, 1866240);  // computable, and the depth worked out above
    EXPECT_EQ(p, params);
    EXPECT_EQ(emitted(set, "veldax_head"), header);
    // Values the table must take from the right fields.
    for (const char* want :
         {"DMETHOD           = \"INTRA\"", "LBUFFER           = \"PFU\"",
          "WRFIFO_TYPE       = \"LUT\"", "RDFIFO_TYPE       = \"EBR\"", "BASE_ADDR         = -1;",
          "FRMWIDTH_1        = 500;", "FRMHEIGHT_2       = 200;", "INITFIELD         = 1;"})
        EXPECT_NE(p.find(want), std::string::npos) << want;
    EXPECT_NE(emitted(set, "veldax_head").find("VELDAX_DPWIDTH             20\n"),
              std::string::npos);
}

TEST(Emit, MethodWords) {
    const char* words[] = {"WEAVE", "BOBE", "BOBO", "INTRA", "INTER", "WEAVE"};
    for (int32_t i = 0; i < 6; ++i) {  // 5 stands for the out-of-range 7
        const auto lines =
            lines_of(emitted([&](DeinterlacerModel& m) { m.dmethod = i < 5 ? i : 7; }, "params.v"));
        EXPECT_EQ(lines.at(4), std::string("parameter DMETHOD           = \"") + words[i] + "\";");
    }
}

// The port width (line 38) and the optional lines between it and the device.
TEST(Emit, HeaderPortWidthAndOptionalLines) {
    const std::string d = "#define    VELDAX_";
    const struct {
        const char* name;
        Set set;
        int dp;
        std::vector<std::string> optional;
    } cases[] = {
        {"all six",
         [](DeinterlacerModel& m) {
             m.dynamic = m.seppclk = m.fconvert = m.sr = m.frmports = m.resync = 1;
         },
         8,
         {d + "PCLK", d + "DYNAMIC_PORTS", d + "OCLK", "#define     VELDAX_PORTSR", d + "FRMPORTS",
          d + "RESYNC"}},
        {"seppclk alone", [](DeinterlacerModel& m) { m.seppclk = 1; }, 8, {}},
        {"parallel 3 planes",
         [](DeinterlacerModel& m) {
             m.parallel = 1;
             m.num_plane = 3;
             m.dwidth = 10;
         },
         30,
         {}},
        {"parallel 422",
         [](DeinterlacerModel& m) {
             m.parallel = m.ycbcr422 = 1;
             m.num_plane = 3;
             m.dwidth = 10;
         },
         20,
         {}},
        {"serial 3 planes",
         [](DeinterlacerModel& m) {
             m.num_plane = 3;
             m.dwidth = 10;
         },
         10,
         {}},
    };
    for (const auto& c : cases) {
        const auto lines = lines_of(emitted(c.set, "veldax_head"));
        ASSERT_EQ(lines.size(), 41 + c.optional.size()) << c.name;
        EXPECT_EQ(lines[37], d + "DPWIDTH             " + std::to_string(c.dp)) << c.name;
        EXPECT_EQ(std::vector<std::string>(lines.begin() + 38, lines.end() - 3), c.optional)
            << c.name;
    }
}

// Each per-frame line names its own frame's size.
TEST(Emit, PerFrameSizeLines) {
    const auto lines = lines_of(emitted(
        [](DeinterlacerModel& m) {
            m.dynamic = 1;
            m.frmw[1] = 100, m.frmw[2] = 200, m.frmh[1] = 50, m.frmh[2] = 60;
        },
        "params.v"));
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(lines.end() - 6, lines.end()),
              (std::vector<std::string>{
                  "parameter FRMWIDTH_0        = 703;", "parameter FRMWIDTH_1        = 100;",
                  "parameter FRMWIDTH_2        = 200;", "parameter FRMHEIGHT_0       = 479;",
                  "parameter FRMHEIGHT_1       = 50;", "parameter FRMHEIGHT_2       = 60;"}));
}

TEST(Emit, UnwritableBuildFileExitStatus) {
    const struct {
        const char* file;
        int status;
        const char* message;
    } cases[] = {{"params.v", 8, "Failed to generate params file \n"},
                 {"veldax_head", 9,
                  "Can't generate veldax_head file\nFailed to generate veldax head file \n"}};
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

// Every row with a value of its own, so a row that prints another row's field shows: the
// numbers all differ, the words differ within each kind, and each flag is set alone.
// The derived values: a line of 1000 pixels of 3 samples, 8 seven-bit samples a 56-bit
// word, half-requests of 6 words (48 samples): 63 of them, 63 * 6 * 7 = 2646 bytes a
// line, 2646 * 300 / 2 = 396900 a field, six fields for inter: MEM_DEPTH 2381400; its top
// address 2381400 + 256 needs 22 bits; FXWIDTH 10 (1000 <= 2^10), FYWIDTH 9 (300 <= 2^9),
// DPWIDTH 21 (three parallel 7-bit samples).
TEST(Emit, EveryRowItsOwnValue) {
    const Set set = [](DeinterlacerModel& m) {
        m.num_plane = 3, m.dwidth = 7, m.frame_width = 1000, m.frame_height = 300;
        m.dmethod = method_number(DeinterlaceMethod::inter), m.parallel = 1, m.initfield = 1;
        m.interth0 = 11, m.interth1 = 41, m.interth2 = 97, m.dbus_width = 56;
        m.wrfifo_depth = 24, m.rdfifo_depth = 12, m.base_addr = 256, m.burst_count = 6;
        m.burst_length = 2, m.pbus_width = 48, m.paddr_width = 13, m.family = "RUM";
        m.lbuffer = 0, m.wrfifo_type = 0, m.rdfifo_type = 1, m.dynamic = 1;
        m.frmw[1] = 500, m.frmw[2] = 400, m.frmh[1] = 250, m.frmh[2] = 150;
    };
    const std::vector<std::pair<std::string, std::string>> want = {
        {"NUM_PLANE", "3"},        {"DWIDTH", "7"},          {"MAXFWIDTH", "1000"},
        {"MAXFHEIGHT", "300"},     {"INITFIELD", "1"},       {"INTER_TH0", "11"},
        {"INTER_TH1", "41"},       {"INTER_TH2", "97"},      {"DBUS_WIDTH", "56"},
        {"ABUS_WIDTH", "22"},      {"WRFIFO_DEPTH", "24"},   {"RDFIFO_DEPTH", "12"},
        {"BASE_ADDR", "256"},      {"BURST_COUNT", "6"},     {"BURST_LENGTH", "2"},
        {"PBUS_WIDTH", "48"},      {"PADDR_WIDTH", "13"},    {"FXWIDTH", "10"},
        {"FYWIDTH", "9"},          {"DPWIDTH", "21"},        {"SEED", "77"},
        {"MEM_DEPTH", "2381400"},  {"INPUT_FRAMES", "17"},   {"OUTPUT_FRAMES", "19"},
        {"TOTAL_INPUT", "123456"}, {"TOTAL_OUTPUT", "234567"}, {"FRMWIDTH_0", "999"},
        {"FRMWIDTH_1", "500"},     {"FRMWIDTH_2", "400"},    {"FRMHEIGHT_0", "299"},
        {"FRMHEIGHT_1", "250"},    {"FRMHEIGHT_2", "150"},   {"DMETHOD", "\"INTER\""},
        {"LBUFFER", "\"PFU\""},    {"WRFIFO_TYPE", "\"LUT\""}, {"RDFIFO_TYPE", "\"EBR\""},
        {"FAMILY", "\"RUM\""},
    };
    // The counters as a run leaves them (set after the configuration is derived).
    const Set counted = [&](DeinterlacerModel& m) {
        set(m);
        m.derive_configuration();
        m.seed = 77, m.input_frames = 17, m.output_frames = 19;
        m.total_input = 123456, m.total_output = 234567;
    };
    // NAME -> value of every "parameter NAME = value;" and "#define VELDAX_NAME value" line.
    auto values = [](const std::string& text) {
        std::map<std::string, std::string> v;
        for (const std::string& line : lines_of(text)) {
            std::string name, eq, value;
            std::istringstream in(line);
            if (line.starts_with("parameter ")) {
                in >> eq >> name >> eq >> value;
                if (!value.empty() && value.back() == ';') value.pop_back();
            } else if (line.starts_with("#define    VELDAX_")) {
                in >> eq >> name >> value;
                name = name.substr(7);
            }
            if (!name.empty() && !value.empty()) v[name] = value;
        }
        return v;
    };
    const auto params = values(emitted(counted, "params.v"));
    const auto header = values(emitted(counted, "veldax_head"));
    std::set<std::string> seen;
    for (const auto& [name, value] : want) {
        EXPECT_TRUE(seen.insert(value).second) << "two rows want " << value;
        const bool in_p = params.count(name) != 0, in_h = header.count(name) != 0;
        EXPECT_TRUE(in_p || in_h) << name;
        if (in_p) {
            EXPECT_EQ(params.at(name), value) << "params.v " << name;
        }
        if (in_h) {
            EXPECT_EQ(header.at(name), value) << "veldax_head " << name;
        }
    }

    // Each flag alone: the one line that says TRUE in each file is its own.
    const struct {
        const char* name;
        Set set;
    } flags[] = {
        {"YCBCR422", [](DeinterlacerModel& m) { m.num_plane = 3, m.ycbcr422 = 1; }},
        {"YCBCR444", [](DeinterlacerModel& m) { m.ycbcr444 = 1; }},
        {"PARALLEL", [](DeinterlacerModel& m) { m.parallel = 1; }},
        {"DYNAMIC", [](DeinterlacerModel& m) { m.dynamic = 1; }},
        {"FCONVERT", [](DeinterlacerModel& m) { m.fconvert = 1; }},
        {"COPYFRAME", [](DeinterlacerModel& m) { m.copyframe = 1; }},
        {"SEPPCLK", [](DeinterlacerModel& m) { m.seppclk = 1; }},
        {"FRMPORTS", [](DeinterlacerModel& m) { m.frmports = 1; }},
    };
    for (const auto& f : flags) {
        for (const char* file : {"params.v", "veldax_head"}) {
            std::vector<std::string> on;
            for (const auto& [name, value] : values(emitted(f.set, file)))
                if (value == "\"TRUE\"") on.push_back(name);
            const bool listed = std::string(file) == "params.v" ||
                                std::string(f.name) != "FRMPORTS";  // params.v only
            EXPECT_EQ(on, listed ? std::vector<std::string>{f.name} : std::vector<std::string>{})
                << f.name << " in " << file;
        }
    }
}
