// The frame layout against worked sizes, and against the files real runs write.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_line.h"
#include "support/model_fixture.h"
#include "support/test_support.h"

using namespace veldax_test;

namespace {

// 7 x 5 frames of 4:2:2: chroma packs floor(35 / 2) = 17 words a plane, and the counter
// takes 5 rows of 3 chroma samples (none with parallel set); a 4-plane 4:2:2 frame
// still writes three.
TEST(FrameLayout, PlaneWordsAndCounts) {
    struct Case {
        int32_t planes;
        bool packed, parallel;
        int64_t words, counted;
    } cases[] = {{1, false, false, 35, 35},        {3, false, false, 105, 105},
                 {3, false, true, 105, 35},        {3, true, false, 35 + 2 * 17, 35 + 2 * 15},
                 {3, true, true, 35 + 2 * 17, 35}, {4, true, false, 35 + 2 * 17, 35 + 2 * 15}};
    for (const Case& c : cases) {
        TestModel t(7, 5, c.planes);
        t.m.ycbcr422 = c.packed, t.m.parallel = c.parallel;
        t.m.derive_configuration();
        const FrameLayout l = t.m.layout();
        EXPECT_EQ(l.golden_words(0), c.words) << c.planes << c.packed << c.parallel;
        EXPECT_EQ(l.golden_counted(0), c.counted) << c.planes << c.packed << c.parallel;
        EXPECT_EQ(l.golden_plane(1, 0).packed, c.packed && c.planes > 1);
    }
    // Synthetic 4:2:2 fields pack every plane after the first, a fourth one too.
    TestModel t(7, 5, 4);
    t.m.ycbcr422 = 1;
    t.m.derive_configuration();
    EXPECT_EQ(t.m.layout().stimulus_words(0), 35 + 3 * 17);
    EXPECT_EQ(chroma_word(7, 1, 0), 3);  // row 1 starts inside word 3
    EXPECT_EQ(chroma_word(7, 1, 6), 6);
}

// Field 0 of a converting synthetic run gives three frames, later fields two; per-frame
// sizes follow the field (frame index 3 takes the sizes of entry 2); pictures give one frame.
TEST(FrameLayout, FramesOfAField) {
    TestModel t(8, 6);
    t.m.fconvert = 1, t.m.initfield = 1, t.m.dynamic = 1, t.m.frmw[1] = 3, t.m.frmh[2] = 1;
    t.m.dmethod = method_number(DeinterlaceMethod::bobe);
    t.m.derive_configuration();
    const FrameLayout l = t.m.layout();
    std::vector<std::vector<int64_t>> got;
    l.for_each_golden_frame(4, [&](const GoldenFrame& f) {
        got.push_back(
            {f.index, f.field, f.size_index, f.parity, f.kept_parity, f.byte_offset, f.words});
    });
    const std::vector<std::vector<int64_t>> want = {
        {0, 0, 0, 1, 0, 0, 48},   {1, 0, 0, 0, 0, 96, 48},  {2, 0, 0, 0, 0, 192, 48},
        {3, 1, 1, 1, 0, 288, 24}, {4, 1, 1, 0, 0, 336, 24}, {5, 2, 2, 1, 0, 384, 16},
        {6, 2, 2, 0, 0, 416, 16}, {7, 3, 3, 1, 0, 448, 16}, {8, 3, 3, 0, 0, 480, 16}};
    EXPECT_EQ(got, want);
    t.m.run.source = StimulusSource::bmp;
    GoldenFrame frames[kMaxFramesPerField];
    EXPECT_EQ(t.m.layout().frames_of_field(0, frames), 1);
    EXPECT_EQ(t.m.layout().yuv_fields(1000, 0), 1);
}

// Runs of the program: golden.dat and stimulus.dat hold exactly the frames and fields
// the layout lists, and the counters in params.v are the layout's sums.
TEST(FrameLayout, AgreesWithRuns) {
    struct Case {
        std::string kvf;
        std::vector<std::string> args;
        std::string input;
    } cases[] = {
        {"frame_width=7\nframe_height=5\n", {"-d", "4"}, ""},
        {"num_plane=3\nycbcr422=1\nframe_width=7\nframe_height=6\nfconvert=1\nparallel=1\n",
         {"-g", "3"},
         ""},
        {"num_plane=3\nycbcr422=1\nframe_width=9\nframe_height=7\nfconvert=1\ndynamic=1\nfrmw_0=6\n"
         "frmh_0=4\nfrmw_1=8\nfrmh_2=2\ndmethod=inter\n",
         {"-g", "5"},
         ""},
        {"num_plane=3\nycbcr422=1\nframe_width=5\nframe_height=3\nfconvert=1\ncopyframe=1\ndynamic="
         "1\n"
         "frmw_0=3\n",
         {"-y", "in.yuv"},
         std::string(30 * 3 + 7, 'x')},
        {"num_plane=2\nframe_width=4\nframe_height=4\n",
         {"-y", "in.yuv", "2"},
         std::string(32 * 5, 'y')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kvf);
        TempDir dir;
        write_file(dir.file("c.kvf"), c.kvf);
        if (!c.input.empty()) write_file(dir.file("in.yuv"), c.input);
        const RunResult run = run_veldax(dir.path(), [&] {
            std::vector<std::string> a{"c.kvf"};
            a.insert(a.end(), c.args.begin(), c.args.end());
            return a;
        }());
        ASSERT_EQ(run.status, 0) << run.output;

        InDir in(dir.path());
        TestModel t;
        std::vector<std::string> words{"veldax-gen", "c.kvf"};
        words.insert(words.end(), c.args.begin(), c.args.end());
        std::vector<const char*> argv;
        for (auto& w : words) argv.push_back(w.c_str());
        CommandLine command;
        ASSERT_EQ(parse_command_line(static_cast<int>(argv.size()), argv.data(), &command),
                  Status::ok);
        t.m.kvf_path = command.kvf_path;
        t.m.set_run_mode(command.run.mode);
        ASSERT_EQ(t.m.read_parameter_file(), Status::ok);
        const FrameLayout l = t.m.layout();
        const int32_t fields =
            l.source == StimulusSource::yuv
                ? l.yuv_fields(static_cast<int64_t>(c.input.size()), t.m.run.max_fields)
                : t.m.input_frames;
        int64_t golden_bytes = 0, counted = 0, frames = 0, stimulus_words = 0;
        l.for_each_golden_frame(fields, [&](const GoldenFrame& f) {
            EXPECT_EQ(f.byte_offset, golden_bytes);
            golden_bytes += 2 * f.words;
            counted += l.golden_counted(f.size_index);
            ++frames;
        });
        for (int32_t n = 0; n < fields; ++n) stimulus_words += l.stimulus_words(n);
        EXPECT_EQ(static_cast<int64_t>(read_file("golden.dat").size()), golden_bytes);
        EXPECT_EQ(static_cast<int64_t>(read_file("stimulus.dat").size()), 2 * stimulus_words);
        const std::string params = read_file("params.v");
        for (const auto& [name, value] : {std::pair{"INPUT_FRAMES", int64_t{fields}},
                                          {"OUTPUT_FRAMES", frames},
                                          {"TOTAL_OUTPUT", counted},
                                          {"TOTAL_INPUT", stimulus_words}}) {
            char line[64];
            std::snprintf(line, sizeof(line), "parameter %-18s= %lld;", name,
                          static_cast<long long>(value));
            EXPECT_NE(params.find(line), std::string::npos) << line;
        }
    }
}

// Every sample a golden plane stores maps back to its own row and column,
// packed 4:2:2 chroma (column 2c for word c) and odd widths included.
TEST(FrameLayout, SpanPositionInvertsThePacking) {
    for (int32_t w : {1, 2, 3, 4, 5, 12}) {
        for (int32_t h : {1, 2, 5}) {
            for (bool packed : {false, true}) {
                const PlaneSpan span{w, h, packed, packed ? chroma_words(w, h) : int64_t{w} * h, 0};
                for (int32_t j = 0; j < h; ++j)
                    for (int32_t k = 0; k < w; k += packed ? 2 : 1) {
                        if (packed && k + 1 >= w && w % 2) continue;  // no partner column
                        const int64_t word = packed ? chroma_word(w, j, k) : int64_t{j} * w + k;
                        const SamplePosition at = span_position(span, word);
                        EXPECT_EQ(at.row, j)
                            << w << "x" << h << " packed " << packed << " word " << word;
                        EXPECT_EQ(at.col, k)
                            << w << "x" << h << " packed " << packed << " word " << word;
                    }
                // Words no column reaches stay inside the row they lie in.
                for (int64_t word = 0; word < span.words; ++word) {
                    const SamplePosition at = span_position(span, word);
                    EXPECT_LT(at.row, h);
                    EXPECT_LT(at.col, w);
                }
            }
        }
    }
}

// A span gathered a block of rows at a time (blocks of 1, 3 and 7 entries at most, and
// more than the span) gives the entries of the span gathered whole, odd widths included.
TEST(FrameLayout, RowBlocksGatherTheWholeSpan) {
    std::vector<uint16_t> plane(12 * 5);
    for (size_t i = 0; i < plane.size(); ++i) plane[i] = static_cast<uint16_t>(i + 1);
    for (int32_t w : {1, 2, 3, 4, 5, 12})
        for (int32_t h : {1, 2, 5})
            for (int kind = 0; kind < 3; ++kind)
                for (ChromaColumns columns : {ChromaColumns::all, ChromaColumns::even}) {
                    const bool packed = kind == 1, halved = kind == 2;
                    const int32_t width = halved ? (w + 1) / 2 : w;
                    const PlaneSpan span{width,  h,
                                         packed, packed ? chroma_words(w, h) : int64_t{width} * h,
                                         0,      halved};
                    std::vector<uint16_t> whole(static_cast<size_t>(span.words), 0xFFFF);
                    const auto same = [](uint16_t v) { return v; };
                    gather_span(plane.data(), 12, span, columns, whole.data(), same);
                    for (int64_t most : {1, 3, 7, 1000}) {
                        const RowBlocks blocks = row_blocks(span, most);
                        std::vector<uint16_t> joined;
                        for (int32_t j = 0; j < h; j += blocks.rows) {
                            const PlaneSpan part = row_block(span, j, blocks.rows);
                            ASSERT_LE(part.words, blocks.entries);
                            std::vector<uint16_t> out(static_cast<size_t>(part.words), 0xFFFF);
                            gather_span(plane.data() + j * 12, 12, part, columns, out.data(), same);
                            joined.insert(joined.end(), out.begin(), out.end());
                        }
                        EXPECT_EQ(joined, whole)
                            << w << "x" << h << " kind " << kind << " most " << most;
                    }
                }
}

TEST(FrameLayout, GoldenPlaneWordAndStimulusRecords) {
    veldax_test::TestModel t(12, 6, 3, 10);
    t.m.ycbcr422 = 1;
    t.m.dynamic = 1;
    t.m.frmw[1] = 9;
    t.m.frmh[1] = 3;
    t.m.derive_configuration();
    const FrameLayout l = t.m.layout();
    // Frame index 1 is 10 x 4: 40 luma words, then two chroma planes of 20.
    const struct {
        int64_t word;
        int32_t plane;
        int64_t within;
    } cases[] = {{0, 0, 0}, {39, 0, 39}, {40, 1, 0}, {59, 1, 19}, {60, 2, 0}, {79, 2, 19}};
    for (const auto& c : cases) {
        const PlaneWord pw = l.golden_plane_word(1, c.word);
        EXPECT_EQ(pw.plane, c.plane) << c.word;
        EXPECT_EQ(pw.word, c.within) << c.word;
    }
    // Synthetic fields take their own sizes: 144, 80, then entry 2's size.
    std::vector<int64_t> offsets, words;
    l.for_each_stimulus_field(3, [&](const StimulusField& f) {
        offsets.push_back(f.byte_offset);
        words.push_back(f.words);
        EXPECT_EQ(f.bytes, 2 * f.words);
    });
    EXPECT_EQ(offsets, (std::vector<int64_t>{0, 288, 448}));
    EXPECT_EQ(words, (std::vector<int64_t>{144, 80, 144}));
    EXPECT_EQ(l.run_fields(5, 0, 0), 5);
}

// A planar sequence cut inside a frame leaves the whole planes read before
// the cut in "stimulus.dat", unless the field limit stopped the reading.
TEST(FrameLayout, YuvStrayWords) {
    veldax_test::TestModel t(4, 2, 3);
    t.m.run.source = StimulusSource::yuv;
    t.m.derive_configuration();
    const FrameLayout planar = t.m.layout();
    const struct {
        int64_t bytes;
        int32_t max;
        int32_t fields;
        int64_t stray;
    } cases[] = {
        {24, 10, 1, 0}, {24 + 8, 10, 1, 8}, {24 + 17, 10, 1, 16}, {48 + 8, 2, 2, 0},
        {7, 10, 0, 0},  {8, 0, 0, 8},       {24 + 8, 1, 1, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(planar.yuv_fields(c.bytes, c.max), c.fields) << c.bytes << " " << c.max;
        EXPECT_EQ(planar.yuv_stray_words(c.bytes, c.max), c.stray) << c.bytes << " " << c.max;
    }
    t.m.ycbcr422 = 1;
    EXPECT_EQ(t.m.layout().yuv_stray_words(16 + 8, 10), 0);
}

}  // namespace
