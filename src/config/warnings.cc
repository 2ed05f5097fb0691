#include "config/warnings.h"

#include <cctype>
#include <cinttypes>
#include <cstdio>

#include "core/report.h"
#include "model/methods.h"

namespace veldax {

namespace {

bool is_blank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

}  // namespace

std::string_view value_text(std::string_view value) {
    while (!value.empty() && is_blank(value.back())) value.remove_suffix(1);
    while (!value.empty() && is_blank(value.front())) value.remove_prefix(1);
    return value;
}

bool module_name_is_safe(std::string_view name, const char* path, int64_t line) {
    for (const char c : name) {
        const unsigned char ch = static_cast<unsigned char>(c);
        if (ch < 0x20 || ch == 0x7F || c == '"' || c == '\\') {
            report_error("%s line %" PRId64
                        ": ModuleName \"%s\" holds a control character, '\"' or '\\'",
                        path, line, printable(name).c_str());
            return false;
        }
    }
    return true;
}

void check_number_value(std::string_view value, const char* key, int32_t read, bool flag,
                        const char* path, int64_t line) {
    const std::string_view text = value_text(value);
    // Exactly what a decimal number looks like: an optional sign and digits.
    size_t i = text.empty() || (text[0] != '+' && text[0] != '-') ? 0 : 1;
    const size_t digits_from = i;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
    const bool clean = i > digits_from && i == text.size();
    if (!clean) {
        warn("%s line %" PRId64 ": %s value \"%s\" is not a decimal number; read as %" PRId32,
             path, line, key, printable(text).c_str(), flag ? int32_t{read != 0} : read);
    } else if (flag && read != 0 && read != 1) {
        warn("%s line %" PRId64 ": %s value %" PRId32 " is not 0 or 1; read as 1", path, line, key,
             read);
    }
}

void check_method_value(std::string_view value, const char* path, int64_t line) {
    std::string words;  // "weave, bobe, ... or inter"
    for (int32_t i = 0; i < kMethodCount; ++i) {
        if (value.find(kMethods[i].word) != std::string_view::npos) return;
        words += i == 0 ? "" : (i + 1 < kMethodCount ? ", " : " or ");
        words += kMethods[i].word;
    }
    warn("%s line %" PRId64 ": dmethod value \"%s\" is not %s; read as %s", path, line,
         printable(value_text(value)).c_str(), words.c_str(), kMethods[0].word);
}

void check_memory_value(std::string_view value, const char* key, const char* path, int64_t line) {
    for (const char* word : {"EBR", "Distributed", "PFU", "LUT"})
        if (value.find(word) != std::string_view::npos) return;
    warn("%s line %" PRId64 ": %s value \"%s\" is not EBR or Distributed; read as Distributed",
         path, line, key, printable(value_text(value)).c_str());
}

void check_unused_line(std::string_view line, const char* path, int64_t line_no) {
    const std::string_view text = value_text(line);
    if (text.empty()) return;
    warn("%s line %" PRId64 ": \"%s\" names no known key; the line is ignored", path, line_no,
         printable(text).c_str());
}

}  // namespace veldax
