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

// Unpacks a record's words (dump words, or the model's 16-bit words) into its
// planes; unknown dump words read as -1.
template <class Word>
void unpack(const Word* words, int64_t count, const PlaneSpan* spans, int32_t planes,
            FramePlanes* out) {
    out->width = planes ? spans[0].width : 0;
    out->height = planes ? spans[0].height : 0;
    out->planes.assign(static_cast<size_t>(planes), {});
    int64_t start = 0;
    for (int32_t p = 0; p < planes; ++p) {
        const PlaneSpan& span = spans[p];
        std::vector<int32_t>& plane = out->planes[static_cast<size_t>(p)];
        plane.assign(static_cast<size_t>(span.width) * static_cast<size_t>(span.height), -1);
        for (int32_t j = 0; j < span.height; ++j)
            for (int32_t k = 0; k < span.width; ++k) {
                const int64_t at = start + (span.packed ? chroma_word(span.width, j, k)
                                                        : int64_t{j} * span.width + k);
                if (at < count && !is_unknown(static_cast<int32_t>(words[at])))
                    plane[static_cast<size_t>(j) * static_cast<size_t>(span.width) +
                          static_cast<size_t>(k)] = words[at];
            }
        start += span.words;
    }
}

// Where record `index` of the run lies: its first word and planes.
struct Record {
    int64_t start = -1;  // first entry in the file
    int64_t entries = 0;
    int32_t planes = 0;
    PlaneSpan spans[VELDAX_RUN_MAX_PLANES];
    int64_t count = 0;  // records of the run
};

Record record_of(const Run& run, bool stimulus, int64_t index) {
    const FrameLayout& l = run.layout;
    Record r;
    if (stimulus) {
        l.for_each_stimulus_field(run.fields, [&](const StimulusField& f) {
            if (r.count++ != index) return;
            r.start = f.byte_offset / l.stimulus_entry_bytes();
            r.entries = f.words;
            r.planes = l.stimulus_planes();
            for (int32_t p = 0; p < r.planes && p < VELDAX_RUN_MAX_PLANES; ++p)
                r.spans[p] = l.stimulus_plane(p, f.field);
        });
    } else {
        l.for_each_golden_frame(run.fields, [&](const GoldenFrame& f) {
            if (r.count++ != index) return;
            r.start = f.byte_offset / 2;
            r.entries = f.words;
            r.planes = l.golden_planes();
            for (int32_t p = 0; p < r.planes && p < VELDAX_RUN_MAX_PLANES; ++p)
                r.spans[p] = l.golden_plane(p, f.size_index);
        });
    }
    return r;
}

// Record `index` read from a file (binary words or a text dump).
bool record_from_file(const std::string& path, const Run& run, const Record& r, bool stimulus,
                      int64_t index, FramePlanes* out) {
    DumpReader d;
    if (!open_dump(path, WordFormat::detect, r.start + r.entries, true, &d)) return false;
    std::vector<int32_t> words(static_cast<size_t>(r.entries));
    if (skip_dump(&d, r.start) < r.start ||
        read_dump(&d, words.data(), r.entries) < r.entries) {
        if (!d.failed)
            report_error("%s ends before the end of %s %" PRId64, printable(path).c_str(),
                         stimulus ? "field" : "frame", index);
        return false;
    }
    (void)run;
    unpack(words.data(), r.entries, r.spans, r.planes, out);
    return true;
}

// The words of record `index` as the model computes it; the run is closed
// on return.
bool model_words(const RunWords& w, bool stimulus, int64_t index, std::vector<uint16_t>* words) {
    Expected e;
    if (!open_expected(w, "", &e, stimulus)) return false;
    int s = 0;
    if (stimulus) {
        const veldax_field* f = nullptr;
        while ((s = next_field(&e, &f)) > 0 && f->field != index) {
        }
        if (s > 0) words->assign(f->stimulus_words, f->stimulus_words + f->stimulus_word_count);
    } else {
        ExpectedFrame f;
        while ((s = next_expected(&e, &f)) > 0 && f.frame.index != index) {
        }
        if (s > 0) words->assign(f.words, f.words + f.frame.words);
    }
    return s > 0;
}

