// The generation sequence: creates "stimulus.dat" and "golden.dat", walks the
// input fields of the chosen source (synthetic, single picture or YUV
// sequence) and turns each into one or more golden frames.
#include <cstdio>
#include <memory>

#include "core/report.h"
#include "app/input_guards.h"
#include "core/record.h"
#include "store/frame_layout.h"
#include "core/output_files.h"
#include "io/word_stream.h"

namespace veldax {

namespace {

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

// The golden frames of input field n, held in buffer b: each is
// interpolated with its parity, written as "golden.bmp" for a BMP picture,
// appended to "golden.dat" with the sizes of its size index (and to
// "golden.yuv" when given) and counted.
Status golden_frames(DeinterlacerModel& m, const GenerationStreams& io, FILE* golden_yuv,
                     int32_t b, int32_t n) {
    GoldenFrame frames[kMaxFramesPerField];
    const int32_t count = m.layout().frames_of_field(n, frames);
    for (int32_t k = 0; k < count; ++k) {
        m.interpolate_frame(b, frames[k].parity, frames[k].model_frame);
        if (io.golden_bmp && m.run.source == StimulusSource::bmp &&
            m.write_golden_bmp() != Status::ok)
            return Status::output_write_failed;
        if (m.write_golden_frame(io.golden, frames[k].size_index) != Status::ok)
            return Status::output_write_failed;
        if (golden_yuv && m.write_golden_yuv(golden_yuv) != Status::ok)
            return Status::output_write_failed;
        if (!count_frame(m.output_frames)) return Status::output_write_failed;
    }
    return Status::ok;
}

// Synthetic field n into buffer n mod 2, with the thresholds of its frame.
Status synthetic_field(DeinterlacerModel& m, const GenerationStreams& io, int32_t n) {
    const int32_t slot = frame_slot(n);
    m.th0_now = m.th0_table[slot];
    m.th1_now = m.th1_table[slot];
    m.th2_now = m.th2_table[slot];
    const int32_t b = n % 2;
    if (m.fill_synthetic_field(io.stimulus, m.field_store[b], n) != Status::ok)
        return Status::output_write_failed;
    m.fill_borders(m.field_store[b], n);
    return golden_frames(m, io, nullptr, b, n);
}

// Text or BMP picture into buffer 1; one golden frame (the layout gives a
// picture one, whatever fconvert says).
Status picture_field(DeinterlacerModel& m, const GenerationStreams& io) {
    PixelPlane* planes = m.field_store[1];
    const Status read = m.run.source == StimulusSource::bmp
                            ? m.read_bmp_stimulus(io.input, io.stimulus, planes)
                            : m.read_text_stimulus(io.input, io.stimulus, planes);
    // The reader has named the file; nothing more is produced from a picture
    // that was not read.
    if (read != Status::ok) return read;
    m.fill_borders(planes, 0);
    if (const Status s = golden_frames(m, io, nullptr, 1, 0); s != Status::ok) return s;
    m.input_frames = 1;
    return Status::ok;
}

// The next frame of a YUV sequence into buffer (fields so far) mod 2; a
// frame cut short by the end of the input gives none.
Status sequence_field(DeinterlacerModel& m, const GenerationStreams& io) {
    if (!m.sequence_has_lead() && at_end(io.input)) return Status::ok;
    const int32_t b = m.input_frames % 2;
    switch (m.read_yuv_frame(io.input, io.stimulus, m.field_store[b])) {
    case YuvFrame::taken: {
        // Sizes of frame 0 for every field; the field counter goes to the model.
        m.fill_borders(m.field_store[b], 0);
        const Status s = golden_frames(m, io, io.golden_yuv, b, m.input_frames);
        if (s != Status::ok) return s;
        ++m.input_frames;
        return Status::ok;
    }
    case YuvFrame::end_of_input:
        return Status::ok;
    case YuvFrame::write_failed:
        return Status::output_write_failed;
    case YuvFrame::read_failed:
    case YuvFrame::refused:
        return Status::stimulus_read_failed;
    }
    return Status::ok;
}

// Empties a data file the run had begun to write.
void empty_file(const char* name) {
    if (FILE* f = std::fopen(name, "wb")) std::fclose(f);
}

struct InputCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};

}  // namespace

