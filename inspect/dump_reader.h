// Data files and simulation dumps read as a stream of 16-bit words: binary
// little-endian words, or a text dump of hexadecimal values ($readmemh /
// $writememh form).  A reader never holds more than a block of the file and
// never reads past the words the run can hold, so an endless input (a FIFO,
// /dev/zero) ends with a line instead of exhausting memory.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace veldax::inspect {

// A dump word: 0..0xFFFF when known; with kUnknown set, the digits an x or z
// stood for are set in bits 16..19 (one a hexadecimal digit, lowest first)
// and the known digits are kept in bits 0..15.
constexpr int32_t kUnknown = 1 << 30;
constexpr int32_t kAllUnknown = kUnknown | 0xF << 16;
inline bool is_unknown(int32_t w) { return (w & kUnknown) != 0; }
// "00x9" for a word with unknown digits, "0x00a9" for a known one.
std::string word_text(int32_t w);

enum class WordFormat { detect, binary, text };
bool parse_format(const std::string& name, WordFormat* format);

// The format of a dump from its first bytes (`peek`, `size` of them), the
// file's length when known (-1 otherwise) and the words of the run: text
// only when every byte is printable or white space, there is a line end,
// every whole line parses as a text dump line, and a file of exactly the
// run's binary length does not hold two bytes a line.
bool guess_text(const uint8_t* peek, size_t size, int64_t file_bytes, int64_t run_words);

// Parses a whole text dump into words (gaps are kAllUnknown); on failure sets
// *error and *line.  Never sizes the words by an address past max_words.
bool parse_text_words(const uint8_t* data, size_t size, std::vector<int32_t>* out,
                      std::string* error, int64_t* line, int64_t max_words = INT32_MAX);

struct DumpReader {
    std::string path;
    FILE* file = nullptr;
    bool text = false;
    bool regular = false;
    int64_t file_bytes = -1;  // length of a regular file
    int64_t limit = 0;        // words the run holds; nothing past them is read
    int64_t position = 0;     // next word
    // Text state: the line read, and an address jumped to ahead.
    int64_t line = 1;
    int64_t address = -1;
    const char* line_text = nullptr;  // the line being read, in the block
    size_t line_length = 0;
    size_t line_next = 0;
    std::vector<uint8_t> block;
    size_t at = 0, end = 0;
    bool eof = false;
    // What was found.
    bool odd_byte = false;      // binary file of odd length
    bool failed = false;        // a read or parse error, reported
    bool past_end = false;      // data lies past the run's last word
    int64_t words_past_end = -1;  // how many, when known (a regular binary file)
    std::string past_end_note;    // what was found there (text)

    DumpReader() = default;
    DumpReader(const DumpReader&) = delete;
    DumpReader& operator=(const DumpReader&) = delete;
    ~DumpReader();
};

// Opens a dump for the run's `limit` words.  A detected format is said on
// standard error unless `quiet`.  Prints the reason and returns false when
// the file cannot be read.
bool open_dump(const std::string& path, WordFormat format, int64_t limit, bool quiet,
               DumpReader* r);
// Reads up to n words into out; returns how many (fewer at the end of the
// dump or on an error, see r->failed).
int64_t read_dump(DumpReader* r, int32_t* out, int64_t n);
// Reads up to n words a block at a time into `block`, handing each block to
// visit(words, count, first) (first: the index of its first word among the
// n); stops early when visit returns false.  Returns how many were read.
// A frame of dump words then costs one block, not a frame, of int32 words.
template <class Visit>
int64_t read_dump_blocks(DumpReader* r, int64_t n, std::vector<int32_t>* block, Visit visit) {
    constexpr int64_t kBlockWords = 1 << 16;
    block->resize(static_cast<size_t>(n < kBlockWords ? n : kBlockWords));
    int64_t have = 0;
    while (have < n) {
        const int64_t want = n - have < kBlockWords ? n - have : kBlockWords;
        const int64_t got = read_dump(r, block->data(), want);
        const bool go_on = visit(block->data(), got, have);
        have += got;
        if (got < want || !go_on) break;
    }
    return have;
}
// Skips n words (or to the end); returns how many were skipped.
int64_t skip_dump(DumpReader* r, int64_t n);
// After the run's last word: notes whether the dump goes on.
void finish_dump(DumpReader* r);

}  // namespace veldax::inspect
