#include <cstdio>
#include <cstring>

#include "app/input_guards.h"
#include "config/model.h"
#include "config/numbers.h"

namespace veldax {

namespace {

// A count read in atoi forms; a number too large for 32 bits is refused
// rather than wrapped or clamped.
bool read_count(const char* sw, const char* word, int32_t* value) {
    if (read_decimal(word, value) == NumberRead::overflow) {
        std::printf("%s: the number %s does not fit in 32 bits\n", sw, word);
        return false;
    }
    return true;
}

}  // namespace

Status DeinterlacerModel::parse_command_line(int argc, char** argv) {
    if (argc < 2) {
        std::printf("At least the argument of KVF should be added\n");
        return Status::command_line_refused;
    }
    pattern_mode = generate_outputs = file_input = bmp_input = yuv_input = 0;
    kvf_path = argv[1];

    if (argc >= 3) {
        const char* sw = argv[2];
        const bool synthetic = std::strcmp(sw, "-d") == 0 || std::strcmp(sw, "-g") == 0;
        const bool from_file = std::strcmp(sw, "-l") == 0 || std::strcmp(sw, "-b") == 0 ||
                               std::strcmp(sw, "-y") == 0;
        if (synthetic) {
            pattern_mode = sw[1] == 'd';
            generate_outputs = 1;
            file_input = 0;
            if (argc >= 4) {
                int32_t count = 0;
                if (!read_count(sw, argv[3], &count)) return Status::command_line_refused;
                if (count > 3) input_frames = count;
            }
        } else if (from_file) {
            pattern_mode = 0;
            generate_outputs = 1;
            file_input = 1;
            bmp_input = sw[1] == 'b';
            yuv_input = sw[1] == 'y';
            if (argc < 4) {
                std::printf("The stimulus file should be added\n");
                return Status::stimulus_path_missing;
            }
            stimulus_path = argv[3];
            if (yuv_input && argc >= 5 && !read_count(sw, argv[4], &max_frames))
                return Status::command_line_refused;
        }
    }

    if (names_a_fifo(kvf_path)) return Status::ok;  // its data is for the reader
    FILE* f = std::fopen(kvf_path.c_str(), "r");
    if (!f) {
        std::printf("KVF file %s does not exist\n", kvf_path.c_str());
        return Status::command_line_refused;
    }
    std::fclose(f);
    return Status::ok;
}

}  // namespace veldax
