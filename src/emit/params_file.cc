// "params.v": the Verilog parameters that configure the simulated core like
// the software model, with the frame-memory depth and address width that no
// key gives.
#include <bit>
#include <climits>
#include <cstdio>

#include "config/model.h"
#include "emit/text_out.h"
#include "io/word_stream.h"

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

bool DeinterlacerModel::compute_mem_depth(int32_t* depth) const {
    const int32_t samples_per_pixel = ycbcr422 == 1 ? 2 : num_plane;
    int32_t per_word, bytes_per_word, burst_words, half_request, line_samples;
    int32_t unit, numerator, requests, line_bytes, field_bytes, total, extra;
    if (!div32(dbus_width, dwidth, &per_word)) return false;
    if (!div32(dbus_width, 8, &bytes_per_word)) return false;
    if (!mul32(burst_count, burst_length, &burst_words)) return false;
    if (!div32(burst_words, 2, &half_request)) return false;
    if (!mul32(frame_width, samples_per_pixel, &line_samples)) return false;

    // Half-requests per line: the line's samples rounded up to whole
    // half-requests of `unit` samples each.
    if (!mul32(half_request, per_word, &unit)) return false;
    if (!add32(unit, line_samples, &numerator)) return false;
    if (!sub32(numerator, 1, &numerator)) return false;
    if (!div32(numerator, unit, &requests)) return false;

    if (!mul32(requests, half_request, &line_bytes)) return false;
    if (!mul32(line_bytes, bytes_per_word, &line_bytes)) return false;
    if (!mul32(line_bytes, frame_height, &field_bytes)) return false;
    if (!div32(field_bytes, 2, &field_bytes)) return false;

    // Six fields of memory for the motion-adaptive method, four otherwise;
    // conversion adds two more.
    if (!mul32(dmethod == inter ? 6 : 4, field_bytes, &total)) return false;
    if (fconvert == 1) {
        if (!mul32(2, field_bytes, &extra)) return false;
        if (!add32(total, extra, &total)) return false;
    }
    *depth = total;
    return true;
}

uint8_t DeinterlacerModel::write_params_file() {
    // The depth and width go into the record before the file is touched, so
    // they are known even when the file cannot be written.
    int32_t depth = 0;
    if (!compute_mem_depth(&depth)) {
        std::printf("Frame-memory depth out of range for params.v\n");
        return 1;
    }
    mem_depth = depth;
    // Formed in 64 bits: the depth keeps its sign, the base address is
    // unsigned and the sum wraps like the hardware's address arithmetic.
    const uint64_t top = static_cast<uint64_t>(static_cast<int64_t>(mem_depth)) + base_addr;
    abus_width = ceil_log2(static_cast<int64_t>(top));

    TextOut out;
    out.file = std::fopen("params.v", "w");
    if (!out.file) return 1;

    out.line("parameter NUM_PLANE         = %d;\n", num_plane);
    out.line("parameter DWIDTH            = %d;\n", dwidth);
    out.line("parameter MAXFWIDTH         = %d;\n", frame_width);
    out.line("parameter MAXFHEIGHT        = %d;\n", frame_height);
    out.line("parameter DMETHOD           = \"%s\";\n", method_word(dmethod));
    out.line("parameter YCBCR422          = \"%s\";\n", flag_word(ycbcr422));
    out.line("parameter YCBCR444          = \"%s\";\n", flag_word(ycbcr444));
    out.line("parameter PARALLEL          = \"%s\";\n", flag_word(parallel));
    out.line("parameter DYNAMIC           = \"%s\";\n", flag_word(dynamic));
    out.line("parameter INITFIELD         = %d;\n", initfield);
    out.line("parameter FCONVERT          = \"%s\";\n", flag_word(fconvert));
    out.line("parameter COPYFRAME         = \"%s\";\n", flag_word(copyframe));
    out.line("parameter SEPPCLK           = \"%s\";\n", flag_word(seppclk));
    out.line("parameter FRMPORTS          = \"%s\";\n", flag_word(frmports));
    out.line("parameter LBUFFER           = \"%s\";\n", lbuffer == 1 ? "EBR" : "PFU");
    out.line("parameter INTER_TH0         = %d;\n", interth0);
    out.line("parameter INTER_TH1         = %d;\n", interth1);
    out.line("parameter INTER_TH2         = %d;\n", interth2);
    out.line("parameter DBUS_WIDTH        = %d;\n", dbus_width);
    out.line("parameter ABUS_WIDTH        = %d;\n", abus_width);
    out.line("parameter WRFIFO_DEPTH      = %d;\n", wrfifo_depth);
    out.line("parameter WRFIFO_TYPE       = \"%s\";\n", wrfifo_type == 1 ? "EBR" : "LUT");
    out.line("parameter RDFIFO_DEPTH      = %d;\n", rdfifo_depth);
    out.line("parameter RDFIFO_TYPE       = \"%s\";\n", rdfifo_type == 1 ? "EBR" : "LUT");
    out.line("parameter BASE_ADDR         = %d;\n",
             static_cast<int32_t>(static_cast<uint32_t>(base_addr)));
    out.line("parameter BURST_COUNT       = %d;\n", burst_count);
    out.line("parameter BURST_LENGTH      = %d;\n", burst_length);
    out.line("parameter PBUS_WIDTH        = %d;\n", pbus_width);
    out.line("parameter PADDR_WIDTH       = %d;\n", paddr_width);
    out.line("parameter FAMILY            = \"%s\";\n", family.c_str());
    out.line("//----only for simulation\n");
    out.line("parameter SEED              = %d;\n", seed);
    out.line("parameter MEM_DEPTH         = %d;\n", mem_depth);
    out.line("parameter INPUT_FRAMES      = %d;\n", input_frames);
    out.line("parameter OUTPUT_FRAMES     = %d;\n", output_frames);
    out.line("parameter TOTAL_INPUT       = %d;\n", total_input);
    out.line("parameter TOTAL_OUTPUT      = %d;\n", total_output);
    out.line("parameter FRMWIDTH_0        = %d;\n", frmw[0]);
    out.line("parameter FRMWIDTH_1        = %d;\n", frmw[1]);
    out.line("parameter FRMWIDTH_2        = %d;\n", frmw[2]);
    out.line("parameter FRMHEIGHT_0       = %d;\n", frmh[0]);
    out.line("parameter FRMHEIGHT_1       = %d;\n", frmh[1]);
    out.line("parameter FRMHEIGHT_2       = %d;\n", frmh[2]);

    const bool closed = close_stream(out.file);
    return out.ok && closed ? 0 : 1;
}
