// Text, BMP and YUV stimulus files read into a field, and the golden picture
// and sequence written back from a golden frame.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/model_fixture.h"
#include "support/test_support.h"

using namespace veldax_test;

namespace {

struct Sample {
    int32_t b, p, j, k, v;
};  // field sample of buffer b, plane p, row j, column k

void expect_samples(TestModel& t, const std::vector<Sample>& samples, const char* name) {
    for (const Sample& s : samples)
        EXPECT_EQ(t.field(s.b, s.p, s.j, s.k), s.v)
            << name << " p" << s.p << " j" << s.j << " k" << s.k;
}

struct Read {
    bool failed;
    std::string stimulus, console;
};

// Reads a file holding bytes (a picture when its name ends in .bmp) into buffer 1.
Read read_into(TestModel& t, const TempDir& dir, const std::string& name,
               const std::string& bytes) {
    t.m.run.path = dir.file(name);
    write_file(t.m.run.path, bytes);
    t.m.run.source = name.ends_with(".bmp") ? StimulusSource::bmp : StimulusSource::text;
    FILE* stim = std::tmpfile();
    testing::internal::CaptureStdout();
    FILE* in = nullptr;
    Status s = t.m.open_stimulus_input(&in);
    if (s == Status::ok)
        s = t.m.run.source == StimulusSource::bmp
                ? t.m.read_bmp_stimulus(in, stim, t.m.field_store[1])
                : t.m.read_text_stimulus(in, stim, t.m.field_store[1]);
    if (in) std::fclose(in);
    const bool failed = s != Status::ok;
    std::fflush(stdout);
    Read r{failed, stream_bytes(stim), testing::internal::GetCapturedStdout()};
    std::fclose(stim);
    return r;
}

TEST(TextStimulus, LinesBecomeSamplesAndHexLines) {
    const std::string digits150 = std::string(98, '0') + "7" + std::string(50, '0') + "3\n";
    struct Case {
        const char* name;
        int32_t planes, w, h, dwidth;
        std::string text;
        const char* stimulus;
        const char* message;  // after the path; "" when nothing is printed
        std::vector<Sample> samples;
    } cases[] = {
        {"values",
         1,
         5,
         1,
         8,
         "1 0 /c\n\n999\r\n1E2\n12AB\n",
         "0A\nFF\n64\n0C\n00\n",  // the sample not given is written as 0
         "",
         {{1, 0, 0, 0, 10},
          {1, 0, 0, 1, 255},
          {1, 0, 0, 2, 100},
          {1, 0, 0, 3, 12},
          {1, 0, 0, 4, 0}}},
        {"150 digits: 99, then 51", 1, 2, 1, 8, digits150, "07\n03\n", "", {{1, 0, 0, 1, 3}}},
        {"10 bits", 1, 2, 1, 10, "1023\n5\n", "3FF\n005\n", "", {{1, 0, 0, 0, 1023}}},
        {"bad line",
         1,
         4,
         1,
         8,
         "1\n2\n\n12G4\n5\n",
         "01\n02\n",
         " line 4: \"12G4\" is not a hexadecimal number\n",
         {{1, 0, 0, 1, 2}, {1, 0, 0, 2, 0}}},
        {"letter first",
         1,
         2,
         1,
         8,
         "D8\n",
         "",
         " line 1: \"D8\" does not begin with a decimal number\n",
         {}},
        {"never checked", 1, 2, 1, 8, "1\n\n2\nZZZ\n", "01\n02\n", "", {}},
        {"plane after plane",
         3,
         4,
         2,
         8,
         "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n",
         "01\n02\n03\n04\n05\n06\n07\n08\n09\n0A\n"
         "00\n00\n00\n00\n00\n00\n00\n00\n00\n00\n00\n00\n00\n00\n",  // 24 samples
         "",
         {{1, 0, 1, 0, 5}, {1, 0, 1, 3, 8}, {1, 1, 0, 0, 9}, {1, 1, 0, 1, 10}, {1, 2, 0, 0, 0}}},
    };
    for (const Case& c : cases) {
        TempDir dir;
        TestModel t(c.w, c.h, c.planes, c.dwidth);
        ASSERT_TRUE(t.ready());
        const Read r = read_into(t, dir, "pic.txt", c.text);
        EXPECT_EQ(r.failed, *c.message != '\0') << c.name;
        EXPECT_EQ(r.stimulus, c.stimulus) << c.name;
        EXPECT_EQ(r.console, *c.message ? t.m.run.path + c.message : "") << c.name;
        expect_samples(t, c.samples, c.name);
    }
}

uint32_t get32(const std::string& s, size_t at) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= uint32_t{static_cast<unsigned char>(s[at + static_cast<size_t>(i)])} << (8 * i);
    return v;
}

