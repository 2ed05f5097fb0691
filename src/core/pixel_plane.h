// Pixel planes and the buffer sets that own them.  A plane is one block of
// samples with a row stride; rows and border samples are reached by pointer
// arithmetic from the origin, sample (0, 0) of the stored area, so border
// rows are rows -1, height and border columns are negative columns or
// columns at and past the width.
//
// Samples are 16 bits: dwidth is 1..16, and every reader stores, and every
// kernel gives, a value in 0..max_value.  The motion plane holds 32-bit
// values, since a 3 x 3 sum of absolute differences reaches 9 * 65535 and the
// thresholds it is compared with take any int32 value.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

namespace veldax {

// One sample of a field, frame or stimulus plane.
using Sample = uint16_t;
// One motion value (model/kernels.h, window_sad).
using MotionValue = int32_t;

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

// Bytes a plane of rows x columns values of `value_bytes` each with these
// borders takes; 0 when a size is not positive.
uint64_t plane_bytes(int32_t rows, int32_t columns, const PlaneBorders& around,
                     size_t value_bytes = sizeof(Sample));

// A zeroed block of `bytes` (large pages asked for), or null.
void* zeroed_block(uint64_t bytes);
// Asks for large pages under a block the run will write whole (advice only).
void advise_large_pages(void* block, size_t bytes);

template <class Value>
struct Plane {
    int32_t height = 0;  // stored rows, borders not included
    int32_t width = 0;   // stored columns, borders not included
    PlaneBorders borders;
    ptrdiff_t stride = 0;  // values from one row to the next

    // Zeroed block of (top + height + bottom) x stride values; false when
    // the size is not positive or the memory cannot be had.  The block is
    // obtained once and kept: later fields write over it.
    bool allocate(int32_t rows, int32_t columns, const PlaneBorders& around) {
        block_.reset();
        origin_ = base_ = nullptr;
        block_.reset(static_cast<Value*>(
            zeroed_block(plane_bytes(rows, columns, around, sizeof(Value)))));
        if (!block_) return false;
        place(block_.get(), rows, columns, around);
        return true;
    }

    // Lays the plane over plane_bytes(rows, columns, around) bytes at
    // `block`, which its owner keeps for as long as the plane is used.
    void place(Value* block, int32_t rows, int32_t columns, const PlaneBorders& around) {
        height = rows;
        width = columns;
        borders = around;
        stride = ptrdiff_t{around.left} + columns + around.right;
        base_ = block;
        origin_ = block + ptrdiff_t{around.top} * stride + around.left;
    }

