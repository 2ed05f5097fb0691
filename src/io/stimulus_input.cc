// The input of a text, BMP or YUV run, opened and checked before the run
// creates any output: a run refused here leaves the folder as it found it.
#include <sys/stat.h>

#include <cstdio>

#include <string>

#include "core/record.h"
#include "core/report.h"
#include "io/y4m.h"
#include "store/frame_layout.h"

namespace veldax {

namespace {

// A warning when a YUV sequence's length is not a whole number of frames
// (known for files only): the rest is not used.
void check_sequence_length(FILE* in, const DeinterlacerModel& m) {
    struct stat st;
    if (::fstat(fileno(in), &st) != 0 || !S_ISREG(st.st_mode)) return;
    const int64_t frame = m.layout().yuv_frame_bytes();
    const int64_t size = static_cast<int64_t>(st.st_size);
    const std::string path = printable(m.run.path);
    if (size == 0) warn("%s is empty: no frame is generated", path.c_str());
    if (frame <= 0 || size % frame == 0) return;
    warn("%s: %lld bytes are not a whole number of %lld-byte frames (%d x %d, %s); the last "
         "%lld bytes are not a frame",
         path.c_str(), static_cast<long long>(size), static_cast<long long>(frame),
         m.frame_width, m.frame_height,
         m.ycbcr422 ? "4:2:2" : (m.num_plane == 1 ? "one plane" : "planar"),
         static_cast<long long>(size % frame));
}

// The Y4M stream header that `in` starts with (its signature read): parsed
// and held against the configuration.  A regular file's frames are counted
// too, so that a bad frame line is refused before any output is created and
// a frame cut short at the end is warned of; the stream is left just after
// the header.
Status open_y4m(FILE* in, DeinterlacerModel& m) {
    const char* path = m.run.path.c_str();
    std::string line(kY4mSignature);
    std::string rest;
    const Y4mLineRead read = read_y4m_line(in, &rest);
    if (read == Y4mLineRead::failed) {
        report_error("Can't read %s", path);
        return Status::stimulus_read_failed;
    }
    line += rest;
    Y4mHeader header;
    if (const std::string why = parse_y4m_header(line.data(), line.size(), &header); !why.empty()) {
        report_error("%s: %s", path, why.c_str());
        return Status::stimulus_read_failed;
    }
    const Y4mCore core{m.frame_width, m.frame_height, m.num_plane, m.ycbcr422 != 0, m.dwidth};
    if (const std::string why = y4m_mismatch(m.run.path, header, core); !why.empty()) {
        report_error("%s", why.c_str());
        return Status::stimulus_read_failed;
    }
    m.yuv_form.y4m = true;
    m.yuv_form.depth = header.depth;
    m.yuv_form.header_bytes = header.bytes;
    if (header.depth < m.dwidth)
        warn("%s holds %d-bit samples: the %d-bit core takes them unscaled (0..%d of 0..%d)", path,
             header.depth, m.dwidth, (1 << header.depth) - 1, m.max_value);

    struct stat st;
    if (::fstat(fileno(in), &st) != 0 || !S_ISREG(st.st_mode)) return Status::ok;
    const int64_t frame = m.layout().yuv_frame_bytes();
    const Y4mScan scan = scan_y4m_frames(in, static_cast<int64_t>(st.st_size), frame,
                                         m.run.max_fields > 1 ? m.run.max_fields : 1);
    if (scan.failed || ::fseeko(in, static_cast<off_t>(header.bytes), SEEK_SET) != 0) {
        report_error("Can't read %s", path);
        return Status::stimulus_read_failed;
    }
    if (scan.bad_frame > 0) {
        report_error("%s: frame %d does not start with \"FRAME\"", path, scan.bad_frame);
        return Status::stimulus_read_failed;
    }
    if (scan.frames == 0 && scan.rest == 0)
        warn("%s holds no frame: no frame is generated", path);
    if (scan.rest > 0)
        warn("%s: the last %lld bytes are not a whole frame (a \"FRAME\" line and %lld bytes "
             "of %d x %d C%s); they are not used",
             path, static_cast<long long>(scan.rest), static_cast<long long>(frame),
             m.frame_width, m.frame_height, header.colour.empty() ? "420" : header.colour.c_str());
    return Status::ok;
}

// The start of a "-y" input: a Y4M stream header, or the first bytes of a
// headerless file, kept for the frame reader (a pipe cannot be rewound).
Status open_sequence(FILE* in, DeinterlacerModel& m) {
    YuvForm& form = m.yuv_form;
    form = YuvForm{};
    const size_t got = std::fread(form.lead, 1, kY4mSignatureBytes, in);
    if (has_y4m_signature(form.lead, got)) return open_y4m(in, m);
    if (std::ferror(in)) {
        report_error("Can't read %s", m.run.path.c_str());
        return Status::stimulus_read_failed;
    }
    form.lead_bytes = static_cast<int32_t>(got);
    check_sequence_length(in, m);
    if (m.dwidth > 8)
        warn("%s: a headerless YUV file holds one byte a sample, so the %d-bit core gets "
             "8-bit values (and a file of deeper samples reads as twice the fields); give the "
             "clip as Y4M (a \"YUV4MPEG2\" header, e.g. ffmpeg -pix_fmt yuv422p10le -strict -1 "
             "-f yuv4mpegpipe) to feed %d-bit samples",
             m.run.path.c_str(), m.dwidth, m.dwidth);
    return Status::ok;
}

}  // namespace

Status DeinterlacerModel::open_stimulus_input(FILE** out) {
    *out = nullptr;
    const std::string shown = printable(run.path);
    const char* path = shown.c_str();
    FILE* in = std::fopen(run.path.c_str(), "rb");
    if (!in) {
        report_error("Can't open %s for read", path);
        return Status::stimulus_read_failed;
    }
    struct stat st;
    if (::fstat(fileno(in), &st) == 0 && S_ISDIR(st.st_mode)) {
        report_error("Can't read %s: it is a folder", path);
        std::fclose(in);
        return Status::stimulus_read_failed;
    }
    Status s = Status::ok;
    if (run.source == StimulusSource::bmp) s = read_bmp_header(in);
    if (run.source == StimulusSource::yuv) s = open_sequence(in, *this);
    if (s != Status::ok) {
        std::fclose(in);
        return s;
    }
    *out = in;
    return Status::ok;
}

}  // namespace veldax
