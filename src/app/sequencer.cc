// The generation sequence: creates "stimulus.dat" and "golden.dat", walks the
// input fields of the chosen source (synthetic, single picture or YUV
// sequence) and turns each into one or more golden frames.
#include <cstdio>

#include "app/input_guards.h"
#include "config/model.h"
#include "io/word_stream.h"

namespace {

const char kStimulusName[] = "stimulus.dat";
const char kGoldenName[] = "golden.dat";
const char kGoldenYuvName[] = "golden.yuv";

// True when the stream has no byte left.  A byte is peeked and put back, so
// an empty file gives no frame and a file of N whole frames gives N.
bool at_end(FILE* in) {
    const int c = std::getc(in);
    if (c == EOF) return true;
    std::ungetc(c, in);
    return false;
}

bool count_frame(int32_t& counter) {
    if (counter == INT32_MAX) return false;
    ++counter;
    return true;
}

// One golden frame: interpolate buffer b keeping `parity`, append it to
// "golden.dat" with the sizes of `size_frame` (and to "golden.yuv" when given).
// False on a failed write.
bool golden_frame(DeinterlacerModel& m, FILE* golden, FILE* golden_yuv, int32_t b,
                  int32_t parity, int32_t model_frame, int32_t size_frame) {
    m.interpolate_frame(b, parity, model_frame);
    if (m.write_golden_frame(golden, b, size_frame)) return false;
    if (golden_yuv && m.write_golden_yuv(golden_yuv, b)) return false;
    return count_frame(m.output_frames);
}

int32_t run_synthetic(DeinterlacerModel& m, FILE* stimulus, FILE* golden,
                      int32_t convert_parity) {
    for (int32_t i = 0; i < m.input_frames; ++i) {
        const int32_t slot = frame_slot(i);
        m.method_now = m.dmethod;
        m.th0_now = m.th0_table[slot];
        m.th1_now = m.th1_table[slot];
        m.th2_now = m.th2_table[slot];
        const int32_t b = i % 2;
        if (m.fill_synthetic_field(stimulus, m.field_store[b], i)) return kOutputWriteFailed;
        m.fill_borders(m.field_store[b], i);
        if (!golden_frame(m, golden, nullptr, b, m.initfield, i, i)) return kOutputWriteFailed;
        if (m.fconvert) {
            // The first field gives an extra converted frame ahead of its pair.
            if (i == 0 && !golden_frame(m, golden, nullptr, b, convert_parity, 0, 0))
                return kOutputWriteFailed;
            if (!golden_frame(m, golden, nullptr, b, convert_parity, i, i))
                return kOutputWriteFailed;
        }
    }
    return kGenerationOk;
}

// Text or BMP picture into buffer 1; one golden frame, whatever fconvert says.
int32_t run_single_picture(DeinterlacerModel& m, FILE* stimulus, FILE* golden) {
    PixelPlane* planes = m.field_store[1];
    const bool failed = m.bmp_input ? m.read_bmp_stimulus(stimulus, planes)
                                    : m.read_text_stimulus(stimulus, planes);
    // The reader has named the file; nothing more is produced from a picture
    // that was not read.
    if (failed) return kStimulusReadFailed;
    m.fill_borders(planes, 0);
    m.interpolate_frame(1, m.initfield, 0);
    if (m.bmp_input && m.write_golden_bmp(1)) return kOutputWriteFailed;
    if (m.write_golden_frame(golden, 1, 0)) return kOutputWriteFailed;
    m.input_frames = 1;
    m.output_frames = 1;
    return kGenerationOk;
}

// The fields of a planar YUV file, up to max_frames (at least one read).
int32_t yuv_fields(DeinterlacerModel& m, FILE* in, FILE* stimulus, FILE* golden,
                   FILE* golden_yuv, int32_t convert_parity) {
    if (at_end(in)) return kGenerationOk;
    for (;;) {
        const int32_t b = m.input_frames % 2;
        bool failed = false;
        const bool taken = m.read_yuv_frame(in, stimulus, m.field_store[b], &failed);
        if (failed) return kOutputWriteFailed;
        if (taken) {
            // Sizes of frame 0 for every field; the field counter goes to the model.
            m.fill_borders(m.field_store[b], 0);
            if (!golden_frame(m, golden, golden_yuv, b, m.initfield, m.input_frames, 0))
                return kOutputWriteFailed;
            if (m.fconvert &&
                !golden_frame(m, golden, golden_yuv, b, convert_parity, m.input_frames, 0))
                return kOutputWriteFailed;
            ++m.input_frames;
        } else if (std::ferror(in)) {
            return kStimulusReadFailed;  // a read error, not the end of the file
        }
        if (m.input_frames >= m.max_frames) return kGenerationOk;
        if (at_end(in)) return kGenerationOk;
    }
}

int32_t run_yuv(DeinterlacerModel& m, FILE* stimulus, FILE* golden, int32_t convert_parity) {
    m.input_frames = 0;
    m.output_frames = 0;
    FILE* in = std::fopen(m.stimulus_path.c_str(), "rb");
    if (!in) {
        std::printf("Can't open %s for read\n", m.stimulus_path.c_str());
        return kStimulusReadFailed;
    }
    check_sequence_length(in, m);
    FILE* golden_yuv = std::fopen(kGoldenYuvName, "wb");
    if (!golden_yuv) {
        std::fclose(in);
        return kOutputWriteFailed;
    }
    int32_t result = yuv_fields(m, in, stimulus, golden, golden_yuv, convert_parity);
    // The end-of-file test also stops at a read error; that must not pass for
    // the end of the sequence.
    if (std::ferror(in) && (result == kGenerationOk || result == kStimulusReadFailed)) {
        std::printf("Can't read %s\n", m.stimulus_path.c_str());
        result = kStimulusReadFailed;
    }
    std::fclose(in);
    if (!close_stream(golden_yuv) && result == kGenerationOk) result = kOutputWriteFailed;
    return result;
}

}  // namespace

int32_t DeinterlacerModel::run_generation() {
    if (an_input_is_an_output(*this)) return kStimulusReadFailed;

    FILE* stimulus = std::fopen(kStimulusName, "wb");
    if (!stimulus) return kStimulusFileNotCreated;
    FILE* golden = std::fopen(kGoldenName, "wb");
    if (!golden) {
        close_stream(stimulus);
        return kGoldenFileNotCreated;
    }

    method_now = dmethod;
    random_state = 1;
    // The extra frames of fconvert keep the other parity, or the same one
    // when copyframe asks for identical pairs.
    const int32_t convert_parity = copyframe ? initfield : 1 - initfield;

    int32_t result;
    if (!file_input)
        result = run_synthetic(*this, stimulus, golden, convert_parity);
    else if (yuv_input)
        result = run_yuv(*this, stimulus, golden, convert_parity);
    else
        result = run_single_picture(*this, stimulus, golden);

    // Both are closed whatever happened; a failed close loses data too.
    const bool stimulus_closed = close_stream(stimulus);
    const bool golden_closed = close_stream(golden);
    if (result == kGenerationOk && !(stimulus_closed && golden_closed))
        result = kOutputWriteFailed;
    return result;
}
