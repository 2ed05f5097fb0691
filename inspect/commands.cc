// The text subcommands: frames, compare and hex.
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
void print_record(const std::string& head, const std::vector<uint8_t>& bytes, int64_t offset,
                  int64_t words, int64_t size) {
    const int64_t have = static_cast<int64_t>(bytes.size());
    std::string md5 = "-";
    const char* note = "";
    if (offset + size <= have)
        md5 = md5_hex(bytes.data() + offset, static_cast<size_t>(size));
    else
        note = offset < have ? " (cut short)" : " (missing)";
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
                    path.c_str(), have, want, want - have);
    else
        std::printf("%s: %" PRId64 " bytes, the run writes %" PRId64 ": %" PRId64
                    " bytes past the end\n",
                    path.c_str(), have, want, have - want);
    return false;
}

}  // namespace

int cmd_frames(const Options& o) {
    Run run;
    if (!load_run(o.words, &run)) return kBadInput;
    const std::string path = !o.file.empty() ? o.file : o.stimulus ? kStimulusFile : kGoldenFile;
    std::vector<uint8_t> bytes;
    if (!read_bytes(path, &bytes)) return kBadInput;
    const FrameLayout& l = run.layout;
    char head[160];
    if (o.stimulus) {
        l.for_each_stimulus_field(run.fields, [&](const StimulusField& f) {
            std::snprintf(head, sizeof head, "field %d size %d %s", f.field, f.size_index,
                          size_text(l.stimulus_plane(0, f.field), l.stimulus_planes()).c_str());
            print_record(head, bytes, f.byte_offset, f.words, f.bytes);
        });
        if (run.yuv_stray_words > 0)
            std::printf("then %" PRId64 " words of the frame the sequence cuts short\n",
                        run.yuv_stray_words);
        return check_length(path, static_cast<int64_t>(bytes.size()), stimulus_bytes(run))
                   ? kSame
                   : kDifferent;
    }
    for (const GoldenFrame& f : golden_frames(run)) {
        std::snprintf(head, sizeof head, "frame %" PRId64 " field %d size %d kept %d %s", f.index,
                      f.field, f.size_index, f.kept_parity,
                      size_text(l.golden_plane(0, f.size_index), l.golden_planes()).c_str());
        print_record(head, bytes, f.byte_offset, f.words, 2 * f.words);
    }
    return check_length(path, static_cast<int64_t>(bytes.size()), golden_bytes(run)) ? kSame
                                                                                     : kDifferent;
}

namespace {

// Mismatches of one plane of one frame.
struct PlaneSummary {
    int64_t frame = 0;
    int32_t plane = 0;
    int64_t count = 0;
    FramePosition first, last;
    int64_t largest = 0;  // largest |expected - got|; unknown values count as 0x10000
};

std::string where(const GoldenFrame& f, const FramePosition& p) {
    char buf[160];
    std::snprintf(buf, sizeof buf,
                  "frame %" PRId64 " (field %d, size index %d) plane %d row %d col %d", f.index,
                  f.field, f.size_index, p.plane, p.row, p.col);
    return buf;
}

}  // namespace

