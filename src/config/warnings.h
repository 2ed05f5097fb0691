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

// A module name goes into the define header as an identifier ("u1_%s",
// "%s_tb") and inside a string: anything else could write preprocessor code
// there (a control character starts a new line, "/*" comments out the lines
// after it, "??/" is a backslash under trigraphs).  False (after one line
// naming the file, the line and the key) unless the name, without its
// trailing spaces, is empty or letters, digits and '_' not starting with a
// digit.
bool module_name_is_safe(std::string_view name, const char* path, int64_t line);

// Warnings for one key=value of the parameter file; `value` is the text
// after the separator, `read` what the reader took from it.
void check_number_value(std::string_view value, const char* key, int32_t read, bool flag,
                        const char* path, int64_t line);
void check_method_value(std::string_view value, const char* path, int64_t line);
void check_memory_value(std::string_view value, const char* key, const char* path, int64_t line);
// Edits (insertions, deletions, substitutions and swaps of two neighbouring
// letters) between two words, ignoring case.
size_t edit_distance(std::string_view a, std::string_view b);
// The key a line names: its text up to "=" or a blank.
std::string_view line_key(std::string_view line);
// The key of keys[0..count) closest to word, when one is a likely slip of
// it (one or two edits); empty otherwise.
std::string_view nearest_key(std::string_view word, const char* const* keys, size_t count);

// A line that sets nothing although it is neither blank nor a comment;
// suggestion is the key it probably means, or empty.
void check_unused_line(std::string_view line, const char* path, int64_t line_no,
                       std::string_view suggestion);
// A line that sets `key` before a "//": the reader takes the whole line as
// a comment.
void check_commented_setting(std::string_view line, std::string_view key, const char* path,
                             int64_t line_no);

}  // namespace veldax
