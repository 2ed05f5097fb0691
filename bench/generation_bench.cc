// Per-field cost of the generation steps: the random stimulus, a whole golden
// frame for each method, the golden writers and the YUV reader, on the
// default 704 x 480 field and on a 1920 x 1080 4:2:2 field of three planes.
// Writers write into /dev/null, so a row shows the conversion alone.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <vector>

#include "core/record.h"
#include "model/kernel_table.h"
#include "store/frame_layout.h"

namespace {

using namespace veldax;

struct FieldModel {
    DeinterlacerModel m;
    FILE* sink = std::fopen("/dev/null", "wb");
    bool ok = false;

    // hd: 1920 x 1080, three 4:2:2 planes, 8-bit; otherwise the defaults.
    // The fields of a "-g" run.
    FieldModel(int32_t method, bool hd) {
        m.init_defaults();
        RunMode random;
        random.source = StimulusSource::random;
        m.set_run_mode(random);
        if (hd) {
            m.frame_width = 1920;
            m.frame_height = 1080;
            m.num_plane = 3;
            m.ycbcr422 = 1;
        }
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
    }
    int64_t samples() const { return int64_t{m.frame_width} * m.frame_height * m.num_plane; }
};

bool hd(const benchmark::State& state) { return state.range(0) != 0; }

void BM_RandomField(benchmark::State& state) {
    FieldModel f(0, hd(state));
    if (!f.ok) return state.SkipWithError("allocation");
    for (auto _ : state) benchmark::DoNotOptimize(f.m.fill_synthetic_field(f.sink, f.m.field_store[0], 0));
    state.SetItemsProcessed(state.iterations() * f.samples());
}
BENCHMARK(BM_RandomField)->ArgName("hd422")->Arg(0)->Arg(1);

// The random fill alone of one 1920 x 1080 4:2:2 field (the rows of its three
// planes, chroma a sample a pair), by the kernel variant numbered by the
// argument (0 plain, then avx2, avx512): a row's time is ns per field.
void BM_RandomFill(benchmark::State& state) {
    int32_t count = 0;
    const KernelVariant* variants = kernel_variants(&count);
    const auto v = static_cast<int32_t>(state.range(0));
    if (v >= count || !variants[v].usable()) return state.SkipWithError("variant not usable here");
    FieldModel f(0, true);
    if (!f.ok) return state.SkipWithError("allocation");
    state.SetLabel(variants[v].table->name);
    const KernelTable& kernels = *variants[v].table;
    const RandomScaling scaling = f.m.random_scale.scaling(f.m.max_value, f.m.min_value);
    for (auto _ : state) {
        for (int32_t p = 0; p < f.m.num_plane; ++p)
            for (int32_t j = 0; j < f.m.frame_height; ++j)
                kernels.random_row(f.m.random_state, scaling, f.m.field_store[0][p].row(j),
                                   f.m.frame_width, p > 0);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * f.samples());
}
BENCHMARK(BM_RandomFill)->ArgName("variant")->Arg(0)->Arg(1)->Arg(2);

void BM_InterpolateFrame(benchmark::State& state) {
    FieldModel f(static_cast<int32_t>(state.range(1)), hd(state));
    if (!f.ok) return state.SkipWithError("allocation");
    for (auto _ : state) {
        f.m.interpolate_frame(1, 0, 1);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * f.samples());
}
BENCHMARK(BM_InterpolateFrame)
    ->ArgNames({"hd422", "method"})
    ->ArgsProduct({{0, 1},
                   {method_number(DeinterlaceMethod::weave), method_number(DeinterlaceMethod::bobe),
                    method_number(DeinterlaceMethod::intra),
                    method_number(DeinterlaceMethod::inter)}});

// "golden.dat": one frame of words.
void BM_GoldenFrame(benchmark::State& state) {
    FieldModel f(0, hd(state));
    if (!f.ok) return state.SkipWithError("allocation");
    f.m.interpolate_frame(1, 0, 1);
    for (auto _ : state) {
        f.m.total_output = 0;
        benchmark::DoNotOptimize(f.m.write_golden_frame(f.sink, 1));
    }
    state.SetItemsProcessed(state.iterations() * f.samples());
}
BENCHMARK(BM_GoldenFrame)->ArgName("hd422")->Arg(0)->Arg(1);

// "golden.yuv": one frame of bytes.
void BM_GoldenYuv(benchmark::State& state) {
    FieldModel f(0, hd(state));
    if (!f.ok) return state.SkipWithError("allocation");
    f.m.interpolate_frame(1, 0, 1);
    for (auto _ : state) benchmark::DoNotOptimize(f.m.write_golden_yuv(f.sink));
    state.SetItemsProcessed(state.iterations() * f.samples());
}
BENCHMARK(BM_GoldenYuv)->ArgName("hd422")->Arg(0)->Arg(1);

// One planar YUV frame read from a file (held in the page cache) into a
// field buffer, its stimulus words written.
void BM_ReadYuvFrame(benchmark::State& state) {
    FieldModel f(0, hd(state));
    if (!f.ok) return state.SkipWithError("allocation");
    FILE* in = std::tmpfile();
    if (!in) return state.SkipWithError("temporary file");
    const int64_t bytes = f.m.layout().yuv_frame_bytes();
    std::vector<unsigned char> frame(static_cast<size_t>(bytes));
    for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<unsigned char>(i * 7);
    std::fwrite(frame.data(), 1, frame.size(), in);
    for (auto _ : state) {
        std::rewind(in);
        f.m.total_input = 0;
        if (f.m.read_yuv_frame(in, f.sink, f.m.field_store[0]) != YuvFrame::taken)
            return state.SkipWithError("read");
    }
    std::fclose(in);
    state.SetItemsProcessed(state.iterations() * f.samples());
}
BENCHMARK(BM_ReadYuvFrame)->ArgName("hd422")->Arg(0)->Arg(1);

}  // namespace
