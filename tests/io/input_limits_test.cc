// Inputs that claim more than they hold, or hold more than a run can take:
// refused at once with a line naming the file, never read into a huge block.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

using veldax_test::run_veldax_shell;
using veldax_test::TempDir;
using veldax_test::write_file;

// The 54 header bytes of an uncompressed picture.
std::string bmp_header(uint32_t width, uint32_t height, uint16_t bpp, uint32_t offset = 54) {
    std::string s = "BM";
    auto put = [&s](uint32_t v, int n) {
        for (int i = 0; i < n; ++i) s += static_cast<char>(v >> (8 * i));
    };
    for (uint32_t v : {0u, 0u, offset, 40u, width, height}) put(v, 4);
    put(1 | uint32_t{bpp} << 16, 4);
    put(0, 4);
    return s + std::string(20, '\0');
}

}  // namespace

// Pictures from a pipe (no size to check first) and from files.  An endless
// stream after a header must not be read for long: the run ends in seconds.
TEST(InputLimits, BmpHeadersThatClaimTooMuch) {
    const std::string cfg = "frame_width=8\nframe_height=2\n";
    const struct Case {
        const char* name;
        std::string header, body;
        bool endless;  // body followed by /dev/zero
        int status;
        std::string out;
        int64_t sparse = 0;  // a file only, extended to this many bytes without storing them
        long kb = 0;         // an address-space limit for the run
    } cases[] = {
        {"row of 8 GB", bmp_header(0x7FFFFFFF, 1, 32), "", true, 5,
         "pic: pixel array of 1 rows of 8589934588 bytes does not fit the format's 32-bit sizes\n"},
        {"4 GB + 4", bmp_header(0x40000001, 1, 32), "", true, 5,
         "pic: pixel array of 1 rows of 4294967300 bytes does not fit the format's 32-bit sizes\n"},
        {"gap of 2 GB", bmp_header(8, 2, 8, 0x80000000u), "", true, 5,
         "pic: pixel data offset 2147483648 is beyond 16777270 bytes of a stream\n"},
        {"cut short", bmp_header(4, 2, 24), std::string(12, '\1'), false, 5,
         "pic: pixel array cut short (12 of 24 bytes)\n"},
        // Rows far wider than the frame: only the frame's part is kept; cut short inside
        // the second row, the run ends at once (from a pipe too).
        {"wide rows", bmp_header(1000000, 2, 8), "", true, 0, ""},
        {"wide rows cut short", bmp_header(1000000, 2, 8), std::string(1500000, '\1'), false, 5,
         "pic: pixel array cut short (1500000 of 2000000 bytes)\n"},
        // 3.75 GB of gap before the pixels (a sparse file): held for golden.bmp, so it is
        // checked against the memory the run may use before any of it is read.
        {"gap of 3.75 GB in a sparse file", bmp_header(8, 2, 8, 0xF0000000u), "", false, 2,
         "pic: 4026531786 bytes between the headers and the pixel data (offset 4026531840) do "
         "not fit in the memory left to the run\nStimulus memory allocate error\n",
         int64_t{0xF0000000u} + 16, 1000000},
    };
    for (const auto& c : cases) {
#ifdef VELDAX_TEST_ASAN
        if (c.kb) continue;  // the address sanitizer cannot run under an address-space limit
#endif
        for (const bool piped : {true, false}) {
            if (c.endless && !piped) continue;
            if (c.sparse && piped) continue;
            TempDir dir;
            write_file(dir.file("cfg.kvf"), cfg);
            write_file(dir.file("head"), c.header + c.body);
            if (c.sparse) {
                ASSERT_EQ(::truncate(dir.file("head").c_str(), c.sparse), 0);
            }
            const std::string limit = c.kb ? "ulimit -v " + std::to_string(c.kb) + "; " : "";
            const std::string feed = c.endless ? "(cat head; cat /dev/zero) | " : "cat head | ";
            const auto r = piped ? run_veldax_shell(dir.path(), {"cfg.kvf", "-b", "/dev/stdin"},
                                                    "exec 2>/dev/null; " + feed + "timeout 60 ")
                                 : run_veldax_shell(dir.path(), {"cfg.kvf", "-b", "head"},
                                                    limit + "timeout 60 ");
            std::string expected = c.out;
            const std::string name = piped ? "/dev/stdin" : "head";
            if (expected.rfind("pic:", 0) == 0) expected.replace(0, 3, name);
            if (c.status == 5) expected += "Failed to generate stimulus data\n";
            EXPECT_EQ(std::make_tuple(r.status, r.out), std::make_tuple(c.status, expected))
                << c.name << (piped ? " (pipe)" : " (file)");
        }
    }
}
