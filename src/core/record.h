// The one record of a run: configuration, derived sizes, per-frame tables,
// counters, file names, the run mode and the pixel buffers.  Every stage is
// an operation of this record; the operations live in the stage folders
// (app, config, store, model, io, emit), which all stand on this folder.
// Nothing here includes a stage folder.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "core/bmp_picture.h"
#include "core/deinterlace_method.h"
#include "core/pixel_plane.h"
#include "core/random_source.h"
#include "core/run_mode.h"
#include "core/status.h"

namespace veldax {

struct FrameLayout;

// The streams of a generation: the input of a text, BMP or YUV run and the
// data files written (golden_yuv for YUV runs only).
struct GenerationStreams {
    FILE* input = nullptr;
    FILE* stimulus = nullptr;
    FILE* golden = nullptr;
    FILE* golden_yuv = nullptr;
    // A BMP run also writes "golden.bmp"; an in-process run writes no file.
    bool golden_bmp = true;
};

// Entries of the per-frame tables: frames 0 and 1 have their own sizes and
// thresholds, every later frame those of entry 2.
constexpr int32_t kFrameTableSize = 3;

// The table entry of a frame number: the one rule for every per-frame lookup.
constexpr int32_t frame_slot(int32_t frame) {
    return frame < 0 ? 0 : (frame < kFrameTableSize - 1 ? frame : kFrameTableSize - 1);
}

// Samples a row of `width` columns takes when each pair of columns holds
// one (see DeinterlacerModel::paired_plane).
constexpr int32_t paired_width(int32_t width) { return (width + 1) / 2; }

// What reading one frame of a YUV sequence gave.
enum class [[nodiscard]] YuvFrame {
    taken,          // a whole frame was stored and appended to "stimulus.dat"
    end_of_input,   // the sequence ended, possibly inside a frame
    write_failed,   // "stimulus.dat" did not take the words
    read_failed,    // the input could not be read
    refused,        // the input holds what no frame may (the line is printed)
};

// The form of a "-y" input, found when it is opened: headerless bytes, or a
// Y4M stream whose samples may take two bytes.
struct YuvForm {
    bool y4m = false;
    int32_t depth = 8;         // sample bits in the file
    int64_t header_bytes = 0;  // the Y4M stream header with its line end
    // The bytes of a headerless input read to look for the Y4M signature;
    // the frame reader takes them first.
    unsigned char lead[16] = {};
    int32_t lead_bytes = 0;
    int32_t lead_taken = 0;
};

struct DeinterlacerModel {
    // ---- configuration (parameter file) ----
    std::string module_name;
    int32_t num_plane = 1;
    int32_t frame_width = 704;
    int32_t frame_height = 480;
    int32_t dmethod = method_number(DeinterlaceMethod::weave);
    uint8_t ycbcr422 = 0;
    uint8_t ycbcr444 = 0;
    uint8_t parallel = 0;
    uint8_t initfield = 0;
    uint8_t dynamic = 0;
    uint8_t fconvert = 0;
    uint8_t copyframe = 0;
    uint8_t seppclk = 0;
    int32_t interth0 = 0;
    int32_t interth1 = 90;
    int32_t interth2 = 180;
    int32_t dwidth = 8;
    uint8_t frmports = 0;
    int32_t lbuffer = 1;
    int32_t dbus_width = 16;
    int32_t abus_width = 16;
    int32_t wrfifo_depth = 16;
    int32_t wrfifo_type = 1;
    int32_t rdfifo_depth = 16;
    int32_t rdfifo_type = 1;
    uint64_t base_addr = 0;
    int32_t burst_count = 3;
    int32_t burst_length = 4;
    int32_t pbus_width = 32;
    int32_t paddr_width = 5;
    uint8_t resync = 0;
    uint8_t sr = 0;
    int32_t buffer_count = 2;
    int32_t window_width = 5;
    int32_t mem_depth = 337920;

    // ---- derived geometry ----
    int32_t pad_top = 1;
    int32_t pad_bottom = 1;
    int32_t pad_left = 2;
    int32_t pad_right = 2;
    int32_t padded_height = 0;
    int32_t padded_width = 0;
    int32_t active_height = 0;
    int32_t active_width = 0;

    // ---- per-frame tables and values in force ----
    // A size entry of -1, and a threshold entry after the first of -1, is one
    // the parameter file did not give.
    int32_t frmw[kFrameTableSize] = {-1, -1, -1};
    int32_t frmh[kFrameTableSize] = {-1, -1, -1};
    int32_t method_now = method_number(DeinterlaceMethod::weave);
    int32_t th0_table[kFrameTableSize] = {0, -1, -1};
    int32_t th1_table[kFrameTableSize] = {90, -1, -1};
    int32_t th2_table[kFrameTableSize] = {180, -1, -1};
    int32_t th0_now = 0;
    int32_t th1_now = 90;
    int32_t th2_now = 180;

    // ---- counters reported by the build files ----
    int32_t input_frames = 3;
    int32_t output_frames = 0;
    int32_t next_field = 0;  // input field the sequencer generates next
    int32_t total_input = 0;
    int32_t total_output = 0;

    std::string family;
    std::string family_text;

    // ---- command line ----
    std::string kvf_path;
    RunMode run;

    // ---- form of a "-y" input (io/stimulus_input.cc) ----
    YuvForm yuv_form;

    // ---- picture kept for golden.bmp ----
    BmpPicture bmp_picture;

    int32_t seed = 1;
    // State of the synthetic stimulus's random source; the seed at the start
    // of a run.
    uint32_t random_state = 1;
    // Its draws scaled onto the sample range, one table for the run.
    RandomScale random_scale;

