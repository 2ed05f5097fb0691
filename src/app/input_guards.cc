#include "app/input_guards.h"
#include "config/output_files.h"

#include <sys/stat.h>

#include <csignal>
#include <cstdio>
#include <cstring>

#include "config/numbers.h"
#include "config/warnings.h"

namespace veldax {

namespace {


// True when path names the same existing file as name in the current folder.
bool same_file(const std::string& path, const char* name) {
    struct stat a, b;
    if (::stat(path.c_str(), &a) != 0 || ::stat(name, &b) != 0) return false;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool is_output(const std::string& path, const char* what) {
    for (const char* name : kOutputFiles) {
        if (same_file(path, name)) {
            std::printf("%s file %s would be overwritten by %s\n", what, path.c_str(), name);
            return true;
        }
    }
    return false;
}

// A count word as the run reads it, and whether it is a plain decimal number.
int32_t count_of(const char* word, bool* plain) {
    int32_t value = 0;
    const char* end = nullptr;
    const NumberRead r = read_decimal(word, &value, &end);
    *plain = r == NumberRead::ok && *end == '\0' && end != word;
    return value;
}

}  // namespace

bool an_input_is_an_output(const DeinterlacerModel& m) {
    if (is_output(m.kvf_path, "Parameter")) return true;
    return m.file_input && is_output(m.stimulus_path, "Stimulus");
}

void check_command_line(int argc, char** argv) {
    if (argc < 3) return;
    const char* sw = argv[2];
    int used = 3;  // words the switch reads, the program name included
    if (!std::strcmp(sw, "-g") || !std::strcmp(sw, "-d")) {
        if (argc >= 4) {
            used = 4;
            bool plain = false;
            const int32_t n = count_of(argv[3], &plain);
            if (!plain || n < 3)
                warn("%s %s: %d fields are generated (3 at least)", sw, argv[3], n > 3 ? n : 3);
        }
    } else if (!std::strcmp(sw, "-l") || !std::strcmp(sw, "-b")) {
        used = 4;
    } else if (!std::strcmp(sw, "-y")) {
        used = 5;
        bool plain = false;
        if (argc >= 5) {
            const int32_t n = count_of(argv[4], &plain);
            if (!plain) warn("-y MAX %s is read as %d", argv[4], n);
        }
    } else {
        warn("%s is not a switch (-g, -d, -l, -b or -y): %s is only checked, nothing is generated",
             sw, argv[1]);
        return;
    }
    for (int i = used; i < argc; ++i) warn("%s: nothing reads this word; it is ignored", argv[i]);
}

bool names_a_fifo(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISFIFO(st.st_mode);
}

void check_sequence_length(FILE* in, const DeinterlacerModel& m) {
    struct stat st;
    if (::fstat(fileno(in), &st) != 0 || !S_ISREG(st.st_mode)) return;
    const int64_t frame = m.layout().yuv_frame_bytes();
    const int64_t size = static_cast<int64_t>(st.st_size);
    if (size == 0) warn("%s is empty: no frame is generated", m.stimulus_path.c_str());
    if (frame <= 0 || size % frame == 0) return;
    warn("%s: %lld bytes are not a whole number of %lld-byte frames (%d x %d, %s); the last "
         "%lld bytes are not a frame",
         m.stimulus_path.c_str(), static_cast<long long>(size), static_cast<long long>(frame),
         m.frame_width, m.frame_height,
         m.ycbcr422 ? "4:2:2" : (m.num_plane == 1 ? "one plane" : "planar"),
         static_cast<long long>(size % frame));
}

void ignore_broken_pipe() { std::signal(SIGPIPE, SIG_IGN); }

int standard_output_status() {
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
}

}  // namespace veldax
