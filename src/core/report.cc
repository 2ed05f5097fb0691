#include "core/report.h"

#include <cstdarg>
#include <cstdio>

namespace veldax {

namespace {

const char* program = "veldax-gen";
bool errors_to_stderr = false;
bool strict = false;
bool muted = false;
int64_t warnings = 0;
ReportCapture capture_line = nullptr;
void* capture_context = nullptr;

}  // namespace

void set_report_program(const char* name, bool errors_on_stderr) {
    program = name;
    errors_to_stderr = errors_on_stderr;
}

void set_strict_mode(bool on) { strict = on; }
bool strict_mode() { return strict; }
int64_t warning_count() { return warnings; }
void set_warnings_muted(bool on) { muted = on; }

void set_report_capture(ReportCapture capture, void* context) {
    capture_line = capture;
    capture_context = context;
}

void report_error(const char* format, ...) {
    if (capture_line) {
        char line[1024];
        va_list args;
        va_start(args, format);
        std::vsnprintf(line, sizeof line, format, args);
        va_end(args);
        capture_line(line, capture_context);
        return;
    }
    FILE* out = errors_to_stderr ? stderr : stdout;
    if (errors_to_stderr) std::fprintf(out, "%s: ", program);
    va_list args;
    va_start(args, format);
    std::vfprintf(out, format, args);
    va_end(args);
    std::fputc('\n', out);
}

void warn(const char* format, ...) {
    ++warnings;
    if (muted) return;
    std::fprintf(stderr, "%s: %s: ", program, strict ? "error" : "warning");
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
}

std::string printable(const char* text, size_t len) {
    std::string s;
    for (size_t i = 0; i < len; ++i) {
        const unsigned char ch = static_cast<unsigned char>(text[i]);
        if (ch >= 0x20 && ch < 0x7F && ch != '"' && ch != '\\') {
            s += static_cast<char>(ch);
        } else {
            char esc[8];
            std::snprintf(esc, sizeof(esc), "\\x%02X", ch);
            s += esc;
        }
    }
    return s;
}

}  // namespace veldax
