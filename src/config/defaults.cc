#include "config/model.h"

namespace veldax {

DeinterlacerModel& DeinterlacerModel::init_defaults() {
    module_name.clear();
    num_plane = 1;
    frame_width = 704;
    frame_height = 480;
    dmethod = method_number(DeinterlaceMethod::weave);
    ycbcr422 = ycbcr444 = parallel = initfield = dynamic = 0;
    fconvert = copyframe = seppclk = 0;
    interth0 = 0;
    interth1 = 90;
    interth2 = 180;
    dwidth = 8;
    frmports = 0;
    lbuffer = 1;
    dbus_width = 16;
    abus_width = 16;
    wrfifo_depth = 16;
    wrfifo_type = 1;
    rdfifo_depth = 16;
    rdfifo_type = 1;
    base_addr = 0;
    burst_count = 3;
    burst_length = 4;
    pbus_width = 32;
    paddr_width = 5;
    resync = sr = 0;
    buffer_count = 2;
    window_width = 5;
    mem_depth = 337920;
    pad_top = pad_bottom = 1;
    pad_left = pad_right = 2;
    for (int32_t i = 0; i < 3; ++i) {
        frmw[i] = -1;
        frmh[i] = -1;
    }
    th0_table[0] = 0;
    th1_table[0] = 90;
    th2_table[0] = 180;
    for (int32_t i = 1; i < 3; ++i) th0_table[i] = th1_table[i] = th2_table[i] = -1;
    th0_now = 0;
    th1_now = 90;
    th2_now = 180;
    input_frames = 3;
    output_frames = 0;
    max_frames = 10000;
    total_input = 0;
    total_output = 0;
    field_store.release();
    frame_store.release();
    motion_store = PixelPlane{};
    bmp_picture.clear();
    return *this;
}

}  // namespace veldax
