// Dumps as streams of 16-bit words (see dump_reader.h).
#include "dump_reader.h"

#include <sys/stat.h>

#include <cinttypes>
#include <cstring>

#include "core/numbers.h"
#include "core/report.h"

namespace veldax::inspect {

namespace {

constexpr size_t kBlock = 1 << 18;
constexpr size_t kLongestLine = 1 << 16;

// One value of a text dump: hexadecimal digits and '_', an optional 0x; x,
// z and ? digits are unknown.  False for other characters or values past 16
// bits.
bool parse_value(const char* t, size_t n, int32_t* out) {
    size_t i = (n > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) ? 2 : 0;
    uint64_t v = 0, mask = 0;
    bool digits = false;
    for (; i < n; ++i) {
        const char c = t[i];
        if (c == '_') continue;
        const bool unknown = c == 'x' || c == 'X' || c == 'z' || c == 'Z' || c == '?';
        const int d = unknown ? 0 : hex_digit_value(c);
        if (d < 0) return false;
        digits = true;
        v = v * 16 + static_cast<uint64_t>(d);
        mask = mask << 1 | (unknown ? 1 : 0);
        if (v > 0xFFFF || mask > 0xF) return false;
    }
    if (!digits) return false;
    *out = static_cast<int32_t>(v) | (mask ? kUnknown | static_cast<int32_t>(mask) << 16 : 0);
    return true;
}

bool parse_address(const char* t, size_t n, int64_t* out) {
    uint64_t v = 0;
    if (n == 0) return false;
    for (size_t i = 0; i < n; ++i) {
        if (t[i] == '_') continue;
        const int d = hex_digit_value(t[i]);
        if (d < 0 || v > (UINT64_MAX >> 8)) return false;
        v = v * 16 + static_cast<uint64_t>(d);
    }
    *out = v > INT64_MAX / 4 ? INT64_MAX / 4 : static_cast<int64_t>(v);
    return true;
}

bool blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// The tokens of one line, comments cut; calls take(token, length) for each
// and stops when it returns false.
template <class Take>
bool each_token(const char* s, size_t n, Take take) {
    size_t i = 0;
    while (i < n) {
        while (i < n && blank(s[i])) ++i;
        if (i + 1 < n && s[i] == '/' && s[i + 1] == '/') return true;
        size_t j = i;
        while (j < n && !blank(s[j]) && !(j + 1 < n && s[j] == '/' && s[j + 1] == '/')) ++j;
        if (j > i && !take(s + i, j - i)) return false;
        i = j;
    }
    return true;
}

bool line_parses(const char* s, size_t n) {
    return each_token(s, n, [](const char* t, size_t len) {
        int32_t v = 0;
        int64_t a = 0;
        return t[0] == '@' ? parse_address(t + 1, len - 1, &a) : parse_value(t, len, &v);
    });
}

}  // namespace

std::string word_text(int32_t w) {
    char buf[16];
    if (!is_unknown(w)) {
        std::snprintf(buf, sizeof buf, "0x%04x", static_cast<unsigned>(w & 0xFFFF));
        return buf;
    }
    const char* digits = "0123456789abcdef";
    for (int k = 0; k < 4; ++k) {
        const int shift = 4 * (3 - k);
        buf[k] = (w >> (16 + 3 - k)) & 1 ? 'x' : digits[(w >> shift) & 0xF];
    }
    buf[4] = '\0';
    return buf;
}

bool parse_format(const std::string& name, WordFormat* format) {
    if (name.empty())
        *format = WordFormat::detect;
    else if (name == "words")
        *format = WordFormat::binary;
    else if (name == "hex")
        *format = WordFormat::text;
    else
        return false;
    return true;
}

bool guess_text(const uint8_t* peek, size_t size, int64_t file_bytes, int64_t run_words) {
    if (size == 0) return false;
    // At the run's binary length a text dump of the run holds one digit a line.
    const bool binary_length = file_bytes == 2 * run_words;
    size_t lines = 0, start = 0;
    for (size_t i = 0; i < size; ++i) {
        const uint8_t c = peek[i];
        if (c != '\n' && !blank(static_cast<char>(c)) && (c < 0x20 || c > 0x7e)) return false;
        if (c != '\n') continue;
        if (!line_parses(reinterpret_cast<const char*>(peek) + start, i - start)) return false;
        if (binary_length && i - start != 1) return false;
        ++lines;
        start = i + 1;
    }
    if (lines == 0) return false;
    const bool whole = file_bytes == static_cast<int64_t>(size);
    if (whole && start < size &&
        (binary_length ||
         !line_parses(reinterpret_cast<const char*>(peek) + start, size - start)))
        return false;
    return true;
}

bool parse_text_words(const uint8_t* data, size_t size, std::vector<int32_t>* out,
                      std::string* error, int64_t* line, int64_t max_words) {
    out->clear();
    int64_t at = 0;
    *line = 0;
    size_t pos = 0;
    while (pos < size) {
        ++*line;
        size_t end = pos;
        while (end < size && data[end] != '\n') ++end;
        const bool ok = each_token(
            reinterpret_cast<const char*>(data) + pos, end - pos, [&](const char* t, size_t n) {
                int32_t v = 0;
                if (t[0] == '@') {
                    if (!parse_address(t + 1, n - 1, &at)) *error = "bad address " + std::string(t, n);
                    return error->empty();
                }
                if (!parse_value(t, n, &v)) {
                    *error = "not a 16-bit hexadecimal value: " + std::string(t, n);
                    return false;
                }
                if (at >= max_words) {
                    *error = "word " + std::to_string(at) + " lies past the last word";
                    return false;
                }
                if (at >= static_cast<int64_t>(out->size()))
                    out->resize(static_cast<size_t>(at) + 1, kAllUnknown);
                (*out)[static_cast<size_t>(at++)] = v;
                return true;
            });
        if (!ok) {
            *error = printable(*error);
            return false;
        }
        pos = end + 1;
    }
    return true;
}

DumpReader::~DumpReader() {
    if (file) std::fclose(file);
}

namespace {

// Fills the block after what is left of it; false at the end of the file.
bool refill(DumpReader* r) {
    if (r->eof) return false;
    if (r->at > 0) {
        std::memmove(r->block.data(), r->block.data() + r->at, r->end - r->at);
        r->end -= r->at;
        r->at = 0;
    }
    const size_t got = std::fread(r->block.data() + r->end, 1, r->block.size() - r->end, r->file);
    r->end += got;
    if (got == 0) {
        r->eof = true;
        if (std::ferror(r->file)) {
            report_error("%s: read error", printable(r->path).c_str());
            r->failed = true;
        }
        return false;
    }
    return true;
}

void say_format(const DumpReader& r) {
    std::fprintf(stderr, "veldax-inspect: %s: read as %s\n", printable(r.path).c_str(),
                 r.text ? "a text dump (hexadecimal values)" : "16-bit little-endian words");
}

}  // namespace

bool open_dump(const std::string& path, WordFormat format, int64_t limit, bool quiet,
               DumpReader* r) {
    r->path = path;
    r->limit = limit;
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode) ||
        !(r->file = std::fopen(path.c_str(), "rb"))) {
        report_error("%s: cannot read the file", printable(path).c_str());
        return false;
    }
    r->regular = S_ISREG(st.st_mode);
    r->file_bytes = r->regular ? st.st_size : -1;
    r->block.resize(kBlock);
    while (r->end < 65536 && refill(r)) {
    }
    if (r->failed) return false;
    r->text = format == WordFormat::text ||
              (format == WordFormat::detect &&
               guess_text(r->block.data(), r->end < 65536 ? r->end : 65536, r->file_bytes, limit));
    if (format == WordFormat::detect && !quiet) say_format(*r);
    return true;
}

