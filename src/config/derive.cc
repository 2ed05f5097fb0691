#include <algorithm>

#include "core/record.h"

namespace veldax {

namespace {

// Entries 1 and 2 of a per-frame size table, when not given, follow entry 0;
// entry 0 follows the configured size.
void complete_sizes(int32_t* table, int32_t full) {
    if (table[0] < 0) table[0] = full;
    if (table[1] < 0) table[1] = table[0];
    if (table[2] < 0) table[2] = table[0];
}

void complete_thresholds(int32_t* table, int32_t global, bool dynamic) {
    table[0] = global;
    for (int32_t i = 1; i < 3; ++i)
        if (!dynamic || table[i] < 0) table[i] = global;
}

}  // namespace

void DeinterlacerModel::derive_configuration() {
    // Sample range: formed in 64 bits, stored as a signed 32-bit value.
    const int64_t range = (dwidth >= 0 && dwidth < 63) ? (int64_t{1} << dwidth) - 1 : -1;
    max_value = static_cast<int32_t>(static_cast<uint32_t>(range));
    min_value = 0;

    pad_left = pad_right = window_width / 2;
    pad_top = pad_bottom = 1;
    // Formed in 64 bits; validation refuses sizes that do not fit.
    padded_height = static_cast<int32_t>(int64_t{frame_height} + 2);
    padded_width = static_cast<int32_t>(int64_t{frame_width} + 2 * (window_width / 2));
    active_height = frame_height;
    active_width = frame_width;

    if (!dynamic) {
        for (int32_t i = 0; i < 3; ++i) {
            frmw[i] = static_cast<int32_t>(int64_t{frame_width} - 1);
            frmh[i] = static_cast<int32_t>(int64_t{frame_height} - 1);
        }
    } else {
        complete_sizes(frmw, static_cast<int32_t>(int64_t{frame_width} - 1));
        complete_sizes(frmh, static_cast<int32_t>(int64_t{frame_height} - 1));
    }

    th0_now = interth0;
    th1_now = interth1;
    th2_now = interth2;
    complete_thresholds(th0_table, interth0, dynamic);
    complete_thresholds(th1_table, interth1, dynamic);
    complete_thresholds(th2_table, interth2, dynamic);
}


}  // namespace veldax
