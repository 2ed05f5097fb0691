// Builds one golden frame from the field held in a field buffer.  Rows of the
// kept parity (and the frame's last row) pass unchanged; every other row is
// rebuilt by the row operation of the method in force, one whole row per
// call.
#include <cstring>

#include "core/record.h"
#include "model/kernel_table.h"
#include "model/methods.h"

namespace veldax {

void weave_row(const RowInputs& in, const RowParams&, int32_t width, int32_t* out) {
    std::memcpy(out, in.mid, sizeof(int32_t) * static_cast<size_t>(width));
}

void bob_row(const RowInputs& in, const RowParams&, int32_t width, int32_t* out) {
    kernels().bob_row(in.up, in.down, out, width);
}

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
    const MethodRow& method = method_row(method_now);
    const int32_t keep = kept_parity(method, parity);
    const int32_t last_row = frmh[frame_slot(frame)];
    const RowParams params{th0_now, th1_now, th2_now, max_value};
    // Later planes of 4:2:2 and 4:4:4 data take the motion of plane 0.
    const bool reuse_motion = (ycbcr422 != 0 || ycbcr444 != 0) && plane > 0;

    for (int32_t i = 0; i < active_height; ++i) {
        const RowInputs in{current.row(i - 1), current.row(i),    current.row(i + 1),
                           other.row(i - 1),   other.row(i),      other.row(i + 1),
                           motion_store.row(i), reuse_motion};
        if (i % 2 == keep || i == last_row)
            weave_row(in, params, active_width, out.row(i));
        else
            method.rebuild(in, params, active_width, out.row(i));
    }
}

}  // namespace veldax
