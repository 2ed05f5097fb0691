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
// write_plane_span gathers them into its scratch first.
inline bool span_needs_gather(const PixelPlane& plane, const PlaneSpan& span) {
    return std::endian::native != std::endian::little || span.packed || span.halved ||
           plane.stride != span.width;
}

// Appends the span.words words of `span` (see gather_span) from `plane`.  On
// a little-endian host a plane without borders is its own file words and goes
// out in one write; any other span is gathered into `scratch` (span.words
// entries) first, so a plane is one write whatever its borders (a write a
// row costs a system call a row).  False when the stream did not take them
// all.
[[nodiscard]] inline bool write_plane_span(FILE* out, const PixelPlane& plane,
                                           const PlaneSpan& span, ChromaColumns columns,
                                           uint16_t* scratch) {
    if (!out) return true;
    if (!span_needs_gather(plane, span))
        return write_words_in_file_order(out, plane.row(0),
                                         static_cast<size_t>(span.width) * size_t(span.height));
    const size_t width = static_cast<size_t>(span.width);
    if (std::endian::native == std::endian::little && !span.packed && !span.halved) {
        // Rows of a plane with borders, each its own file words.
        for (int32_t j = 0; j < span.height; ++j)
            std::memcpy(scratch + size_t(j) * width, plane.row(j), sizeof(uint16_t) * width);
    } else {
        gather_span(plane.row(0), plane.stride, span, columns, scratch,
                    [](Sample s) { return file_word(s); });
    }
    return write_words_in_file_order(out, scratch, static_cast<size_t>(span.words));
}

}  // namespace veldax
