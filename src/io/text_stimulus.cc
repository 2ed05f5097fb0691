#include "config/model.h"

bool DeinterlacerModel::read_text_stimulus(FILE*, PixelPlane*) { return true; }
