// "golden.dat": each golden frame cropped to its own size, planes in order,
// 16-bit little-endian words; 4:2:2 chroma planes keep columns 0, 2, 4, ...
#include <algorithm>

#include "core/record.h"
#include "io/plane_words.h"
#include "io/sample_count.h"
#include "store/frame_layout.h"

namespace veldax {

Status DeinterlacerModel::write_golden_frame(FILE* golden, int32_t frame) {
    const FrameLayout layout = this->layout();
    const PixelPlane* planes = golden_frame();
    // Scratch for the planes that are gathered (4:2:2 chroma, a cropped
    // frame); a plane written as it stands needs none.
    size_t gathered = 0;
    for (int32_t p = 0; p < layout.golden_planes(); ++p)
        gathered = std::max(
            gathered, static_cast<size_t>(span_scratch_words(
                          planes[p], layout.golden_plane(p, frame), golden_columns(*this, p))));
    uint16_t* words = word_scratch.get(gathered);
    if (gathered && !words) return Status::output_write_failed;

    for (int32_t p = 0; p < layout.golden_planes(); ++p) {
        const PlaneSpan span = layout.golden_plane(p, frame);
        const PixelPlane& plane = planes[p];
        if (!write_plane_span(golden, plane, span, golden_columns(*this, p), words))
            return Status::output_write_failed;
    }
    if (!add_sample_count(total_output, layout.golden_counted(frame), "TOTAL_OUTPUT"))
        return Status::output_write_failed;
    return Status::ok;
}

}  // namespace veldax
