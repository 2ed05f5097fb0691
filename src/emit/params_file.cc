// "params.v": the Verilog parameters that configure the simulated core like
// the software model, with the frame-memory depth and address width that no
// key gives.
#include <bit>
#include <climits>
#include <cstdio>

#include "config/model.h"
#include "config/output_files.h"
#include "emit/text_out.h"
#include "io/word_stream.h"
#include "model/methods.h"

namespace veldax {

int32_t ceil_log2(int64_t x) {
    if (x == 0) return -1;
    if (x < 0) return 0;
    const uint64_t u = static_cast<uint64_t>(x);
    const int32_t bits = static_cast<int32_t>(std::bit_width(u));
    // An exact power of two needs one bit fewer than its position.
    return (u & (u - 1)) == 0 ? bits - 1 : bits;
}

namespace {

// Signed 32-bit steps that refuse to leave the range instead of wrapping.
bool mul32(int32_t a, int32_t b, int32_t* out) { return !__builtin_mul_overflow(a, b, out); }
bool add32(int32_t a, int32_t b, int32_t* out) { return !__builtin_add_overflow(a, b, out); }
bool sub32(int32_t a, int32_t b, int32_t* out) { return !__builtin_sub_overflow(a, b, out); }
bool div32(int32_t a, int32_t b, int32_t* out) {
    if (b == 0 || (a == INT32_MIN && b == -1)) return false;
    *out = a / b;  // truncates toward zero
    return true;
}

}  // namespace

std::optional<int32_t> DeinterlacerModel::compute_mem_depth() const {
    const int32_t samples_per_pixel = ycbcr422 == 1 ? 2 : num_plane;
    int32_t per_word, bytes_per_word, burst_words, half_request, line_samples;
    int32_t unit, numerator, requests, line_bytes, field_bytes, total, extra;
    if (!div32(dbus_width, dwidth, &per_word)) return std::nullopt;
    if (!div32(dbus_width, 8, &bytes_per_word)) return std::nullopt;
    if (!mul32(burst_count, burst_length, &burst_words)) return std::nullopt;
    if (!div32(burst_words, 2, &half_request)) return std::nullopt;
    if (!mul32(frame_width, samples_per_pixel, &line_samples)) return std::nullopt;

    // Half-requests per line: the line's samples rounded up to whole
    // half-requests of `unit` samples each.
    if (!mul32(half_request, per_word, &unit)) return std::nullopt;
    if (!add32(unit, line_samples, &numerator)) return std::nullopt;
    if (!sub32(numerator, 1, &numerator)) return std::nullopt;
    if (!div32(numerator, unit, &requests)) return std::nullopt;

    if (!mul32(requests, half_request, &line_bytes)) return std::nullopt;
    if (!mul32(line_bytes, bytes_per_word, &line_bytes)) return std::nullopt;
    if (!mul32(line_bytes, frame_height, &field_bytes)) return std::nullopt;
    if (!div32(field_bytes, 2, &field_bytes)) return std::nullopt;

    // The fields of memory the method needs; conversion adds two more.
    if (!mul32(method_row(dmethod).field_memories, field_bytes, &total)) return std::nullopt;
    if (fconvert == 1) {
        if (!mul32(2, field_bytes, &extra)) return std::nullopt;
        if (!add32(total, extra, &total)) return std::nullopt;
    }
    return total;
}

Status DeinterlacerModel::write_params_file() {
    // The depth and width go into the record before the file is touched, so
    // they are known even when the file cannot be written.
    const std::optional<int32_t> depth = compute_mem_depth();
    if (!depth) {
        std::printf("Frame-memory depth out of range for params.v\n");
        return Status::params_not_written;
    }
    mem_depth = *depth;
    // Formed in 64 bits: the depth keeps its sign, the base address is
    // unsigned and the sum wraps like the hardware's address arithmetic.
    const uint64_t top = static_cast<uint64_t>(static_cast<int64_t>(mem_depth)) + base_addr;
    abus_width = ceil_log2(static_cast<int64_t>(top));

    TextOut out;
    out.file = std::fopen(kParamsFile, "w");
    if (!out.file) return Status::params_not_written;

    auto parameter = [&](const BuildField& f) {
        out.field("parameter ", 18, "= ", f.name, f.value(*this), ";\n");
    };
    for (int32_t i = 0; i < kBuildFieldCount; ++i)
        if (in_params(kBuildFields[i].file) && kBuildFields[i].file != BuildFile::simulation)
            parameter(kBuildFields[i]);
    out.line("//----only for simulation\n");
    for (int32_t i = 0; i < kBuildFieldCount; ++i)
        if (kBuildFields[i].file == BuildFile::simulation) parameter(kBuildFields[i]);

    const bool closed = close_stream(out.file);
    return out.ok && closed ? Status::ok : Status::params_not_written;
}

}  // namespace veldax
