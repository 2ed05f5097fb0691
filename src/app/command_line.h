// The command line of veldax-gen: the parameter file, then the switch with
// its arguments.
#pragma once

#include "app/switches.h"
#include "core/status.h"

namespace veldax {

struct CommandLine {
    bool strict = false;  // --strict: every warning is a refusal
    std::string kvf_path;
    ParsedSwitch run;     // the switch, with the --seed value in its mode
};

// Reads argv: options (--strict, --seed N) before the parameter file, then
// the parameter file and the switch.  A refusal prints its line.  The
// parameter file must exist (a FIFO is taken as it is: opening it would take
// its writer's data).
Status parse_command_line(int argc, const char* const* argv, CommandLine* out);

}  // namespace veldax
