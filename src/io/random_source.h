// Random source of the synthetic stimulus: a 32-bit linear congruential
// generator giving 15-bit draws (0..32767).  Its state belongs to the run, so
// two runs with the same parameters draw the same sequence.
#pragma once

#include <cstdint>

namespace veldax {

// Advances the state and returns the next draw.  The first five draws from a
// state of 1 are 41, 18467, 6334, 26500, 19169.
inline int32_t next_random_draw(uint32_t& state) {
    state = state * 214013u + 2531011u;  // modulo 2^32 by unsigned wrap-around
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

}  // namespace veldax
