// The png subcommand: a frame of a data file as a picture, or a heat map of
// its differences from a dump.
#include <png.h>

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/output_files.h"
#include "core/report.h"
#include "inspect.h"

namespace veldax::inspect {

namespace {

// A frame's planes, each unpacked to w x h samples (a packed chroma word
// fills the two columns it stands for); -1 marks an unknown sample.
struct FramePlanes {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<std::vector<int32_t>> planes;
};

void unpack(const Words& words, int64_t start, const PlaneSpan& span, std::vector<int32_t>* out) {
    out->assign(static_cast<size_t>(span.width) * static_cast<size_t>(span.height), -1);
    for (int32_t j = 0; j < span.height; ++j)
        for (int32_t k = 0; k < span.width; ++k) {
            const int64_t w =
                span.packed ? chroma_word(span.width, j, k) : int64_t{j} * span.width + k;
            const int64_t at = start + w;
            if (at < static_cast<int64_t>(words.values.size()))
                (*out)[static_cast<size_t>(j) * static_cast<size_t>(span.width) +
                       static_cast<size_t>(k)] = words.values[static_cast<size_t>(at)];
        }
}

// The record `index` of the run in `words`: a golden frame, or a stimulus
// field.  Prints the reason and returns false when there is no such record.
bool frame_of(const Run& run, const Words& words, bool stimulus, int64_t index,
              const std::string& path, FramePlanes* out) {
    const FrameLayout& l = run.layout;
    std::vector<PlaneSpan> spans;
    int64_t start = -1;
    int64_t count = 0;
    if (stimulus) {
        const int64_t entry = l.stimulus_entry_bytes();
        l.for_each_stimulus_field(run.fields, [&](const StimulusField& f) {
            ++count;
            if (f.field != index) return;
            start = f.byte_offset / entry;
            for (int32_t p = 0; p < l.stimulus_planes(); ++p)
                spans.push_back(l.stimulus_plane(p, f.field));
        });
    } else {
        l.for_each_golden_frame(run.fields, [&](const GoldenFrame& f) {
            ++count;
            if (f.index != index) return;
            start = f.byte_offset / 2;
            for (int32_t p = 0; p < l.golden_planes(); ++p)
                spans.push_back(l.golden_plane(p, f.size_index));
        });
    }
    if (start < 0) {
        report_error("--frame %" PRId64 ": the run has %" PRId64 " %s", index, count,
                     stimulus ? "fields" : "frames");
        return false;
    }
    int64_t words_needed = 0;
    for (const PlaneSpan& s : spans) words_needed += s.words;
    if (start + words_needed > static_cast<int64_t>(words.values.size())) {
        report_error("%s ends before the end of %s %" PRId64 "", path.c_str(),
                     stimulus ? "field" : "frame", index);
        return false;
    }
    out->width = spans.empty() ? 0 : spans[0].width;
    out->height = spans.empty() ? 0 : spans[0].height;
    out->planes.resize(spans.size());
    for (size_t p = 0; p < spans.size(); ++p) {
        unpack(words, start, spans[p], &out->planes[p]);
        start += spans[p].words;
    }
    return true;
}

// Pixels of 8 or 16 bits, one or three channels.
struct Picture {
    int32_t width = 0;
    int32_t height = 0;
    int32_t channels = 1;
    int32_t depth = 8;
    std::vector<uint16_t> samples;
    uint16_t* at(int32_t x, int32_t y) {
        return &samples[(static_cast<size_t>(y) * static_cast<size_t>(width) +
                         static_cast<size_t>(x)) *
                        static_cast<size_t>(channels)];
    }
};

bool write_png(const std::string& path, const Picture& pic) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        report_error("%s: cannot create the file", path.c_str());
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    const size_t bytes = static_cast<size_t>(pic.depth / 8);
    std::vector<png_byte> row(static_cast<size_t>(pic.width) * static_cast<size_t>(pic.channels) *
                              bytes);
    bool ok = png && info;
    if (ok && setjmp(png_jmpbuf(png)))
        ok = false;
    else if (ok) {
        png_init_io(png, f);
        png_set_IHDR(png, info, static_cast<png_uint_32>(pic.width),
                     static_cast<png_uint_32>(pic.height), pic.depth,
                     pic.channels == 3 ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_GRAY,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        const size_t per_row = static_cast<size_t>(pic.width) * static_cast<size_t>(pic.channels);
        for (int32_t y = 0; y < pic.height; ++y) {
            const uint16_t* src = &pic.samples[static_cast<size_t>(y) * per_row];
            for (size_t i = 0; i < per_row; ++i) {
                // PNG stores 16-bit samples most significant byte first.
                if (bytes == 2) {
                    row[2 * i] = static_cast<png_byte>(src[i] >> 8);
                    row[2 * i + 1] = static_cast<png_byte>(src[i] & 0xff);
                } else {
                    row[i] = static_cast<png_byte>(src[i]);
                }
            }
            png_write_row(png, row.data());
        }
        png_write_end(png, nullptr);
    }
    png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
    if (std::fclose(f) != 0) ok = false;
    if (!ok) report_error("%s: could not write the picture", path.c_str());
    return ok;
}

// A sample brought to 0..top, top being 255 or 65535: scaled from the
// sample range, or kept as it is (`keep`, 16 bits).
uint16_t level(int32_t v, int32_t max_value, int32_t top, bool keep) {
    if (v < 0) return 0;
    if (keep) return static_cast<uint16_t>(v & 0xffff);
    const int64_t c = std::min<int64_t>(v, max_value);
    return static_cast<uint16_t>(max_value > 0 ? (c * top + max_value / 2) / max_value : 0);
}

// YCbCr of video range (ITU-R BT.601) to RGB, in 0..1.
void to_rgb(double y, double cb, double cr, double rgb[3]) {
    y = (y - 16.0 / 255) * 255 / 219;
    cb = (cb - 128.0 / 255) * 255 / 224;
    cr = (cr - 128.0 / 255) * 255 / 224;
    rgb[0] = y + 1.402 * cr;
    rgb[1] = y - 0.344136 * cb - 0.714136 * cr;
    rgb[2] = y + 1.772 * cb;
    for (int i = 0; i < 3; ++i) rgb[i] = std::clamp(rgb[i], 0.0, 1.0);
}

}  // namespace

int cmd_png(const Options& o) {
    if (o.frame < 0 || o.out.empty()) {
        report_error("png: --frame N and -o OUT.png are needed");
        return kBadInput;
    }
    if (o.depth != 8 && o.depth != 16) {
        report_error("png: --depth takes 8 or 16");
        return kBadInput;
    }
    Run run;
    if (!load_run(o.words, &run)) return kBadInput;
    const std::string path = !o.file.empty() ? o.file : o.stimulus ? kStimulusFile : kGoldenFile;
    Words words;
    if (!read_words(path, WordFormat::detect, &words)) return kBadInput;
    FramePlanes frame;
    if (!frame_of(run, words, o.stimulus, o.frame, path, &frame)) return kBadInput;
    const int32_t w = frame.width, h = frame.height;
    const int32_t planes = static_cast<int32_t>(frame.planes.size());
    const int32_t top = o.depth == 16 ? 65535 : 255;
    const bool keep = o.depth == 16;
    Picture pic;
    pic.depth = o.depth;

    if (!o.diff.empty()) {
        // Heat map: matching samples in dim grey, differences from dark red
        // (small) to yellow (the largest), each marked by a box around it.
        Words dump;
        if (!read_words(o.diff, WordFormat::detect, &dump)) return kBadInput;
        FramePlanes other;
        if (!frame_of(run, dump, o.stimulus, o.frame, o.diff, &other)) return kBadInput;
        pic.width = w * planes;
        pic.height = h;
        pic.channels = 3;
        pic.depth = 8;
        pic.samples.assign(static_cast<size_t>(pic.width) * static_cast<size_t>(h) * 3, 0);
        int64_t largest = 0, count = 0;
        for (int32_t p = 0; p < planes; ++p)
            for (size_t i = 0; i < frame.planes[static_cast<size_t>(p)].size(); ++i) {
                const int32_t a = frame.planes[static_cast<size_t>(p)][i],
                              b = other.planes[static_cast<size_t>(p)][i];
                if (a != b)
                    largest = std::max<int64_t>(largest,
                                                b < 0 ? run.max_value : std::llabs(int64_t{a} - b));
            }
        std::vector<std::pair<int32_t, int32_t>> marks;
        for (int32_t p = 0; p < planes; ++p)
            for (int32_t y = 0; y < h; ++y)
                for (int32_t x = 0; x < w; ++x) {
                    const size_t i =
                        static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x);
                    const int32_t a = frame.planes[static_cast<size_t>(p)][i],
                                  b = other.planes[static_cast<size_t>(p)][i];
                    uint16_t* px = pic.at(p * w + x, y);
                    if (a == b) {
                        px[0] = px[1] = px[2] =
                            static_cast<uint16_t>(level(a, run.max_value, 255, false) / 2);
                        continue;
                    }
                    ++count;
                    const double t = b < 0 ? 1.0
                                           : static_cast<double>(std::llabs(int64_t{a} - b)) /
                                                 static_cast<double>(largest);
                    px[0] = 255;
                    px[1] = static_cast<uint16_t>(std::lround(255 * t));
                    px[2] = 0;
                    if (marks.size() < 4096) marks.emplace_back(p * w + x, y);
                }
        // A cyan box of radius 3 around each mismatch, over matching samples
        // only, so that a single sample stands out in a large frame.
        for (auto [mx, my] : marks)
            for (int32_t dy = -3; dy <= 3; ++dy)
                for (int32_t dx = -3; dx <= 3; ++dx) {
                    if (std::max(std::abs(dx), std::abs(dy)) != 3) continue;
                    const int32_t x = mx + dx, y = my + dy;
                    if (x < 0 || y < 0 || x >= pic.width || y >= h) continue;
                    uint16_t* px = pic.at(x, y);
                    if (px[0] == 255 && px[2] == 0) continue;
                    px[0] = 0;
                    px[1] = px[2] = 255;
                }
        if (!write_png(o.out, pic)) return kBadInput;
        std::printf("%s %" PRId64 ": %" PRId64 " pixels differ, largest difference %" PRId64 "\n",
                    o.stimulus ? "field" : "frame", o.frame, count, largest);
        return count ? kDifferent : kSame;
    }

