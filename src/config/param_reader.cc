// The parameter file reader: key=value lines into the record, then the
// bounds check and the derived values.
//
// A line is read in pieces of at most 999 characters (a line of up to 998
// characters arrives whole with its newline); a longer line is cut and each
// piece is handled as a line of its own.  A carriage return directly before
// the line feed is dropped first; a lone carriage return is kept as an
// ordinary character.  A piece that contains "//" is a comment.  Every other
// piece is searched anywhere, case-sensitively, for every key of the table
// in order; a key found sets its field from the text that starts one
// character after the key (the separator itself is not checked).  So a key
// inside a longer word counts too: "sr" in "usr", "dynamic" in a module name.
#include <cctype>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "core/report.h"
#include "config/family_table.h"
#include "core/record.h"
#include "core/numbers.h"
#include "config/warnings.h"
#include "model/methods.h"

namespace veldax {

namespace {

enum class Conversion {
    module_name,  // rest of the line up to its newline
    number,       // decimal, atoi forms
    flag,         // decimal, stored as value != 0
    method,       // first method word found in the rest of the line
    memory,       // 1 when the rest of the line contains "EBR", else 0
    hex,          // hexadecimal into the low 32 bits of base_addr
    table,        // decimal into one entry of a per-frame table
};

using NumberField = int32_t DeinterlacerModel::*;
using FlagField = uint8_t DeinterlacerModel::*;
using TableField = int32_t (DeinterlacerModel::*)[kFrameTableSize];

struct Key {
    const char* name;
    Conversion conversion;
    NumberField number = nullptr;
    FlagField flag = nullptr;
    TableField table = nullptr;
    int32_t entry = 0;
};

constexpr Key number_key(const char* name, NumberField f) {
    return Key{name, Conversion::number, f, nullptr, nullptr, 0};
}
constexpr Key flag_key(const char* name, FlagField f) {
    return Key{name, Conversion::flag, nullptr, f, nullptr, 0};
}
constexpr Key word_key(const char* name, Conversion c, NumberField f) {
    return Key{name, c, f, nullptr, nullptr, 0};
}
constexpr Key table_key(const char* name, TableField t, int32_t entry) {
    return Key{name, Conversion::table, nullptr, nullptr, t, entry};
}

using M = DeinterlacerModel;

// Test order matters only for keys that set the same field; "Family=" is
// handled before this table.
const Key kKeys[] = {
    Key{"ModuleName", Conversion::module_name},
    number_key("num_plane", &M::num_plane),
    number_key("frame_width", &M::frame_width),
    number_key("frame_height", &M::frame_height),
    word_key("dmethod", Conversion::method, &M::dmethod),
    flag_key("ycbcr422", &M::ycbcr422),
    flag_key("ycbcr444", &M::ycbcr444),
    flag_key("parallel", &M::parallel),
    flag_key("initfield", &M::initfield),
    flag_key("dynamic", &M::dynamic),
    flag_key("fconvert", &M::fconvert),
    flag_key("copyframe", &M::copyframe),
    flag_key("seppclk", &M::seppclk),
    number_key("interth0", &M::interth0),
    number_key("interth1", &M::interth1),
    number_key("interth2", &M::interth2),
    flag_key("frmports", &M::frmports),
    flag_key("resync", &M::resync),
    number_key("dwidth", &M::dwidth),
    word_key("lbuffer", Conversion::memory, &M::lbuffer),
    number_key("dbus_width", &M::dbus_width),
    number_key("wrfifo_depth", &M::wrfifo_depth),
    word_key("wrfifo_type", Conversion::memory, &M::wrfifo_type),
    number_key("rdfifo_depth", &M::rdfifo_depth),
    word_key("rdfifo_type", Conversion::memory, &M::rdfifo_type),
    number_key("burst_count", &M::burst_count),
    number_key("burst_length", &M::burst_length),
    Key{"base_addr", Conversion::hex},
    number_key("pbus_width", &M::pbus_width),
    flag_key("sr", &M::sr),
    table_key("frmw_0", &M::frmw, 0),
    table_key("frmh_0", &M::frmh, 0),
    table_key("frmw_1", &M::frmw, 1),
    table_key("frmh_1", &M::frmh, 1),
    table_key("frmw_2", &M::frmw, 2),
    table_key("frmh_2", &M::frmh, 2),
    table_key("th1_1", &M::th1_table, 1),
    table_key("th2_1", &M::th2_table, 1),
    table_key("th1_2", &M::th1_table, 2),
    table_key("th2_2", &M::th2_table, 2),
};

// Characters of one piece: 999 plus its newline would not fit the buffer of
// 1000 that the format is defined by.
constexpr size_t kPieceLength = 999;

// Longer than any real parameter file: a device or an endless stream named
// by mistake is refused instead of being read forever.
constexpr int64_t kMaxFileBytes = int64_t{16} << 20;

// Text of a value that starts `offset` characters after position `at`; empty
// when that lies past the end of the line.  The result always ends where the
// line ends, so its data is NUL-terminated like the line's.
std::string_view value_at(std::string_view line, size_t at, size_t offset) {
    const size_t start = at + offset;
    return line.substr(start <= line.size() ? start : line.size());
}

// Number of the first method (in table order) whose word occurs anywhere in
// the value; weave when none does.
int32_t method_from(std::string_view value) {
    for (const MethodRow& row : kMethods)
        if (value.find(row.word) != std::string_view::npos) return method_number(row.method);
    return method_number(DeinterlaceMethod::weave);
}

struct LineContext {
    const char* path;
    int64_t line_no;
};

void report_overflow(const LineContext& where, const char* key, std::string_view digits) {
    report_error("%s line %" PRId64 ": %s value %.*s does not fit in 32 bits", where.path,
                where.line_no, key, static_cast<int>(digits.size()), digits.data());
}

// A decimal number in atoi forms; false (after one message) when its digits
// do not fit a signed 32-bit integer.
bool read_number(std::string_view value, const char* key, const LineContext& where,
                 int32_t* out) {
    // The piece is NUL-terminated at the end of the view (see apply_line).
    const char* end = nullptr;
    if (read_decimal(value.data(), out, &end) == NumberRead::overflow) {
        const char* first = value.data();
        while (std::isspace(static_cast<unsigned char>(*first))) ++first;
        report_overflow(where, key, std::string_view(first, static_cast<size_t>(end - first)));
        return false;
    }
    return true;
}

bool is_hex(char c) { return hex_digit_value(c) >= 0; }

// Hexadecimal as "%x" reads it: optional white space, an optional 0x or 0X,
// then hex digits.  Without a digit *out is left as it is.  False (after one
// message) when the digits need more than 32 bits.
bool read_hex(std::string_view value, const LineContext& where, uint64_t* out) {
    size_t i = 0;
    while (i < value.size() && std::isspace(static_cast<unsigned char>(value[i]))) ++i;
    const size_t number_start = i;
    if (i + 2 < value.size() && value[i] == '0' && (value[i + 1] == 'x' || value[i + 1] == 'X') &&
        is_hex(value[i + 2]))
        i += 2;
    const size_t digits_start = i;
    uint64_t v = 0;
    bool too_wide = false;
    for (; i < value.size() && is_hex(value[i]); ++i) {
        if (v > 0x0FFFFFFFu) too_wide = true;  // another digit would pass 32 bits
        if (!too_wide) v = (v << 4) | static_cast<uint64_t>(hex_digit_value(value[i]));
    }
    if (i == digits_start) return true;  // no digit: the value stays
    if (too_wide) {
        report_overflow(where, "base_addr", value.substr(number_start, i - number_start));
        return false;
    }
    *out = v;  // the high 32 bits are 0
    return true;
}

// Family=: the value starts 7 characters after the first "Family" of the
// line and runs to the end of the line, newline included.
void apply_family(DeinterlacerModel& m, std::string_view line) {
    if (line.find("Family=") == std::string_view::npos) return;
    const size_t at = line.find("Family");
    m.family_text = std::string(value_at(line, at, 7));
    m.family = family_code_for(m.family_text);
}

// The first key that text names, as the reader would find it; empty when
// none.
std::string_view first_key_in(std::string_view text) {
    if (text.find("Family=") != std::string_view::npos) return "Family";
    for (const Key& key : kKeys)
        if (text.find(key.name) != std::string_view::npos) return key.name;
    return {};
}

// The key a line that names none probably means.
std::string_view suggested_key(std::string_view line) {
    static const std::vector<const char*> names = [] {
        std::vector<const char*> v{"Family"};
        for (const Key& key : kKeys) v.push_back(key.name);
        return v;
    }();
    return nearest_key(line_key(line), names.data(), names.size());
}

// One piece of a line; false when a number in it is refused.
bool apply_line(DeinterlacerModel& m, std::string_view line, const LineContext& where) {
    if (const size_t comment = line.find("//"); comment != std::string_view::npos) {
        // A comment whole, also when a setting stands before it.
        const std::string_view key = first_key_in(line.substr(0, comment));
        if (!key.empty()) check_commented_setting(line, key, where.path, where.line_no);
        return true;
    }
    apply_family(m, line);
    bool used = line.find("Family=") != std::string_view::npos;
    for (const Key& key : kKeys) {
        const size_t at = line.find(key.name);
        if (at == std::string_view::npos) continue;
        used = true;
        const std::string_view value = value_at(line, at, std::strlen(key.name) + 1);
        int32_t n = 0;
        switch (key.conversion) {
        case Conversion::module_name: {
            const size_t newline = value.find('\n');
            m.module_name = std::string(value.substr(0, newline));
            if (!module_name_is_safe(m.module_name, where.path, where.line_no)) return false;
            break;
        }
        case Conversion::number:
            if (!read_number(value, key.name, where, &n)) return false;
            check_number_value(value, key.name, n, false, where.path, where.line_no);
            m.*key.number = n;
            break;
        case Conversion::flag:
            if (!read_number(value, key.name, where, &n)) return false;
            check_number_value(value, key.name, n, true, where.path, where.line_no);
            m.*key.flag = n != 0;
            break;
        case Conversion::method:
            m.*key.number = method_from(value);
            check_method_value(value, where.path, where.line_no);
            break;
        case Conversion::memory:
            m.*key.number = value.find("EBR") != std::string_view::npos ? 1 : 0;
            check_memory_value(value, key.name, where.path, where.line_no);
            break;
        case Conversion::hex:
            if (!read_hex(value, where, &m.base_addr)) return false;
            break;
        case Conversion::table:
            if (!read_number(value, key.name, where, &n)) return false;
            check_number_value(value, key.name, n, false, where.path, where.line_no);
            (m.*key.table)[key.entry] = n;
            break;
        }
    }
    if (!used) check_unused_line(line, where.path, where.line_no, suggested_key(line));
    return true;
}

// Hands a piece to apply_line as a NUL-terminated view; what follows a NUL
// byte inside a piece is not seen, as for any C string.
bool apply_piece(DeinterlacerModel& m, const std::string& piece, const LineContext& where) {
    const std::string_view line(piece.c_str());
    return apply_line(m, line, where);
}

}  // namespace

Status DeinterlacerModel::read_parameter_file() {
    family = kFallbackFamily;
    family_text.clear();
    const int64_t warnings_before = warning_count();

    // The file's name as every line about it shows it.
    const std::string shown = printable(kvf_path);
    FILE* f = std::fopen(kvf_path.c_str(), "rb");
    if (!f) {
        report_error("Can't open %s for read", shown.c_str());
        return Status::parameters_refused;
    }

    std::string piece;
    piece.reserve(kPieceLength + 1);
    LineContext where{shown.c_str(), 1};
    int64_t line_no = 1;
    bool refused = false;
    int c;
    int64_t bytes_read = 0;
    while (!refused && (c = std::getc(f)) != EOF) {
        if (++bytes_read > kMaxFileBytes) {
            report_error("%s: longer than %" PRId64 " bytes, too long for a parameter file",
                        shown.c_str(), kMaxFileBytes);
            refused = true;
            break;
        }
        if (c == '\r') {
            const int next = std::getc(f);
            if (next == '\n') c = '\n';
            else if (next != EOF) std::ungetc(next, f);
        }
        if (piece.empty()) where.line_no = line_no;
        piece.push_back(static_cast<char>(c));
        if (c == '\n' || piece.size() == kPieceLength) {
            refused = !apply_piece(*this, piece, where);
            piece.clear();
        }
        if (c == '\n') ++line_no;
    }
    if (!refused && !piece.empty()) refused = !apply_piece(*this, piece, where);
    const bool read_error = !refused && std::ferror(f);
    std::fclose(f);
    if (read_error) {
        report_error("%s: read error", shown.c_str());
        return Status::parameters_refused;
    }
    if (refused) return Status::parameters_refused;
    // Under --strict a setting taken but probably not meant refuses the file.
    if (strict_mode() && warning_count() > warnings_before) return Status::parameters_refused;

    // The bounds are checked on the configuration itself, in 64 bits, so the
    // derived sizes below cannot leave their 32-bit fields.
    if (const Status s = validate_configuration(); s != Status::ok) return s;
    derive_configuration();
    return Status::ok;
}

}  // namespace veldax
