// Per-sample reference versions of the intra and inter methods, written in
// the plain early-return form: the row kernels of every instruction set are
// checked against them.  (row j, column k) are stored-area coordinates.
#pragma once

#include <cstdint>

#include "core/pixel_plane.h"
#include "model/methods.h"

namespace veldax_test {

int32_t intra_reference(const veldax::PixelPlane& current, int32_t j, int32_t k, int32_t max_value);

// *motion is read when reuse is set, else measured and stored there.
int32_t inter_reference(const veldax::PixelPlane& current, const veldax::PixelPlane& other,
                        int32_t j, int32_t k, int32_t* motion, bool reuse,
                        const veldax::RowParams& params);

}  // namespace veldax_test
