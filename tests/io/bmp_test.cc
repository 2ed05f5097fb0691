#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <functional>
#include <string>

#include "io/file_test_helpers.h"
#include "support/test_support.h"

using fileio_test::InDir;
using fileio_test::SmallModel;
using fileio_test::stream_bytes;
using fileio_test::words_of;
using veldax_test::file_exists;
using veldax_test::read_file;
using veldax_test::TempDir;
using veldax_test::write_file;

namespace {

void put(std::string& s, size_t at, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
uint32_t get(const std::string& s, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= static_cast<uint32_t>(static_cast<unsigned char>(s[at + i])) << (8 * i);
    return v;
}

// Byte c of the pixel at row y (from the top), column x.
using PixelFn = std::function<int(int y, int x, int c)>;

struct BmpSpec {
    int32_t width = 3;
    int32_t height = 2;  // negative: top row first
    uint16_t bpp = 24;
    uint32_t compression = 0;
    uint32_t info_size = 40;
    std::string type = "BM";
    std::string extra;         // bytes between the 54 header bytes and the pixels
    int64_t offset = -1;       // declared pixel offset; -1: 54 + extra
    size_t cut = 0;            // bytes dropped from the end
};

// A picture built byte by byte; row padding bytes are 0xEE so that storing
// them would show.
std::string make_bmp(const BmpSpec& b, const PixelFn& pixel) {
    const int B = b.bpp / 8;
    const int stride = (b.width * B + 3) / 4 * 4;
    const int rows = b.height < 0 ? -b.height : b.height;
    std::string s(54, '\0');
    s[0] = b.type[0];
    s[1] = b.type[1];
    const uint32_t offset = b.offset < 0 ? static_cast<uint32_t>(54 + b.extra.size())
                                         : static_cast<uint32_t>(b.offset);
    put(s, 2, static_cast<uint32_t>(54 + b.extra.size() + stride * rows), 4);
    put(s, 6, 0x12345678, 4);  // reserved words: copied as they are
    put(s, 10, offset, 4);
    put(s, 14, b.info_size, 4);
    put(s, 18, static_cast<uint32_t>(b.width), 4);
    put(s, 22, static_cast<uint32_t>(b.height), 4);
    put(s, 26, 1, 2);
    put(s, 28, b.bpp, 2);
    put(s, 30, b.compression, 4);
    put(s, 34, static_cast<uint32_t>(stride * rows), 4);
    put(s, 38, 2835, 4);
    put(s, 42, 2836, 4);
    put(s, 46, 7, 4);
    put(s, 50, 3, 4);
    s += b.extra;
    for (int i = 0; i < rows; ++i) {
        const int y = b.height > 0 ? rows - 1 - i : i;
        std::string row(static_cast<size_t>(stride), static_cast<char>(0xEE));
        for (int x = 0; x < b.width; ++x)
            for (int c = 0; c < B; ++c) row[x * B + c] = static_cast<char>(pixel(y, x, c));
        s += row;
    }
    s.resize(s.size() - b.cut);
    return s;
}

struct BmpRun {
    bool failed;
    std::string stimulus;
    std::string console;
};

BmpRun read_bmp(SmallModel& s, const TempDir& dir, const std::string& bytes) {
    s.m.stimulus_path = dir.file("pic.bmp");
    write_file(s.m.stimulus_path, bytes);
    FILE* stim = std::tmpfile();
    testing::internal::CaptureStdout();
    const bool failed = s.m.read_bmp_stimulus(stim, s.m.field_store[1]);
    std::fflush(stdout);
    BmpRun r{failed, stream_bytes(stim), testing::internal::GetCapturedStdout()};
    std::fclose(stim);
    return r;
}

void set_golden(SmallModel& s, int32_t p, int32_t y, int32_t x, int32_t v) {
    s.m.frame_store[1][p][y][x] = v;
}

TEST(BmpStimulus, TrueColourPlanesAndGoldenPicture) {
    TempDir dir;
    SmallModel s(3, 3, 2);
    ASSERT_TRUE(s.ok);
    auto pixel = [](int y, int x, int c) { return 10 * y + 3 * x + c + 1; };
    const BmpRun r = read_bmp(s, dir, make_bmp(BmpSpec{}, pixel));
    ASSERT_FALSE(r.failed) << r.console;
    EXPECT_EQ(r.console, "");
    EXPECT_TRUE(s.m.bmp_header_valid);
    // Plane 0 blue, 1 green, 2 red; field rows from the top.
    EXPECT_EQ(s.field(1, 0, 0, 0), 1);
    EXPECT_EQ(s.field(1, 2, 0, 0), 3);
    EXPECT_EQ(s.field(1, 1, 1, 2), 10 + 6 + 2);
    const std::vector<int> words = words_of(r.stimulus);
    const std::vector<int> expected = {1, 4, 7, 11, 14, 17,  2, 5, 8, 12, 15, 18,
                                       3, 6, 9, 13, 16, 19};
    EXPECT_EQ(words, expected);
    EXPECT_EQ(s.m.total_input, 18);

    // Golden picture: bottom row first, B G R, clipped at 255, padding 0.
    for (int p = 0; p < 3; ++p)
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) set_golden(s, p, y, x, 100 * p + 10 * y + x);
    set_golden(s, 2, 1, 2, 300);
    {
        InDir in(dir.path());
        EXPECT_FALSE(s.m.write_golden_bmp(1));
    }
    const std::string g = read_file(dir.file("golden.bmp"));
    ASSERT_EQ(g.size(), 54u + 24u);
    EXPECT_EQ(g.substr(0, 2), "BM");
    EXPECT_EQ(get(g, 2, 4), 78u);           // file size
    EXPECT_EQ(get(g, 6, 4), 0x12345678u);   // reserved: copied
    EXPECT_EQ(get(g, 10, 4), 54u);
    EXPECT_EQ(get(g, 18, 4), 3u);
    EXPECT_EQ(get(g, 22, 4), 2u);
    EXPECT_EQ(get(g, 28, 2), 24u);
    EXPECT_EQ(get(g, 34, 4), 24u);          // image size: 12-byte rows
    EXPECT_EQ(get(g, 38, 4), 2835u);
    EXPECT_EQ(get(g, 46, 4), 7u);
    const unsigned char row0[12] = {10, 110, 210, 11, 111, 211, 12, 112, 255, 0, 0, 0};
    const unsigned char row1[12] = {0, 100, 200, 1, 101, 201, 2, 102, 202, 0, 0, 0};
    EXPECT_EQ(g.substr(54, 12), std::string(reinterpret_cast<const char*>(row0), 12));
    EXPECT_EQ(g.substr(66, 12), std::string(reinterpret_cast<const char*>(row1), 12));
    // The palette went with the picture; a second write has nothing to write.
    EXPECT_EQ(s.m.palette, nullptr);
    InDir in(dir.path());
    EXPECT_TRUE(s.m.write_golden_bmp(1));
}

TEST(BmpStimulus, PaletteBytesAreKeptAndWrittenBack) {
    TempDir dir;
    SmallModel s(1, 4, 2);
    ASSERT_TRUE(s.ok);
    BmpSpec b;
    b.width = 4;
    b.bpp = 8;
    for (int i = 0; i < 1024; ++i) b.extra += static_cast<char>(i % 251);
    const BmpRun r = read_bmp(s, dir, make_bmp(b, [](int y, int x, int) { return 40 * y + x; }));
    ASSERT_FALSE(r.failed) << r.console;
    EXPECT_EQ(s.m.palette_bytes, 1024u);
    EXPECT_EQ(s.field(1, 0, 0, 3), 3);
    EXPECT_EQ(s.field(1, 0, 1, 2), 42);
    EXPECT_EQ(r.stimulus.size(), 16u);

    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) set_golden(s, 0, y, x, 7 * y + x);
    {
        InDir in(dir.path());
        EXPECT_FALSE(s.m.write_golden_bmp(1));
    }
    const std::string g = read_file(dir.file("golden.bmp"));
    ASSERT_EQ(g.size(), 1078u + 8u);
    EXPECT_EQ(get(g, 10, 4), 1078u);
    EXPECT_EQ(get(g, 2, 4), 1086u);
    EXPECT_EQ(g.substr(54, 1024), b.extra);
    EXPECT_EQ(g.substr(1078), std::string("\x07\x08\x09\x0A\x00\x01\x02\x03", 8));
}