namespace {

int64_t read_binary(DumpReader* r, int32_t* out, int64_t n) {
    int64_t got = 0;
    while (got < n) {
        if (r->end - r->at < 2 && !refill(r)) break;
        const size_t pairs = (r->end - r->at) / 2;
        const size_t take = static_cast<size_t>(n - got) < pairs ? static_cast<size_t>(n - got) : pairs;
        const uint8_t* b = r->block.data() + r->at;
        for (size_t i = 0; i < take; ++i) out[got + static_cast<int64_t>(i)] = b[2 * i] | b[2 * i + 1] << 8;
        r->at += 2 * take;
        got += static_cast<int64_t>(take);
    }
    if (got < n && r->end - r->at == 1 && r->eof) r->odd_byte = true;
    return got;
}

// The next line of a text dump, without its line end; false at the end.
bool next_line(DumpReader* r, const char** s, size_t* n) {
    for (;;) {
        const uint8_t* b = r->block.data() + r->at;
        const size_t have = r->end - r->at;
        if (const void* nl = std::memchr(b, '\n', have)) {
            *s = reinterpret_cast<const char*>(b);
            *n = static_cast<size_t>(static_cast<const uint8_t*>(nl) - b);
            r->at += *n + 1;
            return true;
        }
        if (have > kLongestLine) {
            report_error("%s line %" PRId64 ": longer than %zu bytes: not a text dump",
                         printable(r->path).c_str(), r->line, kLongestLine);
            r->failed = true;
            return false;
        }
        if (!refill(r)) {
            if (have == 0 || r->failed) return false;
            *s = reinterpret_cast<const char*>(r->block.data() + r->at);
            *n = have;
            r->at = r->end;
            return true;
        }
    }
}

// What a token of a text dump was.
enum class Token { value, address, stop };

// Takes one token at the reader's position: a value into *v, or an address.
Token take_token(DumpReader* r, const char* t, size_t n, int32_t* v) {
    if (t[0] != '@' && parse_value(t, n, v)) {
        if (r->address < 0 ? r->position < r->limit : r->address < r->limit) return Token::value;
    }
    const std::string where = printable(r->path) + " line " + std::to_string(r->line);
    if (t[0] == '@') {
        int64_t a = 0;
        if (!parse_address(t + 1, n - 1, &a)) {
            report_error("%s: bad address %s", where.c_str(), printable(t, n).c_str());
            r->failed = true;
            return Token::stop;
        }
        if (a < r->position) {
            report_error("%s: address @%" PRIx64 " goes back to a word already read (the next is "
                         "@%" PRIx64 "); dumps are read in order",
                         where.c_str(), a, r->position);
            r->failed = true;
            return Token::stop;
        }
        r->address = a;
        if (a < r->limit) return Token::address;
        r->past_end = true;
        char buf[160];
        std::snprintf(buf, sizeof buf,
                      "line %" PRId64 ": address @%" PRIx64 " lies past the run's last word @%" PRIx64,
                      r->line, a, r->limit - 1);
        r->past_end_note = buf;
        return Token::stop;
    }
    if (!parse_value(t, n, v)) {
        report_error("%s: not a 16-bit hexadecimal value: %s", where.c_str(),
                     printable(t, n).c_str());
        r->failed = true;
        return Token::stop;
    }
    const int64_t at = r->address >= 0 ? r->address : r->position;
    if (at < r->limit) return Token::value;
    r->past_end = true;
    char buf[160];
    if (r->address >= 0)
        std::snprintf(buf, sizeof buf,
                      "line %" PRId64 " writes @%" PRIx64 ", past the run's last word @%" PRIx64,
                      r->line, at, r->limit - 1);
    else
        std::snprintf(buf, sizeof buf, "line %" PRId64 " holds a word past the run's last",
                      r->line);
    r->past_end_note = buf;
    return Token::stop;
}

// The next token of the line being read, or an empty one at its end.
void next_token(DumpReader* r, size_t* from, size_t* to) {
    const char* s = r->line_text;
    const size_t n = r->line_length;
    size_t i = r->line_next;
    while (i < n && blank(s[i])) ++i;
    if (i + 1 < n && s[i] == '/' && s[i + 1] == '/') i = n;
    size_t j = i;
    while (j < n && !blank(s[j]) && !(j + 1 < n && s[j] == '/' && s[j + 1] == '/')) ++j;
    r->line_next = j < n ? j : n;
    *from = i;
    *to = j;
}

// Lines of exactly four hexadecimal digits, the form benches write most,
// taken straight from the block between lines.  The last line taken stays
// the line being read (with nothing left on it), so its number is the one a
// message names.
int64_t read_plain_lines(DumpReader* r, int32_t* out, int64_t n) {
    int64_t got = 0;
    while (got < n && r->end - r->at >= 5) {
        const uint8_t* b = r->block.data() + r->at;
        if (b[4] != '\n') break;
        const int32_t d0 = hex_digit_value(static_cast<char>(b[0]));
        const int32_t d1 = hex_digit_value(static_cast<char>(b[1]));
        const int32_t d2 = hex_digit_value(static_cast<char>(b[2]));
        const int32_t d3 = hex_digit_value(static_cast<char>(b[3]));
        if ((d0 | d1 | d2 | d3) < 0) break;
        if (got > 0) ++r->line;
        out[got++] = d0 << 12 | d1 << 8 | d2 << 4 | d3;
        ++r->position;
        r->at += 5;
    }
    if (got > 0) {
        r->line_text = reinterpret_cast<const char*>(r->block.data() + r->at);
        r->line_length = 0;
        r->line_next = 0;
    }
    return got;
}

// Text words: the tokens of each line in turn; the words an address skips
// are unknown.
int64_t read_text(DumpReader* r, int32_t* out, int64_t n) {
    int64_t got = 0;
    while (got < n && !r->failed && !r->past_end) {
        if (r->address > r->position) {
            out[got++] = kAllUnknown;
            ++r->position;
            continue;
        }
        r->address = -1;
        if (!r->line_text) {
            // Between lines.
            if (const int64_t plain = read_plain_lines(r, out + got, n - got); plain > 0) {
                got += plain;
                continue;
            }
            if (!next_line(r, &r->line_text, &r->line_length)) {
                r->line_text = nullptr;
                r->line_length = 0;
                break;
            }
            r->line_next = 0;
            continue;
        }
        size_t i = 0, j = 0;
        next_token(r, &i, &j);
        if (j == i) {
            ++r->line;
            r->line_text = nullptr;
            continue;
        }
        int32_t v = 0;
        const Token t = take_token(r, r->line_text + i, j - i, &v);
        if (t == Token::stop) break;
        if (t == Token::address) continue;
        out[got++] = v;
        ++r->position;
    }
    return got;
}

}  // namespace

