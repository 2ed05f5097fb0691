#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <new>

#include "config/model.h"
#include "store/memory_limit.h"

namespace veldax {

namespace {

// Asks for large pages under a block the run will write whole: one page
// fault then maps 2 MiB instead of 4 KiB, and the first pass over a plane no
// longer spends its time in faults.  Only advice; without it the block works
// the same.
void advise_large_pages(void* block, size_t bytes) {
#ifdef MADV_HUGEPAGE
    const long page = sysconf(_SC_PAGE_SIZE);
    if (page <= 0) return;
    const uintptr_t mask = static_cast<uintptr_t>(page) - 1;
    const uintptr_t start = (reinterpret_cast<uintptr_t>(block) + mask) & ~mask;
    const uintptr_t end = (reinterpret_cast<uintptr_t>(block) + bytes) & ~mask;
    if (end > start) madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
#else
    (void)block;
    (void)bytes;
#endif
}

}  // namespace

uint64_t plane_bytes(int32_t rows, int32_t columns, const PlaneBorders& around) {
    if (rows <= 0 || columns <= 0) return 0;
    const uint64_t h = uint64_t(rows) + uint64_t(around.top) + uint64_t(around.bottom);
    const uint64_t w = uint64_t(columns) + uint64_t(around.left) + uint64_t(around.right);
    return h * w * sizeof(int32_t);
}

size_t PixelPlane::block_samples() const {
    return block_ ? static_cast<size_t>(height + borders.top + borders.bottom) *
                        static_cast<size_t>(stride)
                  : 0;
}

bool PixelPlane::allocate(int32_t rows, int32_t columns, const PlaneBorders& around) {
    block_.reset();
    origin_ = nullptr;
    const uint64_t bytes = plane_bytes(rows, columns, around);
    if (bytes == 0 || bytes > SIZE_MAX) return false;
    // calloc: zeroed, and the pages are the system's zero pages until the
    // run first writes them.
    block_.reset(static_cast<int32_t*>(std::calloc(static_cast<size_t>(bytes), 1)));
    if (!block_) return false;
    advise_large_pages(block_.get(), static_cast<size_t>(bytes));
    height = rows;
    width = columns;
    borders = around;
    stride = ptrdiff_t{around.left} + columns + around.right;
    origin_ = block_.get() + ptrdiff_t{around.top} * stride + around.left;
    return true;
}

bool PlaneSet::allocate(int32_t buffers, int32_t planes, int32_t rows, int32_t columns,
                        const PlaneBorders& around) {
    planes_.reset();
    if (buffers <= 0 || planes <= 0) return false;
    const size_t n = static_cast<size_t>(buffers) * static_cast<size_t>(planes);
    planes_.reset(new (std::nothrow) PixelPlane[n]);
    if (!planes_) return false;
    per_buffer_ = planes;
    for (size_t i = 0; i < n; ++i)
        if (!planes_[i].allocate(rows, columns, around)) return false;
    return true;
}

Status DeinterlacerModel::allocate_buffers() {
    if (buffer_count <= 0 || num_plane <= 0) return Status::field_memory;
    const PlaneBorders field_pads{pad_top, pad_bottom, pad_left, pad_right};
    const uint64_t sets = static_cast<uint64_t>(buffer_count) * static_cast<uint64_t>(num_plane);
    const uint64_t field_bytes = sets * plane_bytes(frame_height, frame_width, field_pads);
    const uint64_t frame_plane = plane_bytes(active_height, active_width, PlaneBorders{});
    const uint64_t frame_bytes = sets * frame_plane;
    const uint64_t available = usable_memory_bytes();

    // Both limits are tested before anything is obtained, so a run that
    // cannot fit does not first take (and touch) the field buffers.
    if (available && field_bytes > available) return Status::field_memory;
    if (available && field_bytes + frame_bytes + frame_plane > available)
        return Status::golden_memory;
    if (!field_store.allocate(buffer_count, num_plane, frame_height, frame_width, field_pads))
        return Status::field_memory;
    if (!frame_store.allocate(buffer_count, num_plane, active_height, active_width, PlaneBorders{}))
        return Status::golden_memory;
    if (!motion_store.allocate(active_height, active_width, PlaneBorders{}))
        return Status::golden_memory;
    return Status::ok;
}

void DeinterlacerModel::release_buffers() {
    field_store.release();
    frame_store.release();
    motion_store = PixelPlane{};
    bmp_picture.clear();
}

void DeinterlacerModel::fill_borders(PixelPlane* planes, int32_t frame) {
    const FrameSize size = layout().frame_size(frame);
    const int32_t w = size.width;
    const int32_t h = size.height;
    const size_t row_bytes = sizeof(int32_t) * static_cast<size_t>(pad_left + w + pad_right);
    for (int32_t p = 0; p < num_plane; ++p) {
        const PixelPlane& plane = planes[p];
        // Vertical borders: mirror about the edge row, which is not repeated.
        for (int32_t k = 1; k <= pad_top; ++k)
            std::memcpy(plane.row(-k) - pad_left, plane.row(k) - pad_left, row_bytes);
        for (int32_t k = 1; k <= pad_bottom; ++k)
            std::memcpy(plane.row(h - 1 + k) - pad_left, plane.row(h - 1 - k) - pad_left, row_bytes);
        // Horizontal borders: replicate the edge column, border rows included.
        for (int32_t r = -pad_top; r < h + pad_bottom; ++r) {
            int32_t* row = plane.row(r);
            for (int32_t k = 1; k <= pad_left; ++k) row[-k] = row[0];
            for (int32_t k = 0; k < pad_right; ++k) row[w + k] = row[w - 1];
        }
    }
}

}  // namespace veldax
