// The shape of a run as veldax-gen would generate it, and where each word
// of its data files lies.
#include <sys/stat.h>

#include <cstdio>
#include <memory>
#include <new>
#include <string>

#include "app/switches.h"
#include "core/record.h"
#include "core/report.h"
#include "inspect.h"
#include "io/y4m.h"

namespace veldax::inspect {

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
    int64_t yuv_bytes = 0;
    if (words.mode.source == StimulusSource::yuv) {
        // The fields a sequence gives follow from its length.
        struct stat st {};
        if (stat(words.mode.path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) {
            report_error("%s: cannot read the sequence", words.mode.path.c_str());
            return false;
        }
        yuv_bytes = st.st_size;
        // A Y4M stream gives the frames its "FRAME" lines lead, each its
        // header's size and depth.
        const std::unique_ptr<FILE, int (*)(FILE*)> in(std::fopen(words.mode.path.c_str(), "rb"),
                                                       std::fclose);
        unsigned char start[kY4mSignatureBytes];
        if (in && std::fread(start, 1, sizeof start, in.get()) == sizeof start &&
            has_y4m_signature(start, sizeof start)) {
            std::string line(kY4mSignature), rest;
            Y4mHeader header;
            if (read_y4m_line(in.get(), &rest) == Y4mLineRead::line) line += rest;
            if (const std::string why = parse_y4m_header(line.data(), line.size(), &header);
                !why.empty()) {
                report_error("%s: %s", words.mode.path.c_str(), why.c_str());
                return false;
            }
            m->yuv_form.y4m = true;
            m->yuv_form.depth = header.depth;
            m->yuv_form.header_bytes = header.bytes;
            run->layout = m->layout();
            const int32_t limit = words.mode.max_fields > 1 ? words.mode.max_fields : 1;
            const Y4mScan scan =
                scan_y4m_frames(in.get(), yuv_bytes, run->layout.yuv_frame_bytes(), limit);
            if (scan.failed || scan.bad_frame > 0) {
                report_error("%s: frame %d does not start with \"FRAME\"",
                             words.mode.path.c_str(), scan.bad_frame);
                return false;
            }
            run->fields = scan.frames;
            return true;
        }
        run->yuv_stray_words = run->layout.yuv_stray_words(yuv_bytes, words.mode.max_fields);
    }
    run->fields = run->layout.run_fields(m->input_frames, words.mode.max_fields, yuv_bytes);
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
    for (const std::string& line : parsed.warnings) warn("%s", line.c_str());
    out->mode = parsed.mode;
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

FramePosition golden_position(const Run& run, const GoldenFrame& frame, int64_t word) {
    const PlaneWord pw = run.layout.golden_plane_word(frame.size_index, word);
    const SamplePosition at =
        span_position(run.layout.golden_plane(pw.plane, frame.size_index), pw.word);
    return {pw.plane, at.row, at.col};
}

}  // namespace veldax::inspect