int64_t read_dump(DumpReader* r, int32_t* out, int64_t n) {
    if (r->failed) return 0;
    if (r->position + n > r->limit) n = r->limit - r->position;
    if (n <= 0) return 0;
    if (r->text) return read_text(r, out, n);
    const int64_t got = read_binary(r, out, n);
    r->position += got;
    return got;
}

int64_t skip_dump(DumpReader* r, int64_t n) {
    if (!r->text && r->regular && r->at == r->end && r->position + n <= r->limit) {
        // Past the block: seek instead of reading.
        const int64_t bytes = 2 * n;
        if (fseeko(r->file, static_cast<off_t>(bytes), SEEK_CUR) == 0) {
            const int64_t left = r->file_bytes - 2 * r->position;
            const int64_t skipped = left / 2 < n ? left / 2 : n;
            r->position += skipped;
            if (skipped < n) fseeko(r->file, static_cast<off_t>(2 * r->position), SEEK_SET);
            return skipped;
        }
    }
    std::vector<int32_t> scratch(65536);
    int64_t done = 0;
    while (done < n) {
        const int64_t want = n - done < 65536 ? n - done : 65536;
        const int64_t got = read_dump(r, scratch.data(), want);
        done += got;
        if (got < want) break;
    }
    return done;
}

void finish_dump(DumpReader* r) {
    if (r->failed || r->past_end) return;
    if (!r->text) {
        if (r->regular) {
            const int64_t extra = r->file_bytes - 2 * r->limit;
            r->past_end = extra > 0;
            r->words_past_end = extra > 0 ? extra / 2 : 0;
            r->odd_byte = r->file_bytes % 2 != 0;
            return;
        }
        r->past_end = r->end > r->at || refill(r);
        return;
    }
    // One word more is looked for; the reader's position stays at the end.
    int32_t probe = 0;
    const int64_t limit = r->limit, position = r->position;
    r->limit = r->position + 1;
    if (read_text(r, &probe, 1) == 1) {
        r->past_end = true;
        r->past_end_note = "line " + std::to_string(r->line) + " holds a word past the run's last";
    }
    r->limit = limit;
    r->position = position;
}

}  // namespace veldax::inspect
