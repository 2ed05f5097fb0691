// The generator in process (app/run_api.h): the sequencer's field steps with
// the data files replaced by memory streams, so the words are those the real
// writers produce.  Each step starts both streams over, so a run holds one
// field's stimulus and golden frames whatever its length.
#include "app/run_api.h"

#include <sys/stat.h>

#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "app/run_access.h"
#include "app/switches.h"
#include "core/numbers.h"
#include "core/record.h"
#include "core/report.h"
#include "io/word_stream.h"
#include "store/frame_layout.h"

struct veldax_run {
    std::unique_ptr<veldax::DeinterlacerModel> model;
    veldax::FrameLayout layout;
    FILE* input = nullptr;
    FILE* stimulus = nullptr;  // memory streams over the buffers below
    FILE* golden = nullptr;
    char* stimulus_data = nullptr;
    size_t stimulus_size = 0;
    char* golden_data = nullptr;
    size_t golden_size = 0;
    int32_t fields = 0;
    int64_t frames = 0;
    int64_t golden_words = 0;
    int64_t next_frame = 0;
    int64_t next_offset = 0;
    int32_t buffer = 0;
    bool more = true;
    bool stepped = false;
    bool hand_out_stimulus = true;
    std::vector<uint16_t> stimulus_words;
    std::vector<uint16_t> golden_values;
    veldax_field field{};
    std::string error;  // the first error line of the current call
};

namespace veldax {

RunState run_state(const veldax_run* run) {
    return {run->model.get(), run->buffer, &run->layout};
}

}  // namespace veldax

