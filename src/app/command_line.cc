#include "app/command_line.h"

#include <cstdio>

#include "app/input_guards.h"
#include "core/report.h"

namespace veldax {

Status parse_command_line(int argc, const char* const* argv, CommandLine* out) {
    if (argc < 2) {
        report_error("At least the argument of KVF should be added");
        return Status::command_line_refused;
    }
    out->kvf_path = argv[1];
    if (const Status s = parse_switch(argv[1], argc - 2, argv + 2, &out->run); s != Status::ok)
        return s;

    if (names_a_fifo(out->kvf_path)) return Status::ok;  // its data is for the reader
    FILE* f = std::fopen(out->kvf_path.c_str(), "r");
    if (!f) {
        report_error("KVF file %s does not exist", out->kvf_path.c_str());
        return Status::command_line_refused;
    }
    std::fclose(f);
    return Status::ok;
}

}  // namespace veldax
