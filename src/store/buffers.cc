#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "config/model.h"
#include "store/memory_limit.h"

namespace {

// Memory the machine has, in bytes; 0 when it cannot be told.  A request
// beyond it is refused up front: the kernel may promise more than it can
// give, and the run would then be killed halfway through a field instead of
// failing cleanly here.
uint64_t physical_memory_bytes() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long page_size = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || page_size <= 0) return 0;
    return static_cast<uint64_t>(pages) * static_cast<uint64_t>(page_size);
}

uint64_t plane_bytes(int32_t height, int32_t width) {
    if (height <= 0 || width <= 0) return 0;
    return static_cast<uint64_t>(height) * static_cast<uint64_t>(width) * sizeof(int32_t) +
           static_cast<uint64_t>(height) * sizeof(int32_t*);
}

// One plane as one zeroed block of samples plus its row pointers.
bool allocate_plane(PixelPlane& plane, int32_t height, int32_t width) {
    if (height <= 0 || width <= 0) return false;
    const size_t h = static_cast<size_t>(height);
    const size_t w = static_cast<size_t>(width);
    plane.data = static_cast<int32_t*>(std::calloc(h * w, sizeof(int32_t)));
    plane.rows = static_cast<int32_t**>(std::malloc(h * sizeof(int32_t*)));
    if (!plane.data || !plane.rows) return false;
    for (size_t r = 0; r < h; ++r) plane.rows[r] = plane.data + r * w;
    plane.height = height;
    plane.width = width;
    return true;
}

void free_plane(PixelPlane& plane) {
    std::free(plane.data);
    std::free(plane.rows);
    plane = PixelPlane{};
}

// [buffers][planes] planes of height x width; false on the first block that
// cannot be obtained (what was obtained stays, for free_buffer_set).
bool allocate_buffer_set(PixelPlane**& set, int32_t buffers, int32_t planes, int32_t height,
                         int32_t width) {
    set = static_cast<PixelPlane**>(std::calloc(static_cast<size_t>(buffers), sizeof(PixelPlane*)));
    if (!set) return false;
    for (int32_t b = 0; b < buffers; ++b) {
        set[b] = static_cast<PixelPlane*>(std::calloc(static_cast<size_t>(planes), sizeof(PixelPlane)));
        if (!set[b]) return false;
        for (int32_t p = 0; p < planes; ++p)
            if (!allocate_plane(set[b][p], height, width)) return false;
    }
    return true;
}

void free_buffer_set(PixelPlane**& set, int32_t buffers, int32_t planes) {
    if (!set) return;
    for (int32_t b = 0; b < buffers; ++b) {
        if (!set[b]) continue;
        for (int32_t p = 0; p < planes; ++p) free_plane(set[b][p]);
        std::free(set[b]);
    }
    std::free(set);
    set = nullptr;
}

}  // namespace

int32_t DeinterlacerModel::allocate_buffers() {
    if (buffer_count <= 0 || num_plane <= 0) return 2;
    const uint64_t sets = static_cast<uint64_t>(buffer_count) * static_cast<uint64_t>(num_plane);
    const uint64_t field_bytes = sets * plane_bytes(padded_height, padded_width);
    const uint64_t frame_bytes = sets * plane_bytes(active_height, active_width);
    const uint64_t motion_bytes = plane_bytes(active_height, active_width);
    const uint64_t available = tighter_limit(physical_memory_bytes(), process_memory_limit());

    // Both limits are tested before anything is obtained, so a run that
    // cannot fit does not first take (and touch) the field buffers.
    if (available && field_bytes > available) return 2;
    if (available && field_bytes + frame_bytes + motion_bytes > available) return 3;
    if (!allocate_buffer_set(field_store, buffer_count, num_plane, padded_height, padded_width))
        return 2;
    if (!allocate_buffer_set(frame_store, buffer_count, num_plane, active_height, active_width))
        return 3;
    motion_store = static_cast<PixelPlane*>(std::calloc(1, sizeof(PixelPlane)));
    if (!motion_store || !allocate_plane(*motion_store, active_height, active_width)) return 3;
    return 0;
}

void DeinterlacerModel::release_buffers() {
    free_buffer_set(field_store, buffer_count, num_plane);
    free_buffer_set(frame_store, buffer_count, num_plane);
    if (motion_store) {
        free_plane(*motion_store);
        std::free(motion_store);
        motion_store = nullptr;
    }
    std::free(palette);
    palette = nullptr;
    palette_bytes = 0;
}

void DeinterlacerModel::fill_borders(PixelPlane* planes, int32_t frame) {
    int32_t w, h;
    frame_size(frame, &w, &h);
    const int32_t W = pad_left + w + pad_right;
    const int32_t H = pad_top + h + pad_bottom;
    for (int32_t p = 0; p < num_plane; ++p) {
        PixelPlane& plane = planes[p];
        // Vertical borders: mirror about the edge row, which is not repeated.
        for (int32_t k = 0; k < pad_top; ++k)
            std::memcpy(plane[k], plane[2 * pad_top - k], sizeof(int32_t) * static_cast<size_t>(W));
        for (int32_t k = 0; k < pad_bottom; ++k)
            std::memcpy(plane[H - 1 - k], plane[H - 2 * pad_bottom - 1 + k],
                        sizeof(int32_t) * static_cast<size_t>(W));
        // Horizontal borders: replicate the edge column, border rows included.
        for (int32_t r = 0; r < H; ++r) {
            int32_t* row = plane[r];
            for (int32_t k = 0; k < pad_left; ++k) row[k] = row[pad_left];
            for (int32_t k = 0; k < pad_right; ++k) row[W - 1 - k] = row[W - pad_right - 1];
        }
    }
}