namespace {

using namespace veldax;

// Error lines of the generator go to the run while one of its calls works.
struct CaptureErrors {
    explicit CaptureErrors(std::string* into) {
        into->clear();
        set_report_capture(
            [](const char* line, void* context) {
                auto* text = static_cast<std::string*>(context);
                if (text->empty()) *text = line;
            },
            into);
    }
    ~CaptureErrors() { set_report_capture(nullptr, nullptr); }
    CaptureErrors(const CaptureErrors&) = delete;
    CaptureErrors& operator=(const CaptureErrors&) = delete;
};

void copy_error(const std::string& text, char* error, size_t size) {
    if (!error || size == 0) return;
    std::snprintf(error, size, "%s", text.c_str());
}

void close_run(veldax_run* run) {
    if (run->input) std::fclose(run->input);
    if (run->stimulus) std::fclose(run->stimulus);
    if (run->golden) std::fclose(run->golden);
    std::free(run->stimulus_data);
    std::free(run->golden_data);
    delete run;
}

// The input fields and golden frames the run gives, as the layout counts them.
bool count_run(veldax_run* run) {
    const DeinterlacerModel& m = *run->model;
    int64_t yuv_bytes = 0;
    if (m.run.source == StimulusSource::yuv) {
        struct stat st {};
        if (stat(m.run.path.c_str(), &st) != 0) {
            report_error("%s: cannot read the sequence", printable(m.run.path).c_str());
            return false;
        }
        yuv_bytes = st.st_size;
    }
    run->fields = run->layout.run_fields(m.input_frames, m.run.max_fields, yuv_bytes);
    run->layout.for_each_golden_frame(run->fields, [&](const GoldenFrame& f) {
        ++run->frames;
        run->golden_words += f.words;
    });
    return true;
}

// The model of "veldax-gen kvf words...", its input open and its memory
// streams ready; false after one line.
bool open_model(veldax_run* run, const char* kvf, int argc, const char* const* words) {
    ParsedSwitch parsed;
    if (parse_switch(kvf, argc, words, &parsed) != Status::ok) return false;
    for (const std::string& line : parsed.warnings) warn("%s", line.c_str());
    if (!parsed.mode.generates()) {
        report_error("after %s give the run's switch: %s", printable(kvf, std::strlen(kvf)).c_str(),
                     switch_words().c_str());
        return false;
    }
    run->model.reset(new (std::nothrow) DeinterlacerModel);
    if (!run->model) {
        report_error("not enough memory for the model");
        return false;
    }
    DeinterlacerModel& m = *run->model;
    m.kvf_path = kvf;
    m.set_run_mode(parsed.mode);
    if (m.read_parameter_file() != Status::ok) {
        report_error("%s: not a parameter file veldax-gen accepts",
                     printable(m.kvf_path).c_str());
        return false;
    }
    if (m.allocate_buffers() != Status::ok) {
        report_error("not enough memory for the model's buffers");
        return false;
    }
    run->layout = m.layout();
    if (!count_run(run)) return false;
    if (reads_input_file(m.run.source) && m.open_stimulus_input(&run->input) != Status::ok)
        return false;
    run->stimulus = open_memstream(&run->stimulus_data, &run->stimulus_size);
    run->golden = open_memstream(&run->golden_data, &run->golden_size);
    if (!run->stimulus || !run->golden) {
        report_error("not enough memory for the data streams");
        return false;
    }
    m.begin_generation();
    return true;
}

// The bytes written into stream since it was started over, and starts it over.
// (The stream's buffer may move as it grows: it is read after the flush.)
bool take_stream(FILE* stream, char* const* data, std::string_view* out) {
    if (std::fflush(stream) != 0) return false;
    const off_t end = ftello(stream);
    if (end < 0) return false;
    *out = end == 0 ? std::string_view() : std::string_view(*data, static_cast<size_t>(end));
    return true;
}

uint16_t word_at(const char* bytes, size_t i) {
    return static_cast<uint16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                 static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
}

// A stimulus record as values: little-endian words, or a text run's lines of
// hexadecimal digits.
void stimulus_values(const FrameLayout& layout, std::string_view bytes,
                     std::vector<uint16_t>* out) {
    out->clear();
    if (layout.source != StimulusSource::text) {
        out->resize(bytes.size() / 2);
        for (size_t i = 0; i < out->size(); ++i) (*out)[i] = word_at(bytes.data(), i);
        return;
    }
    uint32_t v = 0;
    for (const char c : bytes) {
        if (c == '\n') {
            out->push_back(static_cast<uint16_t>(v));
            v = 0;
        } else if (hex_digit_value(c) >= 0) {
            v = v * 16 + static_cast<uint32_t>(hex_digit_value(c));
        }
    }
}

// Fills run->field with the frames the last step wrote: `count` frames of
// field n, their words taken from the golden stream's bytes.
bool describe_frames(veldax_run* run, int32_t n, int32_t count, std::string_view golden) {
    GoldenFrame frames[kMaxFramesPerField];
    const int32_t listed = run->layout.frames_of_field(n, frames);
    if (count > listed) count = listed;
    int64_t words = 0;
    for (int32_t k = 0; k < count; ++k) words += frames[k].words;
    if (2 * words != static_cast<int64_t>(golden.size())) {
        report_error("field %d: the golden stream holds %zu bytes, the layout %lld", n,
                     golden.size(), static_cast<long long>(2 * words));
        return false;
    }
    const uint16_t* values = reinterpret_cast<const uint16_t*>(golden.data());
    if constexpr (std::endian::native != std::endian::little) {
        run->golden_values.resize(static_cast<size_t>(words));
        for (size_t i = 0; i < run->golden_values.size(); ++i)
            run->golden_values[i] = word_at(golden.data(), i);
        values = run->golden_values.data();
    }
    run->field.frame_count = count;
    int64_t at = 0;
    for (int32_t k = 0; k < count; ++k) {
        const GoldenFrame& g = frames[k];
        veldax_frame& f = run->field.frames[k];
        f = veldax_frame{};
        f.index = run->next_frame++;
        f.field = g.field;
        f.model_frame = g.model_frame;
        f.size_index = g.size_index;
        f.parity = g.parity;
        f.kept_parity = g.kept_parity;
        f.byte_offset = run->next_offset;
        run->next_offset += 2 * g.words;
        f.words = values + at;
        f.word_count = static_cast<size_t>(g.words);
        f.plane_count = run->layout.golden_planes();
        int64_t plane_at = 0;
        for (int32_t p = 0; p < f.plane_count && p < VELDAX_RUN_MAX_PLANES; ++p) {
            const PlaneSpan span = run->layout.golden_plane(p, g.size_index);
            f.planes[p] = {span.width, span.height, span.packed ? 1 : 0, plane_at, span.words};
            plane_at += span.words;
        }
        at += g.words;
    }
    return true;
}

// The field buffer the sequencer fills for input field n.
int32_t field_buffer(const DeinterlacerModel& m, int32_t n) {
    return is_single_picture(m.run.source) ? 1 : n % 2;
}

// One step of the sequencer into the memory streams.
int step(veldax_run* run) {
    DeinterlacerModel& m = *run->model;
    if (!run->more) return VELDAX_RUN_END;
    if ((run->stimulus && fseeko(run->stimulus, 0, SEEK_SET) != 0) ||
        fseeko(run->golden, 0, SEEK_SET) != 0) {
        report_error("the data streams cannot be started over");
        return VELDAX_RUN_ERROR;
    }
    const int32_t n = m.next_field;
    const int32_t frames_before = m.output_frames;
    GenerationStreams io{run->input, run->stimulus, run->golden, nullptr};
    io.golden_bmp = false;
    if (m.generate_next_field(io, &run->more) != Status::ok) {
        if (run->error.empty()) report_error("field %d could not be generated", n);
        return VELDAX_RUN_ERROR;
    }
    std::string_view stimulus, golden;
    if ((run->hand_out_stimulus && !take_stream(run->stimulus, &run->stimulus_data, &stimulus)) ||
        !take_stream(run->golden, &run->golden_data, &golden)) {
        report_error("not enough memory for the data streams");
        return VELDAX_RUN_ERROR;
    }
    const int32_t count = m.output_frames - frames_before;
    if (count == 0 && stimulus.empty()) return run->more ? step(run) : VELDAX_RUN_END;
    run->buffer = field_buffer(m, n);
    run->field = veldax_field{};
    run->field.field = n;
    if (run->hand_out_stimulus) {
        run->field.stimulus_bytes = reinterpret_cast<const uint8_t*>(stimulus.data());
        run->field.stimulus_byte_count = stimulus.size();
        // Binary words on a little-endian host are their own values.
        if (std::endian::native == std::endian::little &&
            run->layout.source != StimulusSource::text) {
            run->field.stimulus_words = reinterpret_cast<const uint16_t*>(stimulus.data());
            run->field.stimulus_word_count = stimulus.size() / 2;
        } else {
            stimulus_values(run->layout, stimulus, &run->stimulus_words);
            run->field.stimulus_words = run->stimulus_words.data();
            run->field.stimulus_word_count = run->stimulus_words.size();
        }
    }
    return describe_frames(run, n, count, golden) ? VELDAX_RUN_FIELD : VELDAX_RUN_ERROR;
}

}  // namespace

