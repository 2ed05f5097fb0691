// Hints for a dump that mismatches almost everywhere: the common slips of a
// bench tried one by one on the first such frame, the one that turns the
// dump into the golden data named.
#include <cinttypes>
#include <cstdio>
#include <functional>
#include <string>

#include "core/report.h"
#include "inspect.h"

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

// The golden frame of the same index from the run with -g and -d exchanged.
std::string other_switch(const SlipInput& in) {
    const RunWords& w = *in.words;
    if (w.switch_words.empty() || (w.mode.source != StimulusSource::random &&
                                   w.mode.source != StimulusSource::ramp))
        return "";
    RunWords other = w;
    const bool random = w.mode.source == StimulusSource::random;
    other.switch_words[0] = random ? "-d" : "-g";
    Expected e;
    if (!open_expected(other, "", &e)) return "";
    ExpectedFrame f;
    while (next_expected(&e, &f) > 0) {
        if (f.frame.index != in.expected->frame.index) continue;
        if (f.frame.words != in.got_count) return "";
        if (!matches(in.got_count, [&](int64_t i) { return in.got[i] == f.words[i]; })) return "";
        return std::string("the dump matches the golden data of ") + other.switch_words[0] +
               ", not " + w.switch_words[0] + ": the bench ran another switch's stimulus";
    }
    return "";
}

}  // namespace

std::string slip_hint(const SlipInput& in) {
    for (const Slip& s : kSlips)
        if (s.test(in)) return s.line;
    if (std::string line = shifted(in); !line.empty()) return line;
    return other_switch(in);
}

}  // namespace veldax::inspect
