#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "config/family_table.h"
#include "config/model.h"
#include "support/test_support.h"

using veldax_test::TempDir;

namespace {

struct Read {
    int result;
    std::string output;
};

// Reads text as the parameter file "cfg.kvf" into a freshly defaulted model.
Read read_text(DeinterlacerModel& m, const std::string& text) {
    TempDir dir;
    veldax_test::write_file(dir.file("cfg.kvf"), text);
    m.init_defaults();
    m.kvf_path = dir.file("cfg.kvf");
    testing::internal::CaptureStdout();
    const int result = m.read_parameter_file();
    std::string out = testing::internal::GetCapturedStdout();
    // Messages name the path; keep only its last part for comparisons.
    for (size_t at; (at = out.find(dir.path() + "/")) != std::string::npos;)
        out.erase(at, dir.path().size() + 1);
    return {result, out};
}

using Field = std::function<int64_t(const DeinterlacerModel&)>;

const Field kDwidth = [](const DeinterlacerModel& m) { return m.dwidth; };

struct FieldCase {
    const char* text;
    Field field;
    int64_t expected;
};

// Each text is read on its own; `field` must hold `expected` afterwards, even
// where the value is then refused by the bounds check (dwidth 0).
TEST(ParamReader, KeyValueForms) {
    const Field sr = [](const DeinterlacerModel& m) { return m.sr; };
    const Field dyn = [](const DeinterlacerModel& m) { return m.dynamic; };
    const Field method = [](const DeinterlacerModel& m) { return m.dmethod; };
    const Field parallel = [](const DeinterlacerModel& m) { return m.parallel; };
    const Field lbuffer = [](const DeinterlacerModel& m) { return m.lbuffer; };
    const Field rdfifo = [](const DeinterlacerModel& m) { return m.rdfifo_type; };
    const Field base = [](const DeinterlacerModel& m) { return static_cast<int64_t>(m.base_addr); };
    const Field th1 = [](const DeinterlacerModel& m) { return m.interth1; };
    const Field height = [](const DeinterlacerModel& m) { return m.frame_height; };
    const FieldCase cases[] = {
        {"dwidth=10\n", kDwidth, 10},
        {"dwidth= 10\n", kDwidth, 10},
        {"dwidth = 10\n", kDwidth, 0},  // the value starts at "="
        {"dwidth=10 // ten bits\n", kDwidth, 8},
        {"[core]\nunknown=3\n\n", kDwidth, 8},
        {"dwidth:12\n", kDwidth, 12},  // the separator is not checked
        {"set dwidth=9\n", kDwidth, 9},
        {"dwidth=+11\n", kDwidth, 11},
        {"dwidth=\t 7\n", kDwidth, 7},
        {"dwidth=12abc\n", kDwidth, 12},
        {"dwidth=abc\n", kDwidth, 0},
        {"dwidth", kDwidth, 0},      // value past the end of the line
        {"dwidth=9\ndwidth=10\n", kDwidth, 10},
        {"frame_width=64 frame_height=32\n", height, 32},
        {"interth1=-7\n", th1, -7},
        {"interth1=-2147483648\n", th1, -2147483648LL},
        {"parallel=2\n", parallel, 1},
        {"parallel=-1\n", parallel, 1},
        {"parallel=1\nparallel=x\n", parallel, 0},
        {"ModuleName=dynamic_1\n", dyn, 1},
        {"ModuleName=usr_1\n", sr, 1},  // "sr" inside the name, value "1"
        {"sr=1\nModuleName=xsr\n", sr, 0},
        {"dmethod=weave\n", method, weave},
        {"dmethod=bobe\n", method, bobe},
        {"dmethod= bobo\n", method, bobo},
        {"dmethod=intra\n", method, intra},
        {"dmethod=inter\n", method, inter},
        {"dmethod=inter\ndmethod=bob\n", method, weave},
        {"dmethod=inter\ndmethod=INTRA\n", method, weave},
        {"dmethod=inter weave\n", method, weave},  // words are tried in order
        {"lbuffer=EBR\n", lbuffer, 1},
        {"lbuffer=Distributed\n", lbuffer, 0},
        {"lbuffer=xyz\n", lbuffer, 0},
        {"lbuffer=ebr\n", lbuffer, 0},
        {"rdfifo_type=Distributed\n", rdfifo, 0},
        {"base_addr=1F00\n", base, 0x1F00},
        {"base_addr=0x1f00\n", base, 0x1F00},
        {"base_addr= 0X1F00\n", base, 0x1F00},
        {"base_addr=12xyz\n", base, 0x12},
        {"base_addr=FFFFFFFF\n", base, 0xFFFFFFFFLL},
        {"base_addr=000000000000ABCD\n", base, 0xABCD},
        {"base_addr=1F00\nbase_addr=zz\n", base, 0x1F00},  // no digit keeps it
        {"dwidth=9\r\n", kDwidth, 9},
    };
    for (const auto& c : cases) {
        DeinterlacerModel m;
        read_text(m, c.text);
        EXPECT_EQ(c.field(m), c.expected) << c.text;
    }
}

TEST(ParamReader, ModuleNameKeepsTheRestOfTheLine) {
    const struct {
        const char* text;
        const char* name;
    } cases[] = {
        {"ModuleName=my core  \n", "my core  "},
        {"ModuleName=\n", ""},
        {"ModuleName=abc", "abc"},
        {"ModuleName=abc\r\n", "abc"},
        {"ModuleName=abc\rdwidth=9\n", "abc\rdwidth=9"},  // a lone CR is a character
    };
    for (const auto& c : cases) {
        DeinterlacerModel m;
        read_text(m, c.text);
        EXPECT_EQ(m.module_name, c.name) << c.text;
    }
    DeinterlacerModel m;
    read_text(m, "ModuleName=abc\rdwidth=9\n");
    EXPECT_EQ(m.dwidth, 9);
}

// Pieces of 999 characters: a key or number cut at the boundary is lost or
// shortened, and the rest is read as a line of its own.
TEST(ParamReader, LongLinesArriveInPieces) {
    const std::string pad991(991, 'a');
    DeinterlacerModel m;
    read_text(m, pad991 + "dwidth=16" + std::string(498, 'b') + "num_plane=3\n");
    EXPECT_EQ(m.dwidth, 1);      // "6" went to the second piece
    EXPECT_EQ(m.num_plane, 3);   // found in the second piece

    read_text(m, std::string(995, 'a') + "dwidth=12" + std::string(496, 'c') + "\n");
    EXPECT_EQ(m.dwidth, 8);  // "dwid" | "th=12": no key in either piece

    // 998 characters and CR LF: the CR is dropped before cutting, so the
    // line arrives whole and the name does not end in CR.
    const std::string name(987, 'n');
    read_text(m, "ModuleName=" + name + "\r\n");
    EXPECT_EQ(m.module_name, name);
}

TEST(ParamReader, FamilyRowsByCodeAndName) {
    for (int32_t i = 0; i < kFamilyRowCount; ++i) {
        const FamilyRow& row = kFamilyRows[i];
        for (const char* value : {row.part_code, row.family_name}) {
            DeinterlacerModel m;
            read_text(m, std::string("Family=xx-") + value + "-yy\n");
            EXPECT_EQ(m.family, row.code) << value;
        }
    }
    const struct {
        const char* text;
        const char* family;
    } cases[] = {
        {"Family=quorvixkap2m\n", "KAP2M"},
        {"Family=quorvixkap\n", "KAP"},
        {"Family=tk7g00\n", "KA"},
        {"Family=quorvixzo2\n", "ZO2"},
        {"Family=tk7c00\nFamily=nothing\n", "KAP2"},
        {"Family=\n", "KAP2"},
        {"Family=QUORVIXKAP3\n", "KAP2"},
        {"dwidth=8\n", "KAP2"},  // no Family line
    };
    for (const auto& c : cases) {
        DeinterlacerModel m;
        m.family = "stale";
        read_text(m, c.text);
        EXPECT_EQ(m.family, c.family) << c.text;
    }
    DeinterlacerModel m;
    read_text(m, "Family=quorvixkap3\n");
    EXPECT_EQ(m.family_text, "quorvixkap3\n");
}

TEST(ParamReader, PerFrameTables) {
    DeinterlacerModel m;
    ASSERT_EQ(read_text(m, "frame_width=640\nfrmw_1=99\nth1_1=5\n").result, 0);
    for (int i : {0, 1, 2, 3, 999}) {
        EXPECT_EQ(m.frmw[i], 639) << i;
        EXPECT_EQ(m.frmh[i], 479) << i;
        EXPECT_EQ(m.th1_table[i], 90) << i;
    }

    ASSERT_EQ(read_text(m, "dynamic=1\nfrmw_0=351\n").result, 0);
    for (int i : {0, 1, 2, 3, 500, 999}) EXPECT_EQ(m.frmw[i], 351) << i;

    ASSERT_EQ(read_text(m, "dynamic=1\ninterth0=4\ninterth2=200\nfrmw_2=100\nfrmh_1=50\n"
                           "th2_2=-5\nth2_1=7\nth1_2=0\n")
                  .result,
              0);
    const int32_t expect_w[] = {703, 703, 100, 100, 100};
    const int32_t expect_h[] = {479, 50, 479, 479, 479};
    const int32_t expect_th1[] = {90, 90, 0, 0, 0};
    const int32_t expect_th2[] = {200, 7, 200, 200, 200};
    const int frames[] = {0, 1, 2, 3, 999};
    for (int k = 0; k < 5; ++k) {
        const int i = frames[k];
        EXPECT_EQ(m.frmw[i], expect_w[k]) << i;
        EXPECT_EQ(m.frmh[i], expect_h[k]) << i;
        EXPECT_EQ(m.th0_table[i], 4) << i;
        EXPECT_EQ(m.th1_table[i], expect_th1[k]) << i;
        EXPECT_EQ(m.th2_table[i], expect_th2[k]) << i;
    }
    EXPECT_EQ(m.th2_now, 200);
}

TEST(ParamReader, DerivedRangeAndGeometry) {
    DeinterlacerModel m;
    ASSERT_EQ(read_text(m, "frame_width=720\nframe_height=576\n").result, 0);
    EXPECT_EQ(m.max_value, 255);
    EXPECT_EQ(m.min_value, 0);
    EXPECT_EQ(m.pad_left, 2);
    EXPECT_EQ(m.pad_right, 2);
    EXPECT_EQ(m.padded_width, 724);
    EXPECT_EQ(m.padded_height, 578);
    EXPECT_EQ(m.active_width, 720);
    EXPECT_EQ(m.active_height, 576);
    EXPECT_EQ(m.seed, 1);
    ASSERT_EQ(read_text(m, "dwidth=16\n").result, 0);
    EXPECT_EQ(m.max_value, 65535);
}

// A number that does not fit 32 bits stops the reading at its line; nothing
// after it is applied.
TEST(ParamReader, OverflowIsRefusedOnItsLine) {
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"dwidth=99999999999\n", "cfg.kvf line 1: dwidth value 99999999999 does not fit in 32 bits\n"},
        {"num_plane=3\n\nframe_width=-2147483649\n",
         "cfg.kvf line 3: frame_width value -2147483649 does not fit in 32 bits\n"},
        {"parallel=4294967296\n", "cfg.kvf line 1: parallel value 4294967296 does not fit in 32 bits\n"},
        {"ModuleName=usr= 99999999999x\n", "cfg.kvf line 1: sr value 99999999999 does not fit in 32 bits\n"},
        {"frmw_1=99999999999\n", "cfg.kvf line 1: frmw_1 value 99999999999 does not fit in 32 bits\n"},
        {"base_addr=0x100000000\n", "cfg.kvf line 1: base_addr value 0x100000000 does not fit in 32 bits\n"},
        {"dwidth=99999999999\ndwidth=8\n", "cfg.kvf line 1: dwidth value 99999999999 does not fit in 32 bits\n"},
    };
    for (const auto& c : cases) {
        DeinterlacerModel m;
        const Read r = read_text(m, c.text);
        EXPECT_EQ(r.result, 1) << c.text;
        EXPECT_EQ(r.output, c.message) << c.text;
    }
    DeinterlacerModel m;
    read_text(m, "dwidth=10\nparallel=4294967296\nnum_plane=3\n");
    EXPECT_EQ(m.dwidth, 10);
    EXPECT_EQ(m.num_plane, 1);
}

