// The parameter file reader with its bounds check, then both build-file
// writers on whatever configuration was accepted.
#include <memory>

#include "core/record.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    veldax_fuzz::quiet_stdout();
    veldax_fuzz::write_bytes("cfg.kvf", data, size);
    const auto m = std::make_unique<veldax::DeinterlacerModel>();
    m->init_defaults();
    m->kvf_path = "cfg.kvf";
    if (m->read_parameter_file() == veldax::Status::ok) {
        (void)m->compute_mem_depth();
        (void)m->write_params_file();
        (void)m->write_define_header();
    }
    return 0;
}