    // Row j of the stored area; j = -borders.top .. height + borders.bottom - 1.
    Value* row(int32_t j) const { return origin_ + j * stride; }
    // The whole block, border rows and columns included, row by row.
    Value* block() const { return base_; }
    size_t block_samples() const {
        return base_ ? static_cast<size_t>(height + borders.top + borders.bottom) *
                           static_cast<size_t>(stride)
                     : 0;
    }

private:
    std::unique_ptr<Value, FreeBlock> block_;  // null for a placed plane
    Value* base_ = nullptr;
    Value* origin_ = nullptr;
};

// Field, frame and stimulus planes; the motion plane.
using PixelPlane = Plane<Sample>;
using MotionPlane = Plane<MotionValue>;

// Samples first, first + 2, ..., first + 2(n - 1) of row (first 0 or 1), each
// convert(sample), into out[0 .. n).  Rows of 16-bit samples are read as
// 32-bit pairs on a little-endian host, which the compiler turns into vector
// code; both samples of each pair lie inside the row.
template <class In, class Out, class Convert>
void gather_every_other(const In* row, int32_t first, int32_t n, Out* out, Convert convert) {
    if constexpr (sizeof(In) == 2 && std::endian::native == std::endian::little) {
        const auto pair_at = [row](int32_t m) {
            uint32_t pair;
            std::memcpy(&pair, row + 2 * m, sizeof pair);
            return pair;
        };
        if (first == 0)
            for (int32_t m = 0; m < n; ++m) out[m] = convert(static_cast<In>(pair_at(m) & 0xFFFFu));
        else
            for (int32_t m = 0; m < n; ++m) out[m] = convert(static_cast<In>(pair_at(m) >> 16));
    } else {
        for (int32_t m = 0; m < n; ++m) out[m] = convert(row[2 * m + first]);
    }
}

// Columns 0, 2, 4, ... of a row of `width` samples into out[0 ..
// (width + 1) / 2).
inline void keep_even_columns(const Sample* row, int32_t width, Sample* out) {
    gather_every_other(row, 0, width / 2, out, [](Sample s) { return s; });
    if (width % 2 != 0) out[width / 2] = row[width - 1];
}

// The (width + 1) / 2 samples of a row held a sample a pair of columns
// (column 2m's and 2m + 1's at m), spread over its `width` columns in place.
inline void spread_pairs(Sample* row, int32_t width) {
    // From the end: a pair's columns lie at or after its sample.
    if (width % 2 != 0) row[width - 1] = row[width / 2];
    for (int32_t m = width / 2 - 1; m >= 0; --m) row[2 * m] = row[2 * m + 1] = row[m];
}

// Columns 0, 2, 4, ... of a row of `width` columns into out[0 .. (width +
// 1) / 2), the row made a stretch at a time on the stack: make(x, row, n)
// puts columns x .. x + n - 1 at row[0 .. n).
constexpr int32_t kEvenStretch = 512;  // even: stretches start at even columns
template <class Make>
void even_columns_made(Sample* out, int32_t width, Make make) {
    Sample row[kEvenStretch];
    for (int32_t x = 0; x < width; x += kEvenStretch) {
        const int32_t n = width - x < kEvenStretch ? width - x : kEvenStretch;
        make(x, row, n);
        keep_even_columns(row, n, out + x / 2);
    }
}

// Scratch memory a stage asks for once a field: it grows to the largest size
// asked for and is kept, so its pages are obtained (and cleared by the
// system) once a run, not once a field.  Its contents are undefined: every
// user writes what it reads.
template <class Value>
class KeptBuffer {
public:
    // n values; null when they cannot be had (or n is 0 and nothing is held).
    Value* get(size_t n) {
        if (n > size_) {
            block_.reset();
            size_ = 0;
            if (n <= SIZE_MAX / sizeof(Value))
                block_.reset(static_cast<Value*>(std::malloc(n * sizeof(Value))));
            if (block_) size_ = n;
            if (block_) advise_large_pages(block_.get(), n * sizeof(Value));
        }
        return block_.get();
    }

private:
    std::unique_ptr<Value, FreeBlock> block_;
    size_t size_ = 0;
};

// [buffers][planes] planes in one zeroed block, so that large pages cover
// all of it but its two ends.
class PlaneSet {
public:
    // Planes of `rows` rows with the borders `around`, plane p of each buffer
    // columns_of(p) columns wide, each from a 64-byte line.  False when a
    // plane cannot be had; what was obtained goes with the set.
    template <class ColumnsOf>
    bool allocate(int32_t buffers, int32_t planes, int32_t rows, ColumnsOf columns_of,
                  const PlaneBorders& around);
    bool allocate(int32_t buffers, int32_t planes, int32_t rows, int32_t columns,
                  const PlaneBorders& around) {
        return allocate(buffers, planes, rows, [columns](int32_t) { return columns; }, around);
    }
    // The planes of buffer b.
    PixelPlane* operator[](int32_t b) const { return planes_.get() + ptrdiff_t{b} * per_buffer_; }
    void release() {
        planes_.reset();
        block_.reset();
    }

private:
    std::unique_ptr<PixelPlane[]> planes_;
    std::unique_ptr<Sample, FreeBlock> block_;
    int32_t per_buffer_ = 0;
};

template <class ColumnsOf>
bool PlaneSet::allocate(int32_t buffers, int32_t planes, int32_t rows, ColumnsOf columns_of,
                        const PlaneBorders& around) {
    release();
    if (buffers <= 0 || planes <= 0) return false;
    const auto line_bytes = [&](int32_t p) {
        return (plane_bytes(rows, columns_of(p), around) + 63) / 64 * 64;
    };
    uint64_t per_buffer = 0;
    for (int32_t p = 0; p < planes; ++p) {
        const uint64_t bytes = line_bytes(p);
        if (bytes == 0 || bytes > SIZE_MAX - per_buffer) return false;
        per_buffer += bytes;
    }
    if (static_cast<uint64_t>(buffers) > SIZE_MAX / per_buffer) return false;
    planes_.reset(new (std::nothrow) PixelPlane[size_t(buffers) * size_t(planes)]);
    if (!planes_) return false;
    block_.reset(static_cast<Sample*>(zeroed_block(static_cast<uint64_t>(buffers) * per_buffer)));
    if (!block_) return false;
    per_buffer_ = planes;
    Sample* at = block_.get();
    for (int32_t b = 0; b < buffers; ++b)
        for (int32_t p = 0; p < planes; ++p) {
            (*this)[b][p].place(at, rows, columns_of(p), around);
            at += line_bytes(p) / sizeof(Sample);
        }
    return true;
}

}  // namespace veldax
