// "veldax_head": the text macros the core's generation flow and test bench
// include: instance names, configuration, port widths and optional ports,
// the device and the data files of this instance.
#include <cinttypes>
#include <cstdio>

#include "config/model.h"
#include "emit/text_out.h"
#include "io/word_stream.h"

uint8_t DeinterlacerModel::write_define_header() {
    // Data-port width: one sample at a time, or a whole pixel in parallel
    // (two samples for 4:2:2).  Formed in 64 bits so no product can wrap.
    int64_t port_width = dwidth;
    if (parallel) port_width = int64_t{ycbcr422 ? 2 : num_plane} * dwidth;

    TextOut out;
    out.file = std::fopen("veldax_head", "w");
    if (!out.file) {
        std::printf("Can't generate veldax_head file\n");
        return 1;
    }

    const char* name = module_name.c_str();
    out.line("#define    VELDAX_USERNAME            %s\n", name);
    out.line("#define    VELDAX_u1_USERNAME         u1_%s\n", name);
    out.line("#define    VELDAX_USERNAME_top        %s_top\n", name);
    out.line("#define    VELDAX_USERNAME_tb         %s_tb\n", name);
    out.line("#define    VELDAX_u1_USERNAME_top     u1_%s_top\n", name);
    out.line("#define    VELDAX_DEINTERLACER_NAME \"%s\"\n", name);
    out.line("#define    VELDAX_NUM_PLANE           %d\n", num_plane);
    out.line("#define    VELDAX_DWIDTH              %d\n", dwidth);
    out.line("#define    VELDAX_MAXFWIDTH           %d\n", frame_width);
    out.line("#define    VELDAX_MAXFHEIGHT          %d\n", frame_height);
    out.line("#define    VELDAX_DMETHOD             \"%s\"\n", method_word(dmethod));
    out.line("#define    VELDAX_YCBCR422            \"%s\"\n", flag_word(ycbcr422));
    out.line("#define    VELDAX_YCBCR444            \"%s\"\n", flag_word(ycbcr444));
    out.line("#define    VELDAX_PARALLEL            \"%s\"\n", flag_word(parallel));
    out.line("#define    VELDAX_INITFIELD           %d\n", initfield);
    out.line("#define    VELDAX_DYNAMIC             \"%s\"\n", flag_word(dynamic));
    out.line("#define    VELDAX_FCONVERT            \"%s\"\n", flag_word(fconvert));
    out.line("#define    VELDAX_COPYFRAME           \"%s\"\n", flag_word(copyframe));
    out.line("#define    VELDAX_SEPPCLK             \"%s\"\n", flag_word(seppclk));
    out.line("#define    VELDAX_LBUFFER             \"%s\"\n", lbuffer == 1 ? "EBR" : "PFU");
    out.line("#define    VELDAX_INTER_TH0           %d\n", interth0);
    out.line("#define    VELDAX_INTER_TH1           %d\n", interth1);
    out.line("#define    VELDAX_INTER_TH2           %d\n", interth2);
    out.line("#define    VELDAX_DBUS_WIDTH          %d\n", dbus_width);
    out.line("#define    VELDAX_ABUS_WIDTH          %d\n", abus_width);
    out.line("#define    VELDAX_WRFIFO_DEPTH        %d\n", wrfifo_depth);
    out.line("#define    VELDAX_WRFIFO_TYPE         \"%s\"\n", wrfifo_type == 1 ? "EBR" : "LUT");
    out.line("#define    VELDAX_RDFIFO_DEPTH        %d\n", rdfifo_depth);
    out.line("#define    VELDAX_RDFIFO_TYPE         \"%s\"\n", rdfifo_type == 1 ? "EBR" : "LUT");
    out.line("#define    VELDAX_BASE_ADDR           %d\n",
             static_cast<int32_t>(static_cast<uint32_t>(base_addr)));
    out.line("#define    VELDAX_BURST_COUNT         %d\n", burst_count);
    out.line("#define    VELDAX_BURST_LENGTH        %d\n", burst_length);
    out.line("#define    VELDAX_PBUS_WIDTH          %d\n", pbus_width);
    out.line("#define    VELDAX_PADDR_WIDTH         %d\n", paddr_width);
    out.line("#define    VELDAX_FAMILY              \"%s\"\n", family.c_str());
    out.line("#define    VELDAX_FXWIDTH             %d\n", ceil_log2(frame_width));
    out.line("#define    VELDAX_FYWIDTH             %d\n", ceil_log2(frame_height));
    out.line("#define    VELDAX_DPWIDTH             %" PRId64 "\n", port_width);

    if (dynamic == 1 && seppclk == 1) out.line("#define    VELDAX_PCLK\n");
    if (dynamic == 1) out.line("#define    VELDAX_DYNAMIC_PORTS\n");
    if (fconvert == 1) out.line("#define    VELDAX_OCLK\n");
    if (sr == 1) out.line("#define     VELDAX_PORTSR\n");
    if (frmports == 1) out.line("#define    VELDAX_FRMPORTS\n");
    if (resync == 1) out.line("#define    VELDAX_RESYNC\n");

    out.line("#define    VELDAX_DEVICE          DEVICE_%s\n", family.c_str());
    out.line("#define    VELDAX_STIMULUS        \"stimulus_%s.dat\"\n", name);
    out.line("#define    VELDAX_GOLDEN          \"golden_%s.dat\"\n", name);

    const bool closed = close_stream(out.file);
    if (!out.ok || !closed) {
        std::printf("Can't generate veldax_head file\n");
        return 1;
    }
    return 0;
}
