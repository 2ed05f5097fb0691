// The numbers of the five deinterlacing methods, as the record stores them
// and the build files report them.  What each method does is in the method
// table of model/methods.h.
#pragma once

#include <cstdint>

namespace veldax {

enum class DeinterlaceMethod : int32_t {
    weave = 0,
    bobe = 1,
    bobo = 2,
    intra = 3,
    inter = 4,
};

constexpr int32_t method_number(DeinterlaceMethod m) { return static_cast<int32_t>(m); }

}  // namespace veldax
