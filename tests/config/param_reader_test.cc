#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <tuple>
#include <variant>

#include "support/model_fixture.h"
#include "support/test_support.h"

namespace {

// Reads text as "cfg.kvf" into a defaulted model; returns the status, a space and the output.
std::string read_text(DeinterlacerModel& m, const std::string& text) {
    veldax_test::TempDir dir;
    veldax_test::InDir in(dir.path());
    veldax_test::write_file("cfg.kvf", text);
    m.init_defaults();
    m.kvf_path = "cfg.kvf";
    testing::internal::CaptureStdout();
    const int result = m.read_parameter_file() == Status::ok ? 0 : 1;
    return std::to_string(result) + " " + testing::internal::GetCapturedStdout();
}

using M = DeinterlacerModel;

// A number field of the record and the value it must hold.
struct Number {
    std::variant<int32_t M::*, uint8_t M::*, uint64_t M::*> field;
    int64_t want;
};
// A text field and the value it must hold.
struct Text {
    std::string M::*field;
    std::string want;
};
// The per-frame table entry of frame `frame` (frame_slot): width, height and th2.
struct FrameEntry {
    int32_t frame, width, height, th2;
};
// The reading's status (0 read, 1 refused), a space and what it printed.
struct Printed {
    std::string want;
};

struct Row {
    std::string text;
    std::variant<Number, Text, FrameEntry, Printed> check;

