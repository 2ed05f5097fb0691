// The compare subcommand: a simulation dump against the run's golden frames,
// computed by the model frame by frame (or read from --golden), the dump read
// alongside, so memory holds a few frames whatever the run's length.
#include <sys/stat.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>

#include "core/output_files.h"
#include "core/report.h"
#include "inspect.h"

namespace veldax::inspect {

std::string where(const GoldenFrame& f, const FramePosition& p) {
    char buf[160];
    std::snprintf(buf, sizeof buf,
                  "frame %" PRId64 " (field %d, size index %d) plane %d row %d col %d", f.index,
                  f.field, f.size_index, p.plane, p.row, p.col);
    return buf;
}

bool same_file(const std::string& a, const std::string& b) {
    struct stat x {}, y {};
    if (stat(a.c_str(), &x) != 0 || stat(b.c_str(), &y) != 0) return false;
    return x.st_dev == y.st_dev && x.st_ino == y.st_ino;
}

namespace {

// Mismatches of one plane of one frame.
struct PlaneSummary {
    int64_t frame = 0;
    int32_t plane = 0;
    int64_t count = 0;
    FramePosition first, last;
    int64_t largest = 0;  // got - expected of the largest size among known words
    int64_t unknown = 0;  // words with x or z digits
};

// Everything compare carries from frame to frame.
struct Comparison {
    const Options* o = nullptr;
    Expected expected;
    DumpReader dump;
    DumpReader stale;  // golden.dat of the folder, when compare computes the golden
    bool stale_open = false;
    int64_t stale_frame = -1;
    // The dump's words of the frame being compared: their 16 bits, and the
    // few with x or z digits apart (positions ascending), so a frame costs
    // two bytes a word.
    std::vector<uint16_t> got;
    std::vector<int64_t> unknown_at;
    std::vector<int32_t> unknown_word;
    std::vector<int32_t> block, stale_words;
    std::vector<uint16_t> previous_expected;
    std::vector<int32_t> previous_got;
    std::vector<PlaneSummary> summaries;
    Verdict verdict;
    std::string missing_at;  // where the dump ended, when short
    bool explained = false;
    bool hinted = false;
};

bool check_options(const Options& o, WordFormat* format) {
    if (o.sim.empty()) {
        report_error("compare: --sim DUMP is needed");
        return false;
    }
    if (!parse_format(o.format, format)) {
        report_error("compare: --format takes words or hex");
        return false;
    }
    return true;
}

// golden.dat of the folder is compared with the computed frames on the way.
void open_stale_check(Comparison& c) {
    const Options& o = *c.o;
    struct stat st {};
    if (!o.golden.empty() || stat(kGoldenFile, &st) != 0 || !S_ISREG(st.st_mode) ||
        same_file(kGoldenFile, o.sim))
        return;
    const int64_t words = c.expected.golden_words;
    if (st.st_size != 2 * words) {
        char line[200];
        std::snprintf(line, sizeof line,
                      "golden.dat in this folder holds %lld bytes, this run's golden data %lld: "
                      "it is not this run's; a bench that read it checked the wrong data",
                      static_cast<long long>(st.st_size), static_cast<long long>(2 * words));
        c.verdict.notes.push_back(line);
        return;
    }
    c.stale_open = open_dump(kGoldenFile, WordFormat::binary, words, true, &c.stale);
}

void check_stale_frame(Comparison& c, const ExpectedFrame& f) {
    if (!c.stale_open || c.stale_frame >= 0) return;
    // The file is not read past its first difference.
    bool differs = false;
    const int64_t n = read_dump_blocks(
        &c.stale, f.frame.words, &c.stale_words, [&](const int32_t* w, int64_t count, int64_t at) {
            for (int64_t i = 0; i < count && !differs; ++i) differs = w[i] != f.words[at + i];
            return !differs;
        });
    if (!differs && n == f.frame.words) return;
    c.stale_frame = f.frame.index;
    c.verdict.notes.push_back("golden.dat in this folder differs from this run's golden data from frame " +
                              std::to_string(f.frame.index) +
                              " on: it is stale or of another run; a bench that read it checked the wrong data");
}

void print_mismatch(const Mismatch& m, const GoldenFrame& f) {
    std::printf("%s: expected 0x%04x got %s\n", where(f, m.at).c_str(), m.expected,
                word_text(m.got).c_str());
}

int32_t got_word(const Comparison& c, int64_t w) {
    const auto u = std::lower_bound(c.unknown_at.begin(), c.unknown_at.end(), w);
    if (u != c.unknown_at.end() && *u == w)
        return c.unknown_word[static_cast<size_t>(u - c.unknown_at.begin())];
    return c.got[static_cast<size_t>(w)];
}

// Reads the frame's n words of the dump a block at a time into c.got (and
// the unknown ones aside); returns how many the dump had.
int64_t read_frame_words(Comparison& c, int64_t n) {
    c.got.resize(static_cast<size_t>(n));
    c.unknown_at.clear();
    c.unknown_word.clear();
    return read_dump_blocks(&c.dump, n, &c.block, [&](const int32_t* w, int64_t count, int64_t at) {
        for (int64_t i = 0; i < count; ++i) {
            c.got[static_cast<size_t>(at + i)] = static_cast<uint16_t>(w[i]);
            if (is_unknown(w[i])) {
                c.unknown_at.push_back(at + i);
                c.unknown_word.push_back(w[i]);
            }
        }
        return true;
    });
}

// Counts and places the mismatches of plane p of frame f.
void compare_plane(Comparison& c, const ExpectedFrame& f, int32_t p, int64_t have,
                   FrameResult* r) {
    const int64_t start = f.plane_start[p];
    int64_t end = start + f.planes[p].words;
    if (end > have) end = have;
    int64_t count = 0, first = -1, last = -1, largest = 0, unknown = 0;
    auto next_unknown = std::lower_bound(c.unknown_at.begin(), c.unknown_at.end(), start);
    for (int64_t w = start; w < end; ++w) {
        int32_t got = c.got[static_cast<size_t>(w)];
        if (next_unknown != c.unknown_at.end() && *next_unknown == w)
            got = c.unknown_word[static_cast<size_t>(next_unknown++ - c.unknown_at.begin())];
        const int32_t want = f.words[w];
        if (got == want) continue;
        if (first < 0) first = w;
        last = w;
        ++count;
        const int64_t d = int64_t{got} - want;
        if (is_unknown(got))
            ++unknown;
        else if (std::llabs(d) > std::llabs(largest))
            largest = d;
        if (c.verdict.mismatches + count <= c.o->max) {
            const Mismatch m{f.frame.index, golden_position(c.expected.run, f.frame, w), want, got};
            print_mismatch(m, f.frame);
            c.verdict.first.push_back(m);
            if (c.o->explain && !c.explained) {
                c.explained = true;
                explain_sample(c.expected, f, m.at.plane, m.at.row, m.at.col);
            }
        }
    }
    r->bad[p] = count;
    r->planes_words[p] = f.planes[p].words;
    if (count == 0) return;
    c.verdict.mismatches += count;
    const FramePosition a = golden_position(c.expected.run, f.frame, first);
    const FramePosition b = golden_position(c.expected.run, f.frame, last);
    c.summaries.push_back({f.frame.index, p, count, a, b, largest, unknown});
    if (!r->has_first) {
        r->has_first = true;
        r->first = {f.frame.index, a, f.words[first], got_word(c, first)};
    }
}

// The frame's dump words as read, x and z digits included.
std::vector<int32_t> frame_words(const Comparison& c, int64_t have) {
    std::vector<int32_t> words(c.got.begin(), c.got.begin() + have);
    for (size_t u = 0; u < c.unknown_at.size(); ++u)
        words[static_cast<size_t>(c.unknown_at[u])] = c.unknown_word[u];
    return words;
}

// Looks for a common dump slip in a frame most of whose words mismatch.
void try_hint(Comparison& c, const ExpectedFrame& f, const std::vector<int32_t>& got, int64_t bad) {
    if (c.hinted || bad * 2 <= f.frame.words) return;
    // Two frames are tried: a dump a frame late or early shows it on the second.
    c.hinted = !c.previous_got.empty();
    SlipInput in;
    in.words = &c.o->words;
    in.run = &c.expected.run;
    in.expected = &f;
    in.got = got.data();
    in.got_count = static_cast<int64_t>(got.size());
    in.previous_expected = &c.previous_expected;
    in.previous_got = &c.previous_got;
    in.try_other_runs = c.previous_got.empty();
    const std::string hint = slip_hint(in);
    if (hint.empty()) return;
    c.verdict.notes.push_back(hint);
    c.hinted = true;
}

void compare_frame(Comparison& c, const ExpectedFrame& f) {
    const int64_t have = read_frame_words(c, f.frame.words);
    FrameResult r;
    r.frame = f.frame;
    r.plane_count = f.plane_count;
    r.missing = f.frame.words - have;
    int64_t bad = 0;
    for (int32_t p = 0; p < f.plane_count; ++p) {
        compare_plane(c, f, p, have, &r);
        bad += r.bad[p];
    }
    if (have < f.frame.words && c.missing_at.empty() && !c.dump.failed && !c.dump.past_end)
        c.missing_at = where(f.frame, golden_position(c.expected.run, f.frame, have));
    c.verdict.frames_bad += bad > 0 ? 1 : 0;
    // Hints and the frame kept for the next one's hints only where most
    // words differ.
    const bool mostly_bad = (bad + r.missing) * 2 > f.frame.words;
    std::vector<int32_t> got;
    if (!c.hinted && mostly_bad) got = frame_words(c, have);
    try_hint(c, f, got, bad + r.missing);
    c.verdict.frames.push_back(r);
    if (!c.hinted && mostly_bad) {
        c.previous_expected.assign(f.words, f.words + f.frame.words);
        c.previous_got = std::move(got);
    } else {
        std::vector<uint16_t>().swap(c.previous_expected);
        std::vector<int32_t>().swap(c.previous_got);
    }
}

// "largest difference +4 (got above expected)", signed as got - expected,
// and how many words had x or z digits.
std::string difference_text(const PlaneSummary& s) {
    char buf[160];
    int n = 0;
    if (s.count > s.unknown)
        n = std::snprintf(buf, sizeof buf, "largest difference %+" PRId64 " (got %s expected)",
                          s.largest, s.largest > 0 ? "above" : "below");
    if (s.unknown > 0)
        std::snprintf(buf + n, sizeof buf - static_cast<size_t>(n), "%s%" PRId64 " with x or z digits",
                      n > 0 ? ", " : "", s.unknown);
    return buf;
}

void print_summaries(const Comparison& c) {
    if (c.verdict.mismatches > c.o->max)
        std::printf("... %" PRId64 " more\n", c.verdict.mismatches - c.o->max);
    for (const PlaneSummary& s : c.summaries)
        std::printf("frame %" PRId64 " plane %d: %" PRId64
                    " %s, first row %d col %d, last row %d col %d, %s\n",
                    s.frame, s.plane, s.count, s.count == 1 ? "mismatch" : "mismatches",
                    s.first.row, s.first.col, s.last.row, s.last.col, difference_text(s).c_str());
}

// The lines about the dump's length; true when it differs from the run's.
bool length_lines(Comparison& c) {
    const DumpReader& d = c.dump;
    const std::string name = printable(c.o->sim);
    const int64_t total = c.verdict.words;
    char line[400];
    line[0] = '\0';
    if (d.position < total && !c.missing_at.empty())
        std::snprintf(line, sizeof line,
                      "%s: ends after %" PRId64 " of %" PRId64 " words; the first missing word is %s",
                      name.c_str(), d.position, total, c.missing_at.c_str());
    else if (d.past_end && d.words_past_end > 0) {
        const int64_t last = c.verdict.frames.empty() ? 0 : c.verdict.frames.back().frame.words;
        const int64_t extra = d.words_past_end;
        std::snprintf(line, sizeof line,
                      "%s: %" PRId64 " word%s past the end of the golden data (%" PRId64
                      " frame(s) of %" PRId64 " words and %" PRId64 " words more)",
                      name.c_str(), extra, extra == 1 ? "" : "s", last ? extra / last : 0, last,
                      last ? extra % last : extra);
    } else if (d.past_end && !d.past_end_note.empty())
        std::snprintf(line, sizeof line, "%s: %s (%" PRId64 " words)", name.c_str(),
                      d.past_end_note.c_str(), total);
    else if (d.past_end)
        std::snprintf(line, sizeof line,
                      "%s: more data follows the run's %" PRId64 " words; not read further",
                      name.c_str(), total);
    if (line[0]) std::printf("%s\n", line);
    if (line[0]) c.verdict.notes.insert(c.verdict.notes.begin(), line);
    if (d.odd_byte) std::printf("%s: odd length, the last byte is half a word\n", name.c_str());
    return line[0] != '\0' || d.odd_byte;
}

int finish(Comparison& c) {
    finish_dump(&c.dump);
    if (c.dump.failed) return kBadInput;
    print_summaries(c);
    const bool length_differs = length_lines(c);
    for (size_t i = length_differs ? 1 : 0; i < c.verdict.notes.size(); ++i)
        std::printf("%s\n", c.verdict.notes[i].c_str());
    Verdict& v = c.verdict;
    v.same = v.mismatches == 0 && !length_differs;
    if (v.same)
        std::printf("identical: %" PRId64 " words in %zu frames\n", v.words, v.frames.size());
    else
        std::printf("%" PRId64 " mismatching word%s in %" PRId64 " of %zu frames%s\n",
                    v.mismatches, v.mismatches == 1 ? "" : "s", v.frames_bad, v.frames.size(),
                    length_differs ? "; the length differs" : "");
    if (!c.o->json.empty() && !write_json_verdict(c.o->json, v)) return kBadInput;
    if (!c.o->junit.empty() && !write_junit_verdict(c.o->junit, v)) return kBadInput;
    // A stream that does not end where the run does cannot be judged.
    if (c.dump.past_end && !c.dump.regular) return kBadInput;
    return v.same ? kSame : kDifferent;
}

}  // namespace

int cmd_compare(const Options& o) {
    WordFormat format = WordFormat::detect;
    if (!check_options(o, &format)) return kBadInput;
    Comparison c;
    c.o = &o;
    // A golden file given is the truth: the model runs only to explain.
    if (!open_expected(o.words, o.golden, &c.expected, false, o.explain)) return kBadInput;
    c.verdict.sim = o.sim;
    c.verdict.words = c.expected.golden_words;
    if (!open_dump(o.sim, format, c.verdict.words, false, &c.dump)) return kBadInput;
    c.verdict.dump_format = c.dump.text ? "text" : "binary";
    open_stale_check(c);
    ExpectedFrame f;
    int s = 0;
    while ((s = next_expected(&c.expected, &f)) > 0) {
        check_stale_frame(c, f);
        compare_frame(c, f);
        if (c.dump.failed) return kBadInput;
    }
    if (s < 0) return kBadInput;
    return finish(c);
}

}  // namespace veldax::inspect