// Record `index` computed by the model.  Its words are copied out and the
// run closed before they are unpacked: the model's buffers and the planes
// are never held together.
bool record_from_model(const RunWords& w, const Record& r, bool stimulus, int64_t index,
                       FramePlanes* out) {
    std::vector<uint16_t> words;
    if (!model_words(w, stimulus, index, &words)) return false;
    unpack(words.data(), static_cast<int64_t>(words.size()), r.spans, r.planes, out);
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

// Writes the picture; a picture that could not be written leaves no file.
bool write_png(const std::string& path, const Picture& pic) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        report_error("%s: cannot create the file", printable(path).c_str());
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
        // PNG allows 2^31 - 1 pixels a side; libpng's own default stops at a million.
        png_set_user_limits(png, 0x7fffffffU, 0x7fffffffU);
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
    if (!ok) {
        std::remove(path.c_str());
        report_error("%s: could not write the picture", printable(path).c_str());
    }
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

namespace {

// -o must not name a file the picture is drawn from.
bool output_is_an_input(const Options& o) {
    const std::string inputs[] = {o.file, o.diff, o.words.kvf, o.words.mode.path,
                                  o.file.empty() ? std::string(o.stimulus ? kStimulusFile : kGoldenFile)
                                                 : std::string()};
    for (const std::string& in : inputs) {
        if (in.empty() || !same_file(o.out, in)) continue;
        report_error("png: -o %s names %s, an input of the picture; choose another name",
                     printable(o.out).c_str(), printable(in).c_str());
        return true;
    }
    return false;
}

bool check_png_options(const Options& o) {
    if (o.frame < 0 || o.out.empty()) {
        report_error("png: --frame N and -o OUT.png are needed");
        return false;
    }
    if (o.depth != 8 && o.depth != 16) {
        report_error("png: --depth takes 8 or 16");
        return false;
    }
    if (o.rgb && !o.diff.empty()) {
        report_error("png: --rgb draws colours; the heat map of --diff has its own: give one of them");
        return false;
    }
    if (o.scale > 64) {
        report_error("png: --scale takes 1 to 64");
        return false;
    }
    return !output_is_an_input(o);
}

// Heat map: matching samples in dim grey, differences from dark red (small)
// to yellow (the largest); when they are few, a cyan ring marks each.
struct HeatCounts {
    int64_t words[VELDAX_RUN_MAX_PLANES] = {};  // differing words per plane
    int64_t pixels = 0;                         // differing pixels of the picture
    int64_t largest = 0;                        // largest |got - expected|
};

const std::vector<int32_t>& plane_of(const FramePlanes& f, int32_t p) {
    return f.planes[static_cast<size_t>(p)];
}

// The largest difference, the heat map's top colour; an unknown sample
// counts as the whole range.
int64_t largest_difference(const Run& run, const FramePlanes& frame, const FramePlanes& other) {
    int64_t largest = 0;
    for (int32_t p = 0; p < static_cast<int32_t>(frame.planes.size()); ++p)
        for (size_t i = 0; i < plane_of(frame, p).size(); ++i) {
            const int32_t a = plane_of(frame, p)[i], b = plane_of(other, p)[i];
            if (a != b)
                largest = std::max<int64_t>(largest, b < 0 ? run.max_value : std::llabs(int64_t{a} - b));
        }
    return largest;
}

// Paints every pixel; returns where the differing ones are.
std::vector<std::pair<int32_t, int32_t>> paint_heat(const Run& run, const FramePlanes& frame,
                                                    const FramePlanes& other, int64_t largest,
                                                    Picture* pic) {
    const int32_t w = frame.width, h = frame.height;
    std::vector<std::pair<int32_t, int32_t>> marks;
    for (int32_t p = 0; p < static_cast<int32_t>(frame.planes.size()); ++p)
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) {
                const size_t i = static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x);
                const int32_t a = plane_of(frame, p)[i], b = plane_of(other, p)[i];
                uint16_t* px = pic->at(p * w + x, y);
                if (a == b) {
                    px[0] = px[1] = px[2] = static_cast<uint16_t>(level(a, run.max_value, 255, false) / 2);
                    continue;
                }
                const double t = b < 0 ? 1.0
                                       : static_cast<double>(std::llabs(int64_t{a} - b)) /
                                             static_cast<double>(largest);
                px[0] = 255;
                px[1] = static_cast<uint16_t>(std::lround(255 * t));
                px[2] = 0;
                marks.emplace_back(p * w + x, y);
            }
    return marks;
}

