// "params.v": the Verilog parameters that configure the simulated core like
// the software model, with the frame-memory depth and address width that no
// key gives.
#include <cstdio>

#include "core/report.h"
#include "core/record.h"
#include "core/output_files.h"
#include "emit/text_out.h"
#include "io/word_stream.h"
#include "core/numbers.h"

namespace veldax {

Status DeinterlacerModel::write_params_file() {
    // The depth and width go into the record before the file is touched, so
    // they are known even when the file cannot be written.
    const std::optional<int32_t> depth = compute_mem_depth();
    if (!depth) {
        report_error("Frame-memory depth out of range for params.v");
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
