// Throughput of the row kernels over one 720-sample row and over a whole
// 1920 x 1080 plane: every variant this processor runs, bob included, the
// per-sample reference for the ratio between them, and a memcpy of the same
// row or plane as the floor.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/record.h"
#include "model/kernel_table.h"
#include "support/reference_kernels.h"

namespace {

using namespace veldax;

constexpr int32_t kWidth = 720;
constexpr int32_t kRow = 3;

// A 720 x 8 model with 8-bit random pictures in both field buffers, borders
// filled, and the default thresholds; `ycbcr422` with three planes for the
// motion-reuse path.
struct BenchModel {
    DeinterlacerModel m;
    bool ok = false;

    explicit BenchModel(int32_t planes = 1, uint8_t ycbcr422 = 0, int32_t width = kWidth,
                        int32_t height = 8) {
        m.init_defaults();
        m.frame_width = width;
        m.frame_height = height;
        m.num_plane = planes;
        m.ycbcr422 = ycbcr422;
        m.derive_configuration();
        ok = m.allocate_buffers() == Status::ok;
        if (!ok) return;
        uint32_t state = 1;
        for (int32_t b = 0; b < 2; ++b)
            for (int32_t p = 0; p < planes; ++p) {
                const PixelPlane& plane = m.field_store[b][p];
                for (int32_t y = 0; y < m.frame_height; ++y)
                    for (int32_t x = 0; x < m.frame_width; ++x) {
                        state = state * 214013u + 2531011u;
                        plane.row(y)[x] = static_cast<Sample>((state >> 16) & 0xFF);
                    }
                m.fill_borders(m.field_store[b], 0);
            }
    }
    const PixelPlane& cur(int32_t p = 0) const { return m.field_store[0][p]; }
    const PixelPlane& prev(int32_t p = 0) const { return m.field_store[1][p]; }
    RowParams params() const { return {m.th0_now, m.th1_now, m.th2_now, m.max_value, m.max_value}; }
};

// Times `row`, which fills out[0..kWidth), once per iteration.
template <class Row>
void run_rows(benchmark::State& state, const BenchModel& bm, Row row) {
    if (!bm.ok) return state.SkipWithError("allocation failed");
    std::vector<Sample> out(kWidth);
    for (auto _ : state) {
        row(out.data());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kWidth);
}

void memcpy_row(benchmark::State& state) {
    BenchModel bm;
    run_rows(state, bm, [&](Sample* out) {
        std::memcpy(out, bm.cur().row(kRow), sizeof(Sample) * kWidth);
    });
}

void intra_row(benchmark::State& state, const KernelTable* k) {
    BenchModel bm;
    const PixelPlane& c = bm.cur();
    run_rows(state, bm, [&](Sample* out) {
        k->intra_row(c.row(kRow - 1), c.row(kRow), c.row(kRow + 1), out, kWidth, bm.params());
    });
}

void inter_row(benchmark::State& state, const KernelTable* k, bool reuse) {
    BenchModel bm(3, 1);
    const int32_t plane = reuse ? 1 : 0;
    const PixelPlane &c = bm.cur(plane), &o = bm.prev(plane);
    const InterRowKernel kernel = reuse ? k->inter_row_reusing : k->inter_row_measuring;
    std::vector<Sample> first(kWidth);
    MotionValue* motion = bm.ok ? bm.m.motion_store.row(0) : nullptr;
    if (bm.ok && reuse)  // plane 0 leaves its motion for the reusing planes
        k->inter_row_measuring(bm.cur().row(kRow - 1), bm.cur().row(kRow), bm.cur().row(kRow + 1),
                               bm.prev().row(kRow - 1), bm.prev().row(kRow),
                               bm.prev().row(kRow + 1), motion, first.data(), kWidth, bm.params());
    run_rows(state, bm, [&](Sample* out) {
        kernel(c.row(kRow - 1), c.row(kRow), c.row(kRow + 1), o.row(kRow - 1), o.row(kRow),
               o.row(kRow + 1), motion, out, kWidth, bm.params());
    });
}

void intra_reference_row(benchmark::State& state) {
    BenchModel bm;
    run_rows(state, bm, [&](Sample* out) {
        for (int32_t j = 0; j < kWidth; ++j)
            out[j] = static_cast<Sample>(
                veldax_test::intra_reference(bm.cur(), kRow, j, bm.m.max_value));
    });
}

void inter_reference_row(benchmark::State& state) {
    BenchModel bm;
    run_rows(state, bm, [&](Sample* out) {
        MotionValue* motion = bm.m.motion_store.row(0);
        for (int32_t j = 0; j < kWidth; ++j)
            out[j] = static_cast<Sample>(veldax_test::inter_reference(
                bm.cur(), bm.prev(), kRow, j, motion + j, false, bm.params()));
    });
}

// Whole planes: every row of a 1920 x 1080 plane rebuilt into the golden
// frame, so that the rows stream through memory as in a run.
constexpr int32_t kPlaneWidth = 1920;
constexpr int32_t kPlaneHeight = 1080;

template <class Row>
void run_plane(benchmark::State& state, const BenchModel& bm, Row row) {
    if (!bm.ok) return state.SkipWithError("allocation failed");
    const PixelPlane& out = bm.m.golden_frame()[0];
    for (auto _ : state) {
        for (int32_t j = 0; j < kPlaneHeight; ++j) row(j, out.row(j));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kPlaneWidth * kPlaneHeight);
    state.SetBytesProcessed(state.iterations() * kPlaneWidth * kPlaneHeight *
                           int64_t{sizeof(Sample)});
}

const BenchModel& plane_model() {
    static const BenchModel bm(3, 1, kPlaneWidth, kPlaneHeight);
    return bm;
}

void memcpy_plane(benchmark::State& state) {
    const BenchModel& bm = plane_model();
    run_plane(state, bm, [&](int32_t j, Sample* out) {
        std::memcpy(out, bm.cur().row(j), sizeof(Sample) * kPlaneWidth);
    });
}

void bob_plane(benchmark::State& state, const KernelTable* k) {
    const BenchModel& bm = plane_model();
    const PixelPlane& c = bm.cur();
    run_plane(state, bm, [&](int32_t j, Sample* out) {
        k->bob_row(c.row(j - 1), c.row(j + 1), out, kPlaneWidth);
    });
}

// `paired`: the kernels of paired planes (4:2:2 chroma, a sample a pair of
// columns), which read half of each row and work out the even columns; the
// plane's rows stand in for paired ones.
void intra_plane(benchmark::State& state, const KernelTable* k, bool paired) {
    const BenchModel& bm = plane_model();
    const PixelPlane& c = bm.cur();
    const IntraRowKernel kernel = paired ? k->intra_row_paired : k->intra_row;
    run_plane(state, bm, [&](int32_t j, Sample* out) {
        kernel(c.row(j - 1), c.row(j), c.row(j + 1), out, kPlaneWidth, bm.params());
    });
}

// The motion goes through one row, as in a run, where plane 0 of a row
// measures it and the later planes of that row read it straight back; the
// reusing kernel reads the motion of a middle row of plane 0.
void inter_plane(benchmark::State& state, const KernelTable* k, bool reuse, bool paired) {
    const BenchModel& bm = plane_model();
    if (!bm.ok) return state.SkipWithError("allocation failed");
    const PixelPlane &c = bm.cur(reuse ? 1 : 0), &o = bm.prev(reuse ? 1 : 0);
    const InterRowKernel kernel = paired  ? k->inter_row_reusing_paired
                                  : reuse ? k->inter_row_reusing
                                          : k->inter_row_measuring;
    MotionValue* motion = bm.m.motion_store.row(0);
    std::vector<Sample> first(kPlaneWidth);
    constexpr int32_t j0 = kPlaneHeight / 2;
    if (reuse)
        k->inter_row_measuring(bm.cur().row(j0 - 1), bm.cur().row(j0), bm.cur().row(j0 + 1),
                               bm.prev().row(j0 - 1), bm.prev().row(j0), bm.prev().row(j0 + 1),
                               motion, first.data(), kPlaneWidth, bm.params());
    run_plane(state, bm, [&](int32_t j, Sample* out) {
        kernel(c.row(j - 1), c.row(j), c.row(j + 1), o.row(j - 1), o.row(j), o.row(j + 1), motion,
               out, kPlaneWidth, bm.params());
    });
}

// One benchmark per kernel and variant that this processor runs, over a row
// and over a whole plane, each beside its memcpy floor.
int register_kernels() {
    benchmark::RegisterBenchmark("row/memcpy", memcpy_row);
    benchmark::RegisterBenchmark("plane/memcpy", memcpy_plane);
    int32_t count = 0;
    const KernelVariant* variants = kernel_variants(&count);
    for (int32_t v = 0; v < count; ++v) {
        if (!variants[v].usable()) continue;
        const KernelTable* k = variants[v].table;
        if (k->bob_row)
            benchmark::RegisterBenchmark((std::string("plane/bob/") + k->name).c_str(), bob_plane, k);
        const std::string name = k->name;
        benchmark::RegisterBenchmark(("row/intra/" + name).c_str(), intra_row, k);
        benchmark::RegisterBenchmark(("row/inter/" + name).c_str(), inter_row, k, false);
        benchmark::RegisterBenchmark(("row/inter_reusing_motion/" + name).c_str(), inter_row, k,
                                     true);
        benchmark::RegisterBenchmark(("plane/intra/" + name).c_str(), intra_plane, k, false);
        benchmark::RegisterBenchmark(("plane/inter/" + name).c_str(), inter_plane, k, false, false);
        benchmark::RegisterBenchmark(("plane/inter_reusing_motion/" + name).c_str(), inter_plane, k,
                                     true, false);
        benchmark::RegisterBenchmark(("plane/intra_paired/" + name).c_str(), intra_plane, k,
                                     true);
        benchmark::RegisterBenchmark(("plane/inter_reusing_paired/" + name).c_str(),
                                     inter_plane, k, true, true);
    }
    benchmark::RegisterBenchmark("row/intra/per_sample_reference", intra_reference_row);
    benchmark::RegisterBenchmark("row/inter/per_sample_reference", inter_reference_row);
    return 0;
}

const int kRegistered = register_kernels();

}  // namespace
