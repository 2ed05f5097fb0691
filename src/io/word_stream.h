// Checked output for the data files: every write and every close is tested,
// so a full disk fails the run instead of leaving a short file behind.  A
// null stream takes every write and keeps nothing (the in-process run that
// hands out no stimulus): its words are not even formed.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "core/pixel_plane.h"

namespace veldax {

// The low 16 bits of a sample as the data files store them: a little-endian
// word, whatever the host's byte order, ready to be written from memory.
inline uint16_t file_word(int32_t sample) {
    const auto w = static_cast<uint16_t>(static_cast<uint32_t>(sample) & 0xFFFFu);
    if constexpr (std::endian::native == std::endian::little) return w;
    return static_cast<uint16_t>((w >> 8) | (w << 8));
}

// A 16-bit sample as the data files store it.
inline uint16_t file_word(uint16_t sample) {
    if constexpr (std::endian::native == std::endian::little) return sample;
    return static_cast<uint16_t>((sample >> 8) | (sample << 8));
}

// Appends n words already in file order (see file_word), as they stand in
// memory; false when the stream did not take them all.
[[nodiscard]] bool write_words_in_file_order(FILE* out, const uint16_t* words, size_t n);

// Appends n samples (16-bit samples or bytes), each converted to its file
// word a block at a time; false when the stream did not take them all.  16-bit
// samples on a little-endian host are their own file words and are written
// as they stand.  The blocks are `scratch` (up to kScratchBlockWords words
// of it, never more than n) when given: fewer, larger writes.
inline constexpr size_t kScratchBlockWords = size_t{1} << 18;
template <class Value>
[[nodiscard]] bool write_samples_as_words(FILE* out, const Value* samples, size_t n,
                                          KeptBuffer<uint16_t>* scratch = nullptr) {
    if (!out) return true;
    if constexpr (sizeof(Value) == sizeof(uint16_t) && std::endian::native == std::endian::little)
        return write_words_in_file_order(out, reinterpret_cast<const uint16_t*>(samples), n);
    uint16_t stack_block[32768];
    uint16_t* block = stack_block;
    size_t per_block = sizeof(stack_block) / sizeof(stack_block[0]);
    if (scratch && n > per_block) {
        const size_t words = n < kScratchBlockWords ? n : kScratchBlockWords;
        if (uint16_t* kept = scratch->get(words)) {
            block = kept;
            per_block = words;
        }
    }
    while (n > 0) {
        const size_t count = n < per_block ? n : per_block;
        for (size_t i = 0; i < count; ++i) block[i] = file_word(samples[i]);
        if (!write_words_in_file_order(out, block, count)) return false;
        samples += count;
        n -= count;
    }
    return true;
}

// Appends n bytes as they are; false when the stream did not take them all.
[[nodiscard]] bool write_raw_bytes(FILE* out, const void* bytes, size_t n);

// Closes a stream that may be null; false when buffered data could not be
// written or the close failed.
[[nodiscard]] bool close_stream(FILE* stream);

// A per-call scratch array of trivial values that reports failure as a null
// pointer instead of an exception.  Its contents start undefined: every user
// writes what it reads, so no time goes into zeroing memory.
template <class T>
class Scratch {
public:
    explicit Scratch(size_t n)
        : data_(n && n <= SIZE_MAX / sizeof(T) ? static_cast<T*>(std::malloc(n * sizeof(T)))
                                               : nullptr),
          size_(n) {}
    ~Scratch() { std::free(data_); }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    bool ok() const { return size_ == 0 || data_ != nullptr; }
    T* get() const { return data_; }
    T& operator[](size_t i) const { return data_[i]; }
    size_t size() const { return size_; }

private:
    T* data_;
    size_t size_;
};

}  // namespace veldax
