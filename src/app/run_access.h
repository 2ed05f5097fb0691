// The model behind an in-process run (app/run_api.h), for C++ callers that
// look at the samples a golden word was computed from: the record with its
// field buffers, the buffer that holds the field last generated, and the
// layout of the run.
#pragma once

#include <cstdint>

#include "app/run_api.h"
#include "core/record.h"
#include "store/frame_layout.h"

namespace veldax {

struct RunState {
    const DeinterlacerModel* model = nullptr;
    int32_t buffer = 0;  // field_store buffer of the last field generated
    const FrameLayout* layout = nullptr;
};

RunState run_state(const veldax_run* run);

}  // namespace veldax