TEST(BmpStimulus, PictureSizeOrderAndOffsetVariants) {
    struct Case {
        const char* name;
        BmpSpec spec;
        int planes, w, h, dwidth;
        // Expected field of plane 0, rows from the top.
        std::vector<std::vector<int>> field;
    };
    auto mk = [](int32_t w, int32_t h, uint16_t bpp, int64_t offset = -1) {
        BmpSpec b;
        b.width = w;
        b.height = h;
        b.bpp = bpp;
        b.offset = offset;
        return b;
    };
    const Case cases[] = {
        // Only the top-left part of a larger picture is used.
        {"larger", mk(5, 4, 24), 1, 3, 2, 8, {{0, 3, 6}, {10, 13, 16}}},
        // A smaller picture leaves the rest of the field at 0.
        {"smaller", mk(2, 1, 24), 1, 3, 2, 8, {{0, 3, 0}, {0, 0, 0}}},
        {"top-down", mk(2, -2, 8), 1, 2, 2, 8, {{0, 3}, {10, 13}}},
        // An offset below 54 is read as 54.
        {"offset 0", mk(2, 2, 8, 0), 1, 2, 2, 8, {{0, 3}, {10, 13}}},
        {"offset 20", mk(2, 2, 8, 20), 1, 2, 2, 8, {{0, 3}, {10, 13}}},
        // Narrower samples are clamped, not scaled.
        {"3-bit samples", mk(2, 2, 8), 1, 2, 2, 3, {{0, 3}, {10, 13}}},
    };
    for (const auto& c : cases) {
        TempDir dir;
        SmallModel s(c.planes, c.w, c.h, c.dwidth);
        ASSERT_TRUE(s.ok);
        const BmpRun r = read_bmp(s, dir, make_bmp(c.spec, [](int y, int x, int ch) {
                                      return 10 * y + 3 * x + ch;
                                  }));
        ASSERT_FALSE(r.failed) << c.name << ": " << r.console;
        const int max = (1 << c.dwidth) - 1;
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < c.w; ++x)
                EXPECT_EQ(s.field(1, 0, y, x), std::min(c.field[y][x], max))
                    << c.name << " y" << y << " x" << x;
        EXPECT_EQ(r.stimulus.size(), static_cast<size_t>(2 * c.planes * c.w * c.h)) << c.name;

        InDir in(dir.path());
        ASSERT_FALSE(s.m.write_golden_bmp(1)) << c.name;
        const std::string g = read_file("golden.bmp");
        // The golden picture has the field's size, bottom-up, offset >= 54.
        EXPECT_EQ(get(g, 10, 4), 54u) << c.name;
        EXPECT_EQ(static_cast<int32_t>(get(g, 18, 4)), c.w) << c.name;
        EXPECT_EQ(static_cast<int32_t>(get(g, 22, 4)), c.h) << c.name;
        const size_t stride = (c.w * (c.spec.bpp / 8) + 3) / 4 * 4;
        EXPECT_EQ(g.size(), 54 + stride * c.h) << c.name;
    }
}

