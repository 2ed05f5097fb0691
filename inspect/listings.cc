// The listing subcommands: frames (one line per record, with its MD5) and
// hex (the words of a file, or of one frame, plane or row, as text).
#include <sys/stat.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>

#include "core/output_files.h"
#include "core/report.h"
#include "inspect.h"

namespace veldax::inspect {

namespace {

// One line per record: `head` names it, then where it lies and its MD5 (or
// why there is none).
// `got` of its `size` bytes were read.
void print_record(const std::string& head, const std::vector<uint8_t>& bytes, size_t got,
                  int64_t offset, int64_t words, int64_t size) {
    std::string md5 = "-";
    const char* note = "";
    if (static_cast<int64_t>(got) >= size)
        md5 = md5_hex(bytes.data(), static_cast<size_t>(size));
    else
        note = got > 0 ? " (cut short)" : " (missing)";
    std::printf("%s offset %" PRId64 " words %" PRId64 " md5 %s%s\n", head.c_str(), offset, words,
                md5.c_str(), note);
}

std::string size_text(const PlaneSpan& luma, int32_t planes) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "%dx%d planes %d", luma.width, luma.height, planes);
    return buf;
}

// Says how the file's length differs from the run's; true when it matches.
bool check_length(const std::string& path, int64_t have, int64_t want) {
    if (have == want) return true;
    if (have < want)
        std::printf("%s: %" PRId64 " bytes, the run writes %" PRId64 ": %" PRId64 " bytes short\n",
                    printable(path).c_str(), have, want, want - have);
    else
        std::printf("%s: %" PRId64 " bytes, the run writes %" PRId64 ": %" PRId64
                    " bytes past the end\n",
                    printable(path).c_str(), have, want, have - want);
    return false;
}

}  // namespace

namespace {

// The stimulus records of the run, each read from the file as bytes.
int frames_of_stimulus(const Run& run, const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    struct stat st {};
    if (!f || fstat(fileno(f), &st) != 0 || S_ISDIR(st.st_mode)) {
        if (f) std::fclose(f);
        report_error("%s: cannot read the file", printable(path).c_str());
        return kBadInput;
    }
    const FrameLayout& l = run.layout;
    std::vector<uint8_t> bytes;
    int64_t have = 0;
    char head[160];
    l.for_each_stimulus_field(run.fields, [&](const StimulusField& s) {
        bytes.resize(static_cast<size_t>(s.bytes));
        const size_t got = std::fread(bytes.data(), 1, bytes.size(), f);
        have += static_cast<int64_t>(got);
        std::snprintf(head, sizeof head, "field %d size %d %s", s.field, s.size_index,
                      size_text(l.stimulus_plane(0, s.field), l.stimulus_planes()).c_str());
        print_record(head, bytes, got, s.byte_offset, s.words, s.bytes);
    });
    if (run.yuv_stray_words > 0)
        std::printf("then %" PRId64 " words of the frame the sequence cuts short\n",
                    run.yuv_stray_words);
    uint8_t rest[65536];
    size_t n = 0;
    // The length past the run is counted up to one more run's worth at most.
    while (have <= 2 * stimulus_bytes(run) && (n = std::fread(rest, 1, sizeof rest, f)) > 0)
        have += static_cast<int64_t>(n);
    std::fclose(f);
    return check_length(path, have, stimulus_bytes(run)) ? kSame : kDifferent;
}

// The golden frames of a file (binary words or a text dump), one at a time.
int frames_of_golden(const Run& run, const std::string& path, const std::string& format_name) {
    WordFormat format = WordFormat::detect;
    if (!parse_format(format_name, &format)) {
        report_error("frames: --format takes words or hex");
        return kBadInput;
    }
    const int64_t total = golden_bytes(run) / 2;
    DumpReader r;
    if (!open_dump(path, format, total, false, &r)) return kBadInput;
    const FrameLayout& l = run.layout;
    std::vector<int32_t> words;
    std::vector<uint8_t> bytes;
    char head[160];
    for (const GoldenFrame& f : golden_frames(run)) {
        words.resize(static_cast<size_t>(f.words));
        const int64_t got = read_dump(&r, words.data(), f.words);
        bytes.resize(static_cast<size_t>(2 * got));
        for (int64_t i = 0; i < got; ++i) {
            bytes[static_cast<size_t>(2 * i)] = static_cast<uint8_t>(words[static_cast<size_t>(i)] & 0xFF);
            bytes[static_cast<size_t>(2 * i + 1)] = static_cast<uint8_t>(words[static_cast<size_t>(i)] >> 8 & 0xFF);
        }
        std::snprintf(head, sizeof head, "frame %" PRId64 " field %d size %d kept %d %s", f.index,
                      f.field, f.size_index, f.kept_parity,
                      size_text(l.golden_plane(0, f.size_index), l.golden_planes()).c_str());
        print_record(head, bytes, bytes.size(), f.byte_offset, f.words, 2 * f.words);
    }
    finish_dump(&r);
    if (r.failed) return kBadInput;
    if (r.text) {
        if (r.position == total && !r.past_end) return kSame;
        std::printf("%s: %" PRId64 " words%s, the run writes %" PRId64 "\n", printable(path).c_str(),
                    r.position, r.past_end ? " and more" : "", total);
        return kDifferent;
    }
    const int64_t have = r.regular ? r.file_bytes : 2 * r.position + (r.past_end ? 2 : 0);
    return check_length(path, have, 2 * total) ? kSame : kDifferent;
}

}  // namespace

