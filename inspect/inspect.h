// veldax-inspect: reads the data files of a veldax-gen run with the run's own
// frame layout.  The run's shape comes from the parameter file and the
// generator's switch, read by the generator's own reader.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/run_mode.h"
#include "store/frame_layout.h"

namespace veldax::inspect {

// Exit statuses of every subcommand.
constexpr int kSame = 0;
constexpr int kDifferent = 1;
constexpr int kBadInput = 2;

// The parameter file and the switch of a run, parsed by the generator's own
// switch table.
struct RunWords {
    std::string kvf;
    RunMode mode;
};

// The options of all subcommands; each uses the ones it names.
struct Options {
    std::string file;              // --file
    std::string sim;               // --sim
    std::string golden;            // --golden
    std::string format;            // --format words|hex
    std::string out;               // -o
    std::string diff;              // --diff
    int64_t max = 10;              // --max
    int64_t frame = -1;            // --frame
    int32_t depth = 8;             // --depth
    bool stimulus = false;         // --stimulus
    bool rgb = false;              // --rgb
    std::vector<std::string> run;  // CONFIG.kvf SWITCH [ARGS] (hex: FILE)
    RunWords words;                // run, parsed
};

// Parses CONFIG.kvf SWITCH [ARGS]; prints the reason and returns false when
// the words are refused.
bool parse_run_words(const std::vector<std::string>& words, RunWords* out);

// The shape of one run: its layout, sample range and input fields.
struct Run {
    FrameLayout layout;
    int32_t fields = 0;
    int32_t max_value = 255;
    bool ycbcr444 = false;
    int64_t yuv_stray_words = 0;  // words of a cut-short planar YUV frame
};

// Reads the run's parameter file as veldax-gen would; prints the reason and
// returns false when the words do not describe a generating run.
bool load_run(const RunWords& words, Run* run);

// Every golden frame of the run in file order.
std::vector<GoldenFrame> golden_frames(const Run& run);
// Bytes "golden.dat" and "stimulus.dat" of the run hold.
int64_t golden_bytes(const Run& run);
int64_t stimulus_bytes(const Run& run);

// A data file as 16-bit words: the binary words, or a text dump with one
// hexadecimal value a line.  Unknown values (x or z digits, or addresses a
// text dump skipped) read as -1.
struct Words {
    std::vector<int32_t> values;
    bool text = false;
    bool odd_byte = false;  // binary file of odd length: last byte dropped
};
enum class WordFormat { detect, binary, text };
bool parse_format(const std::string& name, WordFormat* format);
// Reads a file; prints "FILE: reason" (or "FILE line N: reason") and returns
// false when it cannot be read.
bool read_words(const std::string& path, WordFormat format, Words* out);
bool read_bytes(const std::string& path, std::vector<uint8_t>* out);
// True when the bytes look like a text dump rather than binary words.
bool looks_like_text(const uint8_t* data, size_t size);
// Parses a text dump; on failure sets *error and *line.
bool parse_text_words(const uint8_t* data, size_t size, std::vector<int32_t>* out,
                      std::string* error, int64_t* line);

// MD5 of a byte range, as 32 lower-case hexadecimal digits.
std::string md5_hex(const uint8_t* data, size_t size);

// Where word `word` of a golden frame lies.
struct FramePosition {
    int32_t plane = 0;
    int32_t row = 0;
    int32_t col = 0;
};
FramePosition golden_position(const Run& run, const GoldenFrame& frame, int64_t word);

// Subcommands.
int cmd_frames(const Options& o);
int cmd_compare(const Options& o);
int cmd_png(const Options& o);
int cmd_hex(const Options& o);

}  // namespace veldax::inspect
