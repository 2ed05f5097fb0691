// The one reporting path of both programs.  A stage that finds a fault
// prints one detail line with report_error and returns its Status; the
// driver prints the summary line (see core/status.h).  Input that is taken
// but probably not meant gets a warning line.
//
// veldax-gen keeps its console lines on standard output without a prefix,
// as scripts read them; its warnings go to standard error as
// "veldax-gen: warning: ...".  veldax-inspect sends both to standard error,
// each line starting with its name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace veldax {

// The program that prints, and whether its error lines go to standard error
// with its name in front (veldax-inspect) or to standard output as they are
// (veldax-gen, the default).
void set_report_program(const char* name, bool errors_on_stderr);

// While a capture is set, error lines go to it instead of being printed:
// capture(line, context) with the text without its newline.  The in-process
// run interface hands them to its caller this way.  Null restores printing.
using ReportCapture = void (*)(const char* line, void* context);
void set_report_capture(ReportCapture capture, void* context);

// Under --strict every warning is a refusal: warn prints it as an error
// line, and the stage that gave it stops the run (see warning_count).
void set_strict_mode(bool on);
bool strict_mode();
// Warnings given so far in this process.
int64_t warning_count();
// While muted, warnings are counted but not printed (a caller that repeats a
// run already reported, to try a variant of it, mutes them).
void set_warnings_muted(bool on);

// One line: the formatted text and a newline.
void report_error(const char* format, ...) __attribute__((format(printf, 1, 2)));
// "<program>: warning: " and the formatted text, one line on standard error.
void warn(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Text for a message on one line: bytes outside printable ASCII, '"' and
// '\' are shown as \xNN.
std::string printable(const char* text, size_t len);
inline std::string printable(std::string_view text) { return printable(text.data(), text.size()); }

}  // namespace veldax
