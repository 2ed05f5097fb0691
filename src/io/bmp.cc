// BMP stimulus (one picture into one field) and the golden picture
// "golden.bmp" written with the picture's own headers.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>

#include "core/numbers.h"
#include "core/record.h"
#include "core/output_files.h"
#include "core/report.h"
#include "io/file_stimulus.h"
#include "io/sample_count.h"
#include "io/word_stream.h"
#include "store/memory_limit.h"

namespace veldax {

namespace {

constexpr uint32_t kHeaderBytes = 54;

uint16_t get16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t get32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
void put16(unsigned char* p, uint16_t v) {
    p[0] = static_cast<unsigned char>(v & 0xFF);
    p[1] = static_cast<unsigned char>(v >> 8);
}
void put32(unsigned char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>((v >> (8 * i)) & 0xFF);
}

BmpHeader parse_header(const unsigned char* b) {
    BmpHeader h;
    h.type = get16(b + 0);
    h.file_size = get32(b + 2);
    h.reserved = get32(b + 6);
    h.data_offset = get32(b + 10);
    h.info_size = get32(b + 14);
    h.width = static_cast<int32_t>(get32(b + 18));
    h.height = static_cast<int32_t>(get32(b + 22));
    h.colour_planes = get16(b + 26);
    h.bits_per_pixel = get16(b + 28);
    h.compression = get32(b + 30);
    h.image_size = get32(b + 34);
    h.x_resolution = static_cast<int32_t>(get32(b + 38));
    h.y_resolution = static_cast<int32_t>(get32(b + 42));
    h.colours_used = get32(b + 46);
    h.colours_important = get32(b + 50);
    return h;
}

void format_header(const BmpHeader& h, unsigned char* b) {
    put16(b + 0, h.type);
    put32(b + 2, h.file_size);
    put32(b + 6, h.reserved);
    put32(b + 10, h.data_offset);
    put32(b + 14, h.info_size);
    put32(b + 18, static_cast<uint32_t>(h.width));
    put32(b + 22, static_cast<uint32_t>(h.height));
    put16(b + 26, h.colour_planes);
    put16(b + 28, h.bits_per_pixel);
    put32(b + 30, h.compression);
    put32(b + 34, h.image_size);
    put32(b + 38, static_cast<uint32_t>(h.x_resolution));
    put32(b + 42, static_cast<uint32_t>(h.y_resolution));
    put32(b + 46, h.colours_used);
    put32(b + 50, h.colours_important);
}

// Bytes from the current position to the end of the file; -1 when the
// stream cannot tell (a pipe).
int64_t bytes_left(FILE* f) {
    const long here = std::ftell(f);
    if (here < 0 || std::fseek(f, 0, SEEK_END) != 0) return -1;
    const long end = std::ftell(f);
    if (std::fseek(f, here, SEEK_SET) != 0 || end < here) return -1;
    return static_cast<int64_t>(end) - here;
}

using Bytes = std::unique_ptr<unsigned char, FreeBlock>;

// Reads exactly n bytes into a new block (grown as the bytes arrive, so a
// header that claims too much cannot make a huge allocation up front).
// Returns the block, or null with *short_read set when the file ended first.
Bytes read_block(FILE* f, size_t n, bool* short_read) {
    *short_read = false;
    Bytes block;
    size_t have = 0;
    while (have < n) {
        const size_t chunk = n - have < (size_t{1} << 20) ? n - have : (size_t{1} << 20);
        void* grown = std::realloc(block.get(), have + chunk);
        if (!grown) return nullptr;
        (void)block.release();  // realloc took it over
        block.reset(static_cast<unsigned char*>(grown));
        const size_t got = std::fread(block.get() + have, 1, chunk, f);
        have += got;
        if (got < chunk) {
            *short_read = true;
            return nullptr;
        }
    }
    return block;
}

// Reads and drops n bytes in bounded pieces (the input may be a pipe);
// returns how many arrived.
int64_t skip_bytes(FILE* f, int64_t n) {
    unsigned char sink[65536];
    int64_t done = 0;
    while (done < n) {
        const size_t want = n - done < int64_t{sizeof(sink)} ? static_cast<size_t>(n - done) : sizeof(sink);
        const size_t got = std::fread(sink, 1, want, f);
        done += static_cast<int64_t>(got);
        if (got < want) break;
    }
    return done;
}

// Bytes of one stored row: whole bytes per pixel, padded to 4 bytes.
int64_t row_stride(int64_t width, int64_t bits_per_pixel) {
    return (width * (bits_per_pixel / 8) + 3) / 4 * 4;
}

// Bytes of the pixel array of a header that passed header_fault.  stride <
// 2^45 and rows <= 2^31: the product may pass 2^63, so it is held at
// INT64_MAX (no file is that long).
int64_t pixel_array_bytes(const BmpHeader& h) {
    const int64_t stride = row_stride(h.width, h.bits_per_pixel);
    const int64_t rows = h.height < 0 ? -int64_t{h.height} : int64_t{h.height};
    return rows > INT64_MAX / stride ? INT64_MAX : stride * rows;
}

// Bytes kept between the headers and the pixels of a picture read from a
// pipe, whose length cannot be checked first.
constexpr uint32_t kMaxUnsizedGap = uint32_t{1} << 24;

// Why a header cannot be read as an uncompressed picture; null when it can.
const char* header_fault(const BmpHeader& h, char* why, size_t size) {
    if (h.type != 0x4D42) return "not a BMP picture (the type mark is not \"BM\")";
    if (h.info_size < 40) {
        std::snprintf(why, size, "info header of %u bytes is not supported (40 or more needed)",
                      h.info_size);
        return why;
    }
    if (h.bits_per_pixel < 8) {
        std::snprintf(why, size, "%u bits per pixel is not supported (8 or more needed)",
                      static_cast<unsigned>(h.bits_per_pixel));
        return why;
    }
    const bool masks = h.compression == 3 && (h.bits_per_pixel == 16 || h.bits_per_pixel == 32);
    if (h.compression != 0 && !masks) {
        std::snprintf(why, size, "compression %u is not supported", h.compression);
        return why;
    }
    if (h.width <= 0) {
        std::snprintf(why, size, "width %d is not supported", h.width);
        return why;
    }
    if (h.height == 0) return "height 0 is not supported";
    // The format's own size fields are 32 bits: a larger pixel array cannot
    // be a real picture, only a header asking for a huge read.
    const int64_t stride = row_stride(h.width, h.bits_per_pixel);
    const int64_t rows = h.height < 0 ? -int64_t{h.height} : int64_t{h.height};
    uint32_t array_bytes = 0;
    if (!mul_u32(rows, stride, &array_bytes)) {
        std::snprintf(why, size,
                      "pixel array of %lld rows of %lld bytes does not fit the format's 32-bit sizes",
                      static_cast<long long>(rows), static_cast<long long>(stride));
        return why;
    }
    return nullptr;
}

}  // namespace

Status DeinterlacerModel::read_bmp_header(FILE* in) {
    const std::string shown = printable(run.path);
    const char* path = shown.c_str();
    bmp_picture.clear();
    // Every refusal below names the file and why.
    auto refuse = [](const char* format, auto... args) {
        report_error(format, args...);
        return Status::stimulus_read_failed;
    };

    unsigned char raw[kHeaderBytes];
    const size_t got = std::fread(raw, 1, kHeaderBytes, in);
    if (got < kHeaderBytes)
        return refuse("%s: file of %zu bytes is too short for a BMP header", path, got);
    BmpHeader h = parse_header(raw);
    char why[160];
    if (const char* fault = header_fault(h, why, sizeof(why))) return refuse("%s: %s", path, fault);
    if (h.data_offset < kHeaderBytes) h.data_offset = kHeaderBytes;

    // Everything between the headers and the pixels: a colour table, the rest
    // of a longer info header, or gap bytes.  Kept to be written back.
    const uint32_t extra = h.data_offset - kHeaderBytes;
    const int64_t left_after_header = bytes_left(in);
    if (left_after_header >= 0 && extra > left_after_header)
        return refuse("%s: file ends before the pixel data offset %u", path, h.data_offset);
    if (left_after_header < 0 && extra > kMaxUnsizedGap)
        return refuse("%s: pixel data offset %u is beyond %u bytes of a stream", path,
                      h.data_offset, kMaxUnsizedGap + kHeaderBytes);
    // Those bytes and a row of the picture are held on top of the run's
    // buffers: checked against the memory the run may use before any is
    // taken (a sparse file can claim gigabytes of gap).
    const uint64_t row_bytes =
        (static_cast<uint64_t>(frame_width) * (h.bits_per_pixel / 8u) + 3) / 4 * 4;
    const uint64_t available = usable_memory_bytes();
    auto no_memory = [&] {
        report_error("%s: %u bytes between the headers and the pixel data (offset %u) do not fit "
                     "in the memory left to the run",
                     path, extra, h.data_offset);
        return Status::field_memory;
    };
    if (available && run_memory_bytes() + extra + row_bytes > available) return no_memory();
    Bytes kept;
    if (extra > 0) {
        bool short_read = false;
        kept = read_block(in, extra, &short_read);
        if (!kept && short_read)
            return refuse("%s: file ends before the pixel data offset %u", path, h.data_offset);
        if (!kept) return no_memory();
    }

    const int64_t array_bytes = pixel_array_bytes(h);
    const int64_t left = bytes_left(in);
    if (left >= 0 && left < array_bytes)
        return refuse("%s: pixel array cut short (%lld of %lld bytes)", path,
                      static_cast<long long>(left), static_cast<long long>(array_bytes));

    const int64_t rows = h.height < 0 ? -int64_t{h.height} : int64_t{h.height};
    if (h.width < frame_width || rows < frame_height)
        warn("%s: picture of %d x %lld is smaller than the %d x %d frame; the rest is 0", path,
             h.width, static_cast<long long>(rows), frame_width, frame_height);

    bmp_picture.bmp_header = h;
    bmp_picture.palette = std::move(kept);
    bmp_picture.palette_bytes = extra;
    return Status::ok;
}

Status DeinterlacerModel::read_bmp_stimulus(FILE* in, FILE* stimulus, PixelPlane* planes) {
    const std::string shown = printable(run.path);
    const char* path = shown.c_str();
    const BmpHeader& h = bmp_picture.bmp_header;
    const int64_t bytes_per_pixel = h.bits_per_pixel / 8;
    const int64_t stride = row_stride(h.width, h.bits_per_pixel);
    const int64_t rows = h.height < 0 ? -int64_t{h.height} : int64_t{h.height};
    const int64_t array_bytes = pixel_array_bytes(h);
    const int64_t used_width = h.width < frame_width ? h.width : frame_width;
    const int64_t used_planes = bytes_per_pixel < num_plane ? bytes_per_pixel : num_plane;
    // Only the part of a row that the frame takes is held; the rest of the
    // row is read past in bounded pieces.
    const int64_t kept_row = used_width * bytes_per_pixel;
    Scratch<unsigned char> row(static_cast<size_t>(kept_row));
    if (!row.ok()) {
        report_error("%s: not enough memory for a row of %lld bytes", path,
                     static_cast<long long>(kept_row));
        return Status::stimulus_read_failed;
    }
    for (int64_t i = 0; i < rows; ++i) {
        const int64_t taken =
            static_cast<int64_t>(std::fread(row.get(), 1, static_cast<size_t>(kept_row), in));
        const int64_t row_bytes = taken < kept_row ? taken : taken + skip_bytes(in, stride - kept_row);
        if (row_bytes != stride) {
            report_error("%s: pixel array cut short (%lld of %lld bytes)", path,
                         static_cast<long long>(i * stride + row_bytes),
                         static_cast<long long>(array_bytes));
            return Status::stimulus_read_failed;
        }
        // Bottom-up pictures store their bottom row first; top-down ones
        // (negative height) their top row.
        const int64_t y = h.height > 0 ? rows - 1 - i : i;
        if (y >= frame_height) continue;
        for (int64_t c = 0; c < used_planes; ++c) {
            Sample* dst = planes[c].row(static_cast<int32_t>(y));
            const unsigned char* src = row.get() + c;
            for (int64_t x = 0; x < used_width; ++x) {
                int32_t v = src[x * bytes_per_pixel];
                if (v > max_value) v = max_value;
                if (v < min_value) v = min_value;
                dst[x] = static_cast<Sample>(v);
            }
        }
    }
    bmp_picture.valid = true;

    // The whole field area of every plane, row by row from the top.
    for (int32_t p = 0; p < num_plane; ++p) {
        for (int32_t j = 0; j < frame_height; ++j)
            if (!write_samples_as_words(stimulus, planes[p].row(j), static_cast<size_t>(frame_width)))
                return Status::output_write_failed;
        if (!add_sample_count(total_input, int64_t{frame_width} * frame_height, "TOTAL_INPUT"))
            return Status::output_write_failed;
    }
    return Status::ok;
}

Status DeinterlacerModel::write_golden_bmp() {
    if (!bmp_picture.valid) return Status::output_write_failed;
    const BmpHeader& input = bmp_picture.bmp_header;
    const int64_t bytes_per_pixel = input.bits_per_pixel / 8;
    const int64_t stride = row_stride(frame_width, input.bits_per_pixel);
    // The picture and the bytes before it must fit the file's 32-bit size.
    uint32_t pixel_bytes = 0;
    if (stride <= 0 || !mul_u32(stride, frame_height, &pixel_bytes) ||
        pixel_bytes > UINT32_MAX - input.data_offset) {
        report_error("golden.bmp: %d x %d picture is too large for a BMP file", frame_width,
                    frame_height);
        return Status::output_write_failed;
    }
    const int64_t image_size = stride * frame_height;
    Scratch<unsigned char> row(static_cast<size_t>(stride));
    if (!row.ok()) return Status::output_write_failed;

    FILE* out = std::fopen(kGoldenBmpFile, "wb");
    if (!out) return Status::output_write_failed;

    BmpHeader h = input;
    h.image_size = static_cast<uint32_t>(image_size);
    h.file_size = static_cast<uint32_t>(image_size + h.data_offset);
    h.width = frame_width;
    h.height = frame_height;
    unsigned char raw[kHeaderBytes];
    format_header(h, raw);
    bool ok = write_raw_bytes(out, raw, kHeaderBytes) &&
              write_raw_bytes(out, bmp_picture.palette.get(), bmp_picture.palette_bytes);

    const PixelPlane* golden = golden_frame();
    const int64_t used_planes = bytes_per_pixel < num_plane ? bytes_per_pixel : num_plane;
    for (int32_t r = 0; ok && r < frame_height; ++r) {
        // Row padding and the colour bytes of planes the model does not have
        // stay 0; an alpha byte (the fourth of a pixel and after) is 255, so
        // a 32-bit picture stays opaque.
        std::memset(row.get(), 0, static_cast<size_t>(stride));
        for (int64_t c = used_planes > 3 ? used_planes : 3; c < bytes_per_pixel; ++c)
            for (int64_t x = 0; x < active_width; ++x) row[static_cast<size_t>(x * bytes_per_pixel + c)] = 255;
        const int32_t y = active_height - 1 - r;
        for (int64_t c = 0; c < used_planes; ++c) {
            const Sample* src = golden[c].row(y);
            unsigned char* dst = row.get() + c;
            for (int64_t x = 0; x < active_width; ++x) {
                const Sample v = src[x];
                dst[x * bytes_per_pixel] = static_cast<unsigned char>(v > 255 ? 255 : v);
            }
        }
        ok = write_raw_bytes(out, row.get(), static_cast<size_t>(stride));
    }
    // The palette goes with this one picture.
    bmp_picture.clear();
    const bool closed = close_stream(out);
    return ok && closed ? Status::ok : Status::output_write_failed;
}

}  // namespace veldax
