// Small helpers shared by the two build-file writers: the words the files use
// for methods, flags and memory kinds, and a text stream that remembers
// whether any write failed.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <cstdio>

// Methods 1..4 by name; 0 and every other value read as weave.
inline const char* method_word(int32_t method) {
    switch (method) {
    case 1: return "BOBE";
    case 2: return "BOBO";
    case 3: return "INTRA";
    case 4: return "INTER";
    default: return "WEAVE";
    }
}

inline const char* flag_word(int32_t flag) { return flag != 0 ? "TRUE" : "FALSE"; }

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
};
