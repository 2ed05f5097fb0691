#include "config/model.h"

// Placeholder until the reader lands: defaults only.
uint8_t DeinterlacerModel::read_parameter_file() {
    derive_configuration();
    return 0;
}

bool DeinterlacerModel::validate_configuration() { return true; }
