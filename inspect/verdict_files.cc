// compare's verdict for CI: a JSON document, and a JUnit report with one
// test case per golden frame.
#include <cinttypes>
#include <cstdio>
#include <string>

#include "core/report.h"
#include "inspect.h"

namespace veldax::inspect {

namespace {

// Text inside a JSON string: quotes, backslashes and control bytes escaped.
std::string json_text(const std::string& s) {
    std::string out;
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20 || c >= 0x7f) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += ch;
        }
    }
    return out;
}

// Text inside an XML attribute or element: markup characters escaped, bytes
// outside printable ASCII as \xNN.
std::string xml_text(const std::string& s) {
    std::string out;
    for (const char ch : printable(s)) {
        switch (ch) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += ch;
        }
    }
    return out;
}

std::string mismatch_json(const Mismatch& m) {
    char buf[256];
    std::snprintf(buf, sizeof buf,
                  "{\"frame\": %" PRId64 ", \"plane\": %d, \"row\": %d, \"col\": %d, "
                  "\"expected\": \"0x%04x\", \"got\": \"%s\"}",
                  m.frame, m.at.plane, m.at.row, m.at.col, m.expected, word_text(m.got).c_str());
    return buf;
}

std::string frame_json(const FrameResult& r) {
    std::string s = "{\"frame\": " + std::to_string(r.frame.index) +
                    ", \"field\": " + std::to_string(r.frame.field) +
                    ", \"size_index\": " + std::to_string(r.frame.size_index) +
                    ", \"words\": " + std::to_string(r.frame.words) +
                    ", \"missing_words\": " + std::to_string(r.missing) + ", \"planes\": [";
    for (int32_t p = 0; p < r.plane_count; ++p)
        s += std::string(p ? ", " : "") + "{\"plane\": " + std::to_string(p) +
             ", \"words\": " + std::to_string(r.planes_words[p]) +
             ", \"mismatches\": " + std::to_string(r.bad[p]) + "}";
    s += "]";
    if (r.has_first) s += ", \"first_mismatch\": " + mismatch_json(r.first);
    return s + "}";
}

FILE* create(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "w");
    if (!f) report_error("%s: cannot create the file", printable(path).c_str());
    return f;
}

bool close_written(FILE* f, const std::string& path) {
    const bool ok = !std::ferror(f) && std::fclose(f) == 0;
    if (!ok) report_error("%s: could not be written", printable(path).c_str());
    return ok;
}

}  // namespace

bool write_json_verdict(const std::string& path, const Verdict& v) {
    FILE* f = create(path);
    if (!f) return false;
    std::fprintf(f,
                 "{\n  \"verdict\": \"%s\",\n  \"dump\": \"%s\",\n  \"dump_format\": \"%s\",\n"
                 "  \"words\": %" PRId64 ",\n  \"mismatches\": %" PRId64 ",\n"
                 "  \"frames\": %zu,\n  \"frames_with_mismatches\": %" PRId64 ",\n",
                 v.same ? "identical" : "different", json_text(v.sim).c_str(),
                 v.dump_format.c_str(), v.words, v.mismatches, v.frames.size(), v.frames_bad);
    std::fprintf(f, "  \"notes\": [");
    for (size_t i = 0; i < v.notes.size(); ++i)
        std::fprintf(f, "%s\"%s\"", i ? ", " : "", json_text(v.notes[i]).c_str());
    std::fprintf(f, "],\n  \"first_mismatches\": [");
    for (size_t i = 0; i < v.first.size(); ++i)
        std::fprintf(f, "%s\n    %s", i ? "," : "", mismatch_json(v.first[i]).c_str());
    std::fprintf(f, "%s],\n  \"per_frame\": [", v.first.empty() ? "" : "\n  ");
    for (size_t i = 0; i < v.frames.size(); ++i)
        std::fprintf(f, "%s\n    %s", i ? "," : "", frame_json(v.frames[i]).c_str());
    std::fprintf(f, "%s]\n}\n", v.frames.empty() ? "" : "\n  ");
    return close_written(f, path);
}

bool write_junit_verdict(const std::string& path, const Verdict& v) {
    FILE* f = create(path);
    if (!f) return false;
    int64_t failures = 0;
    for (const FrameResult& r : v.frames) failures += r.has_first || r.missing > 0;
    std::fprintf(f, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    std::fprintf(f, "<testsuite name=\"veldax-inspect compare %s\" tests=\"%zu\" failures=\"%" PRId64
                    "\" errors=\"0\">\n",
                 xml_text(v.sim).c_str(), v.frames.size(), failures);
    for (const FrameResult& r : v.frames) {
        std::fprintf(f, "  <testcase classname=\"golden\" name=\"frame %" PRId64 "\"", r.frame.index);
        if (!r.has_first && r.missing == 0) {
            std::fprintf(f, "/>\n");
            continue;
        }
        int64_t bad = 0;
        for (int32_t p = 0; p < r.plane_count; ++p) bad += r.bad[p];
        std::string message = std::to_string(bad) + " mismatching words";
        if (r.missing) message += ", " + std::to_string(r.missing) + " words missing";
        std::string detail;
        if (r.has_first)
            detail = "first mismatch: " + where(r.frame, r.first.at) + ": expected " +
                     word_text(r.first.expected) + " got " + word_text(r.first.got);
        std::fprintf(f, ">\n    <failure message=\"%s\">%s</failure>\n  </testcase>\n",
                     xml_text(message).c_str(), xml_text(detail).c_str());
    }
    if (!v.notes.empty()) {
        std::fprintf(f, "  <system-out>");
        for (const std::string& n : v.notes) std::fprintf(f, "%s\n", xml_text(n).c_str());
        std::fprintf(f, "</system-out>\n");
    }
    std::fprintf(f, "</testsuite>\n");
    return close_written(f, path);
}

}  // namespace veldax::inspect