    // ---- pixel buffers ----
    // [buffer_count][num_plane] planes of frame_height x frame_width with the
    // pads around.
    PlaneSet field_store;
    // One golden frame, num_plane planes of active_height x active_width:
    // every frame is written out before the next one is built.
    PlaneSet frame_store;
    // One row of active_width motion values: the inter method rebuilds a row
    // of every plane before the next row, so the motion plane 0 measures for
    // a row is all the later planes read back.
    MotionPlane motion_store;
    PixelPlane* golden_frame() const { return frame_store[0]; }
    // Planes 1 and 2 of 4:2:2 data whose columns 2m and 2m + 1 always hold
    // the same sample (chroma_comes_in_pairs): their field and golden planes
    // hold one sample a pair, column 2m's (and 2m + 1's) at m, (width + 1) /
    // 2 a row (paired_width): half the memory to fill and read, and the
    // golden rows are the even columns the files take.
    bool paired_plane(int32_t p) const { return chroma_paired && (p == 1 || p == 2); }
    // Set by allocate_buffers, which lays the planes out so.
    bool chroma_paired = false;
    // Sample (row, col) of field buffer b, plane p, whichever way it is held
    // (col from -2 on: the border columns).
    Sample field_sample(int32_t b, int32_t p, int32_t row, int32_t col) const {
        // col >> 1 rounds down: columns -2 and -1 are pair -1.
        return field_store[b][p].row(row)[paired_plane(p) ? col >> 1 : col];
    }
    // Words of a plane on their way to a data file, and bytes of a YUV
    // frame; kept from field to field.
    KeptBuffer<uint16_t> word_scratch;
    KeptBuffer<unsigned char> byte_scratch;

    int32_t max_value = 255;
    int32_t min_value = 0;

    // The largest sample the field planes may hold: max_value, except that a
    // headerless YUV input stores its bytes (up to 255) whatever dwidth is.
    int32_t largest_sample() const {
        const bool bytes = run.source == StimulusSource::yuv && !yuv_form.y4m;
        return bytes && max_value < 255 ? 255 : max_value;
    }

    // The member initialisers above are the defaults; this puts every field
    // back to them (and releases the buffers).
    DeinterlacerModel& init_defaults() { return *this = DeinterlacerModel{}; }

    // The run mode of the command line; the synthetic field count goes to
    // the input counter.
    void set_run_mode(const RunMode& mode) {
        run = mode;
        input_frames = mode.fields;
        seed = mode.seed;
    }

    // ---- config/param_reader.cc ----
    // Reads the parameter file, checks its bounds and derives the sizes; the
    // failing line or key is printed.
    Status read_parameter_file();
    // Sample range, buffer geometry, seed and the per-frame tables, from the
    // configuration fields (config/derive.cc).  Called by the reader after the
    // last line; tests that set fields by hand call it too.
    void derive_configuration();
    // Bounds of a configuration that can be generated safely; prints one line
    // naming the key, the value and the limit when outside.
    Status validate_configuration();
    // Frame-memory depth (config/mem_depth.cc); empty when a step leaves the
    // signed 32-bit range or divides by zero.
    std::optional<int32_t> compute_mem_depth() const;

    // ---- store ----
    // Where every sample of this configuration lies in the data files.
    FrameLayout layout() const;

    // Bytes the run holds at its peak: the buffers and, when it generates,
    // the largest per-field scratch block of its readers and writers and the
    // random scale table.  allocate_buffers refuses a run beyond the memory
    // it may use; the BMP reader checks the header bytes it keeps on top.
    uint64_t run_memory_bytes() const;
    // True for a YUV sequence's 4:2:2 chroma, and synthetic fields' unless an
    // odd width of their own below frame_width puts the border column beside
    // a stored one; a picture sets every column of its own.
    bool chroma_comes_in_pairs() const;
    Status allocate_buffers();
    void fill_borders(PixelPlane* planes, int32_t frame);

    // ---- model/interpolate.cc ----
    // Builds the golden frame from the field in field buffer `buffer`.
    void interpolate_frame(int32_t buffer, int32_t parity, int32_t frame);

    // ---- app/sequencer.cc ----
    // Creates the data files and generates every field into them.
    Status run_generation();
    // The same, field by field, into streams the caller owns: counters,
    // method and random state set for a new run, then one input field (its
    // stimulus and its golden frames) a call; *more is false after the last.
    void begin_generation();
    Status generate_next_field(const GenerationStreams& io, bool* more);

    // ---- io: stimulus sources and golden writers ----
    Status fill_synthetic_field(FILE* stimulus, PixelPlane* planes, int32_t frame);
    // Opens the input of a text, BMP or YUV run and checks what can be known
    // before any output is created: that it is a readable file, a picture's
    // header and sizes, a sequence's length.  Prints the line at fault.
    Status open_stimulus_input(FILE** in);
    Status read_bmp_header(FILE* in);
    Status read_text_stimulus(FILE* in, FILE* stimulus, PixelPlane* planes);
    Status read_bmp_stimulus(FILE* in, FILE* stimulus, PixelPlane* planes);
    Status write_golden_bmp();
    YuvFrame read_yuv_frame(FILE* input, FILE* stimulus, PixelPlane* planes);
    YuvFrame read_y4m_frame(FILE* input, FILE* stimulus, PixelPlane* planes);
    // True while bytes read from a headerless input to look for the Y4M
    // signature wait for the frame reader.
    bool sequence_has_lead() const;
    Status write_golden_yuv(FILE* golden_yuv);
    Status write_golden_frame(FILE* golden, int32_t frame);

    // ---- emit ----
    Status write_params_file();
    Status write_define_header();
};

}  // namespace veldax
