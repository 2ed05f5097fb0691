#include "app/input_guards.h"

#include <sys/stat.h>

#include <csignal>
#include <cstdio>
#include <cstring>

#include "core/output_files.h"
#include "core/report.h"


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
            report_error("%s file %s would be overwritten by %s", what, path.c_str(), name);
            return true;
        }
    }
    return false;
}

}  // namespace

bool an_input_is_an_output(const DeinterlacerModel& m) {
    if (is_output(m.kvf_path, "Parameter")) return true;
    return reads_input_file(m.run.source) && is_output(m.run.path, "Stimulus");
}

bool names_a_fifo(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISFIFO(st.st_mode);
}

void ignore_broken_pipe() { std::signal(SIGPIPE, SIG_IGN); }

int standard_output_status() {
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
}

}  // namespace veldax
