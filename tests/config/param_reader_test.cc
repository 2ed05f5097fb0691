#include <gtest/gtest.h>
#include <map>
#include <string>

#include "support/model_fixture.h"
#include "support/test_support.h"

// Reads text as "cfg.kvf" into a defaulted model; returns the status, a space and the output.
static std::string read_text(DeinterlacerModel& m, const std::string& text) {
    veldax_test::TempDir dir;
    veldax_test::InDir in(dir.path());
    veldax_test::write_file("cfg.kvf", text);
    m.init_defaults();
    m.kvf_path = "cfg.kvf";
    testing::internal::CaptureStdout();
    const int result = m.read_parameter_file() == Status::ok ? 0 : 1;
    return std::to_string(result) + " " + testing::internal::GetCapturedStdout();
}

// A field of the model as text; "#i" gives frame i's width, height and th2.
static std::string get(const DeinterlacerModel& m, const std::string& key) {
    if (key == "fam" || key == "name") return key == "fam" ? m.family : m.module_name;
    if (const int i = key[0] == '#' ? std::stoi(key.substr(1)) : -1; i >= 0)
        return std::to_string(m.frmw[frame_slot(i)]) + " " + std::to_string(m.frmh[frame_slot(i)]) + " " +
               std::to_string(m.th2_table[frame_slot(i)]);
    return std::to_string(std::map<std::string, int64_t>{
        {"dw", m.dwidth}, {"np", m.num_plane}, {"sr", m.sr}, {"dyn", m.dynamic}, {"dm", m.dmethod},
        {"lb", m.lbuffer}, {"rd", m.rdfifo_type}, {"base", static_cast<int64_t>(m.base_addr)}}.at(key));
}

// Each text is read on its own; `key` ("out": status and output) must then hold `want`, even
// where the value is later refused by the bounds check. Lines arrive in pieces of 999 characters,
// a CR before LF dropped first. A number beyond 32 bits stops the reading at its line.
TEST(ParamReader, Reading) {
    const std::string pad(991, 'a'), name(987, 'n'), fit = " does not fit in 32 bits\n",
                      long_line = pad + "dwidth=16" + std::string(498, 'b') + "num_plane=3\n",
                      over = "\n\nframe_width=-2147483649\nnum_plane=3\n",
                      dyn = "dynamic=1\ninterth2=200\nfrmw_2=100\nfrmh_1=50\nth2_2=-5\nth2_1=7\n";
    const struct { std::string text, key, want; } cases[] = {
        {"dwidth=10\n", "dw", "10"}, {"dwidth= 10\n", "dw", "10"}, {"dwidth = 10\n", "dw", "0"},
        {"dwidth=10 // ten bits\n", "dw", "8"}, {"dwidth=+11\n", "dw", "11"}, {"dwidth=12abc\n", "dw", "12"},
        {"dwidth=abc\n", "dw", "0"}, {"ModuleName=dynamic_1\n", "dyn", "1"},
        {"ModuleName=usr_1\n", "sr", "1"}, {"sr=1\nModuleName=xsr\n", "sr", "0"},
        {"dmethod=bobe\n", "dm", "1"}, {"dmethod= bobo\n", "dm", "2"}, {"dmethod=intra\n", "dm", "3"},
        {"dmethod=inter\n", "dm", "4"}, {"dmethod=inter weave\n", "dm", "0"},
        {"dmethod=inter\ndmethod=INTRA\n", "dm", "0"}, {"lbuffer=Distributed\nlbuffer=EBR\n", "lb", "1"},
        {"lbuffer=ebr\n", "lb", "0"}, {"rdfifo_type=Distributed\n", "rd", "0"},
        {"base_addr=12xyz\n", "base", "18"}, {"base_addr=1F00\n", "base", "7936"},
        {"base_addr= 0X1f00\n", "base", "7936"}, {"base_addr=1F00\nbase_addr=zz\n", "base", "7936"},
        {long_line, "dw", "1"}, {long_line, "np", "3"}, {"ModuleName=" + name + "\r\n", "name", name},
        {"Family=xx-tk7c00-yy\n", "fam", "KAP3"}, {"Family=quorvixkap3\n", "fam", "KAP3"},
        {"Family=quorvixrum\n", "fam", "RUM"}, {"Family=tk7g00p\n", "fam", "KAP"},
        {"Family=tk7g00\n", "fam", "KA"}, {"Family=QUORVIXKAP3\n", "fam", "KAP2"},
        {"dwidth=8\n", "fam", "KAP2"}, {over, "out", "1 cfg.kvf line 3: frame_width value -2147483649" + fit},
        {over, "np", "1"},
        {"ModuleName=usr= 99999999999x\n", "out", "1 cfg.kvf line 1: sr value 99999999999" + fit},
        {"base_addr=0x100000000\n", "out", "1 cfg.kvf line 1: base_addr value 0x100000000" + fit},
        {"dwidth=99999999999\ndwidth=8\n", "out", "1 cfg.kvf line 1: dwidth value 99999999999" + fit},
        {"frame_width=640\nfrmw_1=99\n", "#1", "639 479 180"}, {dyn, "#1", "703 50 7"},
        {"dynamic=1\nfrmw_0=351\n", "#1", "351 479 180"}, {"dynamic=1\nfrmw_0=351\n", "#999", "351 479 180"},
        {dyn, "#2", "100 479 200"}, {dyn, "#3", "100 479 200"}, {dyn, "#999", "100 479 200"},
        // One slash is not a comment; a flag of 2 is set; all 32 bits of an address are taken.
        {"ModuleName=a/b\n", "name", "a/b"}, {"dwidth=10/2\n", "dw", "10"}, {"dynamic=2\n", "dyn", "1"},
        {"base_addr=FFFFFFFF\n", "base", "4294967295"}, {"base_addr=FFFFFFFF\n", "out", "0 "},
    };
    for (const auto& c : cases) {
        DeinterlacerModel m;
        const std::string out = read_text(m, c.text);
        EXPECT_EQ(c.key == "out" ? out : get(m, c.key), c.want) << c.key << ": " << c.text;
    }
}