TEST(BmpStimulus, ThirtyTwoBitMaskedPictureDropsTheFourthByte) {
    TempDir dir;
    SmallModel s(3, 2, 1);
    ASSERT_TRUE(s.ok);
    BmpSpec b;
    b.width = 2;
    b.height = 1;
    b.bpp = 32;
    b.compression = 3;
    b.extra = std::string(12, '\x55');  // the colour masks
    const BmpRun r = read_bmp(s, dir, make_bmp(b, [](int, int x, int c) { return 16 * x + c + 1; }));
    ASSERT_FALSE(r.failed) << r.console;
    EXPECT_EQ(s.field(1, 2, 0, 1), 19);
    EXPECT_EQ(words_of(r.stimulus), (std::vector<int>{1, 17, 2, 18, 3, 19}));
    for (int p = 0; p < 3; ++p)
        for (int x = 0; x < 2; ++x) set_golden(s, p, 0, x, 16 * x + p + 1);
    InDir in(dir.path());
    ASSERT_FALSE(s.m.write_golden_bmp(1));
    const std::string g = read_file("golden.bmp");
    EXPECT_EQ(get(g, 10, 4), 66u);
    EXPECT_EQ(g.substr(54, 12), b.extra);
    EXPECT_EQ(g.substr(66), std::string("\x01\x02\x03\x00\x11\x12\x13\x00", 8));
}

