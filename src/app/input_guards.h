// Checks around the run that guard the user's files and report what the
// command line did not do as probably meant.
#pragma once

#include <cstdio>
#include <string>

#include "core/record.h"

namespace veldax {

// True (after one line naming both files) when the parameter file or the
// stimulus input is one of the files the run writes: creating that would
// destroy the input.
bool an_input_is_an_output(const DeinterlacerModel& m);

// A synthetic run whose TOTAL_INPUT or TOTAL_OUTPUT would pass the signed
// 32-bit range is known before its first field: refused (after one line
// naming the counter and the numbers) with command_line_refused, instead of
// failing after gigabytes of data.
Status check_sample_totals(const DeinterlacerModel& m);

// True when path names a FIFO: opening one to test it would take the data
// its writer sends for the real read.
bool names_a_fifo(const std::string& path);

// A write to a closed pipe fails with an error instead of ending the
// process, so the run's own exit status stays.
void ignore_broken_pipe();

// 1 when what was printed to standard output could not be written, else 0.
int standard_output_status();

}  // namespace veldax
