// Runs of the built program against broken inputs and outputs: a file that
// is both read and written, a closed pipe, a full device, names taken by a
// folder, inputs missing, empty, cut short or endless.  No run may report
// success with a short or lost file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

using veldax_test::read_file;
using veldax_test::run_veldax_shell;
using veldax_test::TempDir;
using veldax_test::write_file;

const std::string kSmall = "frame_width=8\nframe_height=4\n";
const std::string kGenFailed = "Failed to generate stimulus data\n";

// One picture of 8 x 4 at 8 bits per pixel, bottom row first.
std::string small_bmp() {
    std::string s = "BM";
    auto put = [&s](uint32_t v, int n) {
        for (int i = 0; i < n; ++i) s += static_cast<char>(v >> (8 * i));
    };
    for (uint32_t v : {54u + 32u, 0u, 54u, 40u, 8u, 4u}) put(v, 4);
    put(1 | 8u << 16, 4);
    put(0, 4);
    s += std::string(20, '\0');
    for (int i = 0; i < 32; ++i) s += static_cast<char>(i * 7);
    return s;
}

// The inputs of every mode, small enough that every output stays inside the
// stdio buffer until it is closed.
void write_inputs(const TempDir& dir) {
    write_file(dir.file("cfg.kvf"), kSmall);
    std::string text;
    for (int i = 0; i < 32; ++i) text += std::to_string(i % 10) + "\n";
    write_file(dir.file("pic.txt"), text);
    write_file(dir.file("pic.bmp"), small_bmp());
    write_file(dir.file("seq.yuv"), std::string(64, '\x40'));
}

struct Mode {
    std::vector<std::string> args;
    std::vector<std::string> outputs;
};

const std::vector<Mode>& modes() {
    static const std::vector<Mode> all = {
        {{"cfg.kvf", "-d"}, {"stimulus.dat", "golden.dat", "params.v", "veldax_head"}},
        {{"cfg.kvf", "-l", "pic.txt"}, {"stimulus.dat", "golden.dat", "params.v", "veldax_head"}},
        {{"cfg.kvf", "-b", "pic.bmp"},
         {"stimulus.dat", "golden.dat", "golden.bmp", "params.v", "veldax_head"}},
        {{"cfg.kvf", "-y", "seq.yuv"},
         {"stimulus.dat", "golden.dat", "golden.yuv", "params.v", "veldax_head"}},
    };
    return all;
}

int failure_status(const std::string& output) {
    if (output == "params.v") return 8;
    if (output == "veldax_head") return 9;
    return 5;
}

}  // namespace

// Every output of every mode, as a folder of that name and as a link to a
// full device (a failed write at close): the run fails with the status of
// that file.  The unbroken run of each mode succeeds.
TEST(Faults, EveryOutputThatCannotBeWritten) {
    for (const Mode& mode : modes()) {
        {
            TempDir dir;
            write_inputs(dir);
            const auto r = run_veldax_shell(dir.path(), mode.args);
            EXPECT_EQ(std::make_tuple(r.status, r.out, r.err), std::make_tuple(0, "", ""))
                << mode.args[1];
        }
        for (const std::string& out : mode.outputs) {
            for (const bool full : {true, false}) {
                TempDir dir;
                write_inputs(dir);
                const std::string at = dir.file(out);
                ASSERT_EQ(full ? ::symlink("/dev/full", at.c_str()) : ::mkdir(at.c_str(), 0755), 0);
                const auto r = run_veldax_shell(dir.path(), mode.args);
                EXPECT_EQ(r.status, failure_status(out))
                    << mode.args[1] << " " << out << (full ? " on /dev/full" : " as a folder")
                    << "\n"
                    << r.out;
            }
        }
    }
}

