#include "app/driver.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "app/command_line.h"
#include "app/input_guards.h"
#include "core/record.h"
#include "core/report.h"

namespace veldax {

namespace {

std::string usage() {
    return "usage: veldax-gen [--strict] [--seed N] FILE.kvf [SWITCH [ARGS]]\n"
           "\n"
           "Reads the deinterlacer configuration in FILE.kvf and, with a switch, writes\n"
           "stimulus.dat, golden.dat, params.v and veldax_head into the current folder.\n"
           "  (none)         check the configuration only; nothing is written\n" +
           switch_help(2) +
           "Options, before FILE.kvf:\n"
           "  --strict       every warning is a refusal (exit 1); nothing is written\n"
           "  --seed N       the random fields of -g start from seed N (1..2147483647)\n" +
           "Exit status: 0 success, 1 command line or parameter file, 2 and 3 memory,\n"
           "5 stimulus or golden data, 8 params.v, 9 veldax_head.\n";
}

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
    {Status::parameters_refused, "Failed to parse kvf file", 1},
    {Status::record_memory, "Model memory allocate error", 2},
    {Status::field_memory, "Stimulus memory allocate error", 2},
    {Status::golden_memory, "Golden memory allocate error", 3},
    {Status::stimulus_not_created, "Failed to generate stimulus data", 5},
    {Status::golden_not_created, "Failed to generate stimulus data", 5},
    {Status::stimulus_read_failed, "Failed to generate stimulus data", 5},
    {Status::input_is_output, "Failed to generate stimulus data", 5},
    {Status::output_write_failed, "Failed to generate stimulus data", 5},
    {Status::strict_refused, "Stopped: --strict refuses every warning", 1},
    {Status::params_not_written, "Failed to generate params file ", 8},
    {Status::header_not_written, "Failed to generate veldax head file ", 9},
};

int report(Status status) {
    for (const Outcome& o : kOutcomes) {
        if (o.status != status) continue;
        if (o.line) report_error("%s", o.line);
        return o.exit_status;
    }
    return 1;
}

// The stages in their fixed order, up to the first that fails.
Status run_stages(int argc, char** argv) {
    CommandLine command;
    if (const Status s = parse_command_line(argc, argv, &command); s != Status::ok) return s;
    set_strict_mode(command.strict);
    for (const std::string& line : command.run.warnings) warn("%s", line.c_str());
    if (command.strict && !command.run.warnings.empty()) return Status::strict_refused;

    // The record is owned here from creation to deletion; the buffers go
    // with it on every path.
    const std::unique_ptr<DeinterlacerModel> owned(new (std::nothrow) DeinterlacerModel);
    if (!owned) return Status::record_memory;
    DeinterlacerModel& model = *owned;
    model.kvf_path = command.kvf_path;
    model.set_run_mode(command.run.mode);

    if (const Status s = model.read_parameter_file(); s != Status::ok) return s;
    if (const Status s = check_sample_totals(model); s != Status::ok) return s;
    if (const Status s = model.allocate_buffers(); s != Status::ok) return s;
    if (!model.run.generates()) return Status::ok;
    if (const Status s = model.run_generation(); s != Status::ok) return s;
    if (const Status s = model.write_params_file(); s != Status::ok) return s;
    return model.write_define_header();
}

}  // namespace

int veldax_main(int argc, char** argv) {
    ignore_broken_pipe();
    if (argc == 2) {
        if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
            std::fputs(usage().c_str(), stdout);
            return standard_output_status();
        }
        if (std::strcmp(argv[1], "--version") == 0) {
            std::printf("veldax-gen %s\n", VELDAX_VERSION);
            return standard_output_status();
        }
    }
    return report(run_stages(argc, argv));
}

}  // namespace veldax
