// Checked text output for the build files: a stream that remembers whether
// any write failed, and the line forms of a build field in each file.
#pragma once

#include <cinttypes>
#include <cstdarg>
#include <cstdint>
#include <cstdio>

#include "emit/build_fields.h"

namespace veldax {

// Text output where every line is checked; `ok` drops to false at the first
// failure and stays there, so the caller tests once after closing.
struct TextOut {
    FILE* file = nullptr;
    bool ok = true;

    __attribute__((format(printf, 2, 3))) void line(const char* format, ...) {
        if (!ok) return;
        va_list args;
        va_start(args, format);
        const int written = std::vfprintf(file, format, args);
        va_end(args);
        if (written < 0) ok = false;
    }

    // "<lead><name padded to width><between><value><end>", the value a
    // number or a word in double quotes.
    void field(const char* lead, int width, const char* between, const char* name,
               const BuildValue& v, const char* end) {
        if (v.word)
            line("%s%-*s%s\"%s\"%s", lead, width, name, between, v.word, end);
        else
            line("%s%-*s%s%" PRId64 "%s", lead, width, name, between, v.number, end);
    }
};

}  // namespace veldax
