// Where every sample of a run lies in the data files.  A FrameLayout is a
// value computed from the record: the stored area of each frame index, the
// planes and words of a stimulus field and of a golden frame (with the 4:2:2
// chroma packing), and the golden frames each input field gives, so that a
// byte offset of "golden.dat" or "stimulus.dat" can be turned into a frame,
// plane, row and column.  The writers, the counters and the sequencer use it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/record.h"

namespace veldax {

// 4:2:2 chroma planes pack two columns into one word: sample (j, k) of a
// frame w samples wide goes to word floor(w*j/2) + floor(k/2), and a plane
// of w x h takes floor(w*h/2) words.  (The same indices address the bytes of
// a planar YUV frame's chroma planes.)
constexpr int64_t chroma_word(int64_t w, int64_t j, int64_t k) { return w * j / 2 + k / 2; }
constexpr int64_t chroma_words(int64_t w, int64_t h) { return w * h / 2; }

// Which columns of a chroma row are packed: all of them in order (a later
// column replacing an earlier one), or only the even ones 0, 2, ... that
// have a partner column (a golden frame keeps columns 0, 2, 4, ...), read
// from a row of every column (even) or from one that holds a sample a pair
// of columns, column 2m's at m (compact: a paired golden plane).  pairs:
// every column in order, from a row that holds a sample a pair (a paired
// field plane).
enum class ChromaColumns { all, even, compact, pairs };

// True when the row holds one sample a pair of columns.
constexpr bool one_a_pair(ChromaColumns c) {
    return c == ChromaColumns::compact || c == ChromaColumns::pairs;
}

// How the files read plane p of the golden frame: the even columns of its
// 4:2:2 chroma planes, held paired or among all the columns.
inline ChromaColumns golden_columns(const DeinterlacerModel& m, int32_t p) {
    return m.paired_plane(p) ? ChromaColumns::compact : ChromaColumns::even;
}

// Packs the w x h chroma plane whose row j is origin + j*stride into
// chroma_words(w, h) entries of out, each convert(sample); entries that no
// column reaches are 0.
template <class In, class Out, class Convert>
void pack_chroma(const In* origin, ptrdiff_t stride, int32_t w, int32_t h,
                 ChromaColumns columns, Out* out, Convert convert) {
    // Only an odd width leaves words that no column reaches.
    if (w % 2 != 0)
        for (int64_t i = 0, n = chroma_words(w, h); i < n; ++i) out[i] = Out{};
    const bool paired = one_a_pair(columns);
    const bool every = columns == ChromaColumns::all || columns == ChromaColumns::pairs;
    for (int32_t j = 0; j < h; ++j) {
        const In* row = origin + j * stride;
        Out* at = out + chroma_word(w, j, 0);
        if (paired)
            for (int32_t m = 0; m < w / 2; ++m) at[m] = convert(row[m]);
        else  // every column in order: the odd column of each pair replaces the even one
            gather_every_other(row, every ? 1 : 0, w / 2, at, convert);
        // Every column in order: an odd width's last column has no partner
        // (in the last row of an odd height its word would lie past the
        // plane's).
        if (every && w % 2 != 0 && chroma_word(w, j, w - 1) < chroma_words(w, h))
            at[w / 2] = convert(row[paired ? w / 2 : w - 1]);
    }
}

struct FrameSize {
    int32_t width = 0;
    int32_t height = 0;
};

// One plane of one frame in a data file.
struct PlaneSpan {
    int32_t width = 0;     // stored area of the plane, in samples
    int32_t height = 0;
    bool packed = false;   // 4:2:2 chroma: see chroma_word
    int64_t words = 0;     // words (samples in a YUV file) the plane takes
    int64_t counted = 0;   // samples the file's counter adds for it
    // 4:2:2 chroma of a Y4M frame: `width` is half the frame's width rounded
    // up, and sample k of a row stands for frame columns 2k and 2k + 1.
    bool halved = false;
};

// The span.words entries of a plane in file order, each convert(sample),
// from the plane whose row j is origin + j*stride: row after row of the
// stored area, or packed with the given chroma columns.
template <class In, class Out, class Convert>
void gather_span(const In* origin, ptrdiff_t stride, const PlaneSpan& span,
                 ChromaColumns columns, Out* out, Convert convert) {
    if (span.packed) {
        pack_chroma(origin, stride, span.width, span.height, columns, out, convert);
        return;
    }
    // Halved chroma keeps the even columns, whatever `columns` says; a
    // paired row holds them as they are.
    const int32_t step = span.halved && !one_a_pair(columns) ? 2 : 1;
    if (step == 2) {
        // The last sample alone: with an odd frame width it has no partner
        // column.
        for (int32_t j = 0; j < span.height; ++j, out += span.width) {
            const In* row = origin + j * stride;
            const int32_t pairs = span.width > 0 ? span.width - 1 : 0;
            gather_every_other(row, 0, pairs, out, convert);
            for (int32_t k = pairs; k < span.width; ++k) out[k] = convert(row[2 * k]);
        }
        return;
    }
    for (int32_t j = 0; j < span.height; ++j, out += span.width) {
        const In* row = origin + j * stride;
        for (int32_t k = 0; k < span.width; ++k) out[k] = convert(row[k]);
    }
}

// A span gathered and written a block of rows at a time, so that the block
// stays in the processor's cache between the two: `rows` rows a block, each
// block `entries` entries at most.  The rows of 4:2:2 chroma of an odd width
// share words: such a span is one block.
struct RowBlocks {
    int32_t rows = 0;
    int64_t entries = 0;
};
RowBlocks row_blocks(const PlaneSpan& span, int64_t most_entries);
// Rows [j, j + rows) of a span that row_blocks splits, as a span of its own
// (rows past the last are left out).
PlaneSpan row_block(const PlaneSpan& span, int32_t j, int32_t rows);

// Row and column of the frame that word `word` of a plane span holds.  A
// packed chroma word c of row j is column 2c (its even column); a word that
// no column reaches (odd widths) is reported at the row's last column; a
// halved chroma sample k is column 2k.
struct SamplePosition {
    int32_t row = 0;
    int32_t col = 0;
};
SamplePosition span_position(const PlaneSpan& span, int64_t word);

// A word of a frame or field record: its plane and the word within it.
struct PlaneWord {
    int32_t plane = 0;
    int64_t word = 0;
};

// One stimulus field record of a run.
struct StimulusField {
    int32_t field = 0;         // input field, from 0
    int32_t size_index = 0;    // frame index of its size
    int64_t byte_offset = 0;   // where it starts in "stimulus.dat"
    int64_t words = 0;         // entries (words, or text lines) it holds
    int64_t bytes = 0;         // bytes it takes
};

// One golden frame of a run.
struct GoldenFrame {
    int64_t index = 0;        // frame number in "golden.dat", from 0
    int32_t field = 0;        // input field it was built from
    int32_t model_frame = 0;  // frame number the interpolation is given
    int32_t size_index = 0;   // frame index of its size
    int32_t parity = 0;       // parity asked for
    int32_t kept_parity = 0;  // parity of the rows passed unchanged
    int64_t byte_offset = 0;  // where it starts in "golden.dat"
    int64_t words = 0;        // 16-bit words it takes
};

// Bytes of the line ("FRAME" and its line end) ahead of every frame of a
// Y4M stream that gives no frame parameters.
constexpr int64_t kY4mFrameLineBytes = 6;

// Golden frames one input field gives: at most three (the first field of a
// converting synthetic run).
constexpr int32_t kMaxFramesPerField = 3;

struct FrameLayout {
    StimulusSource source = StimulusSource::none;
    int32_t num_plane = 1;
    int32_t frame_width = 0;
    int32_t frame_height = 0;
    bool ycbcr422 = false;
    bool parallel = false;
    bool fconvert = false;
    int32_t initfield = 0;
    int32_t convert_parity = 1;  // parity of the extra frames of fconvert
    int32_t method = 0;
    int32_t text_digits = 0;     // hex digits of a text stimulus line
    // The form of a YUV input: a Y4M stream (its header's bytes) or
    // headerless bytes, and the bytes of a sample in the file.
    bool y4m = false;
    int64_t y4m_header_bytes = 0;
    int32_t yuv_sample_bytes = 1;
    // Entries 0..2 of the per-frame size tables (each size minus one); every
    // later frame index uses entry 2.
    int32_t frmw[kFrameTableSize] = {};
    int32_t frmh[kFrameTableSize] = {};

