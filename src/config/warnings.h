// Lines on standard error for input that is taken but probably not meant
// (a misspelt key, a word that is not a method, a flag of 2, ...), and the
// checks of text that goes into the build files verbatim.  Standard output
// and the exit status stay as they are: scripts read them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/report.h"

namespace veldax {

// The value text of a key as read, without the line end and surrounding
// blanks.
std::string_view value_text(std::string_view value);

// A module name goes into the define header inside #define lines and a
// string: a control character would start a new preprocessor line, a '\'
// join the next one and a '"' end the string.  False (after one line naming
// the file, the line and the key) for such a name.
bool module_name_is_safe(std::string_view name, const char* path, int64_t line);

// Warnings for one key=value of the parameter file; `value` is the text
// after the separator, `read` what the reader took from it.
void check_number_value(std::string_view value, const char* key, int32_t read, bool flag,
                        const char* path, int64_t line);
void check_method_value(std::string_view value, const char* path, int64_t line);
void check_memory_value(std::string_view value, const char* key, const char* path, int64_t line);
// A line that sets nothing although it is neither blank nor a comment.
void check_unused_line(std::string_view line, const char* path, int64_t line_no);

}  // namespace veldax
