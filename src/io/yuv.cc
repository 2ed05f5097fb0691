// Raw YUV sequences: frames of one byte per sample, read into a field buffer
// and written back from the golden frames as "golden.yuv".
#include <cstdio>

#include "core/record.h"
#include "store/frame_layout.h"
#include "io/sample_count.h"
#include "io/word_stream.h"

namespace veldax {

namespace {

unsigned char low_byte(int32_t v) { return static_cast<unsigned char>(v & 0xFF); }

}  // namespace

// A frame cut short by the end of the file is not taken; planes already
// taken of a planar frame stay stored and written.
YuvFrame DeinterlacerModel::read_yuv_frame(FILE* input, FILE* stimulus, PixelPlane* planes) {
    const FrameLayout layout = this->layout();
    const int32_t w = frame_width;
    const int32_t h = frame_height;
    const size_t area = static_cast<size_t>(w) * static_cast<size_t>(h);
    // One read for a whole 4:2:2 frame, one per plane otherwise.
    const size_t frame_bytes = ycbcr422 ? 2 * area : area;
    Scratch<unsigned char> frame(frame_bytes);
    if (!frame.ok() || (ycbcr422 && num_plane < 3)) return YuvFrame::write_failed;
    auto short_read = [&] {
        return std::ferror(input) ? YuvFrame::read_failed : YuvFrame::end_of_input;
    };

    if (ycbcr422 && std::fread(frame.get(), 1, frame_bytes, input) != frame_bytes)
        return short_read();
    const unsigned char* at = frame.get();
    for (int32_t p = 0; p < layout.yuv_planes(); ++p) {
        const PlaneSpan span = layout.yuv_plane(p);
        const size_t n = static_cast<size_t>(span.words);
        if (!ycbcr422) {
            at = frame.get();
            if (std::fread(frame.get(), 1, n, input) != n) return short_read();
        }
        for (int32_t j = 0; j < h; ++j) {
            int32_t* dst = planes[p].row(j);
            // With an odd w*h the last Cb index reaches the first Cr byte and
            // the last Cr index the frame's last byte; both stay inside the
            // 2*w*h bytes read.
            if (span.packed) {
                // Columns 2m and 2m + 1 share byte m of the row's packed run.
                const unsigned char* src = at + chroma_word(w, j, 0);
                for (int32_t m = 0; m < w / 2; ++m) dst[2 * m] = dst[2 * m + 1] = src[m];
                if (w % 2 != 0) dst[w - 1] = src[w / 2];
            } else {
                const unsigned char* src = at + size_t(j) * size_t(w);
                for (int32_t k = 0; k < w; ++k) dst[k] = src[k];
            }
        }
        if (!write_samples_as_words(stimulus, at, n) ||
            !add_sample_count(total_input, span.counted, "TOTAL_INPUT"))
            return YuvFrame::write_failed;
        at += n;
    }
    return YuvFrame::taken;
}

Status DeinterlacerModel::write_golden_yuv(FILE* golden_yuv, int32_t buffer) {
    const FrameLayout layout = this->layout();
    const size_t area = static_cast<size_t>(active_width) * static_cast<size_t>(active_height);
    Scratch<unsigned char> bytes(area);
    if (!bytes.ok() || (ycbcr422 && num_plane < 3)) return Status::output_write_failed;
    const PixelPlane* golden = frame_store[buffer];

    // Low byte of every sample; 4:2:2 chroma planes at half width, from the
    // even columns (with an odd width some positions get no sample and stay 0).
    for (int32_t p = 0; p < layout.yuv_planes(); ++p) {
        const PlaneSpan span = layout.yuv_plane(p);
        gather_span(golden[p].row(0), golden[p].stride, span, ChromaColumns::even, bytes.get(),
                    low_byte);
        if (!write_raw_bytes(golden_yuv, bytes.get(), static_cast<size_t>(span.words)))
            return Status::output_write_failed;
    }
    return Status::ok;
}

}  // namespace veldax
