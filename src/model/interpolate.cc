#include "config/model.h"

void DeinterlacerModel::interpolate_frame(int32_t, int32_t, int32_t) {}
void DeinterlacerModel::interpolate_plane(int32_t, int32_t, int32_t, int32_t) {}
int32_t DeinterlacerModel::interpolate_sample(const PixelPlane& current, const PixelPlane&,
                                              int32_t row, int32_t col, int32_t) {
    return current[row][col];
}
