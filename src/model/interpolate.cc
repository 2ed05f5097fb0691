// Builds one golden frame from the field held in a field buffer.  Rows of the
// kept parity (and the frame's last row) pass unchanged; every other row is
// rebuilt by the method in force, one whole row per call.
#include <cstring>

#include "config/model.h"

namespace {

// Mean of two samples with a half rounded up; formed in 64 bits so that no
// sample pair can overflow.
inline int32_t bob_average(int32_t up, int32_t down) {
    return static_cast<int32_t>((int64_t{up} + int64_t{down} + 1) / 2);
}

void copy_row(const int32_t* in, int32_t width, int32_t* out) {
    std::memcpy(out, in, sizeof(int32_t) * static_cast<size_t>(width));
}

void bob_row(const int32_t* up, const int32_t* down, int32_t width, int32_t* out) {
    for (int32_t j = 0; j < width; ++j) out[j] = bob_average(up[j], down[j]);
}

// Bob methods keep a fixed parity; the others keep the one asked for.
int32_t kept_parity(int32_t method, int32_t parity) {
    if (method == bobe) return 0;
    if (method == bobo) return 1;
    return parity;
}

}  // namespace

void DeinterlacerModel::interpolate_frame(int32_t buffer, int32_t parity, int32_t frame) {
    // Plane 0 first: the inter method records motion there that the later
    // planes read back.
    for (int32_t p = 0; p < num_plane; ++p) interpolate_plane(buffer, p, parity, frame);
}

void DeinterlacerModel::interpolate_plane(int32_t buffer, int32_t plane, int32_t parity,
                                          int32_t frame) {
    const PixelPlane& current = field_store[buffer][plane];
    const PixelPlane& other = field_store[1 - buffer][plane];
    const PixelPlane& out = frame_store[buffer][plane];
    const int32_t keep = kept_parity(method_now, parity);
    const int32_t last_row = frmh[frame_slot(frame)];
    const int32_t width = active_width;

    for (int32_t i = 0; i < active_height; ++i) {
        const int32_t r = pad_top + i;
        int32_t* out_row = out[i];
        if (i % 2 == keep || i == last_row) {
            copy_row(current[r] + pad_left, width, out_row);
            continue;
        }
        switch (method_now) {
        case bobe:
        case bobo:
            bob_row(current[r - 1] + pad_left, current[r + 1] + pad_left, width, out_row);
            break;
        case intra:
            intra_line(current, r, width, out_row);
            break;
        case inter:
            inter_line(current, other, r, plane, width, out_row);
            break;
        default:  // weave: the field's own row
            copy_row(current[r] + pad_left, width, out_row);
            break;
        }
    }
}

int32_t DeinterlacerModel::interpolate_sample(const PixelPlane& current, const PixelPlane& other,
                                              int32_t row, int32_t col, int32_t plane) {
    switch (method_now) {
    case bobe:
    case bobo:
        return bob_average(current[row - 1][col], current[row + 1][col]);
    case intra:
        return intra_sample(current, other, row, col);
    case inter:
        return inter_sample(current, other, row, col, plane);
    default:  // weave
        return current[row][col];
    }
}
