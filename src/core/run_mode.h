// What a run generates from, as the command line gives it: nothing (the
// parameter file is only checked), synthetic fields (a ramp or random
// samples), one picture (hex text or BMP) or a YUV sequence.
#pragma once

#include <cstdint>
#include <string>

namespace veldax {

enum class StimulusSource { none, ramp, random, text, bmp, yuv };

constexpr bool is_synthetic(StimulusSource s) {
    return s == StimulusSource::ramp || s == StimulusSource::random;
}
constexpr bool reads_input_file(StimulusSource s) {
    return s == StimulusSource::text || s == StimulusSource::bmp || s == StimulusSource::yuv;
}
constexpr bool is_single_picture(StimulusSource s) {
    return s == StimulusSource::text || s == StimulusSource::bmp;
}

// The source with its arguments.
struct RunMode {
    StimulusSource source = StimulusSource::none;
    std::string path;            // the input of text, bmp and yuv
    int32_t fields = 3;          // synthetic input fields, 3 at least
    int32_t max_fields = 10000;  // field limit of a yuv sequence
    int32_t seed = 1;            // first state of the random source (--seed)

    bool generates() const { return source != StimulusSource::none; }
};

}  // namespace veldax
