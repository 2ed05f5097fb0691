// Synthetic stimulus: a deterministic ramp ("-d") or random samples ("-g"),
// stored into a field buffer and appended to "stimulus.dat" as 16-bit words.
#include "core/random_source.h"
#include "core/record.h"
#include "io/plane_words.h"
#include "io/sample_count.h"
#include "model/kernel_table.h"
#include "store/frame_layout.h"

namespace veldax {

namespace {

// Ramp samples of field i, plane p, row j, columns 0..n-1: the sum
// i + p + j + k modulo max_value (0 .. max_value - 1; never max_value itself).
void ramp_row(int32_t i, int32_t p, int32_t j, int32_t max_value, Sample* out, int32_t n) {
    if (max_value <= 0) {
        for (int32_t k = 0; k < n; ++k) out[k] = 0;
        return;
    }
    int32_t v = static_cast<int32_t>((int64_t{i} + p + j) % max_value);
    for (int32_t k = 0; k < n; ++k) {
        out[k] = static_cast<Sample>(v);
        v = v + 1 == max_value ? 0 : v + 1;
    }
}

}  // namespace

Status DeinterlacerModel::fill_synthetic_field(FILE* stimulus, PixelPlane* planes, int32_t frame) {
    // 1. The whole configured field area, whatever the frame's own size; one
    //    draw per sample in plane, row, column order.  In 4:2:2 chroma each
    //    odd column then repeats the even column to its left: a paired
    //    plane keeps the even columns.
    const bool ramp = run.source == StimulusSource::ramp;
    RandomScaling scaling;
    if (!ramp) {
        scaling = random_scale.scaling(max_value, min_value);
        if (!scaling.table) return Status::output_write_failed;
    }
    const RandomRowKernel random_row = kernels().random_row;
    const int32_t w = frame_width;
    for (int32_t p = 0; p < num_plane; ++p) {
        const bool repeat_pairs = ycbcr422 && num_plane >= 3 && (p == 1 || p == 2);
        const bool paired = paired_plane(p);
        for (int32_t j = 0; j < frame_height; ++j) {
            Sample* row = planes[p].row(j);
            if (!ramp) {
                random_row(random_state, scaling, row, w, repeat_pairs);
                if (repeat_pairs && !paired) spread_pairs(row, w);
                continue;
            }
            if (paired) {
                // Column x of row j is the ramp's column 0 of row j + x.
                even_columns_made(row, w, [&](int32_t x, Sample* part, int32_t n) {
                    ramp_row(frame, p, j + x, max_value, part, n);
                });
                continue;
            }
            ramp_row(frame, p, j, max_value, row, w);
            if (repeat_pairs)
                for (int32_t k = 1; k < w; k += 2) row[k] = row[k - 1];
        }
    }

    // 2. The frame's own top-left part, plane by plane, as the layout packs it.
    const FrameLayout layout = this->layout();
    for (int32_t p = 0; p < num_plane; ++p) {
        const PlaneSpan span = layout.stimulus_plane(p, frame);
        const PixelPlane& plane = planes[p];
        const ChromaColumns columns = paired_plane(p) ? ChromaColumns::pairs : ChromaColumns::all;
        if (!write_plane_span(stimulus, plane, span, columns, word_scratch))
            return Status::output_write_failed;
        if (!add_sample_count(total_input, span.counted, "TOTAL_INPUT"))
            return Status::output_write_failed;
    }
    return Status::ok;
}

}  // namespace veldax