    if (o.rgb) {
        const bool colour = planes >= 3 && (run.layout.ycbcr422 || run.ycbcr444);
        if (!colour) {
            report_error("png: --rgb needs a 4:2:2 or 4:4:4 run of three planes");
            return kBadInput;
        }
        pic.width = w;
        pic.height = h;
        pic.channels = 3;
        pic.samples.resize(static_cast<size_t>(w) * static_cast<size_t>(h) * 3);
        const double range = run.max_value > 0 ? run.max_value : 1;
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) {
                const size_t i =
                    static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x);
                double rgb[3];
                to_rgb(std::max(frame.planes[0][i], 0) / range,
                       std::max(frame.planes[1][i], 0) / range,
                       std::max(frame.planes[2][i], 0) / range, rgb);
                uint16_t* px = pic.at(x, y);
                for (int c = 0; c < 3; ++c)
                    px[c] = static_cast<uint16_t>(std::lround(rgb[c] * top));
            }
    } else {
        // Planes side by side in grey.
        pic.width = w * planes;
        pic.height = h;
        pic.samples.resize(static_cast<size_t>(pic.width) * static_cast<size_t>(h));
        for (int32_t p = 0; p < planes; ++p)
            for (int32_t y = 0; y < h; ++y)
                for (int32_t x = 0; x < w; ++x)
                    *pic.at(p * w + x, y) =
                        level(frame.planes[static_cast<size_t>(p)]
                                          [static_cast<size_t>(y) * static_cast<size_t>(w) +
                                           static_cast<size_t>(x)],
                              run.max_value, top, keep);
    }
    if (pic.width <= 0 || pic.height <= 0) {
        report_error("png: the frame is empty");
        return kBadInput;
    }
    return write_png(o.out, pic) ? kSame : kBadInput;
}

}  // namespace veldax::inspect
