#include "config/model.h"

bool DeinterlacerModel::fill_synthetic_field(FILE*, PixelPlane*, int32_t) { return false; }
