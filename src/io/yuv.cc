#include "config/model.h"

bool DeinterlacerModel::read_yuv_frame(FILE*, FILE*, PixelPlane*, bool* failed) {
    *failed = true;
    return false;
}
bool DeinterlacerModel::write_golden_yuv(FILE*, int32_t) { return true; }
