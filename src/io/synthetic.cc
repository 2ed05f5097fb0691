// Synthetic stimulus: a deterministic ramp ("-d") or random samples ("-g"),
// stored into a field buffer and appended to "stimulus.dat" as 16-bit words.
#include "config/model.h"
#include "io/random_source.h"
#include "io/sample_count.h"
#include "io/word_stream.h"

namespace veldax {

namespace {

// Ramp sample of field i, plane p, row j, column k: the sum modulo max_value
// (0 .. max_value - 1; never max_value itself).
int32_t ramp_value(int32_t i, int32_t p, int32_t j, int32_t k, int32_t max_value) {
    if (max_value <= 0) return 0;
    const int64_t sum = int64_t{i} + p + j + k;
    return static_cast<int32_t>(sum % max_value);
}

int32_t same(int32_t v) { return v; }

}  // namespace

Status DeinterlacerModel::fill_synthetic_field(FILE* stimulus, PixelPlane* planes, int32_t frame) {
    // 1. The whole configured field area, whatever the frame's own size; one
    //    draw per sample in plane, row, column order.
    for (int32_t p = 0; p < num_plane; ++p) {
        for (int32_t j = 0; j < frame_height; ++j) {
            int32_t* row = planes[p].row(j);
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
                int32_t* row = planes[p].row(j);
                for (int32_t k = 1; k < frame_width; k += 2) row[k] = row[k - 1];
            }
    }

    // 3. The frame's own top-left part, plane by plane, as the layout packs it.
    const FrameLayout layout = this->layout();
    const FrameSize size = layout.frame_size(frame);
    Scratch<int32_t> words(static_cast<size_t>(int64_t{size.width} * size.height));
    if (!words.ok()) return Status::output_write_failed;

    for (int32_t p = 0; p < num_plane; ++p) {
        const PlaneSpan span = layout.stimulus_plane(p, frame);
        const PixelPlane& plane = planes[p];
        gather_span(plane.row(0), plane.stride, span, ChromaColumns::all, words.get(), same);
        const size_t n = static_cast<size_t>(span.words);
        if (!write_words(stimulus, words.get(), n)) return Status::output_write_failed;
        if (!add_sample_count(total_input, span.counted, "TOTAL_INPUT"))
            return Status::output_write_failed;
    }
    return Status::ok;
}

}  // namespace veldax
