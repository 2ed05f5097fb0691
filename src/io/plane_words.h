// A plane span of a field or frame plane appended to a data file as 16-bit
// little-endian words.
#pragma once

#include <bit>
#include <cstdio>
#include <cstring>

#include "core/pixel_plane.h"
#include "io/word_stream.h"
#include "store/frame_layout.h"

namespace veldax {

// True when the words of `span` are not the plane's memory as it stands and
// write_plane_span gathers them into its scratch first.  A paired chroma
// plane of an even width without borders is its packed words as it stands.
inline bool span_needs_gather(const PixelPlane& plane, const PlaneSpan& span,
                              ChromaColumns columns) {
    if (std::endian::native != std::endian::little || span.halved) return true;
    if (span.packed)
        return !one_a_pair(columns) || span.width % 2 != 0 || plane.stride != span.width / 2;
    return plane.stride != span.width;
}

// Appends the span.words words of `span` (see gather_span) from `plane`.  On
// a little-endian host a plane without borders is its own file words and goes
// out in one write; any other span is gathered into the kept `words` a block
// of rows at a time, each block one write: a few writes a plane whatever its
// borders (a write a row costs a system call a row), and the block is still
// in the cache when it is written.  False when the stream did not take them
// all or the block could not be had.
[[nodiscard]] inline bool write_plane_span(FILE* out, const PixelPlane& plane,
                                           const PlaneSpan& span, ChromaColumns columns,
                                           KeptBuffer<uint16_t>& words) {
    if (!out) return true;
    if (!span_needs_gather(plane, span, columns))
        return write_words_in_file_order(out, plane.row(0), static_cast<size_t>(span.words));
    const size_t width = static_cast<size_t>(span.width);
    const RowBlocks blocks = row_blocks(span, kScratchBlockWords);
    uint16_t* const scratch = words.get(static_cast<size_t>(blocks.entries));
    if (blocks.entries && !scratch) return false;
    for (int32_t j0 = 0; j0 < span.height; j0 += blocks.rows) {
        const PlaneSpan part = row_block(span, j0, blocks.rows);
        if (std::endian::native == std::endian::little && !span.packed && !span.halved) {
            // Rows of a plane with borders, each its own file words.
            for (int32_t j = 0; j < part.height; ++j)
                std::memcpy(scratch + size_t(j) * width, plane.row(j0 + j),
                            sizeof(uint16_t) * width);
        } else {
            gather_span(plane.row(j0), plane.stride, part, columns, scratch,
                        [](Sample s) { return file_word(s); });
        }
        if (!write_words_in_file_order(out, scratch, static_cast<size_t>(part.words))) return false;
    }
    return true;
}

}  // namespace veldax