struct Bmp {
    int32_t w = 3, h = 2;  // h < 0: top row first
    uint16_t bpp = 24;
    uint32_t compression = 0;
    std::string type = "BM", extra;  // extra: bytes between the 54 header bytes and the pixels
    int64_t offset = -1;             // declared pixel offset; -1: 54 + extra
    size_t cut = 0;                  // bytes dropped from the end
};

// Byte c of the pixel at row y from the top, column x is 10 y + 3 x + c + 1;
// row padding is 0xEE so that taking it would show.
std::string make_bmp(const Bmp& b) {
    const int B = b.bpp / 8, stride = (b.w * B + 3) / 4 * 4, rows = b.h < 0 ? -b.h : b.h;
    std::string s = b.type;
    auto put = [&s](uint32_t v, int n) {
        for (int i = 0; i < n; ++i) s += static_cast<char>(v >> (8 * i));
    };
    const uint32_t offset = static_cast<uint32_t>(b.offset < 0 ? 54 + b.extra.size() : static_cast<size_t>(b.offset));
    for (uint32_t v : {static_cast<uint32_t>(54 + b.extra.size() + static_cast<size_t>(stride * rows)), 0u, offset, 40u,
                       static_cast<uint32_t>(b.w), static_cast<uint32_t>(b.h)})
        put(v, 4);
    put(1 | uint32_t{b.bpp} << 16, 4);  // one colour plane, bits per pixel
    put(b.compression, 4);
    s += std::string(20, '\0') + b.extra;
    for (int i = 0; i < rows; ++i) {
        const int y = b.h > 0 ? rows - 1 - i : i;
        std::string row(static_cast<size_t>(stride), '\xEE');
        for (int x = 0; x < b.w * B; ++x)
            row[static_cast<size_t>(x)] = static_cast<char>(10 * y + 3 * (x / B) + x % B + 1);
        s += row;
    }
    return s.substr(0, s.size() - b.cut);
}

TEST(BmpStimulus, PlanesRowsAndGoldenPicture) {
    Bmp rgb, top, low, pal, argb;
    top.w = 2, top.h = -2, top.bpp = 8;
    argb.w = 2, argb.bpp = 32;
    low.w = 2, low.bpp = 8, low.offset = 20;
    pal.w = 4, pal.bpp = 8;
    for (int i = 0; i < 256; ++i) pal.extra += std::string{char(i), char(255 - i), char(i / 2), 0};
    struct Case {
        const char* name;
        Bmp bmp;
        int32_t planes;
        std::vector<int> stimulus;  // words, plane after plane
        std::string golden;         // pixel array, bottom row first
    } cases[] = {
        // Blue, green, red planes; the golden 300 is written as 255.
        {"24 bits",
         rgb,
         3,
         {1, 4, 7, 11, 14, 17, 2, 5, 8, 12, 15, 18, 3, 6, 9, 13, 16, 19},
         std::string(
             "\x0A\x6E\xD2\x0B\x6F\xD3\x0C\x70\xFF\0\0\0\0\x64\xC8\x01\x65\xC9\x02\x66\xCA\0\0\0",
             24)},
        // The alpha byte no plane fills is opaque, so viewers show the picture.
        {"32 bits, three planes",
         argb,
         3,
         {1, 4, 11, 14, 2, 5, 12, 15, 3, 6, 13, 16},
         std::string("\x0A\x6E\xD2\xFF\x0B\x6F\xFF\xFF\x00\x64\xC8\xFF\x01\x65\xC9\xFF", 16)},
        {"top-down", top, 1, {1, 4, 11, 14}, std::string("\x0A\xFF\0\0\0\x01\0\0", 8)},
        {"offset 20 read as 54", low, 1, {1, 4, 11, 14}, std::string("\x0A\xFF\0\0\0\x01\0\0", 8)},
        {"palette",
         pal,
         1,
         {1, 4, 7, 10, 11, 14, 17, 20},
         std::string("\x0A\x0B\x0C\xFF\0\x01\x02\x03", 8)},
    };
    for (const Case& c : cases) {
        TempDir dir;
        TestModel t(c.bmp.w, 2, c.planes);
        ASSERT_TRUE(t.ready());
        const Read r = read_into(t, dir, "pic.bmp", make_bmp(c.bmp));
        ASSERT_FALSE(r.failed) << c.name << ": " << r.console;
        EXPECT_EQ(words_of(r.stimulus), c.stimulus) << c.name;
        for (int p = 0; p < c.planes; ++p)
            for (int y = 0; y < 2; ++y)
                for (int x = 0; x < c.bmp.w; ++x) t.golden(p, y, x) = 100 * p + 10 * y + x;
        t.golden(c.planes - 1, 1, c.bmp.w - 1) = 300;
        InDir in(dir.path());
        ASSERT_EQ(t.m.write_golden_bmp(), Status::ok) << c.name;
        const std::string g = read_file("golden.bmp");
        const size_t offset = 54 + c.bmp.extra.size();
        ASSERT_EQ(g.size(), offset + c.golden.size()) << c.name;
        EXPECT_EQ(get32(g, 2), g.size()) << c.name;
        EXPECT_EQ(get32(g, 10), offset) << c.name;
        EXPECT_EQ(get32(g, 22), 2u) << c.name;
        EXPECT_EQ(g.substr(54, c.bmp.extra.size()), c.bmp.extra) << c.name;
        EXPECT_EQ(g.substr(offset), c.golden) << c.name;
    }
}

