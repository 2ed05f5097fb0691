// "golden.dat": each golden frame cropped to its own size, planes in order,
// 16-bit little-endian words; 4:2:2 chroma planes keep columns 0, 2, 4, ...
#include "core/record.h"
#include "store/frame_layout.h"
#include "io/sample_count.h"
#include "io/plane_words.h"

namespace veldax {

Status DeinterlacerModel::write_golden_frame(FILE* golden, int32_t frame) {
    const FrameLayout layout = this->layout();
    const FrameSize size = layout.frame_size(frame);
    const size_t area = static_cast<size_t>(int64_t{size.width} * size.height);
    uint16_t* words = word_scratch.get(area);
    if (area && !words) return Status::output_write_failed;

    const PixelPlane* planes = golden_frame();
    for (int32_t p = 0; p < layout.golden_planes(); ++p) {
        const PlaneSpan span = layout.golden_plane(p, frame);
        const PixelPlane& plane = planes[p];
        if (!write_plane_span(golden, plane, span, ChromaColumns::even, words))
            return Status::output_write_failed;
    }
    if (!add_sample_count(total_output, layout.golden_counted(frame), "TOTAL_OUTPUT"))
        return Status::output_write_failed;
    return Status::ok;
}

}  // namespace veldax
