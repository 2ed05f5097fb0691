#include "inspect.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace veldax::inspect;

TEST(Inspect, Md5KnownDigests) {
    // RFC 1321's test suite, plus lengths around the padding boundary.
    const struct {
        std::string text;
        const char* md5;
    } cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
        {std::string(55, 'x'), "04364420e25c512fd958a70738aa8f72"},
        {std::string(56, 'x'), "668a72d5ba17f08e62dabcafad6db14b"},
        {std::string(64, 'x'), "c1bb4f81d892b2d57947682aeb252456"},
    };
    for (const auto& c : cases) {
        const auto* p = reinterpret_cast<const uint8_t*>(c.text.data());
        EXPECT_EQ(md5_hex(p, c.text.size()), c.md5) << c.text.size();
    }
}

static std::vector<uint8_t> bytes_of(const std::string& s) { return {s.begin(), s.end()}; }

// An unknown word with the digits of `mask` (bit 0 the lowest) unknown and
// the known digits of `known`.
static int32_t unknown(int32_t mask, int32_t known) { return kUnknown | mask << 16 | known; }

TEST(Inspect, TextDumps) {
    const struct {
        const char* text;
        std::vector<int32_t> words;
    } good[] = {
        {"0001\n00ff\nFFFF\n", {1, 255, 65535}},
        {"1\r\n2\r\n", {1, 2}},  // line ends of another system
        {"// header\n3ff // last\n\n  0a  0b\n", {1023, 10, 11}},
        {"@2\n7\n@0\n5\n", {5, kAllUnknown, 7}},  // $writememh addresses; a gap is unknown
        // x and z digits are unknown; the known digits stay.
        {"xxxx\n1z\n00_10\n00x9\n", {unknown(0xF, 0), unknown(1, 0x10), 16, unknown(2, 9)}},
        {"1\t2\n", {1, 2}},  // a tab separates values
    };
    for (const auto& c : good) {
        std::vector<int32_t> out;
        std::string error;
        int64_t line = 0;
        const std::vector<uint8_t> b = bytes_of(c.text);
        ASSERT_TRUE(parse_text_words(b.data(), b.size(), &out, &error, &line)) << c.text << error;
        EXPECT_EQ(out, c.words) << c.text;
        EXPECT_TRUE(guess_text(b.data(), b.size(), static_cast<int64_t>(b.size()), 1000)) << c.text;
    }
    const struct {
        const char* text;
        int64_t line;
    } bad[] = {{"0001\n12g4\n", 2}, {"10000\n", 1}, {"1\n@q\n", 2}, {"1\n-1\n", 2},
               {"@ffffffff\n0\n", 2}};  // an address past the last word is not sized
    for (const auto& c : bad) {
        std::vector<int32_t> out;
        std::string error;
        int64_t line = 0;
        const std::vector<uint8_t> b = bytes_of(c.text);
        EXPECT_FALSE(parse_text_words(b.data(), b.size(), &out, &error, &line, 1000)) << c.text;
        EXPECT_EQ(line, c.line) << c.text;
        EXPECT_LT(out.size(), 1001u) << c.text;
    }
    EXPECT_EQ(word_text(unknown(2, 9)), "00x9");
    EXPECT_EQ(word_text(0x1a), "0x001a");
}

TEST(Inspect, DumpFormatGuess) {
    const struct {
        std::string bytes;
        int64_t run_words;
        bool text;
    } rows[] = {
        {"A\nAA", 2, false},           // binary words of the run's length, printable by chance
        {"A\nAA", 100, true},          // not the run's binary length: a text dump of 2 values
        {"1\n2\n", 2, true},          // one digit a line: text even at the binary length
        {"12\tab\n", 10, true},       // a tab between values
        {std::string("1\0\n2", 4), 10, false},  // a zero byte
        {"1234", 10, false},            // no line end
        {"hello\nworld\n", 10, false},  // lines that are not values
        {"0001\n0002\n", 6, true},
        {"0001\n0002\n", 5, false},   // the run's binary length: five words, not two values
    };
    for (const auto& r : rows) {
        const auto* p = reinterpret_cast<const uint8_t*>(r.bytes.data());
        EXPECT_EQ(guess_text(p, r.bytes.size(), static_cast<int64_t>(r.bytes.size()), r.run_words), r.text)
            << r.bytes;
    }
}
