// The data files and simulation dumps as 16-bit words: binary words, or a
// text dump of one hexadecimal value a line ($readmemh / $writememh form).
#include <sys/stat.h>

#include <cstdio>

#include "core/numbers.h"
#include "core/report.h"
#include "inspect.h"

namespace veldax::inspect {

bool read_bytes(const std::string& path, std::vector<uint8_t>* out) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) {
        report_error("%s: cannot read the file", path.c_str());
        return false;
    }
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        report_error("%s: cannot read the file", path.c_str());
        return false;
    }
    out->clear();
    uint8_t buf[1 << 16];
    size_t n = 0;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out->insert(out->end(), buf, buf + n);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) report_error("%s: read error", path.c_str());
    return !failed;
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

bool looks_like_text(const uint8_t* data, size_t size) {
    // Binary words of samples up to 8 bits hold zero bytes; a text dump holds
    // only printable characters and line ends, and at least one line end.
    bool line_end = false;
    for (size_t i = 0; i < size; ++i) {
        const uint8_t c = data[i];
        if (c == '\n')
            line_end = true;
        else if (c != '\r' && c != '\t' && (c < 0x20 || c > 0x7e))
            return false;
    }
    return line_end || size == 0;
}

namespace {

// One token of a text dump: hexadecimal digits and '_'; any x or z digit
// makes the value unknown (-1).  Returns false for other characters or
// values past 16 bits.
bool parse_token(const std::string& t, int64_t* value) {
    size_t i = (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) ? 2 : 0;
    int64_t v = 0;
    bool unknown = false;
    bool digits = false;
    for (; i < t.size(); ++i) {
        const char c = t[i];
        if (c == '_') continue;
        if (c == 'x' || c == 'X' || c == 'z' || c == 'Z' || c == '?') {
            unknown = digits = true;
            continue;
        }
        const int d = hex_digit_value(c);
        if (d < 0) return false;
        digits = true;
        v = v * 16 + d;
        if (v > 0xFFFFFFFFLL) return false;
    }
    if (!digits) return false;
    *value = unknown ? -1 : v;
    return true;
}

}  // namespace

bool parse_text_words(const uint8_t* data, size_t size, std::vector<int32_t>* out,
                      std::string* error, int64_t* line) {
    out->clear();
    int64_t at = 0;  // word the next value goes to
    *line = 0;
    size_t pos = 0;
    while (pos < size) {
        ++*line;
        size_t end = pos;
        while (end < size && data[end] != '\n') ++end;
        std::string text(reinterpret_cast<const char*>(data) + pos, end - pos);
        pos = end + 1;
        if (const size_t c = text.find("//"); c != std::string::npos) text.resize(c);
        size_t i = 0;
        while (i < text.size()) {
            while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r')) ++i;
            size_t j = i;
            while (j < text.size() && text[j] != ' ' && text[j] != '\t' && text[j] != '\r') ++j;
            if (j == i) break;
            std::string token = text.substr(i, j - i);
            i = j;
            int64_t v = 0;
            if (token[0] == '@') {
                // $writememh address: the next value goes to that word.
                if (!parse_token(token.substr(1), &v) || v < 0) {
                    *error = "bad address " + token;
                    return false;
                }
                at = v;
                continue;
            }
            if (!parse_token(token, &v)) {
                *error = "not a hexadecimal value: " + token;
                return false;
            }
            if (v > 0xFFFF) {
                *error = "value " + token + " is wider than 16 bits";
                return false;
            }
            if (at >= static_cast<int64_t>(out->size()))
                out->resize(static_cast<size_t>(at) + 1, -1);
            (*out)[static_cast<size_t>(at)] = static_cast<int32_t>(v);
            ++at;
        }
    }
    return true;
}

bool read_words(const std::string& path, WordFormat format, Words* out) {
    std::vector<uint8_t> bytes;
    if (!read_bytes(path, &bytes)) return false;
    if (format == WordFormat::detect)
        format =
            looks_like_text(bytes.data(), bytes.size()) ? WordFormat::text : WordFormat::binary;
    out->text = format == WordFormat::text;
    out->odd_byte = false;
    if (out->text) {
        std::string error;
        int64_t line = 0;
        if (!parse_text_words(bytes.data(), bytes.size(), &out->values, &error, &line)) {
            report_error("%s line %lld: %s", path.c_str(), static_cast<long long>(line),
                         error.c_str());
            return false;
        }
        return true;
    }
    out->odd_byte = bytes.size() % 2 != 0;
    out->values.resize(bytes.size() / 2);
    for (size_t i = 0; i < out->values.size(); ++i)
        out->values[i] = bytes[2 * i] | bytes[2 * i + 1] << 8;
    return true;
}

}  // namespace veldax::inspect
