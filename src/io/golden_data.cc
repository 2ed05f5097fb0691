// "golden.dat": each golden frame cropped to its own size, planes in order,
// 16-bit little-endian words; 4:2:2 chroma planes keep columns 0, 2, 4, ...
#include "core/record.h"
#include "io/plane_words.h"
#include "io/sample_count.h"
#include "store/frame_layout.h"

namespace veldax {

Status DeinterlacerModel::write_golden_frame(FILE* golden, int32_t frame) {
    const FrameLayout layout = this->layout();
    const PixelPlane* planes = golden_frame();
    for (int32_t p = 0; p < layout.golden_planes(); ++p) {
        if (!write_plane_span(golden, planes[p], layout.golden_plane(p, frame),
                              golden_columns(*this, p), word_scratch))
            return Status::output_write_failed;
    }
    if (!add_sample_count(total_output, layout.golden_counted(frame), "TOTAL_OUTPUT"))
        return Status::output_write_failed;
    return Status::ok;
}

}  // namespace veldax
