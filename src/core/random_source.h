// Random source of the synthetic stimulus: a 32-bit linear congruential
// generator giving 15-bit draws (0..32767).  Its state belongs to the run, so
// two runs with the same parameters draw the same sequence.
#pragma once

#include <cstdint>
#include <memory>
#include <new>

#include "core/pixel_plane.h"

namespace veldax {

inline constexpr uint32_t kRandomMultiplier = 214013u;
inline constexpr uint32_t kRandomIncrement = 2531011u;
inline constexpr int32_t kRandomDraws = 32768;  // draws are 0 .. kRandomDraws - 1

// Advances the state and returns the next draw.  The first five draws from a
// state of 1 are 41, 18467, 6334, 26500, 19169.
inline int32_t next_random_draw(uint32_t& state) {
    state = state * kRandomMultiplier + kRandomIncrement;  // modulo 2^32 by wrap-around
    return static_cast<int32_t>((state >> 16) & 0x7FFFu);
}

// Scales a draw onto min_value..max_value: (draw / 32767.0) * max_value,
// truncated toward zero, then limited to the range.
inline int32_t random_sample_value(int32_t draw, int32_t max_value, int32_t min_value) {
    const double scaled = (draw / 32767.0) * static_cast<double>(max_value);
    int32_t v = static_cast<int32_t>(scaled);
    if (v > max_value) v = max_value;
    if (v < min_value) v = min_value;
    return v;
}

// n generator steps taken as one: state * multiplier + increment (mod 2^32).
struct RandomJump {
    uint32_t multiplier;
    uint32_t increment;
};

// By squaring: the steps of the set bits of n, each the previous one twice.
constexpr RandomJump random_jump(int32_t n) {
    RandomJump j{1u, 0u};
    RandomJump step{kRandomMultiplier, kRandomIncrement};
    for (; n > 0; n >>= 1) {
        if (n & 1)
            j = {j.multiplier * step.multiplier, j.increment * step.multiplier + step.increment};
        step = {step.multiplier * step.multiplier,
                step.increment * step.multiplier + step.increment};
    }
    return j;
}

// Lanes of fill_random_samples: lane i holds the state of draw i of each
// group of kRandomLanes consecutive draws.
inline constexpr int32_t kRandomLanes = 8;

// Fills scale[0 .. kRandomDraws) with random_sample_value of every draw, so
// that a sample is one lookup.
// Value is the sample type (16 bits for max_value up to 65535).
template <class Value>
void build_random_scale(Value* scale, int32_t max_value, int32_t min_value) {
    for (int32_t d = 0; d < kRandomDraws; ++d)
        scale[d] = static_cast<Value>(random_sample_value(d, max_value, min_value));
}

// floor(draw * max_value / 32767), the exact quotient, for a draw of
// 0..32767 and a max_value of 0..65535 (the product is below 2^31).
inline uint32_t draw_quotient(uint32_t draw, uint32_t max_value) {
    return draw * max_value / 32767u;
}

// How the draws of a run become samples.  table[d] is random_sample_value of
// draw d; when `quotient` is set, every entry also equals
// max(draw_quotient(d, max_value), lowest), which a vector fill forms
// without the table.  (The double formula rounds some ranges differently
// from the exact quotient; those keep the table.)
struct RandomScaling {
    const Sample* table = nullptr;
    uint32_t max_value = 0;
    uint32_t lowest = 0;
    bool quotient = false;
};

// The scaling of a table built by build_random_scale: `quotient` set when the
// quotient gives every entry.
inline RandomScaling random_scaling(const Sample* table, int32_t max_value, int32_t min_value) {
    RandomScaling s;
    s.table = table;
    if (max_value < 0 || max_value > 65535 || min_value > 65535) return s;
    s.max_value = static_cast<uint32_t>(max_value);
    s.lowest = min_value > 0 ? static_cast<uint32_t>(min_value) : 0u;
    for (int32_t d = 0; d < kRandomDraws; ++d) {
        const uint32_t q = draw_quotient(static_cast<uint32_t>(d), s.max_value);
        if (uint32_t{table[d]} != (q > s.lowest ? q : s.lowest)) return s;
    }
    s.quotient = true;
    return s;
}

// The scale table of a run, built on first use and kept while the sample
// range stays the same (it is one per run), so no field rebuilds it.
class RandomScale {
public:
    // The scaling of this range; its table null when the table's memory
    // cannot be had.
    RandomScaling scaling(int32_t max_value, int32_t min_value) {
        if (!values_) {
            values_.reset(new (std::nothrow) Sample[kRandomDraws]);
            if (!values_) return {};
            built_ = false;
        }
        if (!built_ || max_value != max_value_ || min_value != min_value_) {
            build_random_scale(values_.get(), max_value, min_value);
            scaling_ = random_scaling(values_.get(), max_value, min_value);
            max_value_ = max_value;
            min_value_ = min_value;
            built_ = true;
        }
        return scaling_;
    }

private:
    std::unique_ptr<Sample[]> values_;
    RandomScaling scaling_;
    int32_t max_value_ = 0;
    int32_t min_value_ = 0;
    bool built_ = false;
};

// Writes n samples scale[draw] into out, from the next n draws of state, and
// leaves state where n calls of next_random_draw would.  The lanes step
// kRandomLanes draws at a time, so the draws do not wait on each other.
template <class Value>
void fill_random_samples(uint32_t& state, const Value* scale, Value* out, int32_t n) {
    constexpr RandomJump jump = random_jump(kRandomLanes);
    int32_t k = 0;
    if (n >= kRandomLanes) {
        uint32_t lane[kRandomLanes];
        uint32_t s = state;
        for (int32_t i = 0; i < kRandomLanes; ++i) {
            s = s * kRandomMultiplier + kRandomIncrement;
            lane[i] = s;
        }
        for (; k + kRandomLanes <= n; k += kRandomLanes) {
            s = lane[kRandomLanes - 1];  // the state after the group's last draw
            for (int32_t i = 0; i < kRandomLanes; ++i) {
                out[k + i] = scale[(lane[i] >> 16) & 0x7FFFu];
                lane[i] = lane[i] * jump.multiplier + jump.increment;
            }
        }
        state = s;
    }
    for (; k < n; ++k) out[k] = scale[next_random_draw(state)];
}

}  // namespace veldax