    template <class T>
    Row(std::string t, T M::*field, int64_t want)
        : text(std::move(t)), check(Number{field, want}) {}
    Row(std::string t, std::string M::*field, std::string want)
        : text(std::move(t)), check(Text{field, std::move(want)}) {}
    Row(std::string t, FrameEntry entry) : text(std::move(t)), check(entry) {}
    Row(std::string t, Printed printed) : text(std::move(t)), check(std::move(printed)) {}
};

// Checks one row against the model read and what the reading printed.
void expect_row(const Row& row, const M& m, const std::string& printed) {
    SCOPED_TRACE("text: " + row.text);
    if (const auto* n = std::get_if<Number>(&row.check)) {
        const int64_t got =
            std::visit([&](auto field) { return static_cast<int64_t>(m.*field); }, n->field);
        EXPECT_EQ(got, n->want);
    } else if (const auto* t = std::get_if<Text>(&row.check)) {
        EXPECT_EQ(m.*(t->field), t->want);
    } else if (const auto* e = std::get_if<FrameEntry>(&row.check)) {
        const int32_t slot = frame_slot(e->frame);
        EXPECT_EQ(std::make_tuple(m.frmw[slot], m.frmh[slot], m.th2_table[slot]),
                  std::make_tuple(e->width, e->height, e->th2))
            << "frame " << e->frame;
    } else {
        EXPECT_EQ(printed, std::get<Printed>(row.check).want);
    }
}

// Each text is read on its own; the field a row names must then hold its value (a Printed row:
// the status and output), even where the value is later refused by the bounds check. Lines arrive
// in pieces of 999 characters, a CR before LF dropped first. A number beyond 32 bits stops the
// reading at its line.
TEST(ParamReader, Reading) {
    const std::string pad(991, 'a'), name(987, 'n'),
        fit = " does not fit in 32 bits\n",
        long_line = pad + "dwidth=16" + std::string(498, 'b') + "num_plane=3\n",
        over = "\n\nframe_width=-2147483649\nnum_plane=3\n",
        dyn = "dynamic=1\ninterth2=200\nfrmw_2=100\nfrmh_1=50\nth2_2=-5\nth2_1=7\n";
    const Row cases[] = {
        {"dwidth=10\n", &M::dwidth, 10},
        {"dwidth= 10\n", &M::dwidth, 10},
        {"dwidth = 10\n", &M::dwidth, 0},
        {"dwidth=10 // ten bits\n", &M::dwidth, 8},
        {"dwidth=+11\n", &M::dwidth, 11},
        {"dwidth=12abc\n", &M::dwidth, 12},
        {"dwidth=abc\n", &M::dwidth, 0},
        {"ModuleName=dynamic_1\n", &M::dynamic, 1},
        {"ModuleName=usr_1\n", &M::sr, 1},
        {"sr=1\nModuleName=xsr\n", &M::sr, 0},
        {"dmethod=bobe\n", &M::dmethod, 1},
        {"dmethod= bobo\n", &M::dmethod, 2},
        {"dmethod=intra\n", &M::dmethod, 3},
        {"dmethod=inter\n", &M::dmethod, 4},
        {"dmethod=inter weave\n", &M::dmethod, 0},
        {"dmethod=inter\ndmethod=INTRA\n", &M::dmethod, 0},
        {"lbuffer=Distributed\nlbuffer=EBR\n", &M::lbuffer, 1},
        {"lbuffer=ebr\n", &M::lbuffer, 0},
        {"rdfifo_type=Distributed\n", &M::rdfifo_type, 0},
        {"base_addr=12xyz\n", &M::base_addr, 18},
        {"base_addr=1F00\n", &M::base_addr, 7936},
        {"base_addr= 0X1f00\n", &M::base_addr, 7936},
        {"base_addr=1F00\nbase_addr=zz\n", &M::base_addr, 7936},
        {long_line, &M::dwidth, 1},
        {long_line, &M::num_plane, 3},
        {"ModuleName=" + name + "\r\n", &M::module_name, name},
        {"Family=xx-tk7c00-yy\n", &M::family, "KAP3"},
        {"Family=quorvixkap3\n", &M::family, "KAP3"},
        {"Family=quorvixrum\n", &M::family, "RUM"},
        {"Family=tk7g00p\n", &M::family, "KAP"},
        {"Family=tk7g00\n", &M::family, "KA"},
        {"Family=QUORVIXKAP3\n", &M::family, "KAP2"},
        {"dwidth=8\n", &M::family, "KAP2"},
        {over, Printed{"1 cfg.kvf line 3: frame_width value -2147483649" + fit}},
        {over, &M::num_plane, 1},
        {"usr= 99999999999x\n", Printed{"1 cfg.kvf line 1: sr value 99999999999" + fit}},
        {"base_addr=0x100000000\n", Printed{"1 cfg.kvf line 1: base_addr value 0x100000000" + fit}},
        {"dwidth=99999999999\ndwidth=8\n",
         Printed{"1 cfg.kvf line 1: dwidth value 99999999999" + fit}},
        {"frame_width=640\nfrmw_1=99\n", FrameEntry{1, 639, 479, 180}},
        {dyn, FrameEntry{1, 703, 50, 7}},
        {"dynamic=1\nfrmw_0=351\n", FrameEntry{1, 351, 479, 180}},
        {"dynamic=1\nfrmw_0=351\n", FrameEntry{999, 351, 479, 180}},
        {dyn, FrameEntry{2, 100, 479, 200}},
        {dyn, FrameEntry{3, 100, 479, 200}},
        {dyn, FrameEntry{999, 100, 479, 200}},
        // One slash is not a comment; a flag of 2 is set; all 32 bits of an address are taken.
        {"ModuleName=a/b\n", &M::module_name, "a/b"},
        {"dwidth=10/2\n", &M::dwidth, 10},
        {"dynamic=2\n", &M::dynamic, 1},
        {"base_addr=FFFFFFFF\n", &M::base_addr, 4294967295},
        {"base_addr=FFFFFFFF\n", Printed{"0 "}},
    };
    for (const auto& c : cases) {
        DeinterlacerModel m;
        const std::string out = read_text(m, c.text);
        expect_row(c, m, out);
    }
}

}  // namespace

// The record's member initialisers are the only defaults: an empty parameter
// file configures what the documented example file spells out (which also
// names the module, the one key without a default value).
TEST(ParamReader, EmptyFileGivesTheDocumentedDefaults) {
    std::string built[2][2];
    const std::string files[2] = {"", veldax_test::read_file(
                                          veldax_test::source_path("examples/default.kvf"))};
    for (int i = 0; i < 2; ++i) {
        veldax_test::TempDir dir;
        veldax_test::write_file(dir.file("cfg.kvf"), files[i]);
        ASSERT_EQ(veldax_test::run_veldax(dir.path(), {"cfg.kvf", "-d"}).status, 0);
        built[i][0] = veldax_test::read_file(dir.file("params.v"));
        built[i][1] = veldax_test::read_file(dir.file("veldax_head"));
    }
    ASSERT_FALSE(files[1].empty());
    EXPECT_EQ(built[0][0], built[1][0]);
    std::string unnamed = built[1][1];
    for (size_t at; (at = unnamed.find("veldax_core0")) != std::string::npos;)
        unnamed.erase(at, std::strlen("veldax_core0"));
    EXPECT_EQ(built[0][1], unnamed);
}