// Bytes of an 8-bit picture above the sample range of a narrower sample
// are held at max_value (15 for 4 bits).
TEST(BmpStimulus, BytesClampedToTheSampleRange) {
    Bmp b;
    b.w = 4, b.bpp = 8;
    TempDir dir;
    TestModel t(4, 2, 1, 4);
    ASSERT_TRUE(t.ready());
    const Read r = read_into(t, dir, "pic.bmp", make_bmp(b));
    ASSERT_FALSE(r.failed) << r.console;
    // Row 0 holds 1, 4, 7, 10; row 1 holds 11, 14, 17, 20.
    expect_samples(
        t,
        {{1, 0, 0, 0, 1}, {1, 0, 0, 3, 10}, {1, 0, 1, 1, 14}, {1, 0, 1, 2, 15}, {1, 0, 1, 3, 15}},
        "4-bit");
}

TEST(BmpStimulus, UnusablePicturesAreRefused) {
    Bmp type, rle, bpp, cut, masks24;
    type.type = "BA", rle.bpp = 8, rle.compression = 1, bpp.bpp = 4, cut.cut = 1;
    masks24.compression = 3;  // colour masks exist for 16 and 32 bits only
    const std::pair<Bmp, const char*> cases[] = {{type, "type mark"},
                                                 {rle, "compression 1"},
                                                 {bpp, "4 bits per pixel"},
                                                 {cut, "cut short"},
                                                 {masks24, "compression 3"}};
    for (const auto& [bmp, why] : cases) {
        TempDir dir;
        TestModel t(3, 2, 3);
        ASSERT_TRUE(t.ready());
        const Read r = read_into(t, dir, "pic.bmp", make_bmp(bmp));
        EXPECT_TRUE(r.failed) << why;
        EXPECT_EQ(r.console.rfind(t.m.run.path + ": ", 0), 0u) << r.console;
        EXPECT_NE(r.console.find(why), std::string::npos) << r.console;
        EXPECT_EQ(r.stimulus, "") << why;
        InDir in(dir.path());
        EXPECT_NE(t.m.write_golden_bmp(), Status::ok) << why;
        EXPECT_FALSE(file_exists("golden.bmp")) << why;
    }
}

