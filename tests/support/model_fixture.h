// A model built by hand for the tests, and small helpers around it: the
// current folder moved for the life of an object, the bytes written to a
// stream, 16-bit words and text lines of a byte string.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/record.h"
#include "model/methods.h"
#include "store/frame_layout.h"

using namespace veldax;

namespace veldax_test {

// Defaults (family KAP2) and a frame of width x height x planes; set more
// fields on m, then call ready() to derive the sizes and allocate the
// buffers, which go with the object.
struct TestModel {
    DeinterlacerModel m;

    TestModel(int32_t width = 704, int32_t height = 480, int32_t planes = 1, int32_t dwidth = 8) {
        m.init_defaults();
        m.family = "KAP2";
        m.frame_width = width;
        m.frame_height = height;
        m.num_plane = planes;
        m.dwidth = dwidth;
    }
    TestModel(const TestModel&) = delete;
    TestModel& operator=(const TestModel&) = delete;

    // False when the buffers could not be allocated.
    bool ready() {
        m.derive_configuration();
        return m.allocate_buffers() == Status::ok;
    }
    // A stored 16-bit sample, read and written as an int32 value (a test
    // writes only values of 0..65535).
    struct SampleRef {
        Sample& s;
        operator int32_t() const { return s; }
        SampleRef& operator=(int32_t v) {
            s = static_cast<Sample>(v);
            return *this;
        }
    };
    // Field sample of buffer b, plane p at field row j, column k (a paired
    // plane's columns 2m and 2m + 1 are one sample).
    SampleRef field(int32_t b, int32_t p, int32_t j, int32_t k) {
        return {m.field_store[b][p].row(j)[m.paired_plane(p) ? k >> 1 : k]};
    }
    // Golden sample of plane p at row y, column x.  A paired plane holds the
    // even columns only: an odd column's sample goes nowhere.
    SampleRef golden(int32_t p, int32_t y, int32_t x) {
        if (!m.paired_plane(p)) return {m.golden_frame()[p].row(y)[x]};
        if (x % 2 != 0) return {discarded_};
        return {m.golden_frame()[p].row(y)[x / 2]};
    }
    void set_row(int32_t b, int32_t p, int32_t j, const std::vector<int32_t>& values) {
        for (size_t k = 0; k < values.size(); ++k)
            field(b, p, j, static_cast<int32_t>(k)) = values[k];
    }

private:
    Sample discarded_ = 0;
};

// Makes dir the current folder until the object goes.
class InDir {
public:
    explicit InDir(const std::string& dir) {
        char buf[4096];
        if (getcwd(buf, sizeof(buf)) && chdir(dir.c_str()) == 0) old_ = buf;
    }
    ~InDir() {
        if (!old_.empty() && chdir(old_.c_str()) != 0) std::perror("chdir");
    }
    InDir(const InDir&) = delete;
    InDir& operator=(const InDir&) = delete;
    bool ok() const { return !old_.empty(); }

private:
    std::string old_;
};

// Everything written to a stream so far.
inline std::string stream_bytes(FILE* f) {
    std::fflush(f);
    const long end = std::ftell(f);
    std::string s(static_cast<size_t>(end > 0 ? end : 0), '\0');
    std::rewind(f);
    if (!s.empty() && std::fread(&s[0], 1, s.size(), f) != s.size()) s.clear();
    std::fseek(f, 0, SEEK_END);
    return s;
}

// 16-bit little-endian words of a byte string.
inline std::vector<int> words_of(const std::string& bytes) {
    std::vector<int> w;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        w.push_back(static_cast<unsigned char>(bytes[i]) |
                    (static_cast<unsigned char>(bytes[i + 1]) << 8));
    return w;
}

// Lines of a text without their newlines.
inline std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

}  // namespace veldax_test
