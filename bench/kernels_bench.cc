// Throughput of the intra and inter methods over one 720-sample row: the row
// versions the driver calls, and the per-sample reference versions for the
// ratio between them.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "config/model.h"

namespace {

constexpr int32_t kWidth = 720;

// A 720 x 8 model with 8-bit random pictures in both field buffers, borders
// filled, and the default thresholds; `ycbcr422` with three planes for the
// motion-reuse path.
struct BenchModel {
    DeinterlacerModel m;

    explicit BenchModel(int32_t planes = 1, uint8_t ycbcr422 = 0) {
        m.init_defaults();
        m.frame_width = kWidth;
        m.frame_height = 8;
        m.num_plane = planes;
        m.ycbcr422 = ycbcr422;
        m.derive_configuration();
        if (m.allocate_buffers() != 0) return;
        uint32_t state = 1;
        for (int32_t b = 0; b < 2; ++b)
            for (int32_t p = 0; p < planes; ++p) {
                PixelPlane& plane = m.field_store[b][p];
                for (int32_t y = 0; y < m.frame_height; ++y)
                    for (int32_t x = 0; x < m.frame_width; ++x) {
                        state = state * 214013u + 2531011u;
                        plane[m.pad_top + y][m.pad_left + x] =
                            static_cast<int32_t>((state >> 16) & 0xFF);
                    }
                m.fill_borders(m.field_store[b], 0);
            }
    }
    ~BenchModel() { m.release_buffers(); }
    bool ok() const { return m.field_store != nullptr && m.motion_store != nullptr; }
};

// Times `row`, which fills out[0..kWidth), once per iteration.
template <class Row>
void run_rows(benchmark::State& state, const BenchModel& bm, Row row) {
    if (!bm.ok()) return state.SkipWithError("allocation failed");
    std::vector<int32_t> out(kWidth);
    for (auto _ : state) {
        row(out.data());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kWidth);
}

void BM_IntraLine(benchmark::State& state) {
    BenchModel bm;
    run_rows(state, bm, [&](int32_t* out) {
        bm.m.intra_line(bm.m.field_store[0][0], 3, kWidth, out);
    });
}
BENCHMARK(BM_IntraLine);

void BM_IntraSample(benchmark::State& state) {
    BenchModel bm;
    run_rows(state, bm, [&](int32_t* out) {
        const PixelPlane& cur = bm.m.field_store[0][0];
        for (int32_t j = 0; j < kWidth; ++j)
            out[j] = bm.m.intra_sample(cur, cur, 3, bm.m.pad_left + j);
    });
}
BENCHMARK(BM_IntraSample);

void BM_InterLine(benchmark::State& state) {
    BenchModel bm;
    run_rows(state, bm, [&](int32_t* out) {
        bm.m.inter_line(bm.m.field_store[0][0], bm.m.field_store[1][0], 3, 0, kWidth, out);
    });
}
BENCHMARK(BM_InterLine);

// Plane 1 of 4:2:2 data: the motion values of plane 0 are read back.
void BM_InterLineReusingMotion(benchmark::State& state) {
    BenchModel bm(3, 1);
    std::vector<int32_t> first(kWidth);
    if (bm.ok())
        bm.m.inter_line(bm.m.field_store[0][0], bm.m.field_store[1][0], 3, 0, kWidth, first.data());
    run_rows(state, bm, [&](int32_t* out) {
        bm.m.inter_line(bm.m.field_store[0][1], bm.m.field_store[1][1], 3, 1, kWidth, out);
    });
}
BENCHMARK(BM_InterLineReusingMotion);

void BM_InterSample(benchmark::State& state) {
    BenchModel bm;
    run_rows(state, bm, [&](int32_t* out) {
        const PixelPlane& cur = bm.m.field_store[0][0];
        const PixelPlane& other = bm.m.field_store[1][0];
        for (int32_t j = 0; j < kWidth; ++j)
            out[j] = bm.m.inter_sample(cur, other, 3, bm.m.pad_left + j, 0);
    });
}
BENCHMARK(BM_InterSample);

}  // namespace