    static FrameLayout of(const DeinterlacerModel& m);

    // Stored area of frame index i, bounded to the configured frame.
    FrameSize frame_size(int32_t i) const;

    // Golden frames: planes written, each plane, and whole-frame totals for
    // a frame of size index i.
    int32_t golden_planes() const;
    PlaneSpan golden_plane(int32_t plane, int32_t i) const;
    // Plane and word within it of word `word` of a golden frame of size
    // index i (word below golden_words(i)).
    PlaneWord golden_plane_word(int32_t i, int64_t word) const;
    int64_t golden_words(int32_t i) const;
    int64_t golden_counted(int32_t i) const;

    // Stimulus fields: each plane of input field n as "stimulus.dat" holds
    // it (synthetic fields take the size of their own frame index, the
    // others the whole frame), and the bytes one entry takes (2 for a word,
    // digits and a line end for a text line).
    PlaneSpan stimulus_plane(int32_t plane, int32_t n) const;
    int32_t stimulus_planes() const;
    int64_t stimulus_words(int32_t n) const;
    int64_t stimulus_entry_bytes() const;

    // Plane p of a planar YUV frame (input or "golden.yuv"), in samples of
    // yuv_sample_bytes: the whole frame; a 4:2:2 frame has three planes, its
    // chroma packed in a headerless file and halved in a Y4M one (the two
    // agree for even widths).
    PlaneSpan yuv_plane(int32_t plane) const;
    int32_t yuv_planes() const;

