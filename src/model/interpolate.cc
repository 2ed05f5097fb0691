// Builds one golden frame from the field held in a field buffer.  Rows of the
// kept parity (and the frame's last row) pass unchanged; every other row is
// rebuilt by the row kernel of the method in force, taken from kernels()
// once per plane and called once per row.
#include <cstring>

#include "core/record.h"
#include "model/kernel_table.h"
#include "model/methods.h"

namespace veldax {

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
    const int32_t width = active_width;
    const RowParams params{th0_now, th1_now, th2_now, max_value, largest_sample()};
    const KernelTable& k = kernels();

    const auto copy_row = [&](int32_t i, Sample* row) {
        std::memcpy(row, current.row(i), sizeof(Sample) * static_cast<size_t>(width));
    };
    // Copies the kept rows and hands every other row i to rebuild(i, out row).
    const auto each_row = [&](auto rebuild) {
        for (int32_t i = 0; i < active_height; ++i) {
            if (i % 2 == keep || i == last_row)
                copy_row(i, out.row(i));
            else
                rebuild(i, out.row(i));
        }
    };

    switch (method.rebuild) {
    case RowKernel::copy:
        each_row(copy_row);
        break;
    case RowKernel::bob: {
        const BobRowKernel bob = k.bob_row;
        each_row([&](int32_t i, Sample* row) { bob(current.row(i - 1), current.row(i + 1), row, width); });
        break;
    }
    case RowKernel::intra: {
        const IntraRowKernel intra = k.intra_row;
        each_row([&](int32_t i, Sample* row) {
            intra(current.row(i - 1), current.row(i), current.row(i + 1), row, width, params);
        });
        break;
    }
    case RowKernel::inter: {
        // Later planes of 4:2:2 and 4:4:4 data take the motion of plane 0.
        const bool reuse_motion = (ycbcr422 != 0 || ycbcr444 != 0) && plane > 0;
        const InterRowKernel inter = reuse_motion ? k.inter_row_reusing : k.inter_row_measuring;
        each_row([&](int32_t i, Sample* row) {
            inter(current.row(i - 1), current.row(i), current.row(i + 1), other.row(i - 1),
                  other.row(i), other.row(i + 1), motion_store.row(i), row, width, params);
        });
        break;
    }
    }
}

}  // namespace veldax
