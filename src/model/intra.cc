#include "config/model.h"

int32_t DeinterlacerModel::intra_sample(const PixelPlane& current, const PixelPlane&, int32_t r,
                                        int32_t c) const {
    return current[r][c];
}
void DeinterlacerModel::intra_line(const PixelPlane&, int32_t, int32_t, int32_t*) const {}