// Differing words of each plane: a packed chroma word stands for two pixels.
void count_heat_words(const FramePlanes& frame, const FramePlanes& other, const Record& r,
                      HeatCounts* n) {
    for (int32_t p = 0; p < r.planes && p < VELDAX_RUN_MAX_PLANES; ++p) {
        const PlaneSpan& s = r.spans[p];
        for (int32_t y = 0; y < s.height; ++y)
            for (int32_t x = 0; x < s.width; x += s.packed ? 2 : 1) {
                const size_t i = static_cast<size_t>(y) * static_cast<size_t>(s.width) + static_cast<size_t>(x);
                n->words[p] += plane_of(frame, p)[i] != plane_of(other, p)[i];
            }
    }
}

// Rings only where they help: a few mismatches in a frame that is otherwise
// right; many would cover the picture.
void ring_marks(const std::vector<std::pair<int32_t, int32_t>>& marks, Picture* pic) {
    if (marks.size() > 64) return;
    for (auto [mx, my] : marks)
        for (int32_t dy = -3; dy <= 3; ++dy)
            for (int32_t dx = -3; dx <= 3; ++dx) {
                if (std::max(std::abs(dx), std::abs(dy)) != 3) continue;
                const int32_t x = mx + dx, y = my + dy;
                if (x < 0 || y < 0 || x >= pic->width || y >= pic->height) continue;
                uint16_t* px = pic->at(x, y);
                if (px[0] == 255 && px[2] == 0) continue;
                px[0] = 0;
                px[1] = px[2] = 255;
            }
}

HeatCounts draw_heat(const Run& run, const FramePlanes& frame, const FramePlanes& other,
                     const Record& r, Picture* pic) {
    pic->width = frame.width * static_cast<int32_t>(frame.planes.size());
    pic->height = frame.height;
    pic->channels = 3;
    pic->depth = 8;
    pic->samples.assign(static_cast<size_t>(pic->width) * static_cast<size_t>(pic->height) * 3, 0);
    HeatCounts n;
    n.largest = largest_difference(run, frame, other);
    const auto marks = paint_heat(run, frame, other, n.largest, pic);
    n.pixels = static_cast<int64_t>(marks.size());
    count_heat_words(frame, other, r, &n);
    ring_marks(marks, pic);
    return n;
}

// "frame 2: 1 word differs (plane 0: 0, plane 1: 1, plane 2: 0), drawn as 2
// pixels (a 4:2:2 chroma word fills 2 columns); largest |got - expected| 4"
void print_heat_summary(const Options& o, const Record& r, const HeatCounts& n) {
    int64_t words = 0;
    std::string planes;
    bool packed = false;
    for (int32_t p = 0; p < r.planes && p < VELDAX_RUN_MAX_PLANES; ++p) {
        words += n.words[p];
        planes += (p ? ", plane " : "plane ") + std::to_string(p) + ": " + std::to_string(n.words[p]);
        packed = packed || r.spans[p].packed;
    }
    std::printf("%s %" PRId64 ": %" PRId64 " word%s (%s), drawn as %" PRId64
                " pixel%s%s; largest |got - expected| %" PRId64 "\n",
                o.stimulus ? "field" : "frame", o.frame, words, words == 1 ? " differs" : "s differ",
                planes.c_str(), n.pixels, n.pixels == 1 ? "" : "s",
                packed ? " (a 4:2:2 chroma word fills 2 columns)" : "", n.largest);
}

void draw_rgb(const Run& run, const FramePlanes& frame, int32_t top, Picture* pic) {
    const int32_t w = frame.width, h = frame.height;
    pic->width = w;
    pic->height = h;
    pic->channels = 3;
    pic->samples.resize(static_cast<size_t>(w) * static_cast<size_t>(h) * 3);
    const double range = run.max_value > 0 ? run.max_value : 1;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const size_t i = static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x);
            double rgb[3];
            to_rgb(std::max(frame.planes[0][i], 0) / range, std::max(frame.planes[1][i], 0) / range,
                   std::max(frame.planes[2][i], 0) / range, rgb);
            uint16_t* px = pic->at(x, y);
            for (int c = 0; c < 3; ++c) px[c] = static_cast<uint16_t>(std::lround(rgb[c] * top));
        }
}

