#include "store/frame_layout.h"

#include <algorithm>

#include "core/record.h"
#include "model/methods.h"

namespace veldax {

FrameLayout FrameLayout::of(const DeinterlacerModel& m) {
    FrameLayout l;
    l.source = m.run.source;
    l.num_plane = m.num_plane;
    l.frame_width = m.frame_width;
    l.frame_height = m.frame_height;
    l.ycbcr422 = m.ycbcr422 != 0;
    l.parallel = m.parallel != 0;
    l.fconvert = m.fconvert != 0;
    l.initfield = m.initfield;
    // The extra frames of fconvert keep the other parity, or the same one
    // when copyframe asks for identical pairs.
    l.convert_parity = m.copyframe ? m.initfield : 1 - m.initfield;
    l.method = m.dmethod;
    l.text_digits = m.dwidth > 0 ? (m.dwidth + 3) / 4 : 0;
    l.y4m = m.yuv_form.y4m;
    l.y4m_header_bytes = m.yuv_form.header_bytes;
    l.yuv_sample_bytes = m.yuv_form.depth > 8 ? 2 : 1;
    for (int32_t i = 0; i < 3; ++i) {
        l.frmw[i] = m.frmw[i];
        l.frmh[i] = m.frmh[i];
    }
    return l;
}

FrameLayout DeinterlacerModel::layout() const { return FrameLayout::of(*this); }

FrameSize FrameLayout::frame_size(int32_t i) const {
    // Larger sizes are refused when the parameters are read; the bound keeps
    // every reader of the buffers inside them all the same.
    const int32_t slot = frame_slot(i);
    auto bounded = [](int32_t minus_one, int32_t full) {
        const int64_t v = int64_t{minus_one} + 1;
        return static_cast<int32_t>(v < 0 ? 0 : (v > full ? full : v));
    };
    return {bounded(frmw[slot], frame_width), bounded(frmh[slot], frame_height)};
}

int32_t FrameLayout::golden_planes() const {
    // 4:2:2 frames carry luma and two chroma planes.
    return ycbcr422 ? (num_plane < 3 ? num_plane : 3) : num_plane;
}

namespace {

// The one span builder: a plane of s, whole or packed 4:2:2 chroma, whose
// words the file's counter adds; a plane outside the file takes none.
PlaneSpan make_span(FrameSize s, bool exists, bool packed) {
    PlaneSpan span{s.width, s.height, packed, 0, 0};
    if (!exists) return PlaneSpan{s.width, s.height, false, 0, 0};
    span.words = packed ? chroma_words(s.width, s.height) : int64_t{s.width} * s.height;
    span.counted = span.words;
    return span;
}

}  // namespace

PlaneSpan FrameLayout::golden_plane(int32_t plane, int32_t i) const {
    const FrameSize s = frame_size(i);
    PlaneSpan span = make_span(s, plane >= 0 && plane < golden_planes(), ycbcr422 && plane > 0);
    // The golden counter takes the chroma samples of the even columns, and
    // with parallel set only one sample per pixel (plane 0's).
    if (span.packed) span.counted = int64_t{s.height} * (s.width / 2);
    if (parallel && plane != 0) span.counted = 0;
    return span;
}

namespace {

// Entries a row of the span takes, or 0 when its rows share entries.
int64_t entries_per_row(const PlaneSpan& span) {
    if (!span.packed) return span.width;
    return span.width % 2 == 0 ? span.width / 2 : 0;
}

}  // namespace

RowBlocks row_blocks(const PlaneSpan& span, int64_t most_entries) {
    const int64_t per_row = entries_per_row(span);
    if (per_row <= 0 || span.height <= 0) return {span.height, span.words};
    const int64_t rows = std::clamp<int64_t>(most_entries / per_row, 1, span.height);
    return {static_cast<int32_t>(rows), rows * per_row};
}

PlaneSpan row_block(const PlaneSpan& span, int32_t j, int32_t rows) {
    PlaneSpan part = span;
    part.height = std::min(rows, span.height - j);
    part.words = entries_per_row(span) * part.height;
    if (part.height == span.height) part.words = span.words;
    return part;
}

SamplePosition span_position(const PlaneSpan& span, int64_t word) {
    if (span.width <= 0 || span.height <= 0 || word < 0) return {};
    int64_t row = 0;
    int64_t col = 0;
    if (span.packed) {
        // Row j starts at word floor(w*j/2): the last row starting at or
        // before `word`.
        row = (2 * word + 1) / span.width;
        if (row > span.height - 1) row = span.height - 1;
        col = 2 * (word - chroma_word(span.width, row, 0));
    } else {
        row = word / span.width;
        col = word % span.width;
    }
    if (col > span.width - 1) col = span.width - 1;
    // Halved chroma: sample k of a row is frame column 2k.
    if (span.halved) col *= 2;
    return {static_cast<int32_t>(row), static_cast<int32_t>(col)};
}

PlaneWord FrameLayout::golden_plane_word(int32_t i, int64_t word) const {
    const int32_t planes = golden_planes();
    for (int32_t p = 0; p < planes; ++p) {
        const int64_t n = golden_plane(p, i).words;
        if (word < n || p == planes - 1) return {p, word};
        word -= n;
    }
    return {0, word};
}

int64_t FrameLayout::golden_words(int32_t i) const {
    int64_t n = 0;
    for (int32_t p = 0; p < golden_planes(); ++p) n += golden_plane(p, i).words;
    return n;
}

int64_t FrameLayout::golden_counted(int32_t i) const {
    int64_t n = 0;
    for (int32_t p = 0; p < golden_planes(); ++p) n += golden_plane(p, i).counted;
    return n;
}

PlaneSpan FrameLayout::stimulus_plane(int32_t plane, int32_t n) const {
    if (source == StimulusSource::yuv) return yuv_plane(plane);
    const bool synthetic = !reads_input_file(source);
    const FrameSize s = synthetic ? frame_size(n) : FrameSize{frame_width, frame_height};
    // Synthetic 4:2:2 fields pack every plane after the first.
    return make_span(s, plane >= 0 && plane < num_plane, synthetic && ycbcr422 && plane > 0);
}

int32_t FrameLayout::yuv_planes() const { return ycbcr422 ? 3 : num_plane; }

PlaneSpan FrameLayout::yuv_plane(int32_t plane) const {
    const bool exists = plane >= 0 && plane < yuv_planes();
    const bool chroma = ycbcr422 && plane > 0;
    if (!(exists && y4m && chroma))
        return make_span(FrameSize{frame_width, frame_height}, exists, chroma);
    PlaneSpan span = make_span(FrameSize{frame_width / 2 + frame_width % 2, frame_height}, true, false);
    span.halved = true;
    return span;
}

int32_t FrameLayout::stimulus_planes() const {
    return source == StimulusSource::yuv ? yuv_planes() : num_plane;
}

int64_t FrameLayout::stimulus_words(int32_t n) const {
    int64_t words = 0;
    for (int32_t p = 0; p < stimulus_planes(); ++p) words += stimulus_plane(p, n).words;
    return words;
}

int64_t FrameLayout::stimulus_entry_bytes() const {
    return source == StimulusSource::text ? int64_t{text_digits} + 1 : 2;
}

int64_t FrameLayout::yuv_frame_bytes() const {
    if (y4m) {
        int64_t samples = 0;
        for (int32_t p = 0; p < yuv_planes(); ++p) samples += yuv_plane(p).words;
        return samples * yuv_sample_bytes;
    }
    // A 4:2:2 frame is read as 2*w*h bytes, also when w*h is odd and its
    // planes hold one byte fewer.
    const int64_t area = int64_t{frame_width} * frame_height;
    return ycbcr422 ? 2 * area : int64_t{num_plane} * area;
}

int32_t FrameLayout::yuv_fields(int64_t file_bytes, int32_t max_frames) const {
    const int64_t frame = yuv_frame_bytes() + (y4m ? kY4mFrameLineBytes : 0);
    if (y4m) file_bytes -= y4m_header_bytes;
    const int64_t whole = frame > 0 && file_bytes > 0 ? file_bytes / frame : 0;
    // A sequence is read at least once, whatever the limit says.
    const int64_t limit = max_frames > 1 ? max_frames : 1;
    return static_cast<int32_t>(whole < limit ? whole : limit);
}

int64_t FrameLayout::yuv_stray_words(int64_t file_bytes, int32_t max_frames) const {
    const int64_t frame = yuv_frame_bytes();
    const int64_t plane = int64_t{frame_width} * frame_height;
    if (ycbcr422 || y4m || frame <= 0 || plane <= 0 || file_bytes <= 0) return 0;
    const int32_t fields = yuv_fields(file_bytes, max_frames);
    const int64_t limit = max_frames > 1 ? max_frames : 1;
    // The read after the last whole field only happens below the limit.
    if (fields >= limit) return 0;
    const int64_t rest = file_bytes - int64_t{fields} * frame;
    return rest / plane * plane;
}

int32_t FrameLayout::run_fields(int32_t input_frames, int32_t max_frames, int64_t yuv_bytes) const {
    switch (source) {
    case StimulusSource::none:
    case StimulusSource::ramp:
    case StimulusSource::random: return input_frames;
    case StimulusSource::yuv: return yuv_fields(yuv_bytes, max_frames);
    case StimulusSource::text:
    case StimulusSource::bmp: break;
    }
    return 1;
}

FrameLayout::Totals FrameLayout::synthetic_totals(int32_t fields) const {
    // Fields 0 and 1 have sizes of their own; field 2 and every later one
    // those of entry 2 (and only field 0 an extra converted frame).
    auto add = [](int64_t sum, int64_t times, int64_t each) {
        if (times > 0 && each > 0 && times > (INT64_MAX - sum) / each) return INT64_MAX;
        return sum + times * each;
    };
    Totals t;
    GoldenFrame frames[kMaxFramesPerField];
    for (int32_t n = 0; n < kFrameTableSize && n < fields; ++n) {
        const int64_t times = n < kFrameTableSize - 1 ? 1 : int64_t{fields} - n;
        int64_t input = 0;
        for (int32_t p = 0; p < stimulus_planes(); ++p) input += stimulus_plane(p, n).counted;
        const int32_t count = frames_of_field(n, frames);
        int64_t output = 0;
        for (int32_t k = 0; k < count; ++k) output += golden_counted(frames[k].size_index);
        t.input = add(t.input, times, input);
        t.output = add(t.output, times, output);
        t.frames = add(t.frames, times, count);
    }
    return t;
}

int32_t FrameLayout::frames_of_field(int32_t n, GoldenFrame* out) const {
    const int32_t kept_asked = kept_parity(method_row(method), initfield);
    const int32_t kept_converted = kept_parity(method_row(method), convert_parity);
    int32_t count = 0;
    auto add = [&](int32_t model_frame, int32_t size_index, int32_t parity, int32_t kept) {
        GoldenFrame& f = out[count++];
        f = GoldenFrame{};
        f.field = n;
        f.model_frame = model_frame;
        f.size_index = size_index;
        f.parity = parity;
        f.kept_parity = kept;
        f.words = golden_words(size_index);
    };
    switch (source) {
    case StimulusSource::none:
    case StimulusSource::ramp:
    case StimulusSource::random:
        add(n, n, initfield, kept_asked);
        if (fconvert) {
            // The first field gives an extra converted frame ahead of its pair.
            if (n == 0) add(0, 0, convert_parity, kept_converted);
            add(n, n, convert_parity, kept_converted);
        }
        break;
    case StimulusSource::yuv:
        // Every field takes the sizes of frame 0; the field number goes to
        // the model.
        add(n, 0, initfield, kept_asked);
        if (fconvert) add(n, 0, convert_parity, kept_converted);
        break;
    case StimulusSource::text:
    case StimulusSource::bmp:
        // One picture, one frame, whatever fconvert says.
        add(0, 0, initfield, kept_asked);
        break;
    }
    return count;
}

}  // namespace veldax
