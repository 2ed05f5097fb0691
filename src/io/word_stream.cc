#include "io/word_stream.h"

namespace veldax {

bool write_words(FILE* out, const int32_t* samples, size_t n) {
    return write_as_words(out, samples, n);
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
