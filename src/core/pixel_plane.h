// Pixel planes and the buffer sets that own them.  A plane is one zeroed
// block of signed 32-bit samples with a row stride; rows and border samples
// are reached by pointer arithmetic from the origin, sample (0, 0) of the
// stored area, so border rows are rows -1, height and border columns are
// negative columns or columns at and past the width.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace veldax {

struct FreeBlock {
    void operator()(void* p) const { std::free(p); }
};

// Borders around the stored area of a plane.
struct PlaneBorders {
    int32_t top = 0;
    int32_t bottom = 0;
    int32_t left = 0;
    int32_t right = 0;
};

struct PixelPlane {
    int32_t height = 0;  // stored rows, borders not included
    int32_t width = 0;   // stored columns, borders not included
    PlaneBorders borders;
    ptrdiff_t stride = 0;  // samples from one row to the next

    // Zeroed block of (top + height + bottom) x stride samples; false when
    // the size is not positive or the memory cannot be had.
    bool allocate(int32_t rows, int32_t columns, const PlaneBorders& around);

    // Row j of the stored area; j = -borders.top .. height + borders.bottom - 1.
    int32_t* row(int32_t j) const { return origin_ + j * stride; }
    // The whole block, border rows and columns included, row by row.
    int32_t* block() const { return block_.get(); }
    size_t block_samples() const;

private:
    std::unique_ptr<int32_t, FreeBlock> block_;
    int32_t* origin_ = nullptr;
};

// [buffers][planes] planes of one shape, owned together.
class PlaneSet {
public:
    // False when a plane cannot be had; what was obtained goes with the set.
    bool allocate(int32_t buffers, int32_t planes, int32_t rows, int32_t columns,
                  const PlaneBorders& around);
    // The planes of buffer b.
    PixelPlane* operator[](int32_t b) const { return planes_.get() + ptrdiff_t{b} * per_buffer_; }
    void release() { planes_.reset(); }

private:
    std::unique_ptr<PixelPlane[]> planes_;
    int32_t per_buffer_ = 0;
};

// Bytes a plane of rows x columns samples with these borders takes; 0 when
// a size is not positive.
uint64_t plane_bytes(int32_t rows, int32_t columns, const PlaneBorders& around);

}  // namespace veldax
