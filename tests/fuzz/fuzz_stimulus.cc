// The text, BMP and YUV readers through a small run: the first bytes choose
// the reader and a small configuration, the rest is the stimulus file.
#include <memory>

#include "core/record.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using veldax_fuzz::take;
    veldax_fuzz::quiet_stdout();
    const uint8_t reader = take(data, size) % 3;
    const uint8_t shape = take(data, size);
    const uint8_t options = take(data, size);
    const uint8_t width_bits = take(data, size);

    const auto m = std::make_unique<veldax::DeinterlacerModel>();
    m->init_defaults();
    m->frame_width = 1 + shape % 16;
    m->frame_height = 1 + (shape / 16) % 8;
    m->num_plane = 1 + options % 3;
    m->ycbcr422 = (options & 0x04) && m->num_plane == 3;
    m->dmethod = (options >> 3) % 5;
    m->fconvert = (options >> 6) & 1;
    m->copyframe = options >> 7;
    m->initfield = width_bits >> 7;
    m->dwidth = 1 + width_bits % 16;
    veldax::RunMode mode;
    mode.source = reader == 1   ? veldax::StimulusSource::bmp
                  : reader == 2 ? veldax::StimulusSource::yuv
                                : veldax::StimulusSource::text;
    mode.path = "in.dat";
    mode.max_fields = 4;
    m->set_run_mode(mode);
    veldax_fuzz::write_bytes("in.dat", data, size);

    if (m->validate_configuration() == veldax::Status::ok) {
        m->derive_configuration();
        if (m->allocate_buffers() == veldax::Status::ok) (void)m->run_generation();
    }
    return 0;
}
