// The run's pixel buffers: their allocation against the memory a run may
// use, and the border fill around a stored field.
#include <cstring>

#include "core/record.h"
#include "store/frame_layout.h"
#include "store/memory_limit.h"

namespace veldax {

Status DeinterlacerModel::allocate_buffers() {
    if (buffer_count <= 0 || num_plane <= 0) return Status::field_memory;
    const PlaneBorders field_pads{pad_top, pad_bottom, pad_left, pad_right};
    const uint64_t sets = static_cast<uint64_t>(buffer_count) * static_cast<uint64_t>(num_plane);
    const uint64_t field_bytes = sets * plane_bytes(frame_height, frame_width, field_pads);
    const uint64_t frame_bytes = sets * plane_bytes(active_height, active_width, PlaneBorders{});
    // 16-bit samples in the field and frame planes, 32-bit motion values.
    const uint64_t motion_bytes =
        plane_bytes(active_height, active_width, PlaneBorders{}, sizeof(MotionValue));
    const uint64_t available = usable_memory_bytes();

    // Both limits are tested before anything is obtained, so a run that
    // cannot fit does not first take (and touch) the field buffers.
    if (available && field_bytes > available) return Status::field_memory;
    if (available && field_bytes + frame_bytes + motion_bytes > available)
        return Status::golden_memory;
    if (!field_store.allocate(buffer_count, num_plane, frame_height, frame_width, field_pads))
        return Status::field_memory;
    if (!frame_store.allocate(buffer_count, num_plane, active_height, active_width, PlaneBorders{}))
        return Status::golden_memory;
    if (!motion_store.allocate(active_height, active_width, PlaneBorders{}))
        return Status::golden_memory;
    return Status::ok;
}

void DeinterlacerModel::fill_borders(PixelPlane* planes, int32_t frame) {
    const FrameSize size = layout().frame_size(frame);
    const int32_t w = size.width;
    const int32_t h = size.height;
    const size_t row_bytes = sizeof(Sample) * static_cast<size_t>(pad_left + w + pad_right);
    for (int32_t p = 0; p < num_plane; ++p) {
        const PixelPlane& plane = planes[p];
        // Vertical borders: mirror about the edge row, which is not repeated.
        for (int32_t k = 1; k <= pad_top; ++k)
            std::memcpy(plane.row(-k) - pad_left, plane.row(k) - pad_left, row_bytes);
        for (int32_t k = 1; k <= pad_bottom; ++k)
            std::memcpy(plane.row(h - 1 + k) - pad_left, plane.row(h - 1 - k) - pad_left, row_bytes);
        // Horizontal borders: replicate the edge column, border rows included.
        for (int32_t r = -pad_top; r < h + pad_bottom; ++r) {
            Sample* row = plane.row(r);
            for (int32_t k = 1; k <= pad_left; ++k) row[-k] = row[0];
            for (int32_t k = 0; k < pad_right; ++k) row[w + k] = row[w - 1];
        }
    }
}

}  // namespace veldax