TEST(BmpStimulus, UnusablePicturesAreRefused) {
    auto base = [] {
        BmpSpec b;
        b.bpp = 8;
        return b;
    };
    struct Case { const char* name; BmpSpec spec; const char* why; };
    std::vector<Case> cases;
    BmpSpec b = base(); b.type = "BA"; cases.push_back({"type", b, "type mark"});
    b = base(); b.compression = 1; cases.push_back({"rle", b, "compression 1 is not supported"});
    b = base(); b.bpp = 24; b.compression = 3; cases.push_back({"masks 24", b, "compression 3"});
    b = base(); b.bpp = 4; cases.push_back({"4 bpp", b, "4 bits per pixel"});
    b = base(); b.width = 0; cases.push_back({"width 0", b, "width 0"});
    b = base(); b.width = -3; cases.push_back({"width -3", b, "width -3"});
    b = base(); b.height = 0; cases.push_back({"height 0", b, "height 0"});
    b = base(); b.info_size = 12; cases.push_back({"core header", b, "info header of 12 bytes"});
    b = base(); b.cut = 1; cases.push_back({"short pixels", b, "pixel array cut short"});
    b = base(); b.height = -2; b.cut = 3; cases.push_back({"short top-down", b, "cut short"});
    b = base(); b.offset = 5000; cases.push_back({"offset past end", b, "pixel data offset 5000"});
    b = base(); b.cut = 8 + 20; cases.push_back({"short header", b, "too short"});
    b = base(); b.width = 0x7FFFFFFF; b.height = -0x7FFFFFFF; b.bpp = 0xFFF8;
    cases.push_back({"huge header", b, "cut short"});

    for (const auto& c : cases) {
        TempDir dir;
        SmallModel s(1, 3, 2);
        ASSERT_TRUE(s.ok);
        std::string bytes;
        if (std::string(c.name) == "huge header") {
            BmpSpec small = c.spec;
            small.width = 1;
            small.height = 1;
            bytes = make_bmp(small, [](int, int, int) { return 1; });
            put(bytes, 18, 0x7FFFFFFF, 4);
            put(bytes, 22, static_cast<uint32_t>(-0x7FFFFFFF), 4);
        } else {
            bytes = make_bmp(c.spec, [](int, int, int) { return 9; });
        }
        const BmpRun r = read_bmp(s, dir, bytes);
        EXPECT_TRUE(r.failed) << c.name;
        EXPECT_EQ(r.console.rfind(s.m.stimulus_path + ": ", 0), 0u) << c.name << ": " << r.console;
        EXPECT_NE(r.console.find(c.why), std::string::npos) << c.name << ": " << r.console;
        EXPECT_EQ(r.console.find('\n'), r.console.size() - 1) << c.name;
        EXPECT_EQ(r.stimulus, "") << c.name;
        EXPECT_EQ(s.m.total_input, 0) << c.name;
        EXPECT_FALSE(s.m.bmp_header_valid) << c.name;
        InDir in(dir.path());
        EXPECT_TRUE(s.m.write_golden_bmp(1)) << c.name;
        EXPECT_FALSE(file_exists("golden.bmp")) << c.name;
    }
}

TEST(BmpStimulus, MissingPictureAndUncreatableGolden) {
    TempDir dir;
    SmallModel s(1, 2, 2);
    ASSERT_TRUE(s.ok);
    s.m.stimulus_path = dir.file("absent.bmp");
    FILE* stim = std::tmpfile();
    testing::internal::CaptureStdout();
    EXPECT_TRUE(s.m.read_bmp_stimulus(stim, s.m.field_store[1]));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Can't open " + s.m.stimulus_path + " for read\n");
    std::fclose(stim);

    BmpSpec b;
    b.width = 2;
    b.bpp = 8;
    ASSERT_FALSE(read_bmp(s, dir, make_bmp(b, [](int, int, int) { return 1; })).failed);
    // A folder in the way of golden.bmp: the picture cannot be created.
    ASSERT_EQ(mkdir(dir.file("golden.bmp").c_str(), 0755), 0);
    InDir in(dir.path());
    EXPECT_TRUE(s.m.write_golden_bmp(1));
}

}  // namespace
