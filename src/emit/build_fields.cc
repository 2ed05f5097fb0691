#include "emit/build_fields.h"

#include "core/numbers.h"
#include "core/record.h"
#include "model/methods.h"

namespace veldax {

namespace {

using M = DeinterlacerModel;

BuildValue number(int64_t n) { return BuildValue{n, nullptr}; }
BuildValue word(const char* w) { return BuildValue{0, w}; }
BuildValue flag(uint8_t f) { return word(flag_word(f)); }
// Line buffer: block memory or distributed logic; FIFOs: block memory or
// look-up tables.
BuildValue line_memory(int32_t kind) { return word(kind == 1 ? "EBR" : "PFU"); }
BuildValue fifo_memory(int32_t kind) { return word(kind == 1 ? "EBR" : "LUT"); }

// Data-port width: one sample at a time, or a whole pixel in parallel (two
// samples for 4:2:2).  Formed in 64 bits so no product can wrap.
int64_t port_width(const M& m) {
    if (!m.parallel) return m.dwidth;
    return int64_t{m.ycbcr422 ? 2 : m.num_plane} * m.dwidth;
}

}  // namespace

const BuildField kBuildFields[] = {
    {"NUM_PLANE", BuildFile::both, [](const M& m) { return number(m.num_plane); }},
    {"DWIDTH", BuildFile::both, [](const M& m) { return number(m.dwidth); }},
    {"MAXFWIDTH", BuildFile::both, [](const M& m) { return number(m.frame_width); }},
    {"MAXFHEIGHT", BuildFile::both, [](const M& m) { return number(m.frame_height); }},
    {"DMETHOD", BuildFile::both, [](const M& m) { return word(method_row(m.dmethod).build_word); }},
    {"YCBCR422", BuildFile::both, [](const M& m) { return flag(m.ycbcr422); }},
    {"YCBCR444", BuildFile::both, [](const M& m) { return flag(m.ycbcr444); }},
    {"PARALLEL", BuildFile::both, [](const M& m) { return flag(m.parallel); }},
    // The two files give these two in opposite orders.
    {"DYNAMIC", BuildFile::params, [](const M& m) { return flag(m.dynamic); }},
    {"INITFIELD", BuildFile::both, [](const M& m) { return number(m.initfield); }},
    {"DYNAMIC", BuildFile::header, [](const M& m) { return flag(m.dynamic); }},
    {"FCONVERT", BuildFile::both, [](const M& m) { return flag(m.fconvert); }},
    {"COPYFRAME", BuildFile::both, [](const M& m) { return flag(m.copyframe); }},
    {"SEPPCLK", BuildFile::both, [](const M& m) { return flag(m.seppclk); }},
    {"FRMPORTS", BuildFile::params, [](const M& m) { return flag(m.frmports); }},
    {"LBUFFER", BuildFile::both, [](const M& m) { return line_memory(m.lbuffer); }},
    {"INTER_TH0", BuildFile::both, [](const M& m) { return number(m.interth0); }},
    {"INTER_TH1", BuildFile::both, [](const M& m) { return number(m.interth1); }},
    {"INTER_TH2", BuildFile::both, [](const M& m) { return number(m.interth2); }},
    {"DBUS_WIDTH", BuildFile::both, [](const M& m) { return number(m.dbus_width); }},
    {"ABUS_WIDTH", BuildFile::both, [](const M& m) { return number(m.abus_width); }},
    {"WRFIFO_DEPTH", BuildFile::both, [](const M& m) { return number(m.wrfifo_depth); }},
    {"WRFIFO_TYPE", BuildFile::both, [](const M& m) { return fifo_memory(m.wrfifo_type); }},
    {"RDFIFO_DEPTH", BuildFile::both, [](const M& m) { return number(m.rdfifo_depth); }},
    {"RDFIFO_TYPE", BuildFile::both, [](const M& m) { return fifo_memory(m.rdfifo_type); }},
    // The low 32 bits, as a signed number.
    {"BASE_ADDR", BuildFile::both,
     [](const M& m) { return number(static_cast<int32_t>(static_cast<uint32_t>(m.base_addr))); }},
    {"BURST_COUNT", BuildFile::both, [](const M& m) { return number(m.burst_count); }},
    {"BURST_LENGTH", BuildFile::both, [](const M& m) { return number(m.burst_length); }},
    {"PBUS_WIDTH", BuildFile::both, [](const M& m) { return number(m.pbus_width); }},
    {"PADDR_WIDTH", BuildFile::both, [](const M& m) { return number(m.paddr_width); }},
    {"FAMILY", BuildFile::both, [](const M& m) { return word(m.family.c_str()); }},
    {"FXWIDTH", BuildFile::header, [](const M& m) { return number(ceil_log2(m.frame_width)); }},
    {"FYWIDTH", BuildFile::header, [](const M& m) { return number(ceil_log2(m.frame_height)); }},
    {"DPWIDTH", BuildFile::header, [](const M& m) { return number(port_width(m)); }},
    {"SEED", BuildFile::simulation, [](const M& m) { return number(m.seed); }},
    {"MEM_DEPTH", BuildFile::simulation, [](const M& m) { return number(m.mem_depth); }},
    {"INPUT_FRAMES", BuildFile::simulation, [](const M& m) { return number(m.input_frames); }},
    {"OUTPUT_FRAMES", BuildFile::simulation, [](const M& m) { return number(m.output_frames); }},
    {"TOTAL_INPUT", BuildFile::simulation, [](const M& m) { return number(m.total_input); }},
    {"TOTAL_OUTPUT", BuildFile::simulation, [](const M& m) { return number(m.total_output); }},
    {"FRMWIDTH_0", BuildFile::simulation, [](const M& m) { return number(m.frmw[0]); }},
    {"FRMWIDTH_1", BuildFile::simulation, [](const M& m) { return number(m.frmw[1]); }},
    {"FRMWIDTH_2", BuildFile::simulation, [](const M& m) { return number(m.frmw[2]); }},
    {"FRMHEIGHT_0", BuildFile::simulation, [](const M& m) { return number(m.frmh[0]); }},
    {"FRMHEIGHT_1", BuildFile::simulation, [](const M& m) { return number(m.frmh[1]); }},
    {"FRMHEIGHT_2", BuildFile::simulation, [](const M& m) { return number(m.frmh[2]); }},
};

const int32_t kBuildFieldCount =
    static_cast<int32_t>(sizeof(kBuildFields) / sizeof(kBuildFields[0]));

}  // namespace veldax
