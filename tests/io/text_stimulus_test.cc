#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "io/file_stimulus.h"
#include "io/file_test_helpers.h"
#include "support/test_support.h"

using fileio_test::SmallModel;
using fileio_test::stream_bytes;
using veldax_test::TempDir;
using veldax_test::write_file;

namespace {

std::string hex_of(int32_t v, int32_t width) {
    int32_t digits[8] = {};
    split_hex_digits(v, digits, width);
    std::string s;
    for (int32_t d = hex_digit_count(width) - 1; d >= 0; --d) s += "0123456789ABCDEF"[digits[d]];
    return s;
}

TEST(SplitHexDigits, ZeroPaddedAndMaskedToWidth) {
    struct Case { int32_t v, width; const char* hex; } cases[] = {
        {1023, 10, "3FF"}, {5, 10, "005"}, {200, 8, "C8"}, {0, 8, "00"},
        {0xABCD, 16, "ABCD"}, {1, 1, "1"}, {7, 3, "7"},
        {0x3F, 5, "1F"},   // top digit keeps one bit of a 5-bit width
        {0xFFF, 6, "3F"},  // and two bits of a 6-bit width
    };
    for (const auto& c : cases) EXPECT_EQ(hex_of(c.v, c.width), c.hex) << c.v << " w" << c.width;
}

TEST(TextLine, CleaningDropsCommentLineEndAndBlanksOnly) {
    struct Case { const char* piece; const char* clean; } cases[] = {
        {"1 0 /c\n", "10"}, {"/ only a comment\n", ""}, {"   \n", ""}, {"\n", ""},
        {" 1\t2 \n", "1\t2"}, {"12/34/56", "12"}, {"ab cd", "abcd"},
    };
    for (const auto& c : cases) {
        char out[128];
        const size_t n = clean_text_line(c.piece, std::strlen(c.piece), out);
        EXPECT_EQ(std::string(out, n), c.clean) << c.piece;
    }
}

TEST(TextLine, ValueIsLeadingDecimalNumberSaturated) {
    struct Case { const char* text; int32_t max; TextLineKind kind; int32_t value; } cases[] = {
        {"255", 255, kTextLineValue, 255},
        {"007", 255, kTextLineValue, 7},
        {"999", 255, kTextLineValue, 255},
        {"999", 1023, kTextLineValue, 999},
        {"1E2", 255, kTextLineValue, 100},
        {"1e1", 255, kTextLineValue, 10},
        {"12AB", 255, kTextLineValue, 12},
        {"1E", 255, kTextLineValue, 1},      // E without digits is not an exponent
        {"1EA", 255, kTextLineValue, 1},
        {"2E1F", 255, kTextLineValue, 20},
        {"0E99999999999999999999", 255, kTextLineValue, 0},
        {"9E99999999999999999999", 65535, kTextLineValue, 65535},
        {"123456789012345678901234567890", 65535, kTextLineValue, 65535},
        {"1E9", 255, kTextLineValue, 255},
        {"AB", 255, kTextLineNoNumber, 0},
        {"E5", 255, kTextLineNoNumber, 0},
        {"12G4", 255, kTextLineBadCharacter, 0},
        {"1\r", 255, kTextLineBadCharacter, 0},
        {"-1", 255, kTextLineBadCharacter, 0},
        {"1.5", 255, kTextLineBadCharacter, 0},
    };
    for (const auto& c : cases) {
        int32_t v = -7;
        const TextLineKind kind = text_line_value(c.text, std::strlen(c.text), c.max, &v);
        EXPECT_EQ(kind, c.kind) << c.text;
        if (c.kind == kTextLineValue) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
}

// Runs the reader on the given text; returns its result, the stimulus text
// and the console output.
struct TextRun {
    bool failed;
    std::string stimulus;
    std::string console;
};

TextRun run_reader(SmallModel& s, const TempDir& dir, const std::string& text,
                   const char* name = "pic.txt") {
    s.m.stimulus_path = dir.file(name);
    write_file(s.m.stimulus_path, text);
    FILE* stim = std::tmpfile();
    testing::internal::CaptureStdout();
    const bool failed = s.m.read_text_stimulus(stim, s.m.field_store[1]);
    std::fflush(stdout);
    TextRun r{failed, stream_bytes(stim), testing::internal::GetCapturedStdout()};
    std::fclose(stim);
    return r;
}

TEST(TextStimulus, SkipsEmptyLinesAndWritesHexLines) {
    TempDir dir;
    SmallModel s(1, 2, 2);
    ASSERT_TRUE(s.ok);
    const TextRun r = run_reader(s, dir, "1 0 /c\r\n\n   \n/comment\n007\n999");
    EXPECT_FALSE(r.failed);
    EXPECT_EQ(r.stimulus, "0A\n07\nFF\n");
    EXPECT_EQ(r.console, "");
    EXPECT_EQ(s.field(1, 0, 0, 0), 10);
    EXPECT_EQ(s.field(1, 0, 0, 1), 7);
    EXPECT_EQ(s.field(1, 0, 1, 0), 255);
    EXPECT_EQ(s.field(1, 0, 1, 1), 0);  // the file ended first: no failure
    EXPECT_EQ(s.m.total_input, 3);
}

TEST(TextStimulus, LongLinesAreCutIntoPiecesOf99) {
    TempDir dir;
    SmallModel s(1, 4, 1);
    ASSERT_TRUE(s.ok);
    // 150 digits: 99, then 51.
    const std::string line150 = std::string(98, '0') + "7" + std::string(50, '0') + "3\n";
    // 99 digits and CR LF: the CR goes with the line end, the LF alone
    // makes an empty piece.
    const std::string line99 = std::string(98, '0') + "9\r\n";
    const TextRun r = run_reader(s, dir, line150 + line99 + "4\n");
    EXPECT_FALSE(r.failed) << r.console;
    EXPECT_EQ(r.stimulus, "07\n03\n09\n04\n");
    EXPECT_EQ(s.field(1, 0, 0, 3), 4);
}

TEST(TextStimulus, TenBitSamplesUseThreeDigits) {
    TempDir dir;
    SmallModel s(1, 3, 1, 10);
    ASSERT_TRUE(s.ok);
    const TextRun r = run_reader(s, dir, "1023\n5\n5000\n");
    EXPECT_FALSE(r.failed);
    EXPECT_EQ(r.stimulus, "3FF\n005\n3FF\n");
    EXPECT_EQ(s.field(1, 0, 0, 2), 1023);
}

TEST(TextStimulus, PlaneMajorPlacement) {
    TempDir dir;
    SmallModel s(3, 4, 2);
    ASSERT_TRUE(s.ok);
    std::string text;
    for (int i = 1; i <= 10; ++i) text += std::to_string(i) + "\n";
    const TextRun r = run_reader(s, dir, text);
    EXPECT_FALSE(r.failed);
    EXPECT_EQ(s.field(1, 0, 0, 0), 1);
    EXPECT_EQ(s.field(1, 0, 0, 3), 4);
    EXPECT_EQ(s.field(1, 0, 1, 0), 5);
    EXPECT_EQ(s.field(1, 0, 1, 3), 8);
    EXPECT_EQ(s.field(1, 1, 0, 0), 9);  // m = 8
    EXPECT_EQ(s.field(1, 1, 0, 1), 10);
    EXPECT_EQ(s.field(1, 2, 0, 0), 0);
    EXPECT_EQ(s.m.total_input, 10);
}

TEST(TextStimulus, LinesAfterTheLastNeededOneAreNeverChecked) {
    TempDir dir;
    SmallModel s(1, 2, 1);
    ASSERT_TRUE(s.ok);
    const TextRun r = run_reader(s, dir, "1\n\n2\nZZZ not a number\n");
    EXPECT_FALSE(r.failed);
    EXPECT_EQ(r.stimulus, "01\n02\n");
    EXPECT_EQ(r.console, "");
}

TEST(TextStimulus, BadLinesFailNamingFileAndLine) {
    struct Case { const char* text; int ok_lines; const char* message; } cases[] = {
        {"1\n2\n\n12G4\n5\n", 2, "pic.txt line 4: \"12G4\" is not a hexadecimal number\n"},
        {"AB\n", 0, "pic.txt line 1: \"AB\" does not begin with a decimal number\n"},
        {"3\n a b /x\n", 1, "pic.txt line 2: \"ab\" does not begin with a decimal number\n"},
        // A lone carriage return is an ordinary character.
        {"1\r2\n", 0, "pic.txt line 1: \"1\\x0D2\" is not a hexadecimal number\n"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        SmallModel s(1, 4, 4);
        ASSERT_TRUE(s.ok);
        const TextRun r = run_reader(s, dir, c.text);
        EXPECT_TRUE(r.failed) << c.text;
        // The message names the path as given; compare from the file name on.
        const size_t at = r.console.find("pic.txt");
        ASSERT_NE(at, std::string::npos) << r.console;
        EXPECT_EQ(r.console.substr(at), c.message);
        EXPECT_EQ(r.console.find('\n'), r.console.size() - 1) << "one line";
        EXPECT_EQ(static_cast<int>(r.stimulus.size()), 3 * c.ok_lines);
        EXPECT_EQ(s.m.total_input, c.ok_lines);
    }
    // The second piece of a long line still reports the line it is on.
    TempDir dir;
    SmallModel s(1, 4, 4);
    ASSERT_TRUE(s.ok);
    const TextRun r = run_reader(s, dir, "1\n" + std::string(120, '1') + "x\n");
    EXPECT_TRUE(r.failed);
    EXPECT_NE(r.console.find("pic.txt line 2: \""), std::string::npos) << r.console;
    EXPECT_EQ(s.field(1, 0, 0, 1), 255);  // the first piece was taken
}

TEST(TextStimulus, MissingFileIsReportedAndWritesNothing) {
    TempDir dir;
    SmallModel s(1, 2, 2);
    ASSERT_TRUE(s.ok);
    s.m.stimulus_path = dir.file("absent.txt");
    FILE* stim = std::tmpfile();
    testing::internal::CaptureStdout();
    EXPECT_TRUE(s.m.read_text_stimulus(stim, s.m.field_store[1]));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Can't open " + s.m.stimulus_path + " for read\n");
    EXPECT_EQ(stream_bytes(stim), "");
    std::fclose(stim);
}

TEST(TextStimulus, UnwritableStimulusFails) {
    TempDir dir;
    SmallModel s(1, 2, 1);
    ASSERT_TRUE(s.ok);
    s.m.stimulus_path = dir.file("pic.txt");
    write_file(s.m.stimulus_path, "1\n2\n");
    FILE* stim = std::fopen(s.m.stimulus_path.c_str(), "rb");  // not open for writing
    ASSERT_NE(stim, nullptr);
    EXPECT_TRUE(s.m.read_text_stimulus(stim, s.m.field_store[1]));
    std::fclose(stim);
}

}  // namespace

namespace {

TEST(TextStimulusRun, BadLineStopsTheWholeRun) {
    TempDir dir;
    write_file(dir.file("c.kvf"), "num_plane=1\nframe_width=2\nframe_height=2\n");
    write_file(dir.file("pic.txt"), "1\n2\n3x\n4\n");
    const auto r = veldax_test::run_veldax(dir.path(), {"c.kvf", "-l", "pic.txt"});
    EXPECT_EQ(r.status, 5);
    EXPECT_EQ(r.output,
              "pic.txt line 3: \"3x\" is not a hexadecimal number\n"
              "Failed to generate stimulus data\n");
    EXPECT_EQ(veldax_test::read_file(dir.file("stimulus.dat")), "01\n02\n");
    EXPECT_EQ(veldax_test::read_file(dir.file("golden.dat")), "");
    EXPECT_FALSE(veldax_test::file_exists(dir.file("params.v")));
}

}  // namespace
