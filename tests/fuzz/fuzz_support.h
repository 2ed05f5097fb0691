// Shared by the fuzz targets: they run in the current folder (run.sh makes a
// scratch one), write their inputs there and keep standard output quiet.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace veldax_fuzz {

inline void write_bytes(const char* name, const uint8_t* data, size_t size) {
    FILE* f = std::fopen(name, "wb");
    if (!f) return;
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
}

// The program's messages go to standard output; a fuzzer only wants findings.
inline void quiet_stdout() {
    static bool done = false;
    if (!done && std::freopen("/dev/null", "w", stdout)) done = true;
}

// Takes one byte off the front of the input (0 when none is left).
inline uint8_t take(const uint8_t*& data, size_t& size) {
    if (size == 0) return 0;
    --size;
    return *data++;
}

}  // namespace veldax_fuzz
