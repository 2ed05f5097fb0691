#include "io/y4m.h"

#include <sys/types.h>

#include <cstring>

namespace veldax {

namespace {

// A decimal number of 1 to 9 digits (so it fits 32 bits) from 1 up, the
// whole of [text, text + n).
bool positive_number(const char* text, size_t n, int32_t* out) {
    if (n == 0 || n > 9) return false;
    int32_t v = 0;
    for (size_t i = 0; i < n; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        v = v * 10 + (text[i] - '0');
    }
    if (v < 1) return false;
    *out = v;
    return true;
}

// The C parameter (without its C): layout and depth.  Layouts "420",
// "420jpeg", "420paldv", "420mpeg2", "411", "422", "444", "444alpha" and
// "mono" are 8-bit; "420pN", "422pN", "444pN" and "monoN" are N-bit (8..16).
bool parse_colour(const std::string& c, Y4mChroma* chroma, int32_t* depth) {
    struct Name {
        const char* text;
        Y4mChroma chroma;
    };
    static const Name eight_bit[] = {
        {"420", Y4mChroma::c420},       {"420jpeg", Y4mChroma::c420}, {"420paldv", Y4mChroma::c420},
        {"420mpeg2", Y4mChroma::c420},  {"411", Y4mChroma::c411},     {"422", Y4mChroma::c422},
        {"444", Y4mChroma::c444},       {"444alpha", Y4mChroma::c444alpha},
        {"mono", Y4mChroma::mono},
    };
    for (const Name& n : eight_bit)
        if (c == n.text) {
            *chroma = n.chroma;
            *depth = 8;
            return true;
        }
    static const Name deep[] = {{"420p", Y4mChroma::c420},
                                {"422p", Y4mChroma::c422},
                                {"444p", Y4mChroma::c444},
                                {"mono", Y4mChroma::mono}};
    for (const Name& n : deep) {
        const size_t len = std::strlen(n.text);
        int32_t bits = 0;
        if (c.compare(0, len, n.text) == 0 &&
            positive_number(c.data() + len, c.size() - len, &bits) && bits >= 8 && bits <= 16) {
            *chroma = n.chroma;
            *depth = bits;
            return true;
        }
    }
    return false;
}

// The layout the core takes, as a phrase, and the ffmpeg pixel format of
// that layout at `depth` bits ("" when there is none).
struct CoreLayout {
    bool known = false;
    Y4mChroma chroma = Y4mChroma::mono;
    std::string text;
};

CoreLayout core_layout(const Y4mCore& core) {
    CoreLayout l;
    char buf[96];
    if (core.num_plane == 1) {
        l = {true, Y4mChroma::mono, "one plane (num_plane=1)"};
    } else if (core.ycbcr422 && core.num_plane >= 3) {
        l = {true, Y4mChroma::c422, "4:2:2 (ycbcr422=1)"};
    } else if (!core.ycbcr422 && core.num_plane == 3) {
        l = {true, Y4mChroma::c444, "4:4:4 (num_plane=3)"};
    } else if (!core.ycbcr422 && core.num_plane == 4) {
        l = {true, Y4mChroma::c444alpha, "4:4:4 with alpha (num_plane=4)"};
    } else {
        std::snprintf(buf, sizeof buf, "num_plane=%d%s, which no Y4M colour space holds",
                      core.num_plane, core.ycbcr422 ? " with ycbcr422=1" : "");
        l.text = buf;
    }
    return l;
}

// The ffmpeg pixel format of a layout at the deepest of its depths (8, 9,
// 10, 12, 14, 16 bits) not above `bits`; "" when there is none.
std::string pixel_format(Y4mChroma chroma, int32_t bits) {
    static const int32_t depths[] = {16, 14, 12, 10, 9, 8};
    int32_t d = 0;
    for (int32_t x : depths)
        if (x <= bits) {
            d = x;
            break;
        }
    if (d == 0) return "";
    const char* base = "";
    switch (chroma) {
    case Y4mChroma::mono: base = "gray"; break;
    case Y4mChroma::c422: base = "yuv422p"; break;
    case Y4mChroma::c444: base = "yuv444p"; break;
    case Y4mChroma::c444alpha: return "yuva444p";  // 8 bits only in Y4M
    case Y4mChroma::c420:
    case Y4mChroma::c411: return "";
    }
    return d == 8 ? base : std::string(base) + std::to_string(d) + "le";
}

}  // namespace

bool has_y4m_signature(const unsigned char* bytes, size_t n) {
    return n >= kY4mSignatureBytes && std::memcmp(bytes, kY4mSignature, kY4mSignatureBytes) == 0;
}

std::string parse_y4m_header(const char* bytes, size_t n, Y4mHeader* out) {
    *out = Y4mHeader{};
    if (!has_y4m_signature(reinterpret_cast<const unsigned char*>(bytes), n))
        return "does not start with \"YUV4MPEG2 \"";
    const char* end = static_cast<const char*>(std::memchr(bytes, '\n', n));
    if (!end) return "the Y4M header has no line end";
    bool width = false;
    bool height = false;
    for (const char* at = bytes + kY4mSignatureBytes; at < end;) {
        const char* stop = static_cast<const char*>(std::memchr(at, ' ', size_t(end - at)));
        if (!stop) stop = end;
        const std::string word(at, stop);
        at = stop + 1;
        if (word.empty()) continue;
        const char* value = word.c_str() + 1;
        const size_t len = word.size() - 1;
        switch (word[0]) {
        case 'W':
            if (!positive_number(value, len, &out->width))
                return "the Y4M header's width " + word + " is not a number from 1";
            width = true;
            break;
        case 'H':
            if (!positive_number(value, len, &out->height))
                return "the Y4M header's height " + word + " is not a number from 1";
            height = true;
            break;
        case 'C':
            out->colour = word.substr(1);
            if (!parse_colour(out->colour, &out->chroma, &out->depth))
                return "the Y4M header's colour space " + word + " is not one veldax-gen reads";
            break;
        default:
            // Frame rate, interlacing, aspect, extensions: not the core's business.
            break;
        }
    }
    if (!width || !height) return std::string("the Y4M header gives no ") + (width ? "height (H)" : "width (W)");
    out->bytes = end - bytes + 1;
    return "";
}

bool y4m_frame_line_start(const char* bytes, size_t n) {
    static const char kFrame[] = "FRAME";
    for (size_t i = 0; i < n && i < 5; ++i)
        if (bytes[i] != kFrame[i]) return false;
    return n <= 5 || bytes[5] == '\n' || bytes[5] == ' ';
}

std::string y4m_mismatch(const std::string& path, const Y4mHeader& h, const Y4mCore& core) {
    const CoreLayout want = core_layout(core);
    const bool size_fits = h.width == core.width && h.height == core.height;
    const bool layout_fits = want.known && h.chroma == want.chroma;
    const bool depth_fits = h.depth <= core.dwidth;
    if (size_fits && layout_fits && depth_fits) return "";
    char buf[512];
    const std::string colour =
        h.colour.empty() ? "without a C parameter (4:2:0, 8 bits)" : "C" + h.colour;
    std::snprintf(buf, sizeof buf, "%s is %dx%d %s; the core takes %dx%d %s, %d bits (dwidth=%d)",
                  path.c_str(), h.width, h.height, colour.c_str(), core.width, core.height,
                  want.text.c_str(), core.dwidth, core.dwidth);
    std::string line = buf;
    // A layout or depth ffmpeg can convert to; a size is the user's choice.
    const std::string format =
        want.known ? pixel_format(want.chroma, h.depth < core.dwidth ? h.depth : core.dwidth) : "";
    if ((!layout_fits || !depth_fits) && !format.empty())
        line += "; convert it with ffmpeg -i " + path + " -pix_fmt " + format +
                " -strict -1 out.y4m";
    return line;
}

Y4mLineRead read_y4m_line(FILE* in, std::string* line) {
    line->clear();
    while (line->size() < kY4mMaxLineBytes) {
        const int c = std::getc(in);
        if (c == EOF) {
            if (std::ferror(in)) return Y4mLineRead::failed;
            return line->empty() ? Y4mLineRead::none : Y4mLineRead::cut;
        }
        line->push_back(static_cast<char>(c));
        if (c == '\n') return Y4mLineRead::line;
    }
    return Y4mLineRead::too_long;
}

Y4mScan scan_y4m_frames(FILE* in, int64_t file_bytes, int64_t frame_bytes, int32_t limit) {
    Y4mScan scan;
    int64_t at = ::ftello(in);
    if (at < 0) {
        scan.failed = true;
        return scan;
    }
    std::string line;
    while (scan.frames < limit && at < file_bytes) {
        const Y4mLineRead read = read_y4m_line(in, &line);
        if (read == Y4mLineRead::failed) {
            scan.failed = true;
            return scan;
        }
        const bool starts = y4m_frame_line_start(line.data(), line.size());
        if (read == Y4mLineRead::too_long || !starts) {
            scan.bad_frame = scan.frames + 1;
            return scan;
        }
        const int64_t end = at + static_cast<int64_t>(line.size()) + frame_bytes;
        if (read != Y4mLineRead::line || end > file_bytes) {
            scan.rest = file_bytes - at;
            return scan;
        }
        if (::fseeko(in, static_cast<off_t>(end), SEEK_SET) != 0) {
            scan.failed = true;
            return scan;
        }
        at = end;
        ++scan.frames;
    }
    return scan;
}

}  // namespace veldax