// Planes side by side in grey.
void draw_grey(const Run& run, const FramePlanes& frame, int32_t top, bool keep, Picture* pic) {
    const int32_t w = frame.width, h = frame.height;
    const int32_t planes = static_cast<int32_t>(frame.planes.size());
    pic->width = w * planes;
    pic->height = h;
    pic->samples.resize(static_cast<size_t>(pic->width) * static_cast<size_t>(h));
    for (int32_t p = 0; p < planes; ++p)
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                *pic->at(p * w + x, y) = level(
                    frame.planes[static_cast<size_t>(p)][static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)],
                    run.max_value, top, keep);
}

// Small pictures grow by a whole factor to about 512 pixels wide.
void scale_picture(int64_t asked, Picture* pic) {
    int64_t k = asked;
    if (k == 0) k = pic->width > 0 && pic->width < 512 ? (512 + pic->width - 1) / pic->width : 1;
    if (k > 64) k = 64;
    if (k <= 1) return;
    const int32_t f = static_cast<int32_t>(k);
    Picture big = *pic;
    big.width = pic->width * f;
    big.height = pic->height * f;
    big.samples.assign(static_cast<size_t>(big.width) * static_cast<size_t>(big.height) * static_cast<size_t>(pic->channels), 0);
    for (int32_t y = 0; y < big.height; ++y)
        for (int32_t x = 0; x < big.width; ++x)
            for (int32_t c = 0; c < pic->channels; ++c) big.at(x, y)[c] = pic->at(x / f, y / f)[c];
    *pic = std::move(big);
}

bool load_record(const Options& o, const Run& run, const Record& r, const std::string& path,
                 FramePlanes* out) {
    if (path.empty()) return record_from_model(o.words, r, o.stimulus, o.frame, out);
    return record_from_file(path, run, r, o.stimulus, o.frame, out);
}

}  // namespace

int cmd_png(const Options& o) {
    if (!check_png_options(o)) return kBadInput;
    Run run;
    if (!load_run(o.words, &run)) return kBadInput;
    const Record r = record_of(run, o.stimulus, o.frame);
    if (r.start < 0) {
        report_error("--frame %" PRId64 ": the run has %" PRId64 " %s", o.frame, r.count,
                     o.stimulus ? "fields" : "frames");
        return kBadInput;
    }
    if (r.planes <= 0 || r.spans[0].width <= 0 || r.spans[0].height <= 0) {
        report_error("png: the frame is empty");
        return kBadInput;
    }
    FramePlanes frame;
    if (!load_record(o, run, r, o.file, &frame)) return kBadInput;
    Picture pic;
    pic.depth = o.depth;
    const int32_t top = o.depth == 16 ? 65535 : 255;
    HeatCounts heat;
    if (!o.diff.empty()) {
        FramePlanes other;
        if (!record_from_file(o.diff, run, r, o.stimulus, o.frame, &other)) return kBadInput;
        heat = draw_heat(run, frame, other, r, &pic);
    } else if (o.rgb) {
        if (r.planes < 3 || !(run.layout.ycbcr422 || run.ycbcr444)) {
            report_error("png: --rgb needs a 4:2:2 or 4:4:4 run of three planes");
            return kBadInput;
        }
        draw_rgb(run, frame, top, &pic);
    } else {
        draw_grey(run, frame, top, o.depth == 16, &pic);
    }
    if (int64_t{pic.width} * std::max<int64_t>(o.scale, 1) > 0x7fffffff) {
        report_error("png: the picture would be wider than PNG allows");
        return kBadInput;
    }
    scale_picture(o.scale, &pic);
    if (!write_png(o.out, pic)) return kBadInput;
    if (o.diff.empty()) return kSame;
    print_heat_summary(o, r, heat);
    return heat.pixels ? kDifferent : kSame;
}

}  // namespace veldax::inspect
