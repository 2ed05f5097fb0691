// Per-field cost of the generation steps on the default 704 x 480 field: the
// random stimulus, a whole golden frame for each method, and the golden words.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "config/model.h"

namespace {

using namespace veldax;

struct FieldModel {
    DeinterlacerModel m;
    FILE* sink = std::fopen("/dev/null", "wb");

    explicit FieldModel(int32_t method) {
        m.init_defaults();
        m.derive_configuration();
        m.method_now = method;
        ok = m.allocate_buffers() == Status::ok && sink != nullptr;
        if (!ok) return;
        // Two random fields, so that the inter method sees motion.
        ok = m.fill_synthetic_field(sink, m.field_store[0], 0) == Status::ok &&
             m.fill_synthetic_field(sink, m.field_store[1], 1) == Status::ok;
        m.fill_borders(m.field_store[0], 0);
        m.fill_borders(m.field_store[1], 1);
    }
    ~FieldModel() {
        if (sink) std::fclose(sink);
        m.release_buffers();
    }
    bool ok = false;
};

void BM_RandomField(benchmark::State& state) {
    FieldModel f(0);
    if (!f.ok) return state.SkipWithError("allocation");
    for (auto _ : state) benchmark::DoNotOptimize(f.m.fill_synthetic_field(f.sink, f.m.field_store[0], 0));
    state.SetItemsProcessed(state.iterations() * 704 * 480);
}
BENCHMARK(BM_RandomField);

void BM_InterpolateFrame(benchmark::State& state) {
    FieldModel f(static_cast<int32_t>(state.range(0)));
    if (!f.ok) return state.SkipWithError("allocation");
    for (auto _ : state) {
        f.m.interpolate_frame(1, 0, 1);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 704 * 480);
}
BENCHMARK(BM_InterpolateFrame)
    ->Arg(method_number(DeinterlaceMethod::weave))
    ->Arg(method_number(DeinterlaceMethod::bobe))
    ->Arg(method_number(DeinterlaceMethod::intra))
    ->Arg(method_number(DeinterlaceMethod::inter));

void BM_GoldenFrame(benchmark::State& state) {
    FieldModel f(0);
    if (!f.ok) return state.SkipWithError("allocation");
    f.m.interpolate_frame(1, 0, 1);
    for (auto _ : state) {
        f.m.total_output = 0;
        benchmark::DoNotOptimize(f.m.write_golden_frame(f.sink, 1, 1));
    }
    state.SetItemsProcessed(state.iterations() * 704 * 480);
}
BENCHMARK(BM_GoldenFrame);

}  // namespace
