#include "config/model.h"

uint8_t DeinterlacerModel::write_define_header() { return 0; }
