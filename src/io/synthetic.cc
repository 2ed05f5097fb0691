// Synthetic stimulus: a deterministic ramp ("-d") or random samples ("-g"),
// stored into a field buffer and appended to "stimulus.dat" as 16-bit words.
#include <algorithm>

#include "config/model.h"
#include "io/random_source.h"
#include "io/sample_count.h"
#include "io/word_stream.h"

namespace {

// Ramp sample of field i, plane p, row j, column k: the sum modulo max_value
// (0 .. max_value - 1; never max_value itself).
int32_t ramp_value(int32_t i, int32_t p, int32_t j, int32_t k, int32_t max_value) {
    if (max_value <= 0) return 0;
    const int64_t sum = int64_t{i} + p + j + k;
    return static_cast<int32_t>(sum % max_value);
}

}  // namespace

bool DeinterlacerModel::fill_synthetic_field(FILE* stimulus, PixelPlane* planes, int32_t frame) {
    // 1. The whole configured field area, whatever the frame's own size; one
    //    draw per sample in plane, row, column order.
    for (int32_t p = 0; p < num_plane; ++p) {
        for (int32_t j = 0; j < frame_height; ++j) {
            int32_t* row = planes[p][pad_top + j] + pad_left;
            if (pattern_mode) {
                for (int32_t k = 0; k < frame_width; ++k)
                    row[k] = ramp_value(frame, p, j, k, max_value);
            } else {
                for (int32_t k = 0; k < frame_width; ++k)
                    row[k] = random_sample_value(next_random_draw(random_state), max_value,
                                                 min_value);
            }
        }
    }

    // 2. 4:2:2 chroma: each odd column repeats the even column to its left.
    if (ycbcr422 && num_plane >= 3) {
        for (int32_t p = 1; p <= 2; ++p)
            for (int32_t j = 0; j < frame_height; ++j) {
                int32_t* row = planes[p][pad_top + j] + pad_left;
                for (int32_t k = 1; k < frame_width; k += 2) row[k] = row[k - 1];
            }
    }

    // 3. The frame's own top-left W x H part, plane by plane.
    int32_t frame_w, frame_h;
    frame_size(frame, &frame_w, &frame_h);
    const int64_t W = frame_w, H = frame_h;
    const size_t area = static_cast<size_t>(W * H);
    Scratch<int32_t> words(area);
    if (!words.ok()) return true;

    for (int32_t p = 0; p < num_plane; ++p) {
        size_t n = area;
        if (ycbcr422 && p >= 1) {
            // Sample (j, k) goes to word floor(j*W/2) + floor(k/2), a later
            // sample replacing an earlier one; the first floor(W*H/2) words go out.
            std::fill(words.get(), words.get() + area, 0);
            for (int64_t j = 0; j < H; ++j) {
                const int32_t* row = planes[p][pad_top + static_cast<int32_t>(j)] + pad_left;
                const int64_t base = j * W / 2;
                for (int64_t k = 0; k < W; ++k) words[static_cast<size_t>(base + k / 2)] = row[k];
            }
            n = area / 2;
        } else {
            size_t at = 0;
            for (int64_t j = 0; j < H; ++j) {
                const int32_t* row = planes[p][pad_top + static_cast<int32_t>(j)] + pad_left;
                for (int64_t k = 0; k < W; ++k) words[at++] = row[k];
            }
        }
        if (!write_words(stimulus, words.get(), n)) return true;
        if (!add_sample_count(total_input, static_cast<int64_t>(n), "TOTAL_INPUT")) return true;
    }
    return false;
}
