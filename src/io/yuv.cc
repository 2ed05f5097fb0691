// YUV sequences: frames of a headerless file (one byte a sample) or of a
// Y4M stream (a "FRAME" line ahead of each, two little-endian bytes a sample
// above 8 bits), read into a field buffer and written back from the golden
// frames as "golden.yuv" in the input's layout and depth.
#include <cstdio>
#include <cstring>
#include <string>

#include "core/record.h"
#include "core/report.h"
#include "io/sample_count.h"
#include "io/word_stream.h"
#include "io/y4m.h"
#include "store/frame_layout.h"

namespace veldax {

namespace {

unsigned char low_byte(Sample v) { return static_cast<unsigned char>(v & 0xFF); }
Sample same(Sample v) { return v; }

// fread of a headerless input: the bytes read to look for a Y4M signature
// come first.
size_t read_sequence(YuvForm& form, FILE* in, unsigned char* to, size_t n) {
    size_t got = 0;
    while (got < n && form.lead_taken < form.lead_bytes) to[got++] = form.lead[form.lead_taken++];
    return got + std::fread(to + got, 1, n - got, in);
}

// Sample i of a Y4M plane of 1- or 2-byte samples.
Sample y4m_sample(const unsigned char* plane, size_t i, int32_t bytes) {
    if (bytes == 1) return plane[i];
    return static_cast<Sample>(plane[2 * i] | plane[2 * i + 1] << 8);
}

}  // namespace

bool DeinterlacerModel::sequence_has_lead() const {
    return yuv_form.lead_taken < yuv_form.lead_bytes;
}

// The line and the samples of one Y4M frame, read at once: a frame cut short
// is not taken, a frame whose line is not "FRAME" or that holds a sample
// above its depth is refused, naming the frame (from 1).
YuvFrame DeinterlacerModel::read_y4m_frame(FILE* input, FILE* stimulus, PixelPlane* planes) {
    const FrameLayout layout = this->layout();
    const char* path = run.path.c_str();
    const int32_t frame_number = input_frames + 1;
    std::string line;
    const Y4mLineRead read = read_y4m_line(input, &line);
    if (read == Y4mLineRead::failed) return YuvFrame::read_failed;
    if (read == Y4mLineRead::too_long || !y4m_frame_line_start(line.data(), line.size())) {
        report_error("%s: frame %d does not start with \"FRAME\"", path, frame_number);
        return YuvFrame::refused;
    }
    if (read != Y4mLineRead::line) return YuvFrame::end_of_input;

    const size_t frame_bytes = static_cast<size_t>(layout.yuv_frame_bytes());
    Scratch<unsigned char> frame(frame_bytes);
    Scratch<Sample> samples(static_cast<size_t>(frame_width) * static_cast<size_t>(frame_height));
    if (!frame.ok() || !samples.ok()) return YuvFrame::write_failed;
    if (std::fread(frame.get(), 1, frame_bytes, input) != frame_bytes)
        return std::ferror(input) ? YuvFrame::read_failed : YuvFrame::end_of_input;

    // Every sample is checked before the frame is stored or written.
    const int32_t bytes = layout.yuv_sample_bytes;
    const int32_t largest = (1 << yuv_form.depth) - 1;
    const unsigned char* at = frame.get();
    for (int32_t p = 0; p < layout.yuv_planes(); ++p) {
        const PlaneSpan span = layout.yuv_plane(p);
        for (int64_t i = 0; i < span.words; ++i) {
            const int32_t v = y4m_sample(at, static_cast<size_t>(i), bytes);
            if (v > largest) {
                report_error("%s: frame %d, plane %d, row %lld, column %lld holds %d, above %d "
                             "(the largest %d-bit sample)",
                             path, frame_number, p, static_cast<long long>(i / span.width),
                             static_cast<long long>(i % span.width), v, largest, yuv_form.depth);
                return YuvFrame::refused;
            }
        }
        at += span.words * bytes;
    }

    at = frame.get();
    const int32_t w = frame_width;
    for (int32_t p = 0; p < layout.yuv_planes(); ++p) {
        const PlaneSpan span = layout.yuv_plane(p);
        const size_t n = static_cast<size_t>(span.words);
        for (size_t i = 0; i < n; ++i) samples[i] = y4m_sample(at, i, bytes);
        const bool paired = paired_plane(p);
        for (int32_t j = 0; j < span.height; ++j) {
            Sample* dst = planes[p].row(j);
            const Sample* src = samples.get() + static_cast<size_t>(j) * size_t(span.width);
            if (span.halved && !paired) {
                // Sample m of a chroma row is columns 2m and 2m + 1; an odd
                // width's last column has its own.
                for (int32_t m = 0; m < w / 2; ++m) dst[2 * m] = dst[2 * m + 1] = src[m];
                if (w % 2 != 0) dst[w - 1] = src[w / 2];
            } else {
                std::memcpy(dst, src, sizeof(Sample) * static_cast<size_t>(span.width));
            }
        }
        if (!write_samples_as_words(stimulus, samples.get(), n) ||
            !add_sample_count(total_input, span.counted, "TOTAL_INPUT"))
            return YuvFrame::write_failed;
        at += n * static_cast<size_t>(bytes);
    }
    return YuvFrame::taken;
}

// A frame cut short by the end of the file is not taken; planes already
// taken of a planar frame stay stored and written.
YuvFrame DeinterlacerModel::read_yuv_frame(FILE* input, FILE* stimulus, PixelPlane* planes) {
    if (yuv_form.y4m) return read_y4m_frame(input, stimulus, planes);
    const FrameLayout layout = this->layout();
    const int32_t w = frame_width;
    const int32_t h = frame_height;
    const size_t area = static_cast<size_t>(w) * static_cast<size_t>(h);
    // One read for a whole 4:2:2 frame, one per plane otherwise.
    const size_t frame_bytes = ycbcr422 ? 2 * area : area;
    unsigned char* const frame_start = byte_scratch.get(frame_bytes);
    if ((frame_bytes && !frame_start) || (ycbcr422 && num_plane < 3)) return YuvFrame::write_failed;
    auto short_read = [&] {
        return std::ferror(input) ? YuvFrame::read_failed : YuvFrame::end_of_input;
    };

    if (ycbcr422 && read_sequence(yuv_form, input, frame_start, frame_bytes) != frame_bytes)
        return short_read();
    const unsigned char* at = frame_start;
    for (int32_t p = 0; p < layout.yuv_planes(); ++p) {
        const PlaneSpan span = layout.yuv_plane(p);
        const size_t n = static_cast<size_t>(span.words);
        if (!ycbcr422) {
            at = frame_start;
            if (read_sequence(yuv_form, input, frame_start, n) != n) return short_read();
        }
        const bool paired = paired_plane(p);
        for (int32_t j = 0; j < h; ++j) {
            Sample* dst = planes[p].row(j);
            // With an odd w*h the last Cb index reaches the first Cr byte and
            // the last Cr index the frame's last byte; both stay inside the
            // 2*w*h bytes read.
            if (span.packed) {
                // Columns 2m and 2m + 1 share byte m of the row's packed run
                // (an odd width's last column has its own): a paired plane
                // holds the bytes as they are.
                const unsigned char* src = at + chroma_word(w, j, 0);
                if (paired) {
                    for (int32_t m = 0; m < paired_width(w); ++m) dst[m] = src[m];
                } else {
                    for (int32_t m = 0; m < w / 2; ++m) dst[2 * m] = dst[2 * m + 1] = src[m];
                    if (w % 2 != 0) dst[w - 1] = src[w / 2];
                }
            } else {
                const unsigned char* src = at + size_t(j) * size_t(w);
                for (int32_t k = 0; k < w; ++k) dst[k] = src[k];
            }
        }
        if (!write_samples_as_words(stimulus, at, n, &word_scratch) ||
            !add_sample_count(total_input, span.counted, "TOTAL_INPUT"))
            return YuvFrame::write_failed;
        at += n;
    }
    return YuvFrame::taken;
}

Status DeinterlacerModel::write_golden_yuv(FILE* golden_yuv) {
    const FrameLayout layout = this->layout();
    if (ycbcr422 && num_plane < 3) return Status::output_write_failed;
    const PixelPlane* golden = golden_frame();
    // Each plane a block of rows at a time (see row_blocks), the block
    // written while it is still in the cache: the samples as they are (not
    // clipped to the input's depth) as little-endian words for a Y4M clip of
    // more than 8 bits, otherwise the low byte of each.  4:2:2 chroma planes
    // at half width, from the even columns (with an odd width some positions
    // get no sample and stay 0).
    const bool words = layout.y4m && layout.yuv_sample_bytes == 2;
    for (int32_t p = 0; p < layout.yuv_planes(); ++p) {
        const PlaneSpan span = layout.yuv_plane(p);
        const RowBlocks blocks = row_blocks(span, kScratchBlockWords);
        const auto entries = static_cast<size_t>(blocks.entries);
        uint16_t* const word_block = words ? word_scratch.get(entries) : nullptr;
        unsigned char* const byte_block = words ? nullptr : byte_scratch.get(entries);
        if (entries && !word_block && !byte_block) return Status::output_write_failed;
        for (int32_t j = 0; j < span.height; j += blocks.rows) {
            const PlaneSpan part = row_block(span, j, blocks.rows);
            const Sample* origin = golden[p].row(j);
            const auto n = static_cast<size_t>(part.words);
            bool ok;
            if (words) {
                gather_span(origin, golden[p].stride, part, golden_columns(*this, p), word_block,
                            same);
                ok = write_samples_as_words(golden_yuv, word_block, n);
            } else {
                gather_span(origin, golden[p].stride, part, golden_columns(*this, p), byte_block,
                            low_byte);
                ok = write_raw_bytes(golden_yuv, byte_block, n);
            }
            if (!ok) return Status::output_write_failed;
        }
    }
    return Status::ok;
}

}  // namespace veldax
