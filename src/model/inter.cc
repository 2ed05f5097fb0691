#include "config/model.h"

int32_t DeinterlacerModel::inter_sample(const PixelPlane& current, const PixelPlane&, int32_t r,
                                        int32_t c, int32_t) {
    return current[r][c];
}
void DeinterlacerModel::inter_line(const PixelPlane&, const PixelPlane&, int32_t, int32_t,
                                   int32_t, int32_t*) {}
