#include "config/model.h"

bool DeinterlacerModel::write_golden_frame(FILE*, int32_t, int32_t) { return false; }