    // Bytes of one frame of a planar YUV input (without a Y4M frame's
    // line), and the fields a YUV input of file_bytes gives with the field
    // limit max_frames (for Y4M, frames whose lines are "FRAME" alone).
    int64_t yuv_frame_bytes() const;
    int32_t yuv_fields(int64_t file_bytes, int32_t max_frames) const;
    // Words a planar YUV input cut short inside a frame leaves in
    // "stimulus.dat" after its last whole field: the whole planes read
    // before the cut (a 4:2:2 or Y4M frame is read at once and leaves none).
    int64_t yuv_stray_words(int64_t file_bytes, int32_t max_frames) const;

    // Input fields of a run: the synthetic count, the fields a YUV input of
    // yuv_bytes gives, or the one picture.
    int32_t run_fields(int32_t input_frames, int32_t max_frames, int64_t yuv_bytes) const;

    // TOTAL_INPUT and TOTAL_OUTPUT of a synthetic run of `fields` fields and
    // its golden frames, known before the first field; each held at
    // INT64_MAX.
    struct Totals {
        int64_t input = 0;
        int64_t output = 0;
        int64_t frames = 0;
    };
    Totals synthetic_totals(int32_t fields) const;

    // The golden frames of input field n, in the order they are written,
    // without index and offset; returns how many (1..kMaxFramesPerField).
    int32_t frames_of_field(int32_t n, GoldenFrame* out) const;

    // Calls visit(field) for every stimulus field record of a run of
    // `fields` input fields, in file order.
    template <class Visit>
    void for_each_stimulus_field(int32_t fields, Visit visit) const {
        int64_t offset = 0;
        for (int32_t n = 0; n < fields; ++n) {
            StimulusField f;
            f.field = n;
            f.size_index = reads_input_file(source) ? 0 : n;
            f.byte_offset = offset;
            f.words = stimulus_words(n);
            f.bytes = f.words * stimulus_entry_bytes();
            offset += f.bytes;
            visit(f);
        }
    }

    // Calls visit(frame) for every golden frame of a run of `fields` input
    // fields, in file order, with its index and byte offset.
    template <class Visit>
    void for_each_golden_frame(int32_t fields, Visit visit) const {
        GoldenFrame frames[kMaxFramesPerField];
        int64_t index = 0;
        int64_t offset = 0;
        for (int32_t n = 0; n < fields; ++n) {
            const int32_t count = frames_of_field(n, frames);
            for (int32_t k = 0; k < count; ++k) {
                frames[k].index = index++;
                frames[k].byte_offset = offset;
                offset += 2 * frames[k].words;
                visit(frames[k]);
            }
        }
    }
};

}  // namespace veldax
