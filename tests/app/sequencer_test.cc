#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "config/model.h"
#include "support/test_support.h"

using veldax_test::file_exists;
using veldax_test::read_file;
using veldax_test::run_veldax;
using veldax_test::TempDir;
using veldax_test::write_file;

namespace {

// A hand-built model whose run writes into a fresh folder (the sequencer
// writes into the current folder).
class Sequencer : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(getcwd(saved_, sizeof(saved_)), nullptr);
        ASSERT_EQ(chdir(dir_.path().c_str()), 0);
        m.init_defaults();
        m.generate_outputs = 1;
    }
    void TearDown() override {
        m.release_buffers();
        EXPECT_EQ(chdir(saved_), 0);
    }
    void configure(int32_t width, int32_t height, int32_t planes = 1) {
        m.frame_width = width;
        m.frame_height = height;
        m.num_plane = planes;
    }
    int32_t run() {
        m.derive_configuration();
        if (m.allocate_buffers() != 0) return -1;
        return m.run_generation();
    }
    static std::vector<int32_t> words(const std::string& name) {
        const std::string b = read_file(name);
        std::vector<int32_t> w;
        for (size_t i = 0; i + 1 < b.size(); i += 2)
            w.push_back(static_cast<unsigned char>(b[i]) | static_cast<unsigned char>(b[i + 1]) << 8);
        return w;
    }
    static std::vector<int32_t> slice(const std::vector<int32_t>& v, size_t from, size_t n) {
        return std::vector<int32_t>(v.begin() + static_cast<long>(from),
                                    v.begin() + static_cast<long>(from + n));
    }

    TempDir dir_;
    char saved_[4096];
    DeinterlacerModel m;
};

TEST_F(Sequencer, WeaveRampWithPerFrameSizes) {
    // Frames 0, 1, 2 of 4x3, 2x2 and 3x1 samples; frame 3 reuses entry 2.
    // Weave keeps every sample, so golden.dat repeats stimulus.dat.
    configure(4, 3);
    m.pattern_mode = 1;
    m.dynamic = 1;
    m.frmw[1] = 1;
    m.frmh[1] = 1;
    m.frmw[2] = 2;
    m.frmh[2] = 0;
    m.input_frames = 4;
    ASSERT_EQ(run(), kGenerationOk);
    const std::vector<int32_t> want = {0, 1, 2, 3, 1, 2, 3, 4, 2, 3, 4, 5,  // field 0
                                       1, 2, 2, 3,                          // field 1
                                       2, 3, 4,                             // field 2
                                       3, 4, 5};                            // field 3
    EXPECT_EQ(words("stimulus.dat"), want);
    EXPECT_EQ(words("golden.dat"), want);
    EXPECT_EQ(m.input_frames, 4);
    EXPECT_EQ(m.output_frames, 4);
    EXPECT_EQ(m.total_input, 22);
    EXPECT_EQ(m.total_output, 22);
    EXPECT_FALSE(file_exists("golden.yuv"));
}

