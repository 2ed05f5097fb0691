// "veldax_head": the text macros the core's generation flow and test bench
// include: instance names, configuration, port widths and optional ports,
// the device and the data files of this instance.
#include <cstdio>

#include "core/report.h"
#include "core/record.h"
#include "core/output_files.h"
#include "emit/text_out.h"
#include "io/word_stream.h"

namespace veldax {

Status DeinterlacerModel::write_define_header() {
    TextOut out;
    out.file = std::fopen(kHeaderFile, "w");
    if (!out.file) {
        report_error("Can't generate veldax_head file");
        return Status::header_not_written;
    }

    const char* name = module_name.c_str();
    out.line("#define    VELDAX_USERNAME            %s\n", name);
    out.line("#define    VELDAX_u1_USERNAME         u1_%s\n", name);
    out.line("#define    VELDAX_USERNAME_top        %s_top\n", name);
    out.line("#define    VELDAX_USERNAME_tb         %s_tb\n", name);
    out.line("#define    VELDAX_u1_USERNAME_top     u1_%s_top\n", name);
    out.line("#define    VELDAX_DEINTERLACER_NAME \"%s\"\n", name);
    for (int32_t i = 0; i < kBuildFieldCount; ++i)
        if (in_header(kBuildFields[i].file))
            out.field("#define    VELDAX_", 20, "", kBuildFields[i].name,
                      kBuildFields[i].value(*this), "\n");

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
        report_error("Can't generate veldax_head file");
        return Status::header_not_written;
    }
    return Status::ok;
}

}  // namespace veldax