// Frames read into buffer 0 (a cut-short one must leave buffer 1 alone); golden samples
// 100 p + 10 j + k, 300 at 0, 0, 0, written back as low bytes, chroma of even columns.
TEST(YuvStimulus, WholeFramesInLowBytesOut) {
    const std::string frame422 = "\x01\x02\x03\x04\x05\x06\x07\x08\x14\x15\x16\x17\x1E\x1F\x20\x21";
    struct Case {
        const char* name;
        int32_t planes, w, h;
        bool packed;
        std::string input;
        std::vector<int> stimulus;
        std::vector<Sample> samples;
        std::vector<unsigned char> golden;
    } cases[] = {
        // Chroma bytes a, b become samples a, a, b, b.
        {"4:2:2",
         3,
         4,
         2,
         true,
         frame422 + frame422.substr(0, 10),
         {1, 2, 3, 4, 5, 6, 7, 8, 20, 21, 22, 23, 30, 31, 32, 33},
         {{0, 0, 1, 3, 8},
          {0, 1, 0, 0, 20},
          {0, 1, 0, 1, 20},
          {0, 1, 0, 2, 21},
          {0, 1, 1, 3, 23},
          {0, 2, 1, 0, 32},
          {0, 2, 1, 3, 33},
          {1, 0, 0, 0, 0}},
         {44, 1, 2, 3, 10, 11, 12, 13, 100, 102, 110, 112, 200, 202, 210, 212}},
        // w h odd: the last Cb index reaches the first Cr byte.
        {"4:2:2 odd",
         3,
         3,
         1,
         true,
         "\x01\x02\x03\x28\x32\x3C",
         {1, 2, 3, 40, 50},
         {{0, 1, 0, 1, 40}, {0, 1, 0, 2, 50}, {0, 2, 0, 2, 60}},
         {44, 1, 2, 100, 200}},
        // The second plane cut short: the first stays stored and written.
        {"planar",
         2,
         2,
         1,
         false,
         "\x01\x02\x03\x04\x05\x06\x07",
         {1, 2, 3, 4, 5, 6},
         {{0, 1, 0, 1, 4}, {1, 0, 0, 1, 6}, {1, 1, 0, 0, 0}},
         {44, 1, 100, 101}},
    };
    for (const Case& c : cases) {
        TestModel t(c.w, c.h, c.planes);
        t.m.ycbcr422 = c.packed;
        ASSERT_TRUE(t.ready());
        FILE *in = std::tmpfile(), *stim = std::tmpfile(), *out = std::tmpfile();
        std::fwrite(c.input.data(), 1, c.input.size(), in);
        std::rewind(in);
        EXPECT_EQ(t.m.read_yuv_frame(in, stim, t.m.field_store[0]), YuvFrame::taken) << c.name;
        EXPECT_EQ(t.m.read_yuv_frame(in, stim, t.m.field_store[1]), YuvFrame::end_of_input)
            << c.name;
        EXPECT_EQ(words_of(stream_bytes(stim)), c.stimulus) << c.name;
        EXPECT_EQ(t.m.total_input, static_cast<int32_t>(c.stimulus.size())) << c.name;
        expect_samples(t, c.samples, c.name);
        for (int p = 0; p < c.planes; ++p)
            for (int j = 0; j < c.h; ++j)
                for (int k = 0; k < c.w; ++k) t.golden(p, j, k) = 100 * p + 10 * j + k;
        t.golden(0, 0, 0) = 300;
        EXPECT_EQ(t.m.write_golden_yuv(out), Status::ok) << c.name;
        const std::string got = stream_bytes(out);
        EXPECT_EQ(std::vector<unsigned char>(got.begin(), got.end()), c.golden) << c.name;
        for (FILE* f : {in, stim, out}) std::fclose(f);
    }
}

// Samples as a Y4M frame stores them: one byte each, or two little-endian
// bytes when wide.
std::string y4m_samples(const std::vector<int>& values, bool wide) {
    std::string s;
    for (int v : values) {
        s += static_cast<char>(v & 0xFF);
        if (wide) s += static_cast<char>(v >> 8);
    }
    return s;
}

