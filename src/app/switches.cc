#include "app/switches.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "core/numbers.h"
#include "core/report.h"

namespace veldax {

namespace {

__attribute__((format(printf, 1, 2))) std::string format(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    const int n = std::vsnprintf(nullptr, 0, fmt, args);
    va_end(args);
    std::string text(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    va_start(args, fmt);
    std::vsnprintf(text.data(), text.size() + 1, fmt, args);
    va_end(args);
    return text;
}

// A count word as the run reads it, in atoi forms; whether it is a plain
// decimal number.  A number too large for 32 bits is refused rather than
// wrapped or clamped.
bool read_count(const char* sw, const char* word, int32_t* value, bool* plain) {
    const char* end = nullptr;
    const NumberRead r = read_decimal(word, value, &end);
    if (r == NumberRead::overflow) {
        report_error("%s: the number %s does not fit in 32 bits", printable(sw).c_str(),
                     printable(word).c_str());
        return false;
    }
    *plain = r == NumberRead::ok && *end == '\0' && end != word;
    return true;
}

const SwitchRow* find_switch(const char* word) {
    for (const SwitchRow& row : kSwitches)
        if (std::strcmp(row.word, word) == 0) return &row;
    return nullptr;
}

}  // namespace

std::string switch_words() {
    std::string words;
    const size_t n = sizeof(kSwitches) / sizeof(kSwitches[0]);
    for (size_t i = 0; i < n; ++i) {
        words += i == 0 ? "" : (i + 1 < n ? ", " : " or ");
        words += kSwitches[i].word;
    }
    return words;
}

std::string switch_help(int32_t indent) {
    std::string text;
    for (const SwitchRow& row : kSwitches) {
        char line[256];
        std::snprintf(line, sizeof(line), "%*s%-15s%s\n", indent, "", row.usage, row.help);
        text += line;
    }
    return text;
}

Status parse_switch(const char* kvf_path, int32_t count, const char* const* words,
                    ParsedSwitch* out) {
    *out = ParsedSwitch{};
    if (count < 1) return Status::ok;
    const char* sw = words[0];
    // Words from the command line are shown escaped, like the file's text.
    const std::string shown = printable(sw);
    const SwitchRow* row = find_switch(sw);
    if (!row) {
        out->warnings.push_back(format("%s is not a switch (%s): %s is only checked, nothing is "
                                       "generated",
                                       shown.c_str(), switch_words().c_str(),
                                       printable(kvf_path).c_str()));
        return Status::ok;
    }
    RunMode& mode = out->mode;
    mode.source = row->source;
    int32_t used = 1;  // words the switch reads, itself included
    switch (row->arguments) {
    case SwitchArguments::field_count:
        if (count >= 2) {
            used = 2;
            int32_t n = 0;
            bool plain = false;
            if (!read_count(sw, words[1], &n, &plain)) return Status::command_line_refused;
            if (n > 3) mode.fields = n;
            if (!plain || n < 3)
                out->warnings.push_back(format("%s %s: %d fields are generated (3 at least)",
                                               shown.c_str(), printable(words[1]).c_str(),
                                               n > 3 ? n : 3));
        }
        break;
    case SwitchArguments::file:
    case SwitchArguments::file_and_limit:
        if (count < 2) {
            report_error("The stimulus file should be added");
            return Status::stimulus_path_missing;
        }
        mode.path = words[1];
        used = 2;
        if (row->arguments == SwitchArguments::file_and_limit) {
            used = 3;
            if (count >= 3) {
                bool plain = false;
                if (!read_count(sw, words[2], &mode.max_fields, &plain))
                    return Status::command_line_refused;
                if (!plain)
                    out->warnings.push_back(format("%s MAX %s is read as %d", shown.c_str(),
                                                   printable(words[2]).c_str(), mode.max_fields));
            }
        }
        break;
    }
    for (int32_t i = used; i < count; ++i)
        out->warnings.push_back(
            format("%s: nothing reads this word; it is ignored", printable(words[i]).c_str()));
    return Status::ok;
}

}  // namespace veldax
