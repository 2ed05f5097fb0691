// Helpers for the file stimulus tests: a small hand-built model, the bytes
// of a temporary stream, and running code inside a scratch folder.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "config/model.h"

namespace fileio_test {

// A model of num_plane planes of w x h samples, buffers allocated; released
// when the object goes.
struct SmallModel {
    DeinterlacerModel m;
    SmallModel(int32_t planes, int32_t w, int32_t h, int32_t dwidth = 8, bool ycbcr422 = false) {
        m.init_defaults();
        m.num_plane = planes;
        m.frame_width = w;
        m.frame_height = h;
        m.dwidth = dwidth;
        m.ycbcr422 = ycbcr422 ? 1 : 0;
        m.total_input = 0;
        m.derive_configuration();
        ok = m.allocate_buffers() == 0;
    }
    ~SmallModel() { m.release_buffers(); }
    // Field sample of buffer b, plane p, field row j, column k.
    int32_t field(int32_t b, int32_t p, int32_t j, int32_t k) const {
        return m.field_store[b][p][m.pad_top + j][m.pad_left + k];
    }
    bool ok = false;
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

// Runs the current directory inside dir for the life of the object.
struct InDir {
    std::string old;
    explicit InDir(const std::string& dir) {
        char buf[4096];
        if (getcwd(buf, sizeof(buf))) old = buf;
        if (chdir(dir.c_str()) != 0) old.clear();
    }
    ~InDir() {
        if (!old.empty() && chdir(old.c_str()) != 0) std::perror("chdir");
    }
};

}  // namespace fileio_test
