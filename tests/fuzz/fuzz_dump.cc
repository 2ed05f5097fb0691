// veldax-inspect's dump readers on arbitrary bytes: the format guess, the
// whole-text parser and the streaming reader (binary, text or detected) with
// a run word count, reading in steps, skipping and finishing.  Every word a
// reader hands out must be a 16-bit value or a marked unknown one, and never
// more than the run's words.
#include <cstdlib>
#include <string>
#include <vector>

#include "dump_reader.h"
#include "fuzz_support.h"

namespace {

using namespace veldax::inspect;

bool valid_word(int32_t w) {
    if (!is_unknown(w)) return w >= 0 && w <= 0xFFFF;
    return (w & ~(kAllUnknown | 0xFFFF)) == 0 && (w & (0xF << 16)) != 0;
}

void check(bool ok) {
    if (!ok) std::abort();
}

// The streaming reader over the file as `format`, in steps of `step` words.
void read_all(WordFormat format, int64_t limit, int64_t step, int64_t skip) {
    DumpReader r;
    if (!open_dump("dump.in", format, limit, true, &r)) return;
    check(skip_dump(&r, skip) <= skip);
    std::vector<int32_t> words(static_cast<size_t>(step));
    for (;;) {
        const int64_t before = r.position;
        const int64_t got = read_dump(&r, words.data(), step);
        check(got >= 0 && got <= step && r.position <= limit && r.position >= before);
        for (int64_t i = 0; i < got; ++i) check(valid_word(words[static_cast<size_t>(i)]));
        if (got < step) break;
    }
    finish_dump(&r);
    check(r.position <= limit);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    veldax_fuzz::quiet_stdout();
    // Three bytes choose the run's length, the step and the words skipped.
    const int64_t limit = veldax_fuzz::take(data, size) * 17 + veldax_fuzz::take(data, size) % 4;
    const uint8_t choice = veldax_fuzz::take(data, size);
    const int64_t step = 1 + choice % 13;
    const int64_t skip = choice / 13 % 5;
    (void)guess_text(data, size, static_cast<int64_t>(size), limit);
    std::vector<int32_t> words;
    std::string error;
    int64_t line = 0;
    if (parse_text_words(data, size, &words, &error, &line, limit)) {
        check(static_cast<int64_t>(words.size()) <= limit);
        for (const int32_t w : words) check(valid_word(w));
    } else {
        check(!error.empty() && line >= 1);
    }
    veldax_fuzz::write_bytes("dump.in", data, size);
    for (const WordFormat f : {WordFormat::detect, WordFormat::binary, WordFormat::text})
        read_all(f, limit, step, skip);
    return 0;
}
