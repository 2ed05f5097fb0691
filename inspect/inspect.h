// veldax-inspect: reads the data files of a veldax-gen run with the run's own
// frame layout.  The run's shape comes from the parameter file and the
// generator's switch, read by the generator's own reader.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/run_mode.h"
#include "app/run_api.h"
#include "dump_reader.h"
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
    std::vector<std::string> switch_words;  // the switch and its arguments
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
    bool explain = false;          // --explain
    std::string json;              // --json
    std::string junit;             // --junit
    int64_t scale = 0;             // --scale (0: chosen)
    int64_t plane = -1;            // --plane
    int64_t row = -1;              // --row
    int64_t col = -1;              // --col
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

// A golden frame of the run with its words: computed by the model, or read
// from a given file.
struct ExpectedFrame {
    GoldenFrame frame;
    const uint16_t* words = nullptr;
    int32_t plane_count = 0;
    PlaneSpan planes[VELDAX_RUN_MAX_PLANES];
    int64_t plane_start[VELDAX_RUN_MAX_PLANES] = {};
};

// The run opened in process (or, for a golden file alone, its shape only),
// and where its golden frames come from.
struct Expected {
    veldax_run* api = nullptr;  // null when the frames come from the file alone
    Run run;
    int64_t golden_words = 0;   // words of the run's golden data
    std::string golden_path;  // --golden, or empty: the model's
    DumpReader golden_file;
    std::vector<int32_t> read_block;  // a block of it at a time
    std::vector<uint16_t> file_words;
    const veldax_field* field = nullptr;  // the field being handed out
    int32_t next_in_field = 0;
    // Without the model: the frames of input field `layout_field`, taken
    // from the layout, and where the next one starts.
    GoldenFrame layout_frames[kMaxFramesPerField];
    int32_t layout_field = -1, layout_count = 0;
    int64_t layout_index = 0, layout_offset = 0;
    bool fields_done = false;
    Expected() = default;
    Expected(const Expected&) = delete;
    Expected& operator=(const Expected&) = delete;
    ~Expected();
};
// Opens the run (and the golden file when given); prints the reason and
// returns false when it cannot.  The fields handed out carry their stimulus
// only when `stimulus` is set.  With a golden file and `model` false the
// model is not run: the frames are the file's, placed by the layout.
bool open_expected(const RunWords& words, const std::string& golden_path, Expected* e,
                   bool stimulus = false, bool model = true);
// The next golden frame: 1, 0 at the end, -1 after an error line.
int next_expected(Expected* e, ExpectedFrame* out);
// The next input field of the model: 1, 0 at the end, -1 after an error line.
int next_field(Expected* e, const veldax_field** out);

// Every golden frame of the run in file order.
std::vector<GoldenFrame> golden_frames(const Run& run);
// Bytes "golden.dat" and "stimulus.dat" of the run hold.
int64_t golden_bytes(const Run& run);
int64_t stimulus_bytes(const Run& run);

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
int cmd_explain(const Options& o);
int cmd_frames(const Options& o);
int cmd_compare(const Options& o);
int cmd_png(const Options& o);
int cmd_hex(const Options& o);

}  // namespace veldax::inspect

namespace veldax::inspect {

// "frame 2 (field 0, size index 0) plane 1 row 3 col 4"
std::string where(const GoldenFrame& f, const FramePosition& p);

// One mismatching word.
struct Mismatch {
    int64_t frame = 0;
    FramePosition at;
    int32_t expected = 0;
    int32_t got = 0;  // a dump word (see dump_reader.h)
};

// The result of one golden frame.
struct FrameResult {
    GoldenFrame frame;
    int64_t bad[VELDAX_RUN_MAX_PLANES] = {};  // mismatching words per plane
    int64_t planes_words[VELDAX_RUN_MAX_PLANES] = {};
    int32_t plane_count = 0;
    int64_t missing = 0;  // words the dump lacks
    bool has_first = false;
    Mismatch first;
};

// What compare found, for the summary and the files CI reads.
struct Verdict {
    std::string sim;
    std::string dump_format;  // "binary" or "text"
    bool same = true;
    int64_t words = 0;
    int64_t mismatches = 0;
    int64_t frames_bad = 0;
    std::vector<FrameResult> frames;
    std::vector<Mismatch> first;  // the first --max mismatches
    std::vector<std::string> notes;  // length, hint and stale golden lines
};

bool write_json_verdict(const std::string& path, const Verdict& v);
bool write_junit_verdict(const std::string& path, const Verdict& v);

// A frame most of whose words mismatch: the common dump slip that explains
// it, as one line, or empty.
struct SlipInput {
    const RunWords* words = nullptr;
    const Run* run = nullptr;
    const ExpectedFrame* expected = nullptr;
    const int32_t* got = nullptr;
    int64_t got_count = 0;
    const std::vector<uint16_t>* previous_expected = nullptr;  // frame before, or empty
    const std::vector<int32_t>* previous_got = nullptr;
    bool try_other_runs = false;  // also the golden data of other runs (first frame tried)
};
std::string slip_hint(const SlipInput& in);

// Prints how the model computed sample (row, col) of plane `plane` of the
// frame just generated by e's run, and returns the value it works out
// (-1 after an error line).
int32_t explain_sample(const Expected& e, const ExpectedFrame& f, int32_t plane, int32_t row,
                       int32_t col);

// True when two paths name the same existing file.
bool same_file(const std::string& a, const std::string& b);

}  // namespace veldax::inspect
