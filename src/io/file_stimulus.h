// Small pure helpers of the file stimulus readers (hex text, BMP, YUV).
// They do no I/O, so tests call them directly.
#pragma once

#include <cstddef>
#include <cstdint>

namespace veldax {

// Longest piece of a text stimulus line handled as one line (without the
// line feed that may end it).
constexpr size_t kTextPieceLength = 99;

// Hex digits per sample for a sample width in bits: one digit per 4 bits,
// rounded up.
inline int32_t hex_digit_count(int32_t width) { return width > 0 ? (width + 3) / 4 : 0; }

// Splits v into hex_digit_count(width) digits, digit 0 the least significant.
// The most significant digit keeps only the bits that remain of the width.
void split_hex_digits(int32_t v, int32_t* digits, int32_t width);

// Comment ("/" and after) and line end dropped, blanks (0x20) removed; the
// cleaned text goes to out (room for len characters) and its length is
// returned.
size_t clean_text_line(const char* piece, size_t len, char* out);

enum class TextLineKind {
    value,          // a sample value
    bad_character,  // a character that is not a hexadecimal digit
    no_number,      // hex digits only, but no leading decimal number
};

// Value of a cleaned, non-empty line: the leading decimal number, with an
// optional E/e power of ten, rounded down and saturated to 0..max_value
// (however large the number or its exponent).
TextLineKind text_line_value(const char* text, size_t len, int32_t max_value, int32_t* value);

}  // namespace veldax