int cmd_frames(const Options& o) {
    Run run;
    if (!load_run(o.words, &run)) return kBadInput;
    const std::string path = !o.file.empty() ? o.file : o.stimulus ? kStimulusFile : kGoldenFile;
    return o.stimulus ? frames_of_stimulus(run, path) : frames_of_golden(run, path, o.format);
}

namespace {

// Prints words [from, from + count) of the dump, four digits a line; false
// when standard output stops taking them.
bool print_words(DumpReader* r, int64_t count) {
    std::vector<int32_t> block(65536);
    while (count > 0) {
        const int64_t want = count < 65536 ? count : 65536;
        const int64_t got = read_dump(r, block.data(), want);
        for (int64_t i = 0; i < got; ++i) {
            const int32_t w = block[static_cast<size_t>(i)];
            if (is_unknown(w))
                std::printf("%s\n", word_text(w).c_str());
            else
                std::printf("%04x\n", static_cast<unsigned>(w));
        }
        if (std::ferror(stdout)) return false;
        count -= got;
        if (got < want) break;
    }
    return true;
}

// The words of one frame (or one plane, or one row of it) of a run's file.
int hex_slice(const Options& o) {
    RunWords words;
    const std::vector<std::string> run_words(o.run.begin() + 1, o.run.end());
    Run run;
    if (!parse_run_words(run_words, &words) || !load_run(words, &run)) return kBadInput;
    const std::vector<GoldenFrame> frames = golden_frames(run);
    if (o.frame >= static_cast<int64_t>(frames.size())) {
        report_error("hex: --frame %" PRId64 ": the run has %zu frames", o.frame, frames.size());
        return kBadInput;
    }
    const GoldenFrame& f = frames[static_cast<size_t>(o.frame)];
    const FrameLayout& l = run.layout;
    int64_t start = f.byte_offset / 2, count = f.words;
    if (o.plane >= 0) {
        if (o.plane >= l.golden_planes()) {
            report_error("hex: --plane %" PRId64 ": the frame has %d planes", o.plane, l.golden_planes());
            return kBadInput;
        }
        for (int32_t p = 0; p < o.plane; ++p) start += l.golden_plane(p, f.size_index).words;
        const PlaneSpan span = l.golden_plane(static_cast<int32_t>(o.plane), f.size_index);
        count = span.words;
        if (o.row >= 0) {
            if (o.row >= span.height) {
                report_error("hex: --row %" PRId64 ": the plane has %d rows", o.row, span.height);
                return kBadInput;
            }
            const int64_t per_row = span.packed ? span.width / 2 : span.width;
            start += span.packed ? chroma_word(span.width, o.row, 0) : o.row * per_row;
            count = per_row;
        }
    } else if (o.row >= 0) {
        report_error("hex: --row needs --plane");
        return kBadInput;
    }
    DumpReader r;
    if (!open_dump(o.run[0], WordFormat::detect, golden_bytes(run) / 2, true, &r)) return kBadInput;
    if (skip_dump(&r, start) < start) {
        report_error("%s ends before frame %" PRId64, printable(o.run[0]).c_str(), o.frame);
        return kBadInput;
    }
    return print_words(&r, count) && !r.failed ? kSame : kBadInput;
}

}  // namespace

int cmd_hex(const Options& o) {
    if (o.run.empty() || (o.run.size() != 1 && o.frame < 0)) {
        report_error("usage: veldax-inspect hex FILE [--frame F [--plane P] [--row R] CONFIG.kvf SWITCH]");
        return kBadInput;
    }
    if (o.frame >= 0) return hex_slice(o);
    DumpReader r;
    if (!open_dump(o.run[0], WordFormat::binary, INT64_MAX / 4, true, &r)) return kBadInput;
    if (!print_words(&r, INT64_MAX / 4) || r.failed) return kBadInput;
    finish_dump(&r);
    if (r.odd_byte) {
        report_error("%s: odd length, the last byte is half a word", printable(o.run[0]).c_str());
        return kBadInput;
    }
    return kSame;
}

}  // namespace veldax::inspect
