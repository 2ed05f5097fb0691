#include "app/command_line.h"

#include <cstdio>
#include <cstring>

#include "app/input_guards.h"
#include "core/numbers.h"
#include "core/report.h"

namespace veldax {

Status parse_command_line(int argc, const char* const* argv, CommandLine* out) {
    *out = CommandLine{};
    int32_t seed = 1;
    int i = 1;
    for (; i < argc; ++i) {
        if (std::strcmp(argv[i], "--strict") == 0) {
            out->strict = true;
        } else if (std::strcmp(argv[i], "--seed") == 0) {
            const char* word = i + 1 < argc ? argv[i + 1] : "";
            const char* end = nullptr;
            if (read_decimal(word, &seed, &end) != NumberRead::ok || *end != '\0' || seed < 1) {
                report_error("--seed %s: give a whole number from 1 to 2147483647",
                             printable(word).c_str());
                return Status::command_line_refused;
            }
            ++i;
        } else {
            break;
        }
    }
    if (i >= argc) {
        report_error("At least the argument of KVF should be added");
        return Status::command_line_refused;
    }
    out->kvf_path = argv[i];
    if (const Status s = parse_switch(argv[i], argc - i - 1, argv + i + 1, &out->run);
        s != Status::ok)
        return s;
    out->run.mode.seed = seed;

    if (names_a_fifo(out->kvf_path)) return Status::ok;  // its data is for the reader
    FILE* f = std::fopen(out->kvf_path.c_str(), "r");
    if (!f) {
        report_error("KVF file %s does not exist", printable(out->kvf_path).c_str());
        return Status::command_line_refused;
    }
    std::fclose(f);
    return Status::ok;
}

}  // namespace veldax
