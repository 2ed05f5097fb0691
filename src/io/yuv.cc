// Raw YUV sequences: frames of one byte per sample, read into a field buffer
// and written back from the golden frames as "golden.yuv".
#include <cstdio>
#include <cstring>

#include "config/model.h"
#include "io/file_stimulus.h"
#include "io/sample_count.h"
#include "io/word_stream.h"

namespace {

// Appends bytes as 16-bit little-endian words (high byte 0), using words as
// scratch (room for 2*n bytes).
bool write_byte_words(FILE* out, const unsigned char* bytes, size_t n, unsigned char* words) {
    for (size_t i = 0; i < n; ++i) {
        words[2 * i] = bytes[i];
        words[2 * i + 1] = 0;
    }
    return write_bytes(out, words, 2 * n);
}

}  // namespace

// A frame cut short by the end of the file, or by a read error, is not taken;
// the caller tells the two apart with feof/ferror on the input.
bool DeinterlacerModel::read_yuv_frame(FILE* input, FILE* stimulus, PixelPlane* planes,
                                       bool* failed) {
    *failed = false;
    const size_t w = static_cast<size_t>(frame_width);
    const size_t h = static_cast<size_t>(frame_height);
    const size_t area = w * h;
    const size_t frame_bytes = ycbcr422 ? 2 * area : area;
    Scratch<unsigned char> frame(frame_bytes);
    Scratch<unsigned char> words(2 * area);
    if (!frame.ok() || !words.ok() || (ycbcr422 && num_plane < 3)) {
        *failed = true;
        return false;
    }

    if (ycbcr422) {
        if (std::fread(frame.get(), 1, frame_bytes, input) != frame_bytes) return false;
        const unsigned char* y_plane = frame.get();
        const unsigned char* cb_plane = y_plane + area;
        const unsigned char* cr_plane = cb_plane + area / 2;
        for (size_t j = 0; j < h; ++j) {
            int32_t* luma = planes[0][static_cast<int32_t>(pad_top + j)] + pad_left;
            int32_t* cb = planes[1][static_cast<int32_t>(pad_top + j)] + pad_left;
            int32_t* cr = planes[2][static_cast<int32_t>(pad_top + j)] + pad_left;
            for (size_t k = 0; k < w; ++k) {
                // With an odd w*h the last Cb index reaches the first Cr byte
                // and the last Cr index the frame's last byte; both stay
                // inside the 2*w*h bytes read.
                const size_t c = static_cast<size_t>(chroma_index(frame_width, j, k));
                luma[k] = y_plane[j * w + k];
                cb[k] = cb_plane[c];
                cr[k] = cr_plane[c];
            }
        }
        const size_t half = area / 2;
        if (!write_byte_words(stimulus, y_plane, area, words.get()) ||
            !write_byte_words(stimulus, cb_plane, half, words.get()) ||
            !write_byte_words(stimulus, cr_plane, half, words.get())) {
            *failed = true;
            return false;
        }
        if (!add_sample_count(total_input, static_cast<int64_t>(area + 2 * half), "TOTAL_INPUT")) {
            *failed = true;
            return false;
        }
        return true;
    }

    for (int32_t p = 0; p < num_plane; ++p) {
        // Planes already taken stay stored and written when a later plane
        // is cut short.
        if (std::fread(frame.get(), 1, area, input) != area) return false;
        for (size_t j = 0; j < h; ++j) {
            int32_t* dst = planes[p][static_cast<int32_t>(pad_top + j)] + pad_left;
            const unsigned char* src = frame.get() + j * w;
            for (size_t k = 0; k < w; ++k) dst[k] = src[k];
        }
        if (!write_byte_words(stimulus, frame.get(), area, words.get())) {
            *failed = true;
            return false;
        }
        if (!add_sample_count(total_input, static_cast<int64_t>(area), "TOTAL_INPUT")) {
            *failed = true;
            return false;
        }
    }
    return true;
}

bool DeinterlacerModel::write_golden_yuv(FILE* golden_yuv, int32_t buffer) {
    const size_t w = static_cast<size_t>(active_width);
    const size_t h = static_cast<size_t>(active_height);
    const size_t area = w * h;
    Scratch<unsigned char> bytes(area);
    if (!bytes.ok()) return true;
    const PixelPlane* golden = frame_store[buffer];

    // Low byte of every sample of a plane, row by row.
    auto full_plane = [&](int32_t p) {
        for (size_t j = 0; j < h; ++j) {
            const int32_t* src = golden[p][static_cast<int32_t>(j)];
            for (size_t k = 0; k < w; ++k)
                bytes[j * w + k] = static_cast<unsigned char>(src[k] & 0xFF);
        }
        return write_bytes(golden_yuv, bytes.get(), area);
    };

    if (!ycbcr422) {
        for (int32_t p = 0; p < num_plane; ++p)
            if (!full_plane(p)) return true;
        return false;
    }
    if (num_plane < 3 || !full_plane(0)) return true;
    // Chroma planes at half width: the samples of the even columns.  With an
    // odd width some positions get no sample and stay 0.
    const size_t half = area / 2;
    for (int32_t p = 1; p <= 2; ++p) {
        std::memset(bytes.get(), 0, half);
        for (size_t j = 0; j < h; ++j) {
            const int32_t* src = golden[p][static_cast<int32_t>(j)];
            unsigned char* dst = bytes.get() + chroma_index(active_width, j, 0);
            for (size_t c = 0; c < w / 2; ++c) dst[c] = static_cast<unsigned char>(src[2 * c] & 0xFF);
        }
        if (!write_bytes(golden_yuv, bytes.get(), half)) return true;
    }
    return false;
}
