#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "app/input_guards.h"
#include "config/model.h"

namespace veldax {

namespace {

const char kUsage[] =
    "usage: veldax-gen FILE.kvf [-g [FIELDS] | -d [FIELDS] | -l TEXT | -b PICTURE.bmp |\n"
    "                            -y SEQUENCE.yuv [MAX_FIELDS]]\n"
    "\n"
    "Reads the deinterlacer configuration in FILE.kvf and, with a switch, writes\n"
    "stimulus.dat, golden.dat, params.v and veldax_head into the current folder.\n"
    "  (none)     check the configuration only; nothing is written\n"
    "  -g [N]     N random fields (default 3)\n"
    "  -d [N]     N fields of a deterministic ramp (default 3)\n"
    "  -l FILE    one picture from a text file of sample values\n"
    "  -b FILE    one BMP picture; also writes golden.bmp\n"
    "  -y FILE [MAX]  a planar YUV sequence, at most MAX fields; also writes golden.yuv\n"
    "Exit status: 0 success, 1 command line or parameter file, 2 and 3 memory,\n"
    "5 stimulus or golden data, 8 params.v, 9 veldax_head.\n";

// The console line and exit status of each result.  Results that the stage
// reported itself (the command line's) have no line here.
struct Outcome {
    Status status;
    const char* line;
    int exit_status;
};

const Outcome kOutcomes[] = {
    {Status::ok, nullptr, 0},
    {Status::command_line_refused, nullptr, 1},
    {Status::stimulus_path_missing, nullptr, 1},
    {Status::parameters_refused, "Failed to parse kvf file\n", 1},
    {Status::field_memory, "Stimulus memory allocate error\n", 2},
    {Status::golden_memory, "Golden memory allocate error\n", 3},
    {Status::stimulus_not_created, "Failed to generate stimulus data\n", 5},
    {Status::golden_not_created, "Failed to generate stimulus data\n", 5},
    {Status::stimulus_read_failed, "Failed to generate stimulus data\n", 5},
    {Status::output_write_failed, "Failed to generate stimulus data\n", 5},
    {Status::params_not_written, "Failed to generate params file \n", 8},
    {Status::header_not_written, "Failed to generate veldax head file \n", 9},
};

int report(Status status) {
    for (const Outcome& o : kOutcomes) {
        if (o.status != status) continue;
        if (o.line) std::fputs(o.line, stdout);
        return o.exit_status;
    }
    return 1;
}

// The stages in their fixed order, up to the first that fails.
Status run_stages(DeinterlacerModel& model, int argc, char** argv) {
    if (const Status s = model.parse_command_line(argc, argv); s != Status::ok) return s;
    check_command_line(argc, argv);
    if (const Status s = model.read_parameter_file(); s != Status::ok) return s;
    if (const Status s = model.allocate_buffers(); s != Status::ok) return s;
    if (!model.generate_outputs) return Status::ok;
    if (const Status s = model.run_generation(); s != Status::ok) return s;
    if (const Status s = model.write_params_file(); s != Status::ok) return s;
    return model.write_define_header();
}

}  // namespace

int veldax_main(int argc, char** argv) {
    ignore_broken_pipe();
    if (argc == 2) {
        if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return standard_output_status();
        }
        if (std::strcmp(argv[1], "--version") == 0) {
            std::printf("veldax-gen %s\n", VELDAX_VERSION);
            return standard_output_status();
        }
    }

    // The record is large (its per-frame tables), so it lives on the heap.
    const std::unique_ptr<DeinterlacerModel> model(new (std::nothrow) DeinterlacerModel);
    if (!model) {
        std::printf("Model memory allocate error\n");
        return 2;
    }
    model->init_defaults();

    // The buffers go with the record on every path.
    return report(run_stages(*model, argc, argv));
}

}  // namespace veldax
