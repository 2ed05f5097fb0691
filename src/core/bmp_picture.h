// The input picture of a BMP run, kept for "golden.bmp": its header and the
// bytes between the headers and the pixel data (a colour table, the rest of
// a longer info header, or gap bytes).
#pragma once

#include <cstdint>
#include <memory>

#include "core/pixel_plane.h"

namespace veldax {

// The 54 header bytes of a BMP picture, field by field (all little-endian in
// the file).
struct BmpHeader {
    uint16_t type = 0;            // offset 0
    uint32_t file_size = 0;       // offset 2
    uint32_t reserved = 0;        // offset 6, both reserved words
    uint32_t data_offset = 0;     // offset 10
    uint32_t info_size = 0;       // offset 14
    int32_t width = 0;            // offset 18
    int32_t height = 0;           // offset 22
    uint16_t colour_planes = 0;   // offset 26
    uint16_t bits_per_pixel = 0;  // offset 28
    uint32_t compression = 0;     // offset 30
    uint32_t image_size = 0;      // offset 34
    int32_t x_resolution = 0;     // offset 38
    int32_t y_resolution = 0;     // offset 42
    uint32_t colours_used = 0;    // offset 46
    uint32_t colours_important = 0;  // offset 50
};

struct BmpPicture {
    BmpHeader bmp_header;
    std::unique_ptr<unsigned char, FreeBlock> palette;
    uint32_t palette_bytes = 0;
    bool valid = false;  // set once a picture was read whole

    void clear() {
        bmp_header = BmpHeader{};
        palette.reset();
        palette_bytes = 0;
        valid = false;
    }
};

}  // namespace veldax