// Inputs that are missing, folders, FIFOs fed by a writer, empty, cut short
// or endless.  Statuses and the lines on standard output; warnings are
// checked by their start only.
TEST(Faults, EveryInputThatIsNotWhatItSeems) {
    const struct Case {
        const char* name;
        std::vector<std::string> args;
        std::string setup;  // shell words run first; "mkfifo X" makes a FIFO fed by cfg/data
        int status;
        std::string out;
        std::string err_start = "";
    } cases[] = {
        {"kvf missing", {"no.kvf", "-d"}, "", 1, "KVF file no.kvf does not exist\n"},
        {"kvf folder", {"d", "-d"}, "mkdir d", 1, "", ""},
        {"kvf fifo", {"f", "-d"}, "mkfifo f && (timeout 20 sh -c 'cat cfg.kvf >f' &)", 0, ""},
        {"kvf empty", {"e", "-d", "1"}, ": >e", 0, "", "veldax-gen: warning: -d 1: 3 fields"},
        {"kvf cut short",
         {"c", "-d"},
         "printf 'frame_width=8\\nframe_height=4\\ndwid' >c",
         0,
         "",
         "veldax-gen: warning: c line 3: \"dwid\" names no known key"},
        {"kvf endless",
         {"/dev/zero", "-d"},
         "",
         1,
         "/dev/zero: longer than 16777216 bytes, too long for a parameter file\nFailed to parse "
         "kvf file\n"},
        {"text missing", {"cfg.kvf", "-l", "no"}, "", 5, "Can't open no for read\n" + kGenFailed},
        {"text folder", {"cfg.kvf", "-l", "d"}, "mkdir d", 5, ""},
        {"text fifo",
         {"cfg.kvf", "-l", "f"},
         "mkfifo f && (timeout 20 sh -c 'cat pic.txt >f' &)",
         0,
         ""},
        {"text empty",
         {"cfg.kvf", "-l", "e"},
         ": >e",
         0,
         "",
         "veldax-gen: warning: e: 0 sample lines are fewer than the frame's 32; the rest is 0\n"},
        {"text cut short",
         {"cfg.kvf", "-l", "c"},
         "head -c 10 pic.txt >c",
         0,
         "",
         "veldax-gen: warning: c: 5 sample lines are fewer than the frame's 32"},
        {"text endless", {"cfg.kvf", "-l", "/dev/zero"}, "", 5, ""},
        {"bmp missing", {"cfg.kvf", "-b", "no"}, "", 5, "Can't open no for read\n" + kGenFailed},
        {"bmp folder", {"cfg.kvf", "-b", "d"}, "mkdir d", 5, ""},
        {"bmp fifo",
         {"cfg.kvf", "-b", "f"},
         "mkfifo f && (timeout 20 sh -c 'cat pic.bmp >f' &)",
         0,
         ""},
        {"bmp empty",
         {"cfg.kvf", "-b", "e"},
         ": >e",
         5,
         "e: file of 0 bytes is too short for a BMP header\n" + kGenFailed},
        {"bmp cut short",
         {"cfg.kvf", "-b", "c"},
         "head -c 80 pic.bmp >c",
         5,
         "c: pixel array cut short (26 of 32 bytes)\n" + kGenFailed},
        {"bmp endless",
         {"cfg.kvf", "-b", "/dev/zero"},
         "",
         5,
         "/dev/zero: not a BMP picture (the type mark is not \"BM\")\n" + kGenFailed},
        {"yuv missing", {"cfg.kvf", "-y", "no"}, "", 5, "Can't open no for read\n" + kGenFailed},
        {"yuv folder", {"cfg.kvf", "-y", "d"}, "mkdir d", 5, ""},
        {"yuv fifo",
         {"cfg.kvf", "-y", "f"},
         "mkfifo f && (timeout 20 sh -c 'cat seq.yuv >f' &)",
         0,
         ""},
        {"yuv empty",
         {"cfg.kvf", "-y", "e"},
         ": >e",
         0,
         "",
         "veldax-gen: warning: e is empty: no frame"},
        {"yuv cut short",
         {"cfg.kvf", "-y", "c"},
         "head -c 40 seq.yuv >c",
         0,
         "",
         "veldax-gen: warning: c: 40 bytes are not a whole number of 32-byte frames (8 x 4, one "
         "plane); "
         "the last 8 bytes are not a frame\n"},
        {"yuv endless", {"cfg.kvf", "-y", "/dev/zero", "5"}, "", 0, ""},
        // File names reach the terminal escaped, like the file's text.
        {"kvf name escaped",
         {"n\x1B[2J\nveldax-gen: warning: forged", "-d"},
         "",
         1,
         "KVF file n\\x1B[2J\\x0Aveldax-gen: warning: forged does not exist\n"},
        {"text name escaped",
         {"cfg.kvf", "-l", "no\x1B]0;x\x07"},
         "",
         5,
         "Can't open no\\x1B]0;x\\x07 for read\n" + kGenFailed},
        {"kvf line escaped",
         {"k\x1B[31m.kvf", "-d"},
         "printf 'frame_width=8\\nframe_heigth=4\\n' >\"$(printf 'k\\033[31m.kvf')\"",
         0,
         "",
         "veldax-gen: warning: k\\x1B[31m.kvf line 2: \"frame_heigth=4\" names no known key; did "
         "you mean frame_height?\n"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        write_inputs(dir);
        const auto r =
            run_veldax_shell(dir.path(), c.args, c.setup.empty() ? "" : c.setup + "; timeout 60 ");
        const bool whole_out = c.status == 0 || !c.out.empty();
        EXPECT_EQ(r.status, c.status) << c.name << "\n" << r.out << r.err;
        EXPECT_EQ(whole_out ? r.out : c.out, c.out) << c.name;
        EXPECT_EQ(c.err_start.empty() ? r.err : r.err.substr(0, c.err_start.size()), c.err_start)
            << c.name;
        // A failed run writes no build file.
        EXPECT_EQ(veldax_test::file_exists(dir.file("params.v")), c.status == 0) << c.name;
    }
}

// An input named like an output is refused before anything is created.
TEST(Faults, InputsThatAreAlsoOutputs) {
    const struct Case {
        std::vector<std::string> args;
        std::string kvf_name, out;
    } cases[] = {
        {{"params.v", "-d"},
         "params.v",
         "Parameter file params.v would be overwritten by params.v\n"},
        {{"golden.dat", "-d"},
         "golden.dat",
         "Parameter file golden.dat would be overwritten by golden.dat\n"},
        {{"./stimulus.dat", "-y", "seq.yuv"},
         "stimulus.dat",
         "Parameter file ./stimulus.dat would be overwritten by stimulus.dat\n"},
        {{"cfg.kvf", "-l", "veldax_head"},
         "cfg.kvf",
         "Stimulus file veldax_head would be overwritten by veldax_head\n"},
        {{"cfg.kvf", "-b", "params.v"},
         "cfg.kvf",
         "Stimulus file params.v would be overwritten by params.v\n"},
        {{"cfg.kvf", "-y", "golden.yuv"},
         "cfg.kvf",
         "Stimulus file golden.yuv would be overwritten by golden.yuv\n"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        write_file(dir.file(c.kvf_name), kSmall);
        for (const auto& name : {"params.v", "veldax_head", "golden.yuv"})
            if (name != c.kvf_name) write_file(dir.file(name), "keep");
        const auto before = veldax_test::list_dir(dir.path());
        const auto r = run_veldax_shell(dir.path(), c.args);
        EXPECT_EQ(std::make_tuple(r.status, r.out), std::make_tuple(5, c.out + kGenFailed))
            << c.out;
        EXPECT_EQ(veldax_test::list_dir(dir.path()), before) << c.out;
        EXPECT_EQ(read_file(dir.file(c.kvf_name)), kSmall) << c.out;
    }

    // Every input (the parameter file, each stimulus kind) reaching each of the six outputs
    // through a hard and a symbolic link: refused, the output (holding the input) kept.
    const struct Input {
        std::vector<std::string> args;  // "in" names the input
        std::string what, bytes;
    } inputs[] = {
        {{"in", "-d"}, "Parameter", kSmall},
        {{"cfg.kvf", "-l", "in"}, "Stimulus", "1\n2\n"},
        {{"cfg.kvf", "-b", "in"}, "Stimulus", small_bmp()},
        {{"cfg.kvf", "-y", "in", "2"}, "Stimulus", std::string(64, '\x40')},
    };
    for (const Input& in : inputs) {
        for (const char* output : {"stimulus.dat", "golden.dat", "golden.bmp", "golden.yuv",
                                   "params.v", "veldax_head"}) {
            for (const bool hard : {true, false}) {
                TempDir dir;
                write_file(dir.file("cfg.kvf"), kSmall);
                write_file(dir.file(output), in.bytes);
                const std::string at = dir.file(output), link = dir.file("in");
                ASSERT_EQ(hard ? ::link(at.c_str(), link.c_str()) : ::symlink(output, link.c_str()),
                          0);
                const auto before = veldax_test::list_dir(dir.path());
                const auto r = run_veldax_shell(dir.path(), in.args);
                const std::string name = in.args[0] + " " + in.args[1] + " " + output +
                                         (hard ? " (hard link)" : " (symbolic link)");
                EXPECT_EQ(std::make_tuple(r.status, r.out),
                          std::make_tuple(5, in.what + " file in would be overwritten by " +
                                                 output + "\n" + kGenFailed))
                    << name;
                EXPECT_EQ(veldax_test::list_dir(dir.path()), before) << name;
                EXPECT_EQ(read_file(at), in.bytes) << name;
            }
        }
    }
}

// Standard output that cannot be written: a closed pipe keeps the run's own
// status (instead of death by SIGPIPE), help and version text fail with 1.
TEST(Faults, StandardOutputThatCannotBeWritten) {
    TempDir dir;
    write_file(dir.file("cfg.kvf"), kSmall);
    write_file(dir.file("bad.txt"), "zz\n");
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    ASSERT_EQ(::dup2(fds[1], 9), 9);  // the shell names descriptors up to 9
    ::close(fds[0]);
    ::close(fds[1]);
    const auto broken = run_veldax_shell(dir.path(), {"cfg.kvf", "-l", "bad.txt"}, "", "1>&9");
    const auto fine = run_veldax_shell(dir.path(), {"cfg.kvf", "-d"}, "", "1>&9");
    ::close(9);
    EXPECT_EQ(broken.status, 5);
    EXPECT_EQ(fine.status, 0);
    for (const char* word : {"--help", "-h", "--version"}) {
        EXPECT_EQ(run_veldax_shell(dir.path(), {word}, "", ">/dev/full").status, 1) << word;
        EXPECT_EQ(run_veldax_shell(dir.path(), {word}).status, 0) << word;
    }
}

// Runs refused before generation leave the folder as they found it (the old
// data and build files stay); under --strict every warning refuses the run,
// and one found only while reading leaves the data files empty.
TEST(Faults, RefusedRunsLeaveTheFolderAsItWas) {
    const struct Case {
        const char* name;
        std::vector<std::string> args;
        int status;
        const char* data;  // what golden.dat then holds: "old" (untouched) or "" (emptied)
    } cases[] = {
        {"missing sequence", {"cfg.kvf", "-y", "no.yuv"}, 5, "old"},
        {"missing picture", {"cfg.kvf", "-l", "no.txt"}, 5, "old"},
        {"not a picture", {"cfg.kvf", "-b", "pic.txt"}, 5, "old"},
        {"folder as picture", {"cfg.kvf", "-b", "."}, 5, "old"},
        {"strict misspelt key", {"--strict", "typo.kvf", "-d"}, 1, "old"},
        {"strict commented key", {"--strict", "comment.kvf", "-d"}, 1, "old"},
        {"strict few fields", {"--strict", "cfg.kvf", "-g", "2"}, 1, "old"},
        {"strict unknown switch", {"--strict", "cfg.kvf", "-x"}, 1, "old"},
        {"strict part frame", {"--strict", "cfg.kvf", "-y", "short.yuv"}, 1, "old"},
        {"strict deep headerless", {"--strict", "deep.kvf", "-y", "seq.yuv"}, 1, "old"},
        {"y4m 4:2:0", {"cfg.kvf", "-y", "c420.y4m"}, 5, "old"},
        {"y4m bad frame line", {"cfg.kvf", "-y", "bad.y4m"}, 5, "old"},
        {"strict shallow y4m", {"--strict", "deep.kvf", "-y", "mono.y4m"}, 1, "old"},
        {"strict small picture", {"--strict", "wide.kvf", "-b", "pic.bmp"}, 1, "old"},
        {"strict short picture", {"--strict", "tall.kvf", "-b", "pic.bmp"}, 1, "old"},
        {"strict short text", {"--strict", "cfg.kvf", "-l", "short.txt"}, 1, ""},
        {"seed 0", {"--seed", "0", "cfg.kvf", "-g"}, 1, "old"},
        {"seed past 31 bits", {"--seed", "2147483648", "cfg.kvf", "-g"}, 1, "old"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        write_inputs(dir);
        write_file(dir.file("typo.kvf"), kSmall + "frame_heigth=4\n");
        write_file(dir.file("comment.kvf"), kSmall + "dwidth=10 // ten bits\n");
        write_file(dir.file("deep.kvf"), kSmall + "dwidth=10\n");
        write_file(dir.file("wide.kvf"), "frame_width=9\nframe_height=4\n");
        write_file(dir.file("tall.kvf"), "frame_width=8\nframe_height=5\n");
        write_file(dir.file("short.yuv"), std::string(40, '\x40'));
        write_file(dir.file("short.txt"), "1\n2\n");
        const std::string frame = "FRAME\n" + std::string(32, '\x40');
        write_file(dir.file("c420.y4m"), "YUV4MPEG2 W8 H4\n" + frame);
        write_file(dir.file("bad.y4m"), "YUV4MPEG2 W8 H4 Cmono\n" + frame + "FRAMX" + frame);
        write_file(dir.file("mono.y4m"), "YUV4MPEG2 W8 H4 Cmono\n" + frame);
        for (const char* old : {"golden.dat", "params.v"}) write_file(dir.file(old), "old");
        const auto r = run_veldax_shell(dir.path(), c.args);
        EXPECT_EQ(r.status, c.status) << c.name << "\n" << r.out << r.err;
        EXPECT_EQ(read_file(dir.file("golden.dat")), c.data) << c.name;
        EXPECT_EQ(read_file(dir.file("params.v")), "old") << c.name;
        EXPECT_EQ(veldax_test::file_exists(dir.file("stimulus.dat")), *c.data == '\0') << c.name;
        if (c.status == 1 && std::string(c.name).starts_with("strict")) {
            EXPECT_NE(r.err.find("veldax-gen: error: "), std::string::npos) << c.name;
        }
    }
    // A clean run under --strict is an ordinary run; so is one from a picture larger than
    // the frame in one direction and as large in the other.
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--strict", "cfg.kvf", "-g"},
          {"--strict", "narrow.kvf", "-b", "pic.bmp"},
          {"--strict", "low.kvf", "-b", "pic.bmp"}}) {
        TempDir dir;
        write_inputs(dir);
        write_file(dir.file("narrow.kvf"), "frame_width=7\nframe_height=4\n");
        write_file(dir.file("low.kvf"), "frame_width=8\nframe_height=3\n");
        const auto r = run_veldax_shell(dir.path(), args);
        EXPECT_EQ(std::make_tuple(r.status, r.out, r.err), std::make_tuple(0, "", "")) << args[1];
    }
}
