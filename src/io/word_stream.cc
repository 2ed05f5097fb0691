#include "io/word_stream.h"

namespace veldax {

bool write_words(FILE* out, const int32_t* samples, size_t n) {
    // Converted in blocks so that the byte order does not depend on the host.
    unsigned char block[8192];
    const size_t per_block = sizeof(block) / 2;
    while (n > 0) {
        const size_t count = n < per_block ? n : per_block;
        for (size_t i = 0; i < count; ++i) {
            const uint32_t v = static_cast<uint32_t>(samples[i]);
            block[2 * i] = static_cast<unsigned char>(v & 0xFF);
            block[2 * i + 1] = static_cast<unsigned char>((v >> 8) & 0xFF);
        }
        if (std::fwrite(block, 1, 2 * count, out) != 2 * count) return false;
        samples += count;
        n -= count;
    }
    return true;
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
