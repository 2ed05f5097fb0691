// Bounds of a configuration that the model, the buffers and the build files
// can handle.  Every test is made on the configuration fields in 64 bits, so
// it holds before and after the derived values are formed.
#include <cinttypes>
#include <cstdio>
#include <limits>

#include "core/report.h"
#include "core/record.h"

namespace veldax {

namespace {

constexpr int64_t kInt32Max = std::numeric_limits<int32_t>::max();

}  // namespace

Status DeinterlacerModel::validate_configuration() {
    const std::string shown = kvf_path.empty() ? "parameter file" : printable(kvf_path);
    const char* where = shown.c_str();

    const struct {
        const char* key;
        int32_t value;
    } at_least_one[] = {
        {"num_plane", num_plane},
        {"frame_width", frame_width},
        {"frame_height", frame_height},
    };
    for (const auto& field : at_least_one) {
        if (field.value < 1) {
            report_error("%s: %s = %d is below 1", where, field.key, field.value);
            return Status::parameters_refused;
        }
    }

    // Samples travel as 16-bit words.
    if (dwidth < 1 || dwidth > 16) {
        report_error("%s: dwidth = %d is outside 1..16", where, dwidth);
        return Status::parameters_refused;
    }

    if (ycbcr422 && num_plane < 3) {
        report_error("%s: ycbcr422 = 1 needs num_plane >= 3, num_plane = %d", where, num_plane);
        return Status::parameters_refused;
    }

    // Samples per half request: (burst_count*burst_length)/2 bus words of
    // dbus_width/dwidth samples each.  Only the sign of the product matters
    // here (it can exceed 64 bits); the memory depth below checks its size.
    {
        const int64_t half_request = int64_t{burst_count} * burst_length / 2;
        const int64_t per_word = int64_t{dbus_width} / dwidth;
        const bool positive = (half_request >= 1 && per_word >= 1) ||
                              (half_request <= -1 && per_word <= -1);
        if (!positive) {
            report_error(
                "%s: (burst_count*burst_length)/2 * (dbus_width/dwidth) must be at least 1 "
                "(burst_count = %d, burst_length = %d, dbus_width = %d, dwidth = %d)",
                where, burst_count, burst_length, dbus_width, dwidth);
            return Status::parameters_refused;
        }
    }

    // Per-frame sizes must lie inside the configured frame: the border fill
    // writes one row and window_width/2 columns beyond them.  A negative
    // entry is one the file did not give.
    if (dynamic) {
        const struct {
            const char* key;
            const int32_t* table;
            int32_t full;
            const char* full_key;
        } sizes[] = {
            {"frmw", frmw, frame_width, "frame_width"},
            {"frmh", frmh, frame_height, "frame_height"},
        };
        for (const auto& s : sizes) {
            for (int32_t k = 0; k < 3; ++k) {
                if (s.table[k] >= 0 && s.table[k] > s.full - 1) {
                    report_error("%s: %s_%d = %d exceeds %s - 1 = %d", where, s.key, k,
                                s.table[k], s.full_key, s.full - 1);
                    return Status::parameters_refused;
                }
            }
        }
    }

    // Derived sizes held in signed 32-bit fields and counters.  The operands
    // are at least 1 here, so each product is tested before the next factor.
    const int64_t padded_h = int64_t{frame_height} + 2;
    if (padded_h > kInt32Max) {
        report_error("%s: frame_height = %d gives padded_height %" PRId64 ", beyond %" PRId64 "",
                    where, frame_height, padded_h, kInt32Max);
        return Status::parameters_refused;
    }
    const int64_t padded_w = int64_t{frame_width} + 2 * int64_t{window_width / 2};
    if (padded_w > kInt32Max) {
        report_error("%s: frame_width = %d gives padded_width %" PRId64 ", beyond %" PRId64 "",
                    where, frame_width, padded_w, kInt32Max);
        return Status::parameters_refused;
    }
    const int64_t area = int64_t{frame_width} * frame_height;  // < 2^62
    const int64_t planes_width = int64_t{num_plane} * frame_width;
    if (planes_width > kInt32Max || planes_width * frame_height > kInt32Max) {
        report_error("%s: num_plane*frame_width*frame_height = %d*%d*%d exceeds %" PRId64 "",
                    where, num_plane, frame_width, frame_height, kInt32Max);
        return Status::parameters_refused;
    }
    if (2 * area > kInt32Max) {
        report_error("%s: 2*frame_width*frame_height = 2*%d*%d exceeds %" PRId64 "", where,
                    frame_width, frame_height, kInt32Max);
        return Status::parameters_refused;
    }

    if (!compute_mem_depth()) {
        report_error(
            "%s: the frame memory depth for frame_width = %d, frame_height = %d, num_plane = %d, "
            "dwidth = %d, dbus_width = %d, burst_count = %d, burst_length = %d exceeds %" PRId64
            "",
            where, frame_width, frame_height, num_plane, dwidth, dbus_width, burst_count,
            burst_length, kInt32Max);
        return Status::parameters_refused;
    }
    return Status::ok;
}

}  // namespace veldax
