#include "io/word_stream.h"

namespace veldax {

bool write_words(FILE* out, const int32_t* samples, size_t n) {
    // Converted in blocks so that the byte order does not depend on the host.
    uint16_t block[16384];
    const size_t per_block = sizeof(block) / sizeof(block[0]);
    while (n > 0) {
        const size_t count = n < per_block ? n : per_block;
        for (size_t i = 0; i < count; ++i) block[i] = file_word(samples[i]);
        if (!write_file_words(out, block, count)) return false;
        samples += count;
        n -= count;
    }
    return true;
}

bool write_file_words(FILE* out, const uint16_t* words, size_t n) {
    return write_bytes(out, words, sizeof(uint16_t) * n);
}

bool write_bytes(FILE* out, const void* bytes, size_t n) {
    return n == 0 || std::fwrite(bytes, 1, n, out) == n;
}

bool close_stream(FILE* stream) {
    if (!stream) return true;
    const bool flushed = std::fflush(stream) == 0 && !std::ferror(stream);
    const bool closed = std::fclose(stream) == 0;
    return flushed && closed;
}

}  // namespace veldax
