// "golden.dat": each golden frame cropped to its own size, planes in order,
// 16-bit little-endian words; 4:2:2 chroma planes keep columns 0, 2, 4, ...
#include <algorithm>

#include "config/model.h"
#include "io/sample_count.h"
#include "io/word_stream.h"

bool DeinterlacerModel::write_golden_frame(FILE* golden, int32_t buffer, int32_t frame) {
    int32_t frame_w, frame_h;
    frame_size(frame, &frame_w, &frame_h);
    const int64_t w = frame_w, h = frame_h;
    const size_t area = static_cast<size_t>(w * h);
    Scratch<int32_t> words(area);
    if (!words.ok()) return true;

    const PixelPlane* planes = frame_store[buffer];
    auto gather_full = [&](const PixelPlane& plane) {
        size_t at = 0;
        for (int64_t y = 0; y < h; ++y) {
            const int32_t* row = plane[static_cast<int32_t>(y)];
            for (int64_t x = 0; x < w; ++x) words[at++] = row[x];
        }
    };

    int64_t count = 0;
    if (!ycbcr422) {
        for (int32_t p = 0; p < num_plane; ++p) {
            gather_full(planes[p]);
            if (!write_words(golden, words.get(), area)) return true;
            if (!parallel || p == 0) count += static_cast<int64_t>(area);
        }
    } else {
        gather_full(planes[0]);
        if (!write_words(golden, words.get(), area)) return true;
        count += static_cast<int64_t>(area);
        // Chroma: the even columns of each row at word y*w/2 + k.  With an odd
        // width some positions get no sample; they are written as 0.
        const int32_t chroma_planes = std::min<int32_t>(num_plane, 3);
        for (int32_t p = 1; p < chroma_planes; ++p) {
            std::fill(words.get(), words.get() + area, 0);
            for (int64_t y = 0; y < h; ++y) {
                const int32_t* row = planes[p][static_cast<int32_t>(y)];
                const int64_t base = y * w / 2;
                for (int64_t k = 0; k < w / 2; ++k)
                    words[static_cast<size_t>(base + k)] = row[2 * k];
            }
            if (!write_words(golden, words.get(), area / 2)) return true;
            if (!parallel) count += h * (w / 2);
        }
    }
    return !add_sample_count(total_output, count, "TOTAL_OUTPUT");
}
