// The shape of a run as veldax-gen would generate it, and where each word
// of its data files lies.
#include <sys/stat.h>

#include <cstdio>
#include <memory>
#include <new>
#include <string>

#include "app/run_access.h"
#include "app/switches.h"
#include "core/record.h"
#include "core/report.h"
#include "inspect.h"
#include "io/y4m.h"

namespace veldax::inspect {

namespace {

// A Y4M stream gives the frames its "FRAME" lines lead, each its header's
// size and depth.  Returns 1 when `in` holds one (run->fields set), 0 when
// it does not, -1 after an error line.
int y4m_fields(const RunWords& words, FILE* in, int64_t bytes, DeinterlacerModel* m, Run* run) {
    unsigned char start[kY4mSignatureBytes];
    if (!in || std::fread(start, 1, sizeof start, in) != sizeof start ||
        !has_y4m_signature(start, sizeof start))
        return 0;
    std::string line(kY4mSignature), rest;
    Y4mHeader header;
    if (read_y4m_line(in, &rest) == Y4mLineRead::line) line += rest;
    if (const std::string why = parse_y4m_header(line.data(), line.size(), &header); !why.empty()) {
        report_error("%s: %s", words.mode.path.c_str(), why.c_str());
        return -1;
    }
    m->yuv_form.y4m = true;
    m->yuv_form.depth = header.depth;
    m->yuv_form.header_bytes = header.bytes;
    run->layout = m->layout();
    const int32_t limit = words.mode.max_fields > 1 ? words.mode.max_fields : 1;
    const Y4mScan scan = scan_y4m_frames(in, bytes, run->layout.yuv_frame_bytes(), limit);
    if (scan.failed || scan.bad_frame > 0) {
        report_error("%s: frame %d does not start with \"FRAME\"", words.mode.path.c_str(),
                     scan.bad_frame);
        return -1;
    }
    run->fields = scan.frames;
    return 1;
}

// The fields a sequence (-y) gives follow from its length.
bool sequence_fields(const RunWords& words, DeinterlacerModel* m, Run* run) {
    struct stat st {};
    if (stat(words.mode.path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) {
        report_error("%s: cannot read the sequence", words.mode.path.c_str());
        return false;
    }
    const std::unique_ptr<FILE, int (*)(FILE*)> in(std::fopen(words.mode.path.c_str(), "rb"),
                                                   std::fclose);
    const int y4m = y4m_fields(words, in.get(), st.st_size, m, run);
    if (y4m != 0) return y4m > 0;
    run->yuv_stray_words = run->layout.yuv_stray_words(st.st_size, words.mode.max_fields);
    run->fields = run->layout.run_fields(m->input_frames, words.mode.max_fields, st.st_size);
    return true;
}

}  // namespace

bool load_run(const RunWords& words, Run* run) {
    if (words.kvf.empty()) {
        report_error("the parameter file is missing");
        return false;
    }
    if (!words.mode.generates()) {
        report_error("after %s give the run's switch: %s", words.kvf.c_str(),
                     switch_words().c_str());
        return false;
    }
    std::unique_ptr<DeinterlacerModel> m(new (std::nothrow) DeinterlacerModel);
    if (!m) {
        report_error("not enough memory");
        return false;
    }
    m->kvf_path = words.kvf;
    m->set_run_mode(words.mode);
    if (m->read_parameter_file() != Status::ok) {
        report_error("%s: not a parameter file veldax-gen accepts", words.kvf.c_str());
        return false;
    }
    run->layout = m->layout();
    run->max_value = m->max_value;
    run->ycbcr444 = m->ycbcr444 != 0;
    if (words.mode.source == StimulusSource::yuv) return sequence_fields(words, m.get(), run);
    run->fields = run->layout.run_fields(m->input_frames, words.mode.max_fields, 0);
    return true;
}

bool parse_run_words(const std::vector<std::string>& words, RunWords* out) {
    *out = RunWords{};
    if (words.empty()) return true;
    out->kvf = words[0];
    std::vector<const char*> rest;
    for (size_t i = 1; i < words.size(); ++i) rest.push_back(words[i].c_str());
    ParsedSwitch parsed;
    if (parse_switch(out->kvf.c_str(), static_cast<int32_t>(rest.size()), rest.data(), &parsed) !=
        Status::ok)
        return false;
    out->mode = parsed.mode;
    out->switch_words.assign(words.begin() + 1, words.end());
    return true;
}

std::vector<GoldenFrame> golden_frames(const Run& run) {
    std::vector<GoldenFrame> frames;
    run.layout.for_each_golden_frame(run.fields,
                                     [&](const GoldenFrame& f) { frames.push_back(f); });
    return frames;
}

int64_t golden_bytes(const Run& run) {
    int64_t bytes = 0;
    run.layout.for_each_golden_frame(run.fields,
                                     [&](const GoldenFrame& f) { bytes += 2 * f.words; });
    return bytes;
}

int64_t stimulus_bytes(const Run& run) {
    int64_t bytes = 2 * run.yuv_stray_words;
    run.layout.for_each_stimulus_field(run.fields,
                                       [&](const StimulusField& f) { bytes += f.bytes; });
    return bytes;
}

Expected::~Expected() { veldax_run_close(api); }

namespace {

// The run of a golden file read without the model: its shape only.
bool open_layout_only(const RunWords& words, Expected* e) {
    if (!load_run(words, &e->run)) return false;
    e->golden_words = golden_bytes(e->run) / 2;
    return true;
}

// The run opened in process.
bool open_model(const RunWords& words, bool stimulus, Expected* e) {
    std::vector<const char*> argv;
    for (const std::string& w : words.switch_words) argv.push_back(w.c_str());
    char error[1024] = "";
    e->api = veldax_run_open(words.kvf.c_str(), static_cast<int>(argv.size()), argv.data(), error,
                             sizeof error);
    if (!e->api) {
        report_error("%s", error);
        return false;
    }
    if (!stimulus) veldax_run_hand_out_stimulus(e->api, 0);
    const RunState state = run_state(e->api);
    e->run.layout = *state.layout;
    e->run.fields = veldax_run_fields(e->api);
    e->run.max_value = state.model->max_value;
    e->run.ycbcr444 = state.model->ycbcr444 != 0;
    e->golden_words = veldax_run_golden_words(e->api);
    return true;
}

}  // namespace

bool open_expected(const RunWords& words, const std::string& golden_path, Expected* e,
                   bool stimulus, bool model) {
    if (words.kvf.empty()) {
        report_error("the parameter file is missing");
        return false;
    }
    if (!(golden_path.empty() || model ? open_model(words, stimulus, e)
                                        : open_layout_only(words, e)))
        return false;
    e->golden_path = golden_path;
    if (golden_path.empty()) return true;
    if (!open_dump(golden_path, WordFormat::binary, e->golden_words, true, &e->golden_file))
        return false;
    const int64_t want = 2 * e->golden_words;
    if (e->golden_file.regular && e->golden_file.file_bytes != want) {
        report_error("%s: %lld bytes, but the run writes %lld: not the golden data of this run",
                     printable(golden_path).c_str(),
                     static_cast<long long>(e->golden_file.file_bytes),
                     static_cast<long long>(want));
        return false;
    }
    return true;
}

int next_field(Expected* e, const veldax_field** out) {
    if (e->fields_done) return 0;
    char error[1024] = "";
    const int s = veldax_run_next_field(e->api, out, error, sizeof error);
    if (s == VELDAX_RUN_FIELD) return 1;
    e->fields_done = true;
    if (s == VELDAX_RUN_END) return 0;
    report_error("%s", error);
    return -1;
}

namespace {

void describe_planes(const FrameLayout& l, ExpectedFrame* out) {
    out->plane_count = l.golden_planes();
    int64_t at = 0;
    for (int32_t p = 0; p < out->plane_count && p < VELDAX_RUN_MAX_PLANES; ++p) {
        out->planes[p] = l.golden_plane(p, out->frame.size_index);
        out->plane_start[p] = at;
        at += out->planes[p].words;
    }
}

// The words of frame f from the golden file given.
int read_golden_frame(Expected* e, ExpectedFrame* out) {
    const int64_t n = out->frame.words;
    e->file_words.resize(static_cast<size_t>(n));
    const int64_t got = read_dump_blocks(
        &e->golden_file, n, &e->read_block, [&](const int32_t* w, int64_t count, int64_t at) {
            for (int64_t i = 0; i < count; ++i)
                e->file_words[static_cast<size_t>(at + i)] = static_cast<uint16_t>(w[i]);
            return true;
        });
    if (e->golden_file.failed) return -1;
    if (got < n) {
        report_error("%s ends inside frame %lld", printable(e->golden_path).c_str(),
                     static_cast<long long>(out->frame.index));
        return -1;
    }
    out->words = e->file_words.data();
    return 1;
}

// The next golden frame placed by the layout alone (no model): 1, or 0 at
// the end.
int next_layout_frame(Expected* e, GoldenFrame* out) {
    while (e->next_in_field >= e->layout_count) {
        if (e->layout_field + 1 >= e->run.fields) return 0;
        e->layout_count = e->run.layout.frames_of_field(++e->layout_field, e->layout_frames);
        e->next_in_field = 0;
    }
    *out = e->layout_frames[e->next_in_field++];
    out->index = e->layout_index++;
    out->byte_offset = e->layout_offset;
    e->layout_offset += 2 * out->words;
    return 1;
}

}  // namespace

int next_expected(Expected* e, ExpectedFrame* out) {
    if (!e->api) {
        if (next_layout_frame(e, &out->frame) == 0) return 0;
        describe_planes(e->run.layout, out);
        return read_golden_frame(e, out);
    }
    while (!e->field || e->next_in_field >= e->field->frame_count) {
        const int s = next_field(e, &e->field);
        if (s <= 0) return s;
        e->next_in_field = 0;
    }
    const veldax_frame& f = e->field->frames[e->next_in_field++];
    out->frame = GoldenFrame{};
    out->frame.index = f.index;
    out->frame.field = f.field;
    out->frame.model_frame = f.model_frame;
    out->frame.size_index = f.size_index;
    out->frame.parity = f.parity;
    out->frame.kept_parity = f.kept_parity;
    out->frame.byte_offset = f.byte_offset;
    out->frame.words = static_cast<int64_t>(f.word_count);
    describe_planes(e->run.layout, out);
    out->words = f.words;
    return e->golden_path.empty() ? 1 : read_golden_frame(e, out);
}

FramePosition golden_position(const Run& run, const GoldenFrame& frame, int64_t word) {
    const PlaneWord pw = run.layout.golden_plane_word(frame.size_index, word);
    const SamplePosition at =
        span_position(run.layout.golden_plane(pw.plane, frame.size_index), pw.word);
    return {pw.plane, at.row, at.col};
}

}  // namespace veldax::inspect
