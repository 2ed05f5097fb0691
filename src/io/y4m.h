// Y4M streams given to "-y": the stream header and the line ahead of every
// frame, parsed from bytes (no I/O in the parsers, so tests call them
// directly); the header held against a configuration; and the two readers
// of a stream's lines and frames that the generator and veldax-inspect
// share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace veldax {

// What a Y4M stream starts with; a "-y" file without it is headerless.
constexpr char kY4mSignature[] = "YUV4MPEG2 ";
constexpr size_t kY4mSignatureBytes = sizeof(kY4mSignature) - 1;
// Longest stream header or frame line taken, its line end included.
constexpr size_t kY4mMaxLineBytes = 4096;

bool has_y4m_signature(const unsigned char* bytes, size_t n);

enum class Y4mChroma { c420, c411, c422, c444, c444alpha, mono };

struct Y4mHeader {
    int32_t width = 0;
    int32_t height = 0;
    Y4mChroma chroma = Y4mChroma::c420;  // a header without C is 4:2:0
    int32_t depth = 8;                   // bits of a sample
    std::string colour;                  // the C parameter as written, "" when absent
    int64_t bytes = 0;                   // the header with its line end
};

// Parses the stream header that bytes[0..n) starts with, up to its first
// line end.  Parameters other than W, H and C (F, I, A, X and any other
// letter) are passed over.  Returns "" when *out is filled, else the reason
// the header is refused (a phrase to follow the file's name).
std::string parse_y4m_header(const char* bytes, size_t n, Y4mHeader* out);

// True when bytes[0..n), the start of the line ahead of a frame, begin as
// such a line does: "FRAME", then its line end or a blank and parameters.
// A whole line (line end included) that passes is a frame's line; a line
// cut short that passes is a frame cut short.
bool y4m_frame_line_start(const char* bytes, size_t n);

// What the configuration takes from a Y4M stream.
struct Y4mCore {
    int32_t width = 0;
    int32_t height = 0;
    int32_t num_plane = 1;
    bool ycbcr422 = false;
    int32_t dwidth = 8;
};

// "" when the stream fits the core: the same size, the chroma layout of its
// planes (mono for one plane, 4:2:2 for ycbcr422, 4:4:4 for three planes,
// 4:4:4 with alpha for four) and a sample depth no deeper than dwidth.
// Otherwise the one line naming both, with the ffmpeg command that converts
// the stream when one can.
std::string y4m_mismatch(const std::string& path, const Y4mHeader& header, const Y4mCore& core);

// ---- readers (I/O) ----

enum class Y4mLineRead {
    line,       // a line with its line end
    none,       // the stream ended before its first byte
    cut,        // the stream ended inside the line
    too_long,   // kY4mMaxLineBytes bytes without a line end
    failed,     // a read error
};

// Reads one line of a stream into *line (line end included).
Y4mLineRead read_y4m_line(FILE* in, std::string* line);

// The frames of a Y4M file from the stream's place (just after its header)
// to its end (file_bytes) or the field limit.
struct Y4mScan {
    int32_t frames = 0;     // whole frames, at most the limit
    int32_t bad_frame = 0;  // frame number (from 1) whose line is not "FRAME", or 0
    int64_t rest = 0;       // bytes after the last whole frame that make no frame
    bool failed = false;    // a read or seek error
};
Y4mScan scan_y4m_frames(FILE* in, int64_t file_bytes, int64_t frame_bytes, int32_t limit);

}  // namespace veldax
