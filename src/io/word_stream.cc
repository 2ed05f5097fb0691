#include "io/word_stream.h"

namespace veldax {

bool write_words_in_file_order(FILE* out, const uint16_t* words, size_t n) {
    return write_raw_bytes(out, words, sizeof(uint16_t) * n);
}

bool write_raw_bytes(FILE* out, const void* bytes, size_t n) {
    return n == 0 || !out || std::fwrite(bytes, 1, n, out) == n;
}

bool close_stream(FILE* stream) {
    if (!stream) return true;
    const bool flushed = std::fflush(stream) == 0 && !std::ferror(stream);
    const bool closed = std::fclose(stream) == 0;
    return flushed && closed;
}

}  // namespace veldax
