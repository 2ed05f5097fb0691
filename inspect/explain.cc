// The explain subcommand (and compare --explain): how the model worked out
// one golden sample, from the field buffer samples it read (borders
// included), through the pure kernels of model/kernels.h, to the value; the
// value is checked against the golden word.
#include <cinttypes>
#include <cstdio>
#include <string>

#include "app/run_access.h"
#include "core/report.h"
#include "inspect.h"
#include "model/kernels.h"
#include "model/methods.h"

namespace veldax::inspect {

namespace {

// The window of one output sample: the rows above, at and below it in the
// current field and in the other one, columns -2..+2, each sample widened to
// int32; up() and the others point at the column.
struct Window {
    int32_t rows[6][5];
    int32_t max_value;
    const int32_t* up() const { return rows[0] + 2; }
    const int32_t* mid() const { return rows[1] + 2; }
    const int32_t* down() const { return rows[2] + 2; }
    const int32_t* prev_up() const { return rows[3] + 2; }
    const int32_t* prev_mid() const { return rows[4] + 2; }
    const int32_t* prev_down() const { return rows[5] + 2; }
};

void print_row(const char* field, int32_t row, const int32_t* at, int32_t col) {
    std::printf("    %s row %3d, columns %d..%d:", field, row, col - 2, col + 2);
    for (int32_t x = -2; x <= 2; ++x) std::printf(" %d", at[x]);
    std::printf("\n");
}

int32_t explain_bob(const Window& w) {
    const int32_t v = rounded_up_mean(w.up()[0], w.down()[0]);
    std::printf("  bob: mean of the rows above and below, half rounded up: (%d + %d + 1) / 2 = %d\n",
                w.up()[0], w.down()[0], v);
    return v;
}

int32_t explain_intra(const Window& w) {
    const int32_t* u = w.up();
    const int32_t* d = w.down();
    const int32_t vertical = abs_diff(u[-1], d[-1]) + abs_diff(u[0], d[0]) + abs_diff(u[1], d[1]);
    const int32_t falling = abs_diff(u[-2], d[0]) + abs_diff(u[-1], d[1]) + abs_diff(u[0], d[2]);
    const int32_t rising = abs_diff(u[0], d[-2]) + abs_diff(u[1], d[-1]) + abs_diff(u[2], d[0]);
    const int32_t v = directional_average(u, d);
    const char* chosen = rising < (falling < vertical ? falling : vertical)
                             ? "rising"
                             : falling < vertical ? "falling" : "vertical";
    std::printf("  directions (sum of 3 differences): vertical %d, falling %d, rising %d -> %s; "
                "its mean %d\n",
                vertical, falling, rising, chosen, v);
    const int32_t centre = abs_diff(rounded_mean(u[0], d[0]), w.mid()[0]);
    const int32_t side = (abs_diff(rounded_mean(u[-1], d[-1]), w.mid()[-1]) +
                          abs_diff(rounded_mean(u[1], d[1]), w.mid()[1])) / 2;
    const int32_t edge = max32(centre, side);
    const int32_t limited = band_clamp(w.mid()[0], edge, v, w.max_value);
    std::printf("  edge strength: centre %d, side %d -> band %d..%d around the row's own %d; "
                "mean limited to %d\n",
                centre, side, max32(w.mid()[0] - edge, 0), min32(w.mid()[0] + edge, w.max_value),
                w.mid()[0], limited);
    const int32_t vm = median3(u[0], w.mid()[0], d[0]);
    const int32_t xm = median5(u[-1], u[1], d[-1], d[1], w.mid()[0]);
    const int32_t r = intra_filter(u, w.mid(), d, v, w.max_value);
    std::printf("  medians: vertical %d, X-shaped %d; median of those and %d = %d\n", vm, xm,
                limited, r);
    return r;
}

// The inter rule of each motion band (as the row kernel evaluates them).
struct InterValues {
    int32_t slow, medium, fast;
};

InterValues inter_values(const Window& w) {
    const int32_t* u = w.up();
    const int32_t* d = w.down();
    const int32_t own = w.mid()[0];
    const int32_t vmean = rounded_mean(u[0], d[0]);
    int32_t slow_spread = 0;
    for (int32_t x = -1; x <= 1; ++x)
        slow_spread = max32(slow_spread,
                            (abs_diff(u[x], d[x]) + abs_diff(w.prev_up()[x], w.prev_down()[x]) + 1) / 2);
    const int32_t temporal = rounded_mean(own, w.prev_mid()[0]);
    const int32_t medium = median3(median3(u[0], d[0], temporal),
                                   median5(u[0], d[0], rounded_mean(u[-1], d[-1]),
                                           rounded_mean(u[1], d[1]), temporal),
                                   own);
    const int32_t fast_spread = max32(
        max32(abs_diff(own, w.prev_mid()[0]),
              (abs_diff(w.mid()[-1], w.prev_mid()[-1]) + abs_diff(w.mid()[1], w.prev_mid()[1]) + 1) / 2),
        max32((abs_diff(u[0], w.prev_up()[0]) + abs_diff(d[0], w.prev_down()[0]) + 1) / 2,
              (abs_diff(vmean, own) + abs_diff(vmean, w.prev_mid()[0]) + 1) / 2));
    return {band_clamp(vmean, slow_spread, own, w.max_value), medium,
            band_clamp(vmean, fast_spread, directional_average(u, d), w.max_value)};
}

int32_t explain_inter(const Window& w, const Window& motion_window, const DeinterlacerModel& m,
                      bool reused) {
    const Window& s = motion_window;
    const int32_t motion = window_sad(s.up(), s.mid(), s.down(), s.prev_up(), s.prev_mid(), s.prev_down());
    std::printf("  motion: 3x3 sum of absolute differences between the fields%s = %d\n",
                reused ? " (plane 0's, which this plane reuses)" : "", motion);
    std::printf("  thresholds in force: th0 %d, th1 %d, th2 %d\n", m.th0_now, m.th1_now, m.th2_now);
    const InterValues v = inter_values(w);
    if (motion < m.th0_now) {
        std::printf("  motion < th0: still; the row's own sample %d is woven\n", w.mid()[0]);
        return w.mid()[0];
    }
    if (motion < m.th1_now) {
        std::printf("  th0 <= motion < th1: slow; own sample limited to the band around the "
                    "vertical mean = %d\n", v.slow);
        return v.slow;
    }
    if (motion < m.th2_now) {
        std::printf("  th1 <= motion < th2: medium; median of vertical, temporal and neighbour "
                    "means = %d\n", v.medium);
        return v.medium;
    }
    std::printf("  motion >= th2: fast; edge-directed mean in the band of the change between the "
                "fields = %d\n", v.fast);
    return v.fast;
}

Window window_at(const DeinterlacerModel& m, int32_t buffer, int32_t plane, int32_t row, int32_t col) {
    Window w{};
    for (int32_t r = 0; r < 3; ++r)
        for (int32_t x = -2; x <= 2; ++x) {
            w.rows[r][x + 2] = m.field_sample(buffer, plane, row - 1 + r, col + x);
            w.rows[3 + r][x + 2] = m.field_sample(1 - buffer, plane, row - 1 + r, col + x);
        }
    w.max_value = m.max_value;
    return w;
}

// Why row `row` is kept unchanged, or empty when it is rebuilt.
std::string kept_reason(int32_t row, int32_t keep, int32_t last_row, const MethodRow& method) {
    if (method.rebuild == RowKernel::copy) return "weave: every row is the field buffer's own row";
    if (row % 2 == keep) return "row of the kept parity " + std::to_string(keep) + ": passed unchanged";
    if (row == last_row) return "the frame's last row: passed unchanged";
    return "";
}

int32_t compute(const DeinterlacerModel& m, const RunState& st, const ExpectedFrame& f,
                int32_t plane, int32_t row, int32_t col) {
    const MethodRow& method = method_row(m.method_now);
    const int32_t keep = kept_parity(method, f.frame.parity);
    const int32_t last_row = m.frmh[frame_slot(f.frame.model_frame)];
    const Window w = window_at(m, st.buffer, plane, row, col);
    std::printf("  method %s; rows of parity %d kept\n", method.word, keep);
    print_row("current field", row - 1, w.up(), col);
    print_row("current field", row, w.mid(), col);
    print_row("current field", row + 1, w.down(), col);
    if (const std::string why = kept_reason(row, keep, last_row, method); !why.empty()) {
        std::printf("  %s: %d\n", why.c_str(), w.mid()[0]);
        return w.mid()[0];
    }
    switch (method.rebuild) {
    case RowKernel::copy: return w.mid()[0];
    case RowKernel::bob: return explain_bob(w);
    case RowKernel::intra: return explain_intra(w);
    case RowKernel::inter: break;
    }
    print_row("other field  ", row - 1, w.prev_up(), col);
    print_row("other field  ", row, w.prev_mid(), col);
    print_row("other field  ", row + 1, w.prev_down(), col);
    const bool reused = (m.ycbcr422 != 0 || m.ycbcr444 != 0) && plane > 0;
    const Window mw = window_at(m, st.buffer, reused ? 0 : plane, row, col);
    return explain_inter(w, mw, m, reused);
}

}  // namespace

int32_t explain_sample(const Expected& e, const ExpectedFrame& f, int32_t plane, int32_t row,
                       int32_t col) {
    if (plane < 0 || plane >= f.plane_count || row < 0 || row >= f.planes[plane].height ||
        col < 0 || col >= f.planes[plane].width) {
        report_error("explain: plane %d row %d col %d lies outside frame %" PRId64
                     " (%d planes of %dx%d)", plane, row, col, f.frame.index, f.plane_count,
                     f.planes[0].width, f.planes[0].height);
        return -1;
    }
    const PlaneSpan& span = f.planes[plane];
    if (span.packed && col % 2 != 0) {
        std::printf("column %d shares its word with column %d, which the golden data keeps\n", col,
                    col - 1);
        --col;
    }
    const RunState st = run_state(e.api);
    std::printf("explain %s:\n", where(f.frame, FramePosition{plane, row, col}).c_str());
    const int32_t v = compute(*st.model, st, f, plane, row, col);
    const int64_t word = f.plane_start[plane] +
                         (span.packed ? chroma_word(span.width, row, col) : int64_t{row} * span.width + col);
    const int32_t golden = f.words[word];
    const auto expected = static_cast<int32_t>(static_cast<uint32_t>(v) & 0xFFFF);
    std::printf("  expected 0x%04x (%d)%s\n", expected, v,
                expected == golden ? ", the golden word" : "");
    if (expected != golden)
        report_error("explain: the worked value 0x%04x differs from the golden word 0x%04x", expected,
                     golden);
    return expected == golden ? expected : -1;
}

int cmd_explain(const Options& o) {
    if (o.frame < 0 || o.plane < 0 || o.row < 0 || o.col < 0) {
        report_error("explain: --frame F --plane P --row R --col C are needed");
        return kBadInput;
    }
    if (!o.golden.empty()) {
        report_error("explain: works on the model's own frames; --golden is not taken");
        return kBadInput;
    }
    Expected e;
    if (!open_expected(o.words, "", &e)) return kBadInput;
    ExpectedFrame f;
    int s = 0;
    while ((s = next_expected(&e, &f)) > 0 && f.frame.index != o.frame) {
    }
    if (s < 0) return kBadInput;
    if (s == 0) {
        report_error("explain: --frame %" PRId64 ": the run has %" PRId64 " frames", o.frame,
                     veldax_run_frames(e.api));
        return kBadInput;
    }
    return explain_sample(e, f, static_cast<int32_t>(o.plane), static_cast<int32_t>(o.row),
                          static_cast<int32_t>(o.col)) >= 0
               ? kSame
               : kDifferent;
}

}  // namespace veldax::inspect
