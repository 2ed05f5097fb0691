#include "app/input_guards.h"

#include <sys/stat.h>

#include <csignal>
#include <cstdio>
#include <cinttypes>
#include <cstring>

#include "core/output_files.h"
#include "app/switches.h"
#include "core/report.h"
#include "store/frame_layout.h"


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
            report_error("%s file %s would be overwritten by %s", what, printable(path).c_str(), name);
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

Status check_sample_totals(const DeinterlacerModel& m) {
    if (m.run.source != StimulusSource::ramp && m.run.source != StimulusSource::random)
        return Status::ok;
    const FrameLayout::Totals t = m.layout().synthetic_totals(m.input_frames);
    const char* word = "";
    for (const SwitchRow& row : kSwitches)
        if (row.source == m.run.source) word = row.word;
    const std::string path = printable(m.kvf_path);
    if (t.input > INT32_MAX) {
        report_error("%s %s %d: TOTAL_INPUT would be %" PRId64
                     " samples (%d fields), beyond %d",
                     path.c_str(), word, m.input_frames, t.input, m.input_frames, INT32_MAX);
        return Status::command_line_refused;
    }
    if (t.output > INT32_MAX) {
        report_error("%s %s %d: TOTAL_OUTPUT would be %" PRId64
                     " samples (%" PRId64 " golden frames), beyond %d",
                     path.c_str(), word, m.input_frames, t.output, t.frames, INT32_MAX);
        return Status::command_line_refused;
    }
    return Status::ok;
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