TEST(ParamReader, UnreadableFileIsAFailure) {
    TempDir dir;
    DeinterlacerModel m;
    m.init_defaults();
    m.kvf_path = dir.file("gone.kvf");
    testing::internal::CaptureStdout();
    EXPECT_EQ(m.read_parameter_file(), 1);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("gone.kvf"), std::string::npos);

    m.kvf_path = dir.path();  // a folder opens but cannot be read
    testing::internal::CaptureStdout();
    EXPECT_EQ(m.read_parameter_file(), 1);
    EXPECT_NE(testing::internal::GetCapturedStdout().find(dir.path()), std::string::npos);
}

// The shipped default example describes exactly the built-in defaults.
TEST(ParamReader, DefaultExampleMatchesDefaults) {
    DeinterlacerModel m;
    m.init_defaults();
    m.kvf_path = veldax_test::source_path("examples/default.kvf");
    testing::internal::CaptureStdout();
    ASSERT_EQ(m.read_parameter_file(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    DeinterlacerModel d;
    d.init_defaults();
    d.derive_configuration();
    EXPECT_EQ(m.module_name, "veldax_core0");
    EXPECT_EQ(m.family, "KAP2");
    const int64_t got[] = {m.num_plane, m.frame_width, m.frame_height, m.dmethod, m.ycbcr422,
                           m.ycbcr444, m.parallel, m.initfield, m.dynamic, m.fconvert,
                           m.copyframe, m.seppclk, m.interth0, m.interth1, m.interth2,
                           m.frmports, m.resync, m.dwidth, m.lbuffer, m.dbus_width,
                           m.wrfifo_depth, m.wrfifo_type, m.rdfifo_depth, m.rdfifo_type,
                           static_cast<int64_t>(m.base_addr), m.burst_count, m.burst_length,
                           m.pbus_width, m.sr, m.frmw[2], m.frmh[2], m.th1_table[2],
                           m.th2_table[2]};
    const int64_t want[] = {d.num_plane, d.frame_width, d.frame_height, d.dmethod, d.ycbcr422,
                            d.ycbcr444, d.parallel, d.initfield, d.dynamic, d.fconvert,
                            d.copyframe, d.seppclk, d.interth0, d.interth1, d.interth2,
                            d.frmports, d.resync, d.dwidth, d.lbuffer, d.dbus_width,
                            d.wrfifo_depth, d.wrfifo_type, d.rdfifo_depth, d.rdfifo_type,
                            static_cast<int64_t>(d.base_addr), d.burst_count, d.burst_length,
                            d.pbus_width, d.sr, d.frmw[2], d.frmh[2], d.th1_table[2],
                            d.th2_table[2]};
    for (size_t i = 0; i < sizeof(got) / sizeof(got[0]); ++i) EXPECT_EQ(got[i], want[i]) << i;
}

}  // namespace
