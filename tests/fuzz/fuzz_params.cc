// The parameter file reader with its bounds check, then both build-file
// writers on whatever configuration was accepted.
#include "config/model.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    veldax_fuzz::quiet_stdout();
    veldax_fuzz::write_bytes("cfg.kvf", data, size);
    DeinterlacerModel* m = new DeinterlacerModel;
    m->init_defaults();
    m->kvf_path = "cfg.kvf";
    if (m->read_parameter_file() != 1) {
        int32_t depth = 0;
        m->compute_mem_depth(&depth);
        m->write_params_file();
        m->write_define_header();
    }
    delete m;
    return 0;
}