extern "C" {

veldax_run* veldax_run_open(const char* kvf, int argc, const char* const* switch_words,
                            char* error, size_t error_size) {
    auto* run = new (std::nothrow) veldax_run;
    if (!run) {
        copy_error("not enough memory", error, error_size);
        return nullptr;
    }
    bool ok = false;
    {
        CaptureErrors capture(&run->error);
        ok = kvf && argc >= 0 && open_model(run, kvf, argc, switch_words);
        if (!kvf) run->error = "the parameter file is missing";
    }
    if (ok) return run;
    copy_error(run->error.empty() ? "the run cannot be opened" : run->error, error, error_size);
    close_run(run);
    return nullptr;
}

int32_t veldax_run_fields(const veldax_run* run) { return run ? run->fields : 0; }
int64_t veldax_run_frames(const veldax_run* run) { return run ? run->frames : 0; }
int64_t veldax_run_golden_words(const veldax_run* run) { return run ? run->golden_words : 0; }

int veldax_run_hand_out_stimulus(veldax_run* run, int hand_out) {
    if (!run || run->stepped) return 0;
    if (!hand_out && run->hand_out_stimulus) {
        // The writers take a null stream and form no stimulus word.
        std::fclose(run->stimulus);
        std::free(run->stimulus_data);
        run->stimulus = nullptr;
        run->stimulus_data = nullptr;
        run->hand_out_stimulus = false;
    }
    return 1;
}

int veldax_run_next_field(veldax_run* run, const veldax_field** out, char* error,
                          size_t error_size) {
    if (out) *out = nullptr;
    if (!run) return VELDAX_RUN_ERROR;
    run->stepped = true;
    int status = VELDAX_RUN_ERROR;
    {
        CaptureErrors capture(&run->error);
        status = step(run);
    }
    if (status == VELDAX_RUN_ERROR) {
        run->more = false;
        copy_error(run->error, error, error_size);
        return status;
    }
    if (status == VELDAX_RUN_FIELD && out) *out = &run->field;
    return status;
}

void veldax_run_close(veldax_run* run) {
    if (run) close_run(run);
}

}  // extern "C"
