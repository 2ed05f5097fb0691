#include "config/model.h"

int32_t ceil_log2(int64_t) { return 0; }
bool DeinterlacerModel::compute_mem_depth(int32_t* depth) const {
    *depth = 0;
    return true;
}
uint8_t DeinterlacerModel::write_params_file() { return 0; }
