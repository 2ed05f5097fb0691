// What the parameter file reader says about lines it takes but probably
// should not: warnings on standard error (standard output and the status
// unchanged), and module names that would write code into the header.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

const std::string kW = "veldax-gen: warning: ";
const std::string kRefused = "Failed to parse kvf file\n";

}  // namespace

TEST(ParamWarnings, ModuleNamesThatWouldWriteCode) {
    const struct Case {
        std::string value;
        std::string shown;  // as the refusal shows it; empty: accepted
    } cases[] = {
        {"core0\r#include \"/etc/hostname\"", "core0\\x0D#include \\x22/etc/hostname\\x22"},
        {"core0\\", "core0\\x5C"},
        {"co\"re", "co\\x22re"},
        {"a\tb", "a\\x09b"},
        {"a\x7F", "a\\x7F"},
        // Comments out the #define lines after the name; a trigraph backslash.
        {"/*/", "/*/"},
        {"core?\?/", "core?\?/"},
        {"core-0 +x.y_z", "core-0 +x.y_z"},
        {"k\xC3\xA9rn", "k\\xC3\\xA9rn"},
        {"0core", "0core"},
        {" core", " core"},
        {"core \x0C", "core \\x0C"},
        // Identifiers, and the empty name; trailing spaces are not checked.
        {"core_0", ""},
        {"_Core9", ""},
        {"core0  ", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        veldax_test::TempDir dir;
        veldax_test::write_file(dir.file("cfg.kvf"),
                                "frame_width=8\nframe_height=4\nModuleName=" + c.value + "\n");
        const auto r = veldax_test::run_veldax_shell(dir.path(), {"cfg.kvf", "-d"});
        if (c.shown.empty()) {
            EXPECT_EQ(r.status, 0) << c.value;
            EXPECT_NE(veldax_test::read_file(dir.file("veldax_head"))
                          .find("#define    VELDAX_DEINTERLACER_NAME \"" + c.value + "\"\n"),
                      std::string::npos);
        } else {
            EXPECT_EQ(
                std::make_tuple(r.status, r.out, veldax_test::file_exists(dir.file("veldax_head"))),
                std::make_tuple(1,
                                "cfg.kvf line 3: ModuleName \"" + c.shown +
                                    "\" is not an identifier (letters, digits and _, not "
                                    "starting with a digit)\n" +
                                    kRefused,
                                false));
        }
    }
}

// One line each; the value read stays what it was (the runs still succeed
// or fail as before, with the same standard output).
TEST(ParamWarnings, SilentMistakesAreNamed) {
    const struct Case {
        std::string lines;
        int status;
        std::string err;
        std::string out = "";
    } cases[] = {
        {"frame_widht=720\n", 0,
         "cfg.kvf line 1: \"frame_widht=720\" names no known key; did you mean frame_width?"},
        {"DMethod=intra\n", 0,
         "cfg.kvf line 1: \"DMethod=intra\" names no known key; did you mean dmethod? (keys are "
         "case-sensitive)"},
        {"nm_plane=3\n", 0,
         "cfg.kvf line 1: \"nm_plane=3\" names no known key; did you mean num_plane?"},
        {"colour=3\n", 0, "cfg.kvf line 1: \"colour=3\" names no known key; the line is ignored"},
        {"dwidth=10   // ten bits\n", 0,
         "cfg.kvf line 1: \"dwidth=10   // ten bits\" holds \"//\", so the whole line is a "
         "comment: its "
         "dwidth setting is ignored (put the comment on a line of its own)"},
        {"dmethod=intre\n", 0,
         "cfg.kvf line 1: dmethod value \"intre\" is not weave, bobe, bobo, intra or inter; read "
         "as weave"},
        // A method word inside a longer value is taken, but not silently.
        {"dmethod=intra_x\n", 0,
         "cfg.kvf line 1: dmethod value \"intra_x\" is not weave, bobe, bobo, intra or inter; "
         "read as intra"},
        {"dmethod=inter weave\n", 0,
         "cfg.kvf line 1: dmethod value \"inter weave\" is not weave, bobe, bobo, intra or "
         "inter; read as weave"},
        {"dmethod= bobo \n", 0, ""},
        {"dynamic=-1\n", 0, "cfg.kvf line 1: dynamic value -1 is not 0 or 1; read as 1"},
        {"parallel=-0\nsr=+1\n", 0, ""},
        {"lbuffer=ebr\n", 0,
         "cfg.kvf line 1: lbuffer value \"ebr\" is not EBR or Distributed; read as Distributed"},
        {"\ndynamic=2\n", 0, "cfg.kvf line 2: dynamic value 2 is not 0 or 1; read as 1"},
        {"sr=yes\n", 0, "cfg.kvf line 1: sr value \"yes\" is not a decimal number; read as 0"},
        {"interth1=90abc\n", 0,
         "cfg.kvf line 1: interth1 value \"90abc\" is not a decimal number; read as 90"},
        {"frame_width = 720\n", 1,
         "cfg.kvf line 1: frame_width value \"= 720\" is not a decimal number; read as 0",
         "cfg.kvf: frame_width = 0 is below 1\n" + kRefused},
        {"frame_width=abc\n", 1,
         "cfg.kvf line 1: frame_width value \"abc\" is not a decimal number; read as 0",
         "cfg.kvf: frame_width = 0 is below 1\n" + kRefused},
        // Accepted forms say nothing.
        {"lbuffer=Distributed\nwrfifo_type=EBR\ndmethod=inter\nfrmw_0=-1\n// note\n\n  \nsr=1\r\n",
         0, ""},
    };
    for (const auto& c : cases) {
        veldax_test::TempDir dir;
        veldax_test::write_file(dir.file("cfg.kvf"), c.lines);
        const auto r = veldax_test::run_veldax_shell(dir.path(), {"cfg.kvf"});
        EXPECT_EQ(std::make_tuple(r.status, r.out, r.err),
                  std::make_tuple(c.status, c.out, c.err.empty() ? "" : kW + c.err + "\n"))
            << c.lines;
    }
}

TEST(ParamWarnings, CommandLineMistakesAreNamed) {
    const struct Case {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {{"cfg.kvf", "-G"},
         "-G is not a switch (-g, -d, -l, -b or -y): cfg.kvf is only checked, nothing is "
         "generated"},
        {{"cfg.kvf", "--gen"},
         "--gen is not a switch (-g, -d, -l, -b or -y): cfg.kvf is only checked, nothing is "
         "generated"},
        {{"cfg.kvf", "-g", "2"}, "-g 2: 3 fields are generated (3 at least)"},
        {{"cfg.kvf", "-d", "x"}, "-d x: 3 fields are generated (3 at least)"},
        {{"cfg.kvf", "-d", "5", "more"}, "more: nothing reads this word; it is ignored"},
        // Command-line words reach the terminal escaped: no control sequence, no forged line.
        {{"cfg.kvf", "-G\x1B[2J"},
         "-G\\x1B[2J is not a switch (-g, -d, -l, -b or -y): cfg.kvf is only checked, nothing "
         "is generated"},
        {{"cfg.kvf", "-g", "2\x1B]0;t\x07"}, "-g 2\\x1B]0;t\\x07: 3 fields are generated (3 at least)"},
        {{"cfg.kvf", "-d", "5", "x\nveldax-gen: warning: forged"},
         "x\\x0Aveldax-gen: warning: forged: nothing reads this word; it is ignored"},
        {{"cfg.kvf", "-d", "4"}, ""},
        {{"cfg.kvf", "-d", "3"}, ""},
    };
    for (const auto& c : cases) {
        veldax_test::TempDir dir;
        veldax_test::write_file(dir.file("cfg.kvf"), "frame_width=8\nframe_height=4\n");
        const auto r = veldax_test::run_veldax_shell(dir.path(), c.args);
        EXPECT_EQ(std::make_tuple(r.status, r.out, r.err),
                  std::make_tuple(0, "", c.err.empty() ? "" : kW + c.err + "\n"))
            << c.args[1];
    }
}
