// The run's pixel buffers: their allocation against the memory a run may
// use, and the border fill around a stored field.
#include <cstring>

#include "core/record.h"
#include "store/frame_layout.h"
#include "store/memory_limit.h"

namespace veldax {

namespace {

struct BufferBytes {
    uint64_t field = 0;    // the field buffers
    uint64_t golden = 0;   // the golden frame and the motion row
    uint64_t scratch = 0;  // what a generating run holds besides them
};

// Columns of plane p in a buffer of planes `width` columns wide: a paired
// plane holds a sample a pair.
int32_t plane_columns(bool paired, int32_t p, int32_t width) {
    return paired && (p == 1 || p == 2) ? paired_width(width) : width;
}

BufferBytes buffer_bytes(const DeinterlacerModel& m) {
    BufferBytes b;
    if (m.buffer_count <= 0 || m.num_plane <= 0) return b;
    const PlaneBorders field_pads{m.pad_top, m.pad_bottom, m.pad_left, m.pad_right};
    const bool paired = m.chroma_comes_in_pairs();
    // 16-bit samples in the field and frame planes, 32-bit motion values.
    uint64_t field_set = 0;
    for (int32_t p = 0; p < m.num_plane; ++p) {
        field_set += plane_bytes(m.frame_height, plane_columns(paired, p, m.frame_width), field_pads);
        b.golden += plane_bytes(m.active_height, plane_columns(paired, p, m.active_width),
                                PlaneBorders{});
    }
    b.field = static_cast<uint64_t>(m.buffer_count) * field_set;
    b.golden += plane_bytes(1, m.active_width, PlaneBorders{}, sizeof(MotionValue));
    if (m.run.generates()) {
        // The 16-bit words of a frame on their way to a data file, kept from
        // field to field (also the most a BMP row takes: checked with the
        // picture's header).  A sequence also holds the bytes of a frame
        // (kept) and, for a Y4M clip, a frame of up to three 16-bit planes
        // and its samples while it is read: 8 bytes a pixel at most.
        const uint64_t area = static_cast<uint64_t>(m.frame_width > 0 ? m.frame_width : 0) *
                              static_cast<uint64_t>(m.frame_height > 0 ? m.frame_height : 0);
        b.scratch = 2 * area;
        if (m.run.source == StimulusSource::yuv) b.scratch += 8 * area;
        if (m.run.source == StimulusSource::random)
            b.scratch += uint64_t{kRandomDraws} * sizeof(int32_t);
    }
    return b;
}

}  // namespace

bool DeinterlacerModel::chroma_comes_in_pairs() const {
    if (!(ycbcr422 && num_plane >= 3)) return false;
    const bool sequence = run.source == StimulusSource::yuv;
    if (!sequence && run.source != StimulusSource::ramp && run.source != StimulusSource::random)
        return false;
    // Borders replicate a field's last column from its own width on (a
    // sequence's fields all take frame 0's): from an odd width below
    // frame_width the second border column would pair with a stored one.
    const FrameLayout l = layout();
    for (int32_t i = 0; i < (sequence ? 1 : kFrameTableSize); ++i) {
        const int32_t w = l.frame_size(i).width;
        if (w % 2 != 0 && w < frame_width) return false;
    }
    return true;
}

uint64_t DeinterlacerModel::run_memory_bytes() const {
    const BufferBytes b = buffer_bytes(*this);
    return b.field + b.golden + b.scratch;
}

Status DeinterlacerModel::allocate_buffers() {
    if (buffer_count <= 0 || num_plane <= 0) return Status::field_memory;
    const PlaneBorders field_pads{pad_top, pad_bottom, pad_left, pad_right};
    const BufferBytes bytes = buffer_bytes(*this);
    const uint64_t available = usable_memory_bytes();

    // Every limit is tested before anything is obtained, so a run that
    // cannot fit does not first take (and touch) the field buffers, nor
    // write part of its files before a scratch block is refused.
    if (available && bytes.field + bytes.scratch > available) return Status::field_memory;
    if (available && bytes.field + bytes.golden + bytes.scratch > available)
        return Status::golden_memory;
    chroma_paired = chroma_comes_in_pairs();
    const auto columns = [&](int32_t width) {
        return [this, width](int32_t p) { return plane_columns(chroma_paired, p, width); };
    };
    if (!field_store.allocate(buffer_count, num_plane, frame_height, columns(frame_width),
                              field_pads))
        return Status::field_memory;
    if (!frame_store.allocate(1, num_plane, active_height, columns(active_width), PlaneBorders{}))
        return Status::golden_memory;
    if (!motion_store.allocate(1, active_width, PlaneBorders{}))
        return Status::golden_memory;
    return Status::ok;
}

void DeinterlacerModel::fill_borders(PixelPlane* planes, int32_t frame) {
    const FrameSize size = layout().frame_size(frame);
    const int32_t h = size.height;
    for (int32_t p = 0; p < num_plane; ++p) {
        const PixelPlane& plane = planes[p];
        // Columns -pad_left .. w + pad_right - 1 take part; a paired plane
        // holds them as the pairs that cover them, and no further: a column
        // past them may still hold a sample of the stored area.
        const bool paired = paired_plane(p);
        const int32_t w = paired ? paired_width(size.width) : size.width;
        const int32_t first = paired ? -((pad_left + 1) / 2) : -pad_left;
        const int32_t last = paired ? (size.width + pad_right - 1) / 2 : w + pad_right - 1;
        const size_t row_bytes = sizeof(Sample) * static_cast<size_t>(last - first + 1);
        // Vertical borders: mirror about the edge row, which is not repeated.
        for (int32_t k = 1; k <= pad_top; ++k)
            std::memcpy(plane.row(-k) + first, plane.row(k) + first, row_bytes);
        for (int32_t k = 1; k <= pad_bottom; ++k)
            std::memcpy(plane.row(h - 1 + k) + first, plane.row(h - 1 - k) + first, row_bytes);
        // Horizontal borders: replicate the edge column, border rows included.
        for (int32_t r = -pad_top; r < h + pad_bottom; ++r) {
            Sample* row = plane.row(r);
            for (int32_t c = first; c < 0; ++c) row[c] = row[0];
            for (int32_t c = w; c <= last; ++c) row[c] = row[w - 1];
        }
    }
}

}  // namespace veldax