int cmd_compare(const Options& o) {
    if (o.sim.empty()) {
        report_error("compare: --sim DUMP is needed (options go before the parameter file)");
        return kBadInput;
    }
    WordFormat format = WordFormat::detect;
    if (!parse_format(o.format, &format)) {
        report_error("compare: --format takes words or hex");
        return kBadInput;
    }
    Run run;
    if (!load_run(o.words, &run)) return kBadInput;
    const std::string golden_path = o.golden.empty() ? std::string(kGoldenFile) : o.golden;
    Words golden, sim;
    if (!read_words(golden_path, WordFormat::binary, &golden)) return kBadInput;
    const int64_t want = golden_bytes(run);
    const int64_t have = 2 * static_cast<int64_t>(golden.values.size()) + (golden.odd_byte ? 1 : 0);
    if (have != want) {
        report_error("%s: %" PRId64 " bytes, but the run writes %" PRId64
                     ": not the golden data of this run",
                     golden_path.c_str(), have, want);
        return kBadInput;
    }
    if (!read_words(o.sim, format, &sim)) return kBadInput;

    const std::vector<GoldenFrame> frames = golden_frames(run);
    const int64_t total = static_cast<int64_t>(golden.values.size());
    const int64_t given = static_cast<int64_t>(sim.values.size());
    std::vector<PlaneSummary> summaries;
    int64_t mismatches = 0;
    int64_t frames_bad = 0;
    for (const GoldenFrame& f : frames) {
        const int64_t start = f.byte_offset / 2;
        bool bad = false;
        for (int64_t w = 0; w < f.words && start + w < given; ++w) {
            const int32_t expected = golden.values[static_cast<size_t>(start + w)];
            const int32_t got = sim.values[static_cast<size_t>(start + w)];
            if (got == expected) continue;
            const FramePosition p = golden_position(run, f, w);
            if (mismatches < o.max) {
                if (got < 0)
                    std::printf("%s: expected 0x%04x got x\n", where(f, p).c_str(), expected);
                else
                    std::printf("%s: expected 0x%04x got 0x%04x\n", where(f, p).c_str(), expected,
                                got);
            }
            ++mismatches;
            bad = true;
            if (summaries.empty() || summaries.back().frame != f.index ||
                summaries.back().plane != p.plane) {
                summaries.push_back({f.index, p.plane, 0, p, p, 0});
            }
            PlaneSummary& s = summaries.back();
            ++s.count;
            s.last = p;
            const int64_t d = got < 0 ? 0x10000 : std::llabs(int64_t{got} - expected);
            if (d > s.largest) s.largest = d;
        }
        frames_bad += bad;
    }
    if (mismatches > o.max) std::printf("... %" PRId64 " more\n", mismatches - o.max);
    for (const PlaneSummary& s : summaries) {
        std::printf("frame %" PRId64 " plane %d: %" PRId64
                    " %s, first row %d col %d, last row %d col %d, "
                    "largest difference %" PRId64 "%s\n",
                    s.frame, s.plane, s.count, s.count == 1 ? "mismatch" : "mismatches",
                    s.first.row, s.first.col, s.last.row, s.last.col, s.largest,
                    s.largest > 0xFFFF ? " (unknown value)" : "");
    }
    bool length_differs = false;
    if (given < total) {
        // The first word the dump lacks.
        length_differs = true;
        for (const GoldenFrame& f : frames) {
            const int64_t start = f.byte_offset / 2;
            if (given >= start + f.words) continue;
            std::printf("%s: ends after %" PRId64 " of %" PRId64
                        " words; the first missing word is %s\n",
                        o.sim.c_str(), given, total,
                        where(f, golden_position(run, f, given - start)).c_str());
            break;
        }
    } else if (given > total) {
        length_differs = true;
        const int64_t extra = given - total;
        const int64_t last = frames.empty() ? 0 : frames.back().words;
        std::printf("%s: %" PRId64 " words past the end of the golden data (%" PRId64
                    " frame(s) of %" PRId64 " words and %" PRId64 " words more)\n",
                    o.sim.c_str(), extra, last ? extra / last : 0, last,
                    last ? extra % last : extra);
    }
    if (sim.odd_byte) {
        length_differs = true;
        std::printf("%s: odd length, the last byte is half a word\n", o.sim.c_str());
    }
    if (mismatches == 0 && !length_differs) {
        std::printf("identical: %" PRId64 " words in %zu frames\n", total, frames.size());
        return kSame;
    }
    std::printf("%" PRId64 " mismatching word%s in %" PRId64 " of %zu frames%s\n", mismatches,
                mismatches == 1 ? "" : "s", frames_bad, frames.size(),
                length_differs ? "; the length differs" : "");
    return kDifferent;
}

int cmd_hex(const Options& o) {
    if (o.run.size() != 1) {
        report_error("usage: veldax-inspect hex FILE");
        return kBadInput;
    }
    Words words;
    if (!read_words(o.run[0], WordFormat::binary, &words)) return kBadInput;
    for (int32_t v : words.values) std::printf("%04x\n", v);
    if (words.odd_byte) {
        report_error("%s: odd length, the last byte is half a word", o.run[0].c_str());
        return kBadInput;
    }
    return kSame;
}

}  // namespace veldax::inspect
