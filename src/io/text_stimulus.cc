// Hex text stimulus: one sample value per line, written back to
// "stimulus.dat" as upper-case hexadecimal text lines.
#include <cstdio>
#include <string>

#include "core/numbers.h"
#include "core/record.h"
#include "core/report.h"
#include "io/file_stimulus.h"
#include "io/sample_count.h"
#include "io/word_stream.h"

namespace veldax {

void split_hex_digits(int32_t v, int32_t* digits, int32_t width) {
    const int32_t n = hex_digit_count(width);
    const uint32_t u = static_cast<uint32_t>(v);
    for (int32_t d = 0; d < n; ++d) digits[d] = d < 8 ? static_cast<int32_t>((u >> (4 * d)) & 0xF) : 0;
    if (n > 0) {
        static const int32_t kTopMask[4] = {15, 1, 3, 7};
        digits[n - 1] &= kTopMask[width % 4];
    }
}

size_t clean_text_line(const char* piece, size_t len, char* out) {
    size_t n = 0;
    for (size_t i = 0; i < len; ++i) {
        const char ch = piece[i];
        if (ch == '/' || ch == '\n') break;
        if (ch != ' ') out[n++] = ch;
    }
    return n;
}

namespace {

bool is_hex_digit(char ch) { return hex_digit_value(ch) >= 0; }

bool is_decimal_digit(char ch) { return ch >= '0' && ch <= '9'; }

// Above every sample limit (samples have at most 31 bits), so a value held
// here stays above max_value.
constexpr int64_t kSaturated = int64_t{1} << 40;

}  // namespace

TextLineKind text_line_value(const char* text, size_t len, int32_t max_value, int32_t* value) {
    for (size_t i = 0; i < len; ++i)
        if (!is_hex_digit(text[i])) return TextLineKind::bad_character;
    if (len == 0 || !is_decimal_digit(text[0])) return TextLineKind::no_number;

    size_t i = 0;
    int64_t mantissa = 0;
    for (; i < len && is_decimal_digit(text[i]); ++i) {
        mantissa = mantissa * 10 + (text[i] - '0');
        if (mantissa > kSaturated) mantissa = kSaturated;
    }
    // A power of ten only when at least one digit follows the E.
    if (i + 1 < len && (text[i] == 'E' || text[i] == 'e') && is_decimal_digit(text[i + 1])) {
        int64_t exponent = 0;
        for (++i; i < len && is_decimal_digit(text[i]); ++i) {
            exponent = exponent * 10 + (text[i] - '0');
            if (exponent > 100) exponent = 100;
        }
        for (int64_t e = 0; e < exponent && mantissa != 0 && mantissa < kSaturated; ++e) {
            mantissa *= 10;
            if (mantissa > kSaturated) mantissa = kSaturated;
        }
    }
    const int64_t hi = max_value > 0 ? max_value : 0;
    *value = static_cast<int32_t>(mantissa > hi ? hi : mantissa);
    return TextLineKind::value;
}

namespace {

// Reads one piece: up to kTextPieceLength characters, ending after the first
// line feed.  A carriage return directly before a line feed is dropped first.
size_t read_piece(FILE* in, char* piece) {
    size_t n = 0;
    while (n < kTextPieceLength) {
        int ch = std::getc(in);
        if (ch == EOF) break;
        if (ch == '\r') {
            const int next = std::getc(in);
            if (next == '\n') {
                ch = '\n';
            } else if (next != EOF) {
                std::ungetc(next, in);
            }
        }
        piece[n++] = static_cast<char>(ch);
        if (ch == '\n') break;
    }
    return n;
}

}  // namespace

Status DeinterlacerModel::read_text_stimulus(FILE* in, FILE* stimulus, PixelPlane* planes) {
    const std::string shown = printable(run.path);
    const char* path = shown.c_str();
    const int64_t area = int64_t{frame_width} * frame_height;
    const int64_t total = int64_t{num_plane} * area;
    // Samples are at most 32 bits wide, so a line has at most 8 digits.
    const int32_t width = dwidth;
    if (area <= 0 || width < 1 || width > 32) return Status::stimulus_read_failed;

    char piece[kTextPieceLength];
    char text[kTextPieceLength];
    int32_t digits[8];
    char line[9];
    const int32_t n = hex_digit_count(width);
    int64_t line_number = 1;  // line of the file where the next piece starts
    Status result = Status::ok;

    for (int64_t m = 0; m < total;) {
        const int64_t piece_line = line_number;
        const size_t len = read_piece(in, piece);
        if (len == 0) {
            if (std::ferror(in)) {
                report_error("%s line %lld: read error", path, static_cast<long long>(piece_line));
                result = Status::stimulus_read_failed;
            }
            break;
        }
        if (piece[len - 1] == '\n') ++line_number;

        const size_t tlen = clean_text_line(piece, len, text);
        if (tlen == 0) continue;

        int32_t value = 0;
        const TextLineKind kind = text_line_value(text, tlen, max_value, &value);
        if (kind != TextLineKind::value) {
            report_error(kind == TextLineKind::bad_character
                            ? "%s line %lld: \"%s\" is not a hexadecimal number"
                            : "%s line %lld: \"%s\" does not begin with a decimal number",
                        path, static_cast<long long>(piece_line), printable(text, tlen).c_str());
            result = Status::stimulus_read_failed;
            break;
        }
        if (value < min_value) value = min_value;

        split_hex_digits(value, digits, width);
        for (int32_t d = 0; d < n; ++d) line[d] = "0123456789ABCDEF"[digits[n - 1 - d]];
        line[n] = '\n';
        if (!write_raw_bytes(stimulus, line, static_cast<size_t>(n) + 1) ||
            !add_sample_count(total_input, 1, "TOTAL_INPUT")) {
            result = Status::output_write_failed;
            break;
        }

        const int64_t p = m / area;
        const int64_t rest = m % area;
        const int64_t j = rest / frame_width;
        const int64_t k = rest % frame_width;
        // 0..max_value: a 16-bit sample.
        planes[p].row(static_cast<int32_t>(j))[k] = static_cast<Sample>(value);
        ++m;
    }
    if (result != Status::ok || total_input >= total) return result;
    // The run starts counting here, so the count is the samples read.  The
    // samples not given stay 0 in the field, and "stimulus.dat" gets them as
    // 0 lines too: its field is always whole, as a bench reads it.
    warn("%s: %d sample lines are fewer than the frame's %lld; the rest is 0", path, total_input,
         static_cast<long long>(total));
    const size_t line_bytes = static_cast<size_t>(n) + 1;
    char zeros[4096 * 9];
    for (size_t i = 0; i < sizeof(zeros); ++i) zeros[i] = (i + 1) % line_bytes == 0 ? '\n' : '0';
    const int64_t per_block = static_cast<int64_t>(sizeof(zeros) / line_bytes);
    for (int64_t left = total - total_input; left > 0;) {
        const int64_t lines = left < per_block ? left : per_block;
        if (!write_raw_bytes(stimulus, zeros, static_cast<size_t>(lines) * line_bytes) ||
            !add_sample_count(total_input, lines, "TOTAL_INPUT"))
            return Status::output_write_failed;
        left -= lines;
    }
    return Status::ok;
}

}  // namespace veldax
