// The one record of a run: configuration, derived sizes, per-frame tables,
// counters, file names, mode flags and the pixel buffers.  Every stage is an
// operation of this record; the operations live in the subsystem folders
// (app, config, store, model, io, emit).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

enum DeinterlaceMethod : int32_t {
    weave = 0,
    bobe = 1,
    bobo = 2,
    intra = 3,
    inter = 4,
};

// Entries of the per-frame tables (frames 0..999).
constexpr int32_t kFrameTableSize = 1000;

// Frame numbers from 1000 on use the last entry, which equals entry 2.
inline int32_t frame_slot(int32_t frame) {
    return frame < kFrameTableSize - 1 ? frame : kFrameTableSize - 1;
}

// One colour plane: `height` rows of `width` signed 32-bit samples held in one
// block, reached through row pointers.
struct PixelPlane {
    int32_t** rows = nullptr;
    int32_t* data = nullptr;
    int32_t height = 0;
    int32_t width = 0;

    int32_t* operator[](int32_t r) const { return rows[r]; }
};

// The 54 header bytes of a BMP picture, field by field (all little-endian in
// the file).
struct BmpHeader {
    uint16_t type = 0;            // offset 0
    uint32_t file_size = 0;       // offset 2
    uint32_t reserved = 0;        // offset 6, both reserved words
    uint32_t data_offset = 0;     // offset 10
    uint32_t info_size = 0;       // offset 14
    int32_t width = 0;            // offset 18
    int32_t height = 0;           // offset 22
    uint16_t colour_planes = 0;   // offset 26
    uint16_t bits_per_pixel = 0;  // offset 28
    uint32_t compression = 0;     // offset 30
    uint32_t image_size = 0;      // offset 34
    int32_t x_resolution = 0;     // offset 38
    int32_t y_resolution = 0;     // offset 42
    uint32_t colours_used = 0;    // offset 46
    uint32_t colours_important = 0;  // offset 50
};

// Results of run_generation.
enum GenerationResult : int32_t {
    kGenerationOk = 0,
    kStimulusFileNotCreated = 1,
    kGoldenFileNotCreated = 2,
    kStimulusReadFailed = 3,   // a stimulus source could not read its input
    kOutputWriteFailed = 4,    // a data file could not be written completely
};

struct DeinterlacerModel {
    // ---- configuration (parameter file) ----
    std::string module_name;
    int32_t num_plane = 1;
    int32_t frame_width = 704;
    int32_t frame_height = 480;
    int32_t dmethod = weave;
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
    int32_t frmw[kFrameTableSize] = {};
    int32_t frmh[kFrameTableSize] = {};
    int32_t method_now = weave;
    int32_t th0_table[kFrameTableSize] = {};
    int32_t th1_table[kFrameTableSize] = {};
    int32_t th2_table[kFrameTableSize] = {};
    int32_t th0_now = 0;
    int32_t th1_now = 90;
    int32_t th2_now = 180;

    // ---- counters reported by the build files ----
    int32_t input_frames = 3;
    int32_t output_frames = 0;
    int32_t max_frames = 10000;
    int32_t total_input = 0;
    int32_t total_output = 0;

    std::string family;
    std::string family_text;

    // ---- command line ----
    std::string kvf_path;
    uint8_t pattern_mode = 0;
    uint8_t generate_outputs = 0;
    uint8_t file_input = 0;
    std::string stimulus_path;
    uint8_t bmp_input = 0;
    uint8_t yuv_input = 0;

    // ---- picture kept for golden.bmp ----
    BmpHeader bmp_header;
    uint8_t* palette = nullptr;       // bytes between the headers and the pixels
    uint32_t palette_bytes = 0;
    bool bmp_header_valid = false;    // set once a picture header was read

    int32_t seed = 1;
    // State of the synthetic stimulus's random source; 1 at the start of a run.
    uint32_t random_state = 1;

    // ---- pixel buffers: [buffer_count][num_plane] planes ----
    PixelPlane** field_store = nullptr;  // padded_height x padded_width
    PixelPlane** frame_store = nullptr;  // active_height x active_width
    PixelPlane* motion_store = nullptr;  // one plane, active_height x active_width

    int32_t max_value = 255;
    int32_t min_value = 0;

    // ---- config/defaults.cc ----
    DeinterlacerModel& init_defaults();

    // ---- app/command_line.cc ----
    int32_t parse_command_line(int argc, char** argv);

    // ---- config/param_reader.cc ----
    // 0 on success, 1 on failure (the failing line or key is printed).
    uint8_t read_parameter_file();
    // Sample range, buffer geometry, seed and the per-frame tables, from the
    // configuration fields (config/derive.cc).  Called by the reader after the
    // last line; tests that set fields by hand call it too.
    void derive_configuration();
    // Width and height of frame index `frame` (the tables hold each size
    // minus one), bounded to the configured frame.
    void frame_size(int32_t frame, int32_t* w, int32_t* h) const;
    // Bounds of a configuration that can be generated safely; prints one line
    // naming the key, the value and the limit, and returns false when outside.
    bool validate_configuration();

    // ---- store/buffers.cc ----
    int32_t allocate_buffers();
    void release_buffers();
    void fill_borders(PixelPlane* planes, int32_t frame);

    // ---- model/interpolate.cc ----
    void interpolate_frame(int32_t buffer, int32_t parity, int32_t frame);
    void interpolate_plane(int32_t buffer, int32_t plane, int32_t parity, int32_t frame);
    // Reference per-sample dispatch; (row, col) are buffer coordinates.
    int32_t interpolate_sample(const PixelPlane& current, const PixelPlane& other,
                               int32_t row, int32_t col, int32_t plane);

    // ---- model/intra.cc, model/inter.cc ----
    int32_t intra_sample(const PixelPlane& current, const PixelPlane& other,
                         int32_t r, int32_t c) const;
    int32_t inter_sample(const PixelPlane& current, const PixelPlane& other,
                         int32_t r, int32_t c, int32_t plane);
    // Whole rebuilt row (buffer row r, active columns 0..width-1) into out;
    // the same results as the per-sample operations above.
    void intra_line(const PixelPlane& current, int32_t r, int32_t width,
                    int32_t* out) const;
    void inter_line(const PixelPlane& current, const PixelPlane& other,
                    int32_t r, int32_t plane, int32_t width, int32_t* out);

    // ---- app/sequencer.cc ----
    int32_t run_generation();

    // ---- io: stimulus sources and golden writers; true means failure ----
    bool fill_synthetic_field(FILE* stimulus, PixelPlane* planes, int32_t frame);
    bool read_text_stimulus(FILE* stimulus, PixelPlane* planes);
    bool read_bmp_stimulus(FILE* stimulus, PixelPlane* planes);
    bool write_golden_bmp(int32_t buffer);
    // true when a whole frame was read and stored; *failed is set when
    // "stimulus.dat" could not be written.
    bool read_yuv_frame(FILE* input, FILE* stimulus, PixelPlane* planes, bool* failed);
    bool write_golden_yuv(FILE* golden_yuv, int32_t buffer);
    bool write_golden_frame(FILE* golden, int32_t buffer, int32_t frame);

    // ---- emit ----
    // Frame-memory depth; false when a step leaves the signed 32-bit range or
    // divides by zero.
    bool compute_mem_depth(int32_t* depth) const;
    uint8_t write_params_file();
    uint8_t write_define_header();
};

// Integer ceiling of log2: smallest p with 2^p >= x; 0 gives -1, negative 0.
int32_t ceil_log2(int64_t x);

// Program entry: returns the exit status.
int veldax_main(int argc, char** argv);
