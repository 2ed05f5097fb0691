#include "config/warnings.h"

#include <cctype>
#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <vector>

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
    std::string_view word = name;
    while (!word.empty() && word.back() == ' ') word.remove_suffix(1);
    auto letter = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
    };
    bool identifier = word.empty() || letter(word[0]);
    for (const char c : word) identifier = identifier && (letter(c) || (c >= '0' && c <= '9'));
    if (!identifier) {
        report_error("%s line %" PRId64
                     ": ModuleName \"%s\" is not an identifier (letters, digits and _, not "
                     "starting with a digit)",
                     path, line, printable(name).c_str());
        return false;
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
    const char* taken = nullptr;  // the reader takes the first word found, in table order
    for (int32_t i = 0; i < kMethodCount; ++i) {
        if (value_text(value) == kMethods[i].word) return;
        if (!taken && value.find(kMethods[i].word) != std::string_view::npos)
            taken = kMethods[i].word;
        words += i == 0 ? "" : (i + 1 < kMethodCount ? ", " : " or ");
        words += kMethods[i].word;
    }
    warn("%s line %" PRId64 ": dmethod value \"%s\" is not %s; read as %s", path, line,
         printable(value_text(value)).c_str(), words.c_str(), taken ? taken : kMethods[0].word);
}

void check_memory_value(std::string_view value, const char* key, const char* path, int64_t line) {
    for (const char* word : {"EBR", "Distributed", "PFU", "LUT"})
        if (value.find(word) != std::string_view::npos) return;
    warn("%s line %" PRId64 ": %s value \"%s\" is not EBR or Distributed; read as Distributed",
         path, line, key, printable(value_text(value)).c_str());
}

size_t edit_distance(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); };
    // Rows i-1 and i of the distance table, and row i-2 for transpositions.
    std::vector<size_t> before(b.size() + 1), previous(b.size() + 1), current(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) previous[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        current[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t cost = lower(a[i - 1]) == lower(b[j - 1]) ? 0 : 1;
            size_t d = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + cost});
            if (i > 1 && j > 1 && lower(a[i - 1]) == lower(b[j - 2]) &&
                lower(a[i - 2]) == lower(b[j - 1]))
                d = std::min(d, before[j - 2] + 1);
            current[j] = d;
        }
        std::swap(before, previous);
        std::swap(previous, current);
    }
    return previous[b.size()];
}

std::string_view line_key(std::string_view line) {
    std::string_view text = value_text(line);
    const size_t end = text.find_first_of("= \t");
    return text.substr(0, end);
}

std::string_view nearest_key(std::string_view word, const char* const* keys, size_t count) {
    std::string_view best;
    size_t best_distance = 0;
    // A slip of one or two letters, fewer than a third of the word's.
    const size_t limit = std::min<size_t>(2, word.size() / 3);
    for (size_t k = 0; k < count; ++k) {
        const std::string_view key = keys[k];
        const size_t d = edit_distance(word, key);
        if (d > limit || (!best.empty() && d >= best_distance)) continue;
        best = key;
        best_distance = d;
    }
    return best;
}

void check_unused_line(std::string_view line, const char* path, int64_t line_no,
                       std::string_view suggestion) {
    const std::string_view text = value_text(line);
    if (text.empty()) return;
    if (suggestion.empty()) {
        warn("%s line %" PRId64 ": \"%s\" names no known key; the line is ignored", path, line_no,
             printable(text).c_str());
        return;
    }
    const std::string_view word = line_key(line);
    const bool only_case = word.size() == suggestion.size() && edit_distance(word, suggestion) == 0;
    warn("%s line %" PRId64 ": \"%s\" names no known key; did you mean %.*s?%s", path, line_no,
         printable(text).c_str(), static_cast<int>(suggestion.size()), suggestion.data(),
         only_case ? " (keys are case-sensitive)" : "");
}

void check_commented_setting(std::string_view line, std::string_view key, const char* path,
                             int64_t line_no) {
    warn("%s line %" PRId64 ": \"%s\" holds \"//\", so the whole line is a comment: its %.*s "
         "setting is ignored (put the comment on a line of its own)",
         path, line_no, printable(value_text(line)).c_str(), static_cast<int>(key.size()),
         key.data());
}

}  // namespace veldax
