// The input of a text, BMP or YUV run, opened and checked before the run
// creates any output: a run refused here leaves the folder as it found it.
#include <sys/stat.h>

#include <cstdio>

#include "core/record.h"
#include "core/report.h"
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
    if (run.source == StimulusSource::yuv) {
        check_sequence_length(in, *this);
        if (dwidth > 8)
            warn("%s: a headerless YUV file holds one byte a sample, so the %d-bit core gets "
                 "8-bit values (and a file of deeper samples reads as twice the fields); give the "
                 "clip as Y4M (a \"YUV4MPEG2\" header, e.g. ffmpeg -pix_fmt yuv422p10le -strict -1 "
                 "-f yuv4mpegpipe) to feed %d-bit samples",
                 path, dwidth, dwidth);
    }
    if (s != Status::ok) {
        std::fclose(in);
        return s;
    }
    *out = in;
    return Status::ok;
}

}  // namespace veldax
