// Frame-memory depth of the core: bytes of the field memories the method
// needs, each line rounded up to whole half-requests of the memory bus.  Its
// steps are signed 32-bit as the core computes them; validation refuses a
// configuration where one leaves that range, and "params.v" reports it.
#include "core/numbers.h"
#include "core/record.h"
#include "model/methods.h"

namespace veldax {

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

}  // namespace veldax