TEST_F(Sequencer, FrameConversionCountsAndParities) {
    struct Case {
        const char* name;
        uint8_t initfield, copyframe;
        int32_t convert_parity;
    };
    const Case cases[] = {
        {"convert to the other parity", 0, 0, 1},
        {"convert from odd rows", 1, 0, 0},
        {"copy frame", 0, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir sub;
        ASSERT_EQ(chdir(sub.path().c_str()), 0);
        DeinterlacerModel k;
        k.init_defaults();
        k.generate_outputs = 1;
        k.frame_width = 4;
        k.frame_height = 4;
        k.dmethod = intra;
        k.fconvert = 1;
        k.initfield = c.initfield;
        k.copyframe = c.copyframe;
        k.derive_configuration();
        ASSERT_EQ(k.allocate_buffers(), 0);
        ASSERT_EQ(k.run_generation(), kGenerationOk);
        k.release_buffers();
        EXPECT_EQ(k.input_frames, 3);
        EXPECT_EQ(k.output_frames, 7);
        const auto stim = words("stimulus.dat");
        const auto gold = words("golden.dat");
        ASSERT_EQ(stim.size(), 3u * 16);
        ASSERT_EQ(gold.size(), 7u * 16);
        auto frame = [&](size_t n) { return slice(gold, 16 * n, 16); };
        // Golden frames: field 0 -> 0 (initfield), 1, 2 (converted); field 1 ->
        // 3, 4; field 2 -> 5, 6.
        EXPECT_EQ(frame(1), frame(2));
        const size_t field_of[] = {0, 0, 0, 1, 1, 2, 2};
        for (size_t n = 0; n < 7; ++n) {
            const bool converted = n == 1 || n == 2 || n == 4 || n == 6;
            const int32_t keep = converted ? c.convert_parity : c.initfield;
            for (size_t row = 0; row < 4; ++row) {
                if (static_cast<int32_t>(row % 2) != keep && row != 3) continue;
                EXPECT_EQ(slice(gold, 16 * n + 4 * row, 4), slice(stim, 16 * field_of[n] + 4 * row, 4))
                    << "golden frame " << n << " row " << row;
            }
        }
        if (c.copyframe) {
            EXPECT_EQ(frame(0), frame(1));
            EXPECT_EQ(frame(3), frame(4));
            EXPECT_EQ(frame(5), frame(6));
        }
        ASSERT_EQ(chdir(dir_.path().c_str()), 0);
    }
}

TEST_F(Sequencer, SinglePictureReadFailureStopsTheRun) {
    configure(4, 2);
    m.file_input = 1;
    m.stimulus_path = "missing.txt";
    EXPECT_EQ(run(), kStimulusReadFailed);
    EXPECT_TRUE(file_exists("golden.dat"));
    EXPECT_EQ(read_file("golden.dat"), "");
    EXPECT_EQ(m.output_frames, 0);
}

TEST_F(Sequencer, TextPictureGivesOneGoldenFrameInBufferOne) {
    // One column of three rows, 10 20 30; bobo keeps row 1 and the last row,
    // row 0 = (border copy of row 1 + row 1 + 1) / 2 = 20.
    configure(1, 3);
    write_file("picture.txt", "10\n20 / second row\n30\n");
    m.file_input = 1;
    m.stimulus_path = "picture.txt";
    m.dmethod = bobo;
    m.fconvert = 1;  // no effect on a single picture
    m.input_frames = 9;
    ASSERT_EQ(run(), kGenerationOk);
    EXPECT_EQ(words("golden.dat"), (std::vector<int32_t>{20, 20, 30}));
    EXPECT_EQ(read_file("stimulus.dat"), "0A\n14\n1E\n");
    EXPECT_EQ(m.frame_store[1][0][0][0], 20);
    EXPECT_EQ(m.frame_store[0][0][0][0], 0);
    EXPECT_EQ(m.input_frames, 1);
    EXPECT_EQ(m.output_frames, 1);
    EXPECT_FALSE(file_exists("golden.bmp"));
}

// A 2x2 picture of 24 bits per pixel, rows padded to 8 bytes.
std::string tiny_bmp() {
    std::string b = "BM";
    auto u32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    auto u16 = [&](uint16_t v) {
        b.push_back(static_cast<char>(v & 0xFF));
        b.push_back(static_cast<char>(v >> 8));
    };
    u32(54 + 16);
    u32(0);
    u32(54);
    u32(40);
    u32(2);
    u32(2);
    u16(1);
    u16(24);
    for (int i = 0; i < 6; ++i) u32(0);
    for (int row = 0; row < 2; ++row) {
        for (int i = 0; i < 6; ++i) b.push_back(static_cast<char>(10 * row + i + 1));
        b.append(2, '\0');
    }
    return b;
}

TEST_F(Sequencer, GoldenBmpOnAFullDiskFailsBeforeTheGoldenData) {
    configure(2, 2, 3);
    write_file("in.bmp", tiny_bmp());
    ASSERT_EQ(symlink("/dev/full", "golden.bmp"), 0);
    m.file_input = 1;
    m.bmp_input = 1;
    m.stimulus_path = "in.bmp";
    EXPECT_EQ(run(), kOutputWriteFailed);
    EXPECT_EQ(read_file("golden.dat"), "");
}

TEST_F(Sequencer, AnInputNamedLikeAnOutputIsNotDestroyed) {
    configure(4, 2);
    write_file("golden.yuv", "precious");
    m.file_input = 1;
    m.yuv_input = 1;
    m.stimulus_path = "./golden.yuv";
    EXPECT_EQ(run(), kStimulusReadFailed);
    EXPECT_EQ(read_file("golden.yuv"), "precious");
    EXPECT_FALSE(file_exists("stimulus.dat"));
}

TEST_F(Sequencer, YuvFieldsUpToTheLimit) {
    // Frames of 4x2 one-byte samples, frame n holding 10n + index; weave keeps
    // them, so golden.yuv repeats the input.
    auto frames = [](int n) {
        std::string bytes;
        for (int f = 0; f < n; ++f)
            for (int i = 0; i < 8; ++i) bytes.push_back(static_cast<char>(10 * f + i));
        return bytes;
    };
    struct Case {
        const char* name;
        std::string input;
        int32_t max_frames;
        uint8_t fconvert;
        int32_t fields, golden_frames;
    };
    const Case cases[] = {
        {"empty file", "", 10000, 0, 0, 0},
        {"three whole frames", frames(3), 10000, 0, 3, 3},
        {"last frame cut short", frames(3) + "abc", 10000, 0, 3, 3},
        {"limit of two on five", frames(5), 2, 0, 2, 2},
        {"limit of zero still reads one", frames(5), 0, 0, 1, 1},
        {"converted pairs", frames(2), 10000, 1, 2, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir sub;
        ASSERT_EQ(chdir(sub.path().c_str()), 0);
        write_file("in.yuv", c.input);
        DeinterlacerModel k;
        k.init_defaults();
        k.generate_outputs = 1;
        k.frame_width = 4;
        k.frame_height = 2;
        k.file_input = 1;
        k.yuv_input = 1;
        k.stimulus_path = "in.yuv";
        k.max_frames = c.max_frames;
        k.fconvert = c.fconvert;
        k.derive_configuration();
        ASSERT_EQ(k.allocate_buffers(), 0);
        EXPECT_EQ(k.run_generation(), kGenerationOk);
        k.release_buffers();
        EXPECT_EQ(k.input_frames, c.fields);
        EXPECT_EQ(k.output_frames, c.golden_frames);
        EXPECT_EQ(read_file("stimulus.dat").size(), 16u * static_cast<size_t>(c.fields));
        EXPECT_EQ(read_file("golden.dat").size(), 16u * static_cast<size_t>(c.golden_frames));
        std::string want_yuv;
        for (int32_t f = 0; f < c.fields; ++f)
            for (int rep = 0; rep < (c.fconvert ? 2 : 1); ++rep)
                want_yuv += c.input.substr(8 * static_cast<size_t>(f), 8);
        EXPECT_EQ(read_file("golden.yuv"), want_yuv);
        ASSERT_EQ(chdir(dir_.path().c_str()), 0);
    }
}

// ---- whole program ----

TEST(SequencerRun, DefaultRandomRunIsTheSameEveryTime) {
    std::string first_golden, first_stimulus;
    for (int pass = 0; pass < 2; ++pass) {
        TempDir dir;
        write_file(dir.file("default.kvf"), "# defaults only\n");
        auto r = run_veldax(dir.path(), {"default.kvf", "-g"});
        ASSERT_EQ(r.status, 0) << r.output;
        const std::string golden = read_file(dir.file("golden.dat"));
        const std::string stimulus = read_file(dir.file("stimulus.dat"));
        EXPECT_EQ(golden.size(), 2027520u);
        EXPECT_EQ(stimulus.size(), 2027520u);
        // Draws 41, 18467, 6334, 26500 scaled to 8 bits.
        EXPECT_EQ(stimulus.substr(0, 8), std::string("\x00\x00\x8f\x00\x31\x00\xce\x00", 8));
        if (pass == 0) {
            first_golden = golden;
            first_stimulus = stimulus;
        } else {
            EXPECT_TRUE(golden == first_golden);
            EXPECT_TRUE(stimulus == first_stimulus);
        }
    }
}

TEST(SequencerRun, KeyedConfigurations) {
    struct Case {
        const char* name;
        std::string kvf;
        std::vector<std::string> args;
        size_t stimulus_bytes, golden_bytes;
        std::string counters;
    };
    const Case cases[] = {
        {"tiny frame, more than a thousand fields", "frame_width=4\nframe_height=2\n",
         {"-d", "1005"}, 1005u * 16, 1005u * 16,
         "INPUT_FRAMES      = 1005;OUTPUT_FRAMES     = 1005;TOTAL_INPUT       = 8040;"
         "TOTAL_OUTPUT      = 8040;"},
        // 4:2:2: 2*W*H words per field; fconvert gives 2N+1 golden frames.
        {"4:2:2 with frame conversion",
         "num_plane=3\nframe_width=6\nframe_height=4\nycbcr422=1\nfconvert=1\n", {"-g", "5"},
         5u * 48 * 2, 11u * 48 * 2,
         "INPUT_FRAMES      = 5;OUTPUT_FRAMES     = 11;TOTAL_INPUT       = 240;"
         "TOTAL_OUTPUT      = 528;"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        write_file(dir.file("t.kvf"), c.kvf);
        std::vector<std::string> args = {"t.kvf"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        auto r = run_veldax(dir.path(), args);
        ASSERT_EQ(r.status, 0) << r.output;
        EXPECT_EQ(read_file(dir.file("stimulus.dat")).size(), c.stimulus_bytes);
        EXPECT_EQ(read_file(dir.file("golden.dat")).size(), c.golden_bytes);
        std::string counters;
        const std::string params = read_file(dir.file("params.v"));
        for (const char* key : {"INPUT_FRAMES ", "OUTPUT_FRAMES ", "TOTAL_INPUT ", "TOTAL_OUTPUT "}) {
            const size_t at = params.find(key);
            ASSERT_NE(at, std::string::npos) << key;
            counters += params.substr(at, params.find('\n', at) - at);
        }
        EXPECT_EQ(counters, c.counters);
    }
}

TEST(SequencerRun, FullDiskFailsTheRun) {
    for (const char* name : {"golden.dat", "stimulus.dat"}) {
        SCOPED_TRACE(name);
        TempDir dir;
        write_file(dir.file("default.kvf"), "\n");
        ASSERT_EQ(symlink("/dev/full", dir.file(name).c_str()), 0);
        auto r = run_veldax(dir.path(), {"default.kvf", "-d"});
        EXPECT_EQ(r.status, 5);
        EXPECT_NE(r.output.find("Failed to generate stimulus data\n"), std::string::npos);
        EXPECT_FALSE(file_exists(dir.file("params.v")));
    }
}

TEST(SequencerRun, YuvInputThatCannotBeOpenedOrRead) {
    struct Case {
        const char* input;
        const char* output;
    };
    const Case cases[] = {
        {"absent.yuv", "Can't open absent.yuv for read\nFailed to generate stimulus data\n"},
        {"folder.yuv", "Can't read folder.yuv\nFailed to generate stimulus data\n"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        write_file(dir.file("default.kvf"), "\n");
        ASSERT_EQ(mkdir(dir.file("folder.yuv").c_str(), 0755), 0);
        auto r = run_veldax(dir.path(), {"default.kvf", "-y", c.input});
        EXPECT_EQ(r.status, 5);
        EXPECT_EQ(r.output, c.output);
        EXPECT_EQ(read_file(dir.file("golden.dat")), "");
        EXPECT_FALSE(file_exists(dir.file("params.v")));
    }
}

}  // namespace
