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

TEST(Inspect, TextDumps) {
    const struct {
        const char* text;
        std::vector<int32_t> words;
    } good[] = {
        {"0001\n00ff\nFFFF\n", {1, 255, 65535}},
        {"1\r\n2\r\n", {1, 2}},  // line ends of another system
        {"// header\n3ff // last\n\n  0a  0b\n", {1023, 10, 11}},
        {"@2\n7\n@0\n5\n", {5, -1, 7}},       // $writememh addresses; a gap is unknown
        {"xxxx\n1z\n00_10\n", {-1, -1, 16}},  // x and z digits are unknown values
    };
    for (const auto& c : good) {
        std::vector<int32_t> out;
        std::string error;
        int64_t line = 0;
        const std::vector<uint8_t> b = bytes_of(c.text);
        ASSERT_TRUE(parse_text_words(b.data(), b.size(), &out, &error, &line)) << c.text << error;
        EXPECT_EQ(out, c.words) << c.text;
        EXPECT_TRUE(looks_like_text(b.data(), b.size())) << c.text;
    }
    const struct {
        const char* text;
        int64_t line;
    } bad[] = {{"0001\n12g4\n", 2}, {"10000\n", 1}, {"1\n@q\n", 2}, {"1\n-1\n", 2}};
    for (const auto& c : bad) {
        std::vector<int32_t> out;
        std::string error;
        int64_t line = 0;
        const std::vector<uint8_t> b = bytes_of(c.text);
        EXPECT_FALSE(parse_text_words(b.data(), b.size(), &out, &error, &line)) << c.text;
        EXPECT_EQ(line, c.line) << c.text;
    }
    // Binary words of 8-bit samples hold zero bytes; words without a line end
    // are not a text dump either.
    const uint8_t words[] = {0x31, 0x00, 0x32, 0x00};
    EXPECT_FALSE(looks_like_text(words, sizeof words));
    const uint8_t printable[] = {0x31, 0x32, 0x33, 0x34};
    EXPECT_FALSE(looks_like_text(printable, sizeof printable));
}
