#include "config/model.h"

int32_t DeinterlacerModel::run_generation() { return 0; }
