// Bounds of a configuration that the model, the buffers and the build files
// can handle.  Every test is made on the configuration fields in 64 bits (or
// in checked 32-bit steps), so it holds before and after the derived values
// are formed.  Each check prints one line naming the key, the value and the
// limit, and returns false when the configuration is outside.
#include <cinttypes>
#include <cstdio>
#include <limits>
#include <string>

#include "core/numbers.h"
#include "core/record.h"
#include "core/report.h"

namespace veldax {

namespace {

constexpr int64_t kInt32Max = std::numeric_limits<int32_t>::max();

bool check_at_least_one(const DeinterlacerModel& m, const char* where) {
    const struct {
        const char* key;
        int32_t value;
    } at_least_one[] = {
        {"num_plane", m.num_plane},
        {"frame_width", m.frame_width},
        {"frame_height", m.frame_height},
    };
    for (const auto& field : at_least_one) {
        if (field.value < 1) {
            report_error("%s: %s = %d is below 1", where, field.key, field.value);
            return false;
        }
    }
    return true;
}

bool check_samples(const DeinterlacerModel& m, const char* where) {
    // Samples travel as 16-bit words.
    if (m.dwidth < 1 || m.dwidth > 16) {
        report_error("%s: dwidth = %d is outside 1..16", where, m.dwidth);
        return false;
    }
    if (m.ycbcr422 && m.num_plane < 3) {
        report_error("%s: ycbcr422 = 1 needs num_plane >= 3, num_plane = %d", where, m.num_plane);
        return false;
    }
    return true;
}

// Samples per half request: (burst_count*burst_length)/2 bus words of
// dbus_width/dwidth samples each.  Only the sign of the product matters here
// (it can exceed 64 bits); the memory depth checks its size.
bool check_memory_request(const DeinterlacerModel& m, const char* where) {
    const int64_t half_request = int64_t{m.burst_count} * m.burst_length / 2;
    const int64_t per_word = int64_t{m.dbus_width} / m.dwidth;
    const bool positive =
        (half_request >= 1 && per_word >= 1) || (half_request <= -1 && per_word <= -1);
    if (positive) return true;
    report_error(
        "%s: (burst_count*burst_length)/2 * (dbus_width/dwidth) must be at least 1 "
        "(burst_count = %d, burst_length = %d, dbus_width = %d, dwidth = %d)",
        where, m.burst_count, m.burst_length, m.dbus_width, m.dwidth);
    return false;
}

// Per-frame sizes must lie inside the configured frame: the border fill
// writes one row and window_width/2 columns beyond them.  A negative entry is
// one the file did not give.
bool check_frame_sizes(const DeinterlacerModel& m, const char* where) {
    if (!m.dynamic) return true;
    const struct {
        const char* key;
        const int32_t* table;
        int32_t full;
        const char* full_key;
    } sizes[] = {
        {"frmw", m.frmw, m.frame_width, "frame_width"},
        {"frmh", m.frmh, m.frame_height, "frame_height"},
    };
    for (const auto& s : sizes) {
        for (int32_t k = 0; k < kFrameTableSize; ++k) {
            if (s.table[k] >= 0 && s.table[k] > s.full - 1) {
                report_error("%s: %s_%d = %d exceeds %s - 1 = %d", where, s.key, k, s.table[k],
                             s.full_key, s.full - 1);
                return false;
            }
        }
    }
    return true;
}

// Derived sizes held in signed 32-bit fields and counters.  The operands are
// at least 1 here.
bool check_derived_sizes(const DeinterlacerModel& m, const char* where) {
    const int64_t padded_h = int64_t{m.frame_height} + 2;
    if (padded_h > kInt32Max) {
        report_error("%s: frame_height = %d gives padded_height %" PRId64 ", beyond %" PRId64,
                     where, m.frame_height, padded_h, kInt32Max);
        return false;
    }
    const int64_t padded_w = int64_t{m.frame_width} + 2 * int64_t{m.window_width / 2};
    if (padded_w > kInt32Max) {
        report_error("%s: frame_width = %d gives padded_width %" PRId64 ", beyond %" PRId64,
                     where, m.frame_width, padded_w, kInt32Max);
        return false;
    }
    int32_t product = 0;
    if (!mul32(m.num_plane, m.frame_width, &product) || !mul32(product, m.frame_height, &product)) {
        report_error("%s: num_plane*frame_width*frame_height = %d*%d*%d exceeds %" PRId64, where,
                     m.num_plane, m.frame_width, m.frame_height, kInt32Max);
        return false;
    }
    if (!mul32(m.frame_width, m.frame_height, &product) || !mul32(2, product, &product)) {
        report_error("%s: 2*frame_width*frame_height = 2*%d*%d exceeds %" PRId64, where,
                     m.frame_width, m.frame_height, kInt32Max);
        return false;
    }
    return true;
}

bool check_mem_depth(const DeinterlacerModel& m, const char* where) {
    if (m.compute_mem_depth()) return true;
    report_error(
        "%s: the frame memory depth for frame_width = %d, frame_height = %d, num_plane = %d, "
        "dwidth = %d, dbus_width = %d, burst_count = %d, burst_length = %d exceeds %" PRId64,
        where, m.frame_width, m.frame_height, m.num_plane, m.dwidth, m.dbus_width, m.burst_count,
        m.burst_length, kInt32Max);
    return false;
}

}  // namespace

Status DeinterlacerModel::validate_configuration() {
    const std::string shown = kvf_path.empty() ? "parameter file" : printable(kvf_path);
    const char* where = shown.c_str();
    // In this order: each check relies on the ones before it.
    const bool ok = check_at_least_one(*this, where) && check_samples(*this, where) &&
                    check_memory_request(*this, where) && check_frame_sizes(*this, where) &&
                    check_derived_sizes(*this, where) && check_mem_depth(*this, where);
    return ok ? Status::ok : Status::parameters_refused;
}

}  // namespace veldax
