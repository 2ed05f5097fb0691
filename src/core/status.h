// Results of the stages of a run, and the rule for reporting them.
//
// Reporting rule: the stage that finds a fault prints one detail line naming
// the file, line or key at fault (report_error in core/report.h) and returns
// its Status; the run driver alone prints the summary line of that Status and
// turns it into the exit status (its outcome table).  Input that is taken but
// probably not meant gets a warning (warn) and the run goes on.
#pragma once

#include <cstdint>

namespace veldax {

enum class [[nodiscard]] Status : int32_t {
    ok = 0,
    // Command line (exit 1); the stage has printed the line naming the fault.
    command_line_refused,
    // A file switch without its file (exit 1).
    stimulus_path_missing,
    // Parameter file unreadable or refused (exit 1).
    parameters_refused,
    // The record itself cannot be had (exit 2).
    record_memory,
    // Buffers that cannot be had (exit 2 for the field buffers, 3 for the
    // golden frames and the motion plane).
    field_memory,
    golden_memory,
    // Generation (exit 5).
    stimulus_not_created,
    golden_not_created,
    stimulus_read_failed,  // a stimulus source could not read its input
    input_is_output,       // an input is also one of the files the run writes
    output_write_failed,   // a data file could not be written completely
    // A warning under --strict (exit 1); the warning is the line at fault.
    strict_refused,
    // Build files (exit 8 and 9).
    params_not_written,
    header_not_written,
};

}  // namespace veldax