void DeinterlacerModel::begin_generation() {
    method_now = dmethod;
    random_state = static_cast<uint32_t>(seed);
    next_field = 0;
    output_frames = 0;
    // A sequence counts the fields it gives; the other sources know theirs.
    if (run.source == StimulusSource::yuv) input_frames = 0;
}

Status DeinterlacerModel::generate_next_field(const GenerationStreams& io, bool* more) {
    Status s = Status::ok;
    *more = false;
    switch (run.source) {
    case StimulusSource::none:
        break;
    case StimulusSource::ramp:
    case StimulusSource::random:
        s = synthetic_field(*this, io, next_field);
        *more = next_field + 1 < input_frames;
        break;
    case StimulusSource::text:
    case StimulusSource::bmp:
        s = picture_field(*this, io);
        break;
    case StimulusSource::yuv:
        s = sequence_field(*this, io);
        // At least one frame is read, whatever the limit says.
        *more = input_frames < run.max_fields && (sequence_has_lead() || !at_end(io.input));
        break;
    }
    ++next_field;
    if (s != Status::ok) *more = false;
    return s;
}

Status DeinterlacerModel::run_generation() {
    if (an_input_is_an_output(*this)) return Status::input_is_output;

    // Every input is opened and checked before an output is created or
    // truncated, so a run refused here leaves the folder as it found it.
    FILE* input = nullptr;
    if (reads_input_file(run.source))
        if (const Status s = open_stimulus_input(&input); s != Status::ok) return s;
    const std::unique_ptr<FILE, InputCloser> in(input);
    if (strict_mode() && warning_count() > 0) return Status::strict_refused;
    const int64_t warnings_before = warning_count();

    FILE* stimulus = std::fopen(kStimulusFile, "wb");
    if (!stimulus) return Status::stimulus_not_created;
    FILE* golden = std::fopen(kGoldenFile, "wb");
    if (!golden) {
        (void)close_stream(stimulus);
        return Status::golden_not_created;
    }

    GenerationStreams io{in.get(), stimulus, golden, nullptr};
    Status result = Status::ok;
    if (run.source == StimulusSource::yuv) {
        io.golden_yuv = std::fopen(kGoldenYuvFile, "wb");
        if (!io.golden_yuv) result = Status::output_write_failed;
    }
    begin_generation();
    for (bool more = result == Status::ok; more;) result = generate_next_field(io, &more);
    // The end-of-file test also stops at a read error; that must not pass for
    // the end of the sequence.
    if (io.input && run.source == StimulusSource::yuv && std::ferror(io.input) &&
        (result == Status::ok || result == Status::stimulus_read_failed)) {
        report_error("Can't read %s", printable(run.path).c_str());
        result = Status::stimulus_read_failed;
    }
    if (!close_stream(io.golden_yuv) && result == Status::ok) result = Status::output_write_failed;

    // Both are closed whatever happened; a failed close loses data too.
    const bool stimulus_closed = close_stream(stimulus);
    const bool golden_closed = close_stream(golden);
    if (result == Status::ok && !(stimulus_closed && golden_closed))
        result = Status::output_write_failed;
    // Under --strict a warning found while reading stops the run: its data
    // files are left empty, not half written.
    if (result == Status::ok && strict_mode() && warning_count() > warnings_before) {
        empty_file(kStimulusFile);
        empty_file(kGoldenFile);
        if (run.source == StimulusSource::yuv) empty_file(kGoldenYuvFile);
        if (run.source == StimulusSource::bmp) empty_file(kGoldenBmpFile);
        result = Status::strict_refused;
    }
    return result;
}

}  // namespace veldax