// Hand-built Y4M streams opened and read as a run reads them: whole frames
// go to "stimulus.dat" as their sample values (4:2:2 chroma at half the
// width rounded up, standing for two columns) and back to "golden.yuv" at
// the input's depth; a stream that does not fit the configuration is
// refused with one line naming both.
TEST(YuvStimulus, Y4mStreams) {
    const std::string fit10 = "YUV4MPEG2 W4 H2 F25:1 It A1:1 C422p10 XYSCSS=422P10\n";
    // 4x2 Y, then Cb and Cr of 2x2, 10 bits.
    const std::vector<int> frame10 = {1000, 2, 3, 4, 5, 6, 7, 1023, 20, 21, 22, 23, 30, 31, 32, 33};
    const std::string mono = "YUV4MPEG2 W3 H1 Cmono\n";
    struct Case {
        const char* name;
        int32_t planes, w, h, dwidth;
        bool ycbcr422;
        std::string input;
        const char* console;  // after the path ("" when nothing is printed)
        int frames = 0;       // whole frames read
        std::vector<int> stimulus = {};
        std::vector<Sample> samples = {};  // of buffer 0
        std::string golden = "";           // of golden samples 100 p + 10 j + k, 1000 at 0, 0, 0
    } cases[] = {
        {"4:2:2 10 bits, frame parameters",
         3, 4, 2, 10, true,
         fit10 + "FRAME Ib\n" + y4m_samples(frame10, true) + "FRAME\n" +
             y4m_samples(frame10, true).substr(0, 20),
         "", 1, frame10,
         {{0, 0, 0, 0, 1000}, {0, 0, 1, 3, 1023}, {0, 1, 0, 0, 20}, {0, 1, 0, 1, 20},
          {0, 1, 1, 3, 23}, {0, 2, 1, 2, 33}},
         y4m_samples({1000, 1, 2, 3, 10, 11, 12, 13, 100, 102, 110, 112, 200, 202, 210, 212}, true)},
        // An odd width: two chroma samples a row, the second for column 2 alone.
        {"4:2:2 8 bits, odd width",
         3, 3, 1, 8, true,
         "YUV4MPEG2 W3 H1 C422\nFRAME\n" + y4m_samples({1, 2, 3, 40, 41, 50, 51}, false),
         "", 1, {1, 2, 3, 40, 41, 50, 51},
         {{0, 1, 0, 0, 40}, {0, 1, 0, 1, 40}, {0, 1, 0, 2, 41}, {0, 2, 0, 2, 51}},
         y4m_samples({1000 & 0xFF, 1, 2, 100, 102, 200, 202}, false)},
        {"mono 12 bits into 12", 1, 3, 1, 12, false,
         "YUV4MPEG2 W3 H1 Cmono12\nFRAME\n" + y4m_samples({4095, 0, 7}, true) + "FRAME\n" +
             y4m_samples({1, 2, 3}, true),
         "", 2, {4095, 0, 7, 1, 2, 3}, {{0, 0, 0, 0, 4095}, {1, 0, 0, 2, 3}},
         y4m_samples({1000, 1, 2}, true)},
        {"8 bits into 10", 1, 3, 1, 10, false,
         "YUV4MPEG2 W3 H1 Cmono\nFRAME\n" + y4m_samples({255, 0, 7}, false),
         "", 1, {255, 0, 7}, {{0, 0, 0, 0, 255}}, y4m_samples({1000 & 0xFF, 1, 2}, false)},
        {"size", 1, 4, 1, 8, false, mono + "FRAME\n\x01\x02\x03",
         " is 3x1 Cmono; the core takes 4x1 one plane (num_plane=1), 8 bits (dwidth=8)\n"},
        {"4:2:0 without C", 3, 4, 2, 10, true, "YUV4MPEG2 W4 H2\n",
         " is 4x2 without a C parameter (4:2:0, 8 bits); the core takes 4x2 4:2:2 (ycbcr422=1), "
         "10 bits (dwidth=10); convert it with ffmpeg -i PATH -pix_fmt yuv422p -strict -1 out.y4m\n"},
        {"4:2:0 10 bits", 3, 4, 2, 10, true, "YUV4MPEG2 W4 H2 C420p10\n",
         " is 4x2 C420p10; the core takes 4x2 4:2:2 (ycbcr422=1), 10 bits (dwidth=10); convert it "
         "with ffmpeg -i PATH -pix_fmt yuv422p10le -strict -1 out.y4m\n"},
        {"mono for 4:4:4", 3, 3, 1, 8, false, mono,
         " is 3x1 Cmono; the core takes 3x1 4:4:4 (num_plane=3), 8 bits (dwidth=8); convert it "
         "with ffmpeg -i PATH -pix_fmt yuv444p -strict -1 out.y4m\n"},
        {"two planes", 2, 3, 1, 8, false, mono,
         " is 3x1 Cmono; the core takes 3x1 num_plane=2, which no Y4M colour space holds, 8 bits "
         "(dwidth=8)\n"},
        {"depth above dwidth", 3, 4, 2, 8, true, fit10,
         " is 4x2 C422p10; the core takes 4x2 4:2:2 (ycbcr422=1), 8 bits (dwidth=8); convert it "
         "with ffmpeg -i PATH -pix_fmt yuv422p -strict -1 out.y4m\n"},
        {"no width", 1, 3, 1, 8, false, "YUV4MPEG2 H1 Cmono\n",
         ": the Y4M header gives no width (W)\n"},
        {"unknown colour", 1, 3, 1, 8, false, "YUV4MPEG2 W3 H1 Cxyz\n",
         ": the Y4M header's colour space Cxyz is not one veldax-gen reads\n"},
        {"header cut short", 1, 3, 1, 8, false, "YUV4MPEG2 W3 H1 Cmo",
         ": the Y4M header has no line end\n"},
        {"bad second frame line", 1, 3, 1, 8, false, mono + "FRAME\n\x01\x02\x03FRAMES\n",
         ": frame 2 does not start with \"FRAME\"\n"},
        {"garbage after a frame", 1, 3, 1, 8, false, mono + "FRAME\n\x01\x02\x03\x04",
         ": frame 2 does not start with \"FRAME\"\n"},
        {"sample above its depth", 1, 3, 1, 10, false,
         "YUV4MPEG2 W3 H1 Cmono10\nFRAME\n" + y4m_samples({1, 1023, 1024}, true),
         ": frame 1, plane 0, row 0, column 2 holds 1024, above 1023 (the largest 10-bit sample)\n",
         0},
    };
    for (const Case& c : cases) {
        TempDir dir;
        TestModel t(c.w, c.h, c.planes, c.dwidth);
        t.m.ycbcr422 = c.ycbcr422;
        ASSERT_TRUE(t.ready());
        t.m.run.source = StimulusSource::yuv;
        t.m.run.path = dir.file("clip.y4m");
        write_file(t.m.run.path, c.input);
        t.m.input_frames = 0;
        FILE *stim = std::tmpfile(), *out = std::tmpfile(), *in = nullptr;
        testing::internal::CaptureStdout();
        const Status opened = t.m.open_stimulus_input(&in);
        YuvFrame read = YuvFrame::taken;
        if (opened == Status::ok)
            while ((read = t.m.read_yuv_frame(in, stim, t.m.field_store[t.m.input_frames % 2])) ==
                   YuvFrame::taken)
                ++t.m.input_frames;
        std::fflush(stdout);
        std::string console = testing::internal::GetCapturedStdout();
        const bool refused = opened != Status::ok || read == YuvFrame::refused;
        EXPECT_EQ(refused, *c.console != '\0') << c.name;
        std::string want = *c.console ? t.m.run.path + c.console : "";
        for (size_t at; (at = want.find("PATH")) != std::string::npos;)
            want.replace(at, 4, t.m.run.path);
        EXPECT_EQ(console, want) << c.name;
        EXPECT_EQ(t.m.input_frames, c.frames) << c.name;
        const std::string got = stream_bytes(stim);
        EXPECT_EQ(words_of(got), c.stimulus) << c.name;
        EXPECT_EQ(t.m.total_input, static_cast<int32_t>(c.stimulus.size())) << c.name;
        expect_samples(t, c.samples, c.name);
        if (c.frames > 0) {
            for (int p = 0; p < c.planes; ++p)
                for (int j = 0; j < c.h; ++j)
                    for (int k = 0; k < c.w; ++k) t.golden(p, j, k) = 100 * p + 10 * j + k;
            t.golden(0, 0, 0) = 1000;
            EXPECT_EQ(t.m.write_golden_yuv(out), Status::ok) << c.name;
            EXPECT_EQ(stream_bytes(out), c.golden) << c.name;
        }
        if (in) std::fclose(in);
        for (FILE* f : {stim, out}) std::fclose(f);
    }
}

}  // namespace
