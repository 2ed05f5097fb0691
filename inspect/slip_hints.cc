// Hints for a dump that mismatches almost everywhere: the common slips of a
// bench tried one by one on the first such frame, the one that turns the
// dump into the golden data named.
#include <sys/stat.h>
#include <unistd.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "core/report.h"
#include "inspect.h"
#include "model/methods.h"

namespace veldax::inspect {

namespace {

// A slip holds when it explains at least 95% of the words it is tried on
// (and there are some).
bool mostly(int64_t hits, int64_t tried) { return tried > 0 && hits * 20 >= tried * 19; }

// Share of words i with expected(i) == got(i) over i in [0, n).
bool matches(int64_t n, const std::function<bool(int64_t)>& same) {
    int64_t hits = 0;
    for (int64_t i = 0; i < n; ++i) hits += same(i);
    return mostly(hits, n);
}

uint16_t swapped(int32_t w) { return static_cast<uint16_t>((w & 0xFF) << 8 | (w >> 8 & 0xFF)); }

// A word read from hexadecimal text whose digits were meant as decimal.
int32_t as_decimal(int32_t w) {
    int32_t v = 0;
    for (int shift = 12; shift >= 0; shift -= 4) {
        const int32_t d = w >> shift & 0xF;
        if (d > 9) return -1;
        v = v * 10 + d;
    }
    return v;
}

struct Slip {
    const char* line;
    std::function<bool(const SlipInput&)> test;
};

bool bytes_swapped(const SlipInput& in) {
    const uint16_t* e = in.expected->words;
    return matches(in.got_count, [&](int64_t i) {
        return !is_unknown(in.got[i]) && swapped(in.got[i]) == e[i] && e[i] != in.got[i];
    });
}

// One byte a sample: word k of the dump holds samples 2k and 2k+1 (valid from
// the first frame on, where the byte and word offsets agree).
bool byte_samples(const SlipInput& in) {
    const uint16_t* e = in.expected->words;
    if (in.expected->frame.byte_offset != 0) return false;
    const int64_t n = std::min(in.got_count, in.expected->frame.words / 2);
    return matches(n, [&](int64_t k) {
        return !is_unknown(in.got[k]) && (in.got[k] & 0xFF) == e[2 * k] &&
               (in.got[k] >> 8) == e[2 * k + 1];
    });
}

bool decimal_text(const SlipInput& in) {
    const uint16_t* e = in.expected->words;
    return matches(in.got_count, [&](int64_t i) {
        return !is_unknown(in.got[i]) && as_decimal(in.got[i]) == e[i];
    });
}

bool frame_late(const SlipInput& in) {
    const std::vector<uint16_t>& prev = *in.previous_expected;
    if (prev.size() != static_cast<size_t>(in.got_count) || prev.empty()) return false;
    return matches(in.got_count, [&](int64_t i) { return in.got[i] == prev[static_cast<size_t>(i)]; });
}

bool frame_early(const SlipInput& in) {
    const std::vector<int32_t>& prev = *in.previous_got;
    if (prev.size() != static_cast<size_t>(in.expected->frame.words) || prev.empty()) return false;
    const uint16_t* e = in.expected->words;
    return matches(in.got_count, [&](int64_t i) { return prev[static_cast<size_t>(i)] == e[i]; });
}

bool chroma_swapped(const SlipInput& in) {
    const ExpectedFrame& f = *in.expected;
    if (f.plane_count != 3 || f.planes[1].words != f.planes[2].words) return false;
    const int64_t n = f.planes[1].words, cb = f.plane_start[1], cr = f.plane_start[2];
    if (cr + n > in.got_count) return false;
    return matches(n, [&](int64_t i) {
        return in.got[cb + i] == f.words[cr + i] && in.got[cr + i] == f.words[cb + i];
    });
}

// The dump shifted by k words against the frame: got[i + k] == expected[i].
std::string shifted(const SlipInput& in) {
    const uint16_t* e = in.expected->words;
    for (int64_t k = 1; k <= 16; ++k)
        for (const int64_t s : {k, -k}) {
            const int64_t lo = s < 0 ? -s : 0;
            const int64_t hi = std::min(in.got_count, in.got_count - s);
            if (hi - lo < 16) continue;
            if (!matches(hi - lo, [&](int64_t i) { return in.got[lo + i + s] == e[lo + i]; }))
                continue;
            char line[200];
            std::snprintf(line, sizeof line,
                          "the dump matches the golden data shifted by %" PRId64
                          " word%s: it %s",
                          k, k == 1 ? "" : "s",
                          s > 0 ? "holds extra words before the frame (the bench starts writing "
                                  "early)"
                                : "lacks the frame's first words (the bench starts writing late)");
            return line;
        }
    return "";
}

const Slip kSlips[] = {
    {"the dump matches the golden data with the bytes of each word swapped: the bench writes "
     "big-endian words",
     bytes_swapped},
    {"the dump matches the golden data with one byte a sample: the bench writes bytes, not "
     "16-bit words",
     byte_samples},
    {"the dump matches the golden data read as decimal text: the bench writes %d, not %h",
     decimal_text},
    {"the dump holds the previous frame here: it starts one frame late (an extra frame before)",
     frame_late},
    {"the dump held this frame one frame earlier: it starts one frame early (a frame is missing)",
     frame_early},
    {"the dump matches the golden data with Cb and Cr swapped", chroma_swapped},
};

// Runs of the frame's run with one thing changed are tried on the first
// frames only: each computes the run again up to the frame.
constexpr int64_t kLastFrameForOtherRuns = 8;

// True when the golden frame of the same index of run `words` is the dump's.
// The run API hands its error lines back; its warnings (the parameter
// file's, already given) are muted.
bool matches_run(const SlipInput& in, const RunWords& words) {
    std::vector<const char*> argv;
    for (const std::string& w : words.switch_words) argv.push_back(w.c_str());
    set_warnings_muted(true);
    veldax_run* run = veldax_run_open(words.kvf.c_str(), static_cast<int>(argv.size()),
                                      argv.data(), nullptr, 0);
    bool same = false;
    const veldax_field* field = nullptr;
    const int64_t index = in.expected->frame.index;
    bool done = !run;
    while (!done && veldax_run_next_field(run, &field, nullptr, 0) == VELDAX_RUN_FIELD) {
        for (int32_t k = 0; k < field->frame_count && !done; ++k) {
            const veldax_frame& f = field->frames[k];
            if (f.index < index) continue;
            done = true;
            same = f.index == index && static_cast<int64_t>(f.word_count) == in.got_count &&
                   matches(in.got_count, [&](int64_t i) { return in.got[i] == f.words[i]; });
        }
    }
    veldax_run_close(run);
    set_warnings_muted(false);
    return same;
}

// The golden frame of the same index from the run with -g and -d exchanged.
std::string other_switch(const SlipInput& in) {
    const RunWords& w = *in.words;
    if (w.switch_words.empty() || (w.mode.source != StimulusSource::random &&
                                   w.mode.source != StimulusSource::ramp))
        return "";
    RunWords other = w;
    const bool random = w.mode.source == StimulusSource::random;
    other.switch_words[0] = random ? "-d" : "-g";
    if (!matches_run(in, other)) return "";
    return std::string("the dump matches the golden data of ") + other.switch_words[0] + ", not " +
           w.switch_words[0] + ": the bench ran another switch's stimulus";
}

// The parameter file with "dmethod=<word>" added as its last line (the last
// setting of a key is the one taken), in a file of its own under TMPDIR;
// empty when it cannot be written.
std::string with_method(const std::string& text, const char* word) {
    const char* dir = std::getenv("TMPDIR");
    std::string path = std::string(dir && *dir ? dir : "/tmp") + "/veldax-inspect-XXXXXX";
    const int fd = mkstemp(path.data());
    if (fd < 0) return "";
    const std::string body = text + "\ndmethod=" + word + "\n";
    const bool ok = write(fd, body.data(), body.size()) == static_cast<ssize_t>(body.size());
    close(fd);
    if (!ok) std::remove(path.c_str());
    return ok ? path : "";
}

// The golden frame of the same index from the same run under each other
// method: a core built or set for another method than the parameter file's.
std::string other_method(const SlipInput& in) {
    struct stat st {};
    if (stat(in.words->kvf.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > (1 << 20))
        return "";
    std::string text(static_cast<size_t>(st.st_size), '\0');
    FILE* f = std::fopen(in.words->kvf.c_str(), "rb");
    const bool read = f && std::fread(text.data(), 1, text.size(), f) == text.size();
    if (f) std::fclose(f);
    if (!read) return "";
    const MethodRow& mine = method_row(in.run->layout.method);
    for (const MethodRow& row : kMethods) {
        if (row.method == mine.method) continue;
        RunWords other = *in.words;
        other.kvf = with_method(text, row.word);
        if (other.kvf.empty()) return "";
        const bool same = matches_run(in, other);
        std::remove(other.kvf.c_str());
        if (same)
            return std::string("the dump matches the golden data of dmethod=") + row.word +
                   ", not " + mine.word + ": the core runs another method than the parameter file's";
    }
    return "";
}

}  // namespace

std::string slip_hint(const SlipInput& in) {
    for (const Slip& s : kSlips)
        if (s.test(in)) return s.line;
    if (std::string line = shifted(in); !line.empty()) return line;
    if (!in.try_other_runs || in.expected->frame.index > kLastFrameForOtherRuns) return "";
    if (std::string line = other_switch(in); !line.empty()) return line;
    return other_method(in);
}

}  // namespace veldax::inspect
