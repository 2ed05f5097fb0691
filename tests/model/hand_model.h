// A model built by hand for the interpolation tests: defaults, a small frame,
// buffers allocated and released with the object.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "config/model.h"

namespace veldax_test {

struct HandModel {
    DeinterlacerModel m;

    HandModel(int32_t width, int32_t height, int32_t planes, int32_t dwidth) {
        m.init_defaults();
        m.frame_width = width;
        m.frame_height = height;
        m.num_plane = planes;
        m.dwidth = dwidth;
        m.derive_configuration();
        allocated = m.allocate_buffers() == 0;
        EXPECT_TRUE(allocated);
    }
    ~HandModel() {
        if (allocated) m.release_buffers();
    }
    HandModel(const HandModel&) = delete;
    HandModel& operator=(const HandModel&) = delete;

    PixelPlane& field(int32_t buffer, int32_t plane) { return m.field_store[buffer][plane]; }

    // Writes values into active row `row` of a field plane, from column 0.
    void set_row(int32_t buffer, int32_t plane, int32_t row, const std::vector<int32_t>& values) {
        int32_t* dst = field(buffer, plane)[m.pad_top + row] + m.pad_left;
        for (size_t x = 0; x < values.size(); ++x) dst[x] = values[x];
    }

    bool allocated = false;
};

// Sample patterns for the row-versus-sample checks: the extremes of the
// range and random data.
enum class Pattern { kRandom, kZero, kMax, kMaxMinusOne, kExtremes, kNearMiddle };

inline const Pattern kAllPatterns[] = {Pattern::kRandom,      Pattern::kZero,
                                       Pattern::kMax,         Pattern::kMaxMinusOne,
                                       Pattern::kExtremes,    Pattern::kNearMiddle};

inline int32_t pattern_sample(Pattern pattern, std::mt19937& rng, int32_t max_value) {
    const uint32_t range = static_cast<uint32_t>(max_value) + 1;
    switch (pattern) {
        case Pattern::kRandom: return static_cast<int32_t>(rng() % range);
        case Pattern::kZero: return 0;
        case Pattern::kMax: return max_value;
        case Pattern::kMaxMinusOne: return max_value > 0 ? max_value - 1 : 0;
        case Pattern::kExtremes: {
            const int32_t pick[] = {0, max_value, max_value > 0 ? max_value - 1 : 0};
            return pick[rng() % 3];
        }
        case Pattern::kNearMiddle: {
            const int32_t v = max_value / 2 + static_cast<int32_t>(rng() % 7) - 3;
            return v < 0 ? 0 : (v > max_value ? max_value : v);
        }
    }
    return 0;
}

// Fills the whole configured frame of one field plane.
inline void fill_plane(DeinterlacerModel& m, PixelPlane& plane, Pattern pattern,
                       std::mt19937& rng) {
    for (int32_t y = 0; y < m.frame_height; ++y)
        for (int32_t x = 0; x < m.frame_width; ++x)
            plane[m.pad_top + y][m.pad_left + x] = pattern_sample(pattern, rng, m.max_value);
}

inline std::unique_ptr<HandModel> make_hand_model(int32_t width, int32_t height, int32_t planes,
                                                  int32_t dwidth = 8) {
    return std::make_unique<HandModel>(width, height, planes, dwidth);
}

}  // namespace veldax_test
