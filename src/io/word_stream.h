// Checked output for the data files: every write and every close is tested,
// so a full disk fails the run instead of leaving a short file behind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace veldax {

// Appends n samples as 16-bit little-endian words (the low 16 bits of each
// value); false when the stream did not take them all.
[[nodiscard]] bool write_words(FILE* out, const int32_t* samples, size_t n);

// Appends n bytes; false when the stream did not take them all.
[[nodiscard]] bool write_bytes(FILE* out, const void* bytes, size_t n);

// Closes a stream that may be null; false when buffered data could not be
// written or the close failed.
[[nodiscard]] bool close_stream(FILE* stream);

// A per-call scratch array that reports failure as a null pointer instead of
// an exception.
template <class T>
class Scratch {
public:
    explicit Scratch(size_t n)
        : data_(n ? static_cast<T*>(std::calloc(n, sizeof(T))) : nullptr), size_(n) {}
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
