// The generation switches of the command line, one table: the word, the
// arguments it takes, the source it selects and its line of the usage text.
// Parsing, the warnings about words nothing reads, both programs' usage texts
// and veldax-inspect all read it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/run_mode.h"
#include "core/status.h"

namespace veldax {

enum class SwitchArguments {
    field_count,     // [FIELDS]: synthetic fields, 3 at least
    file,            // FILE
    file_and_limit,  // FILE [MAX]: a sequence and its field limit
};

struct SwitchRow {
    const char* word;  // "-g"
    StimulusSource source;
    SwitchArguments arguments;
    const char* usage;  // "-g [FIELDS]"
    const char* help;   // what it generates
};

inline constexpr SwitchRow kSwitches[] = {
    {"-g", StimulusSource::random, SwitchArguments::field_count, "-g [N]",
     "N random fields (default 3)"},
    {"-d", StimulusSource::ramp, SwitchArguments::field_count, "-d [N]",
     "N fields of a deterministic ramp (default 3)"},
    {"-l", StimulusSource::text, SwitchArguments::file, "-l FILE",
     "one picture from a text file of sample values"},
    {"-b", StimulusSource::bmp, SwitchArguments::file, "-b FILE",
     "one BMP picture; also writes golden.bmp"},
    {"-y", StimulusSource::yuv, SwitchArguments::file_and_limit, "-y FILE [MAX]",
     "a planar YUV sequence, at most MAX fields; also writes golden.yuv"},
};

// What the words after the parameter file ask for.
struct ParsedSwitch {
    RunMode mode;
    // Lines for words that are taken but probably not meant (an unknown
    // switch, a field count below 3 or not a number, words nothing reads);
    // the caller warns with them once the parameter file is known to exist.
    std::vector<std::string> warnings;
};

// Parses the count words after the parameter file kvf_path (words[0] the
// switch; none for a check-only run).
// Refusals print their line: a count that does not fit in 32 bits
// (command_line_refused) and a file switch without its file
// (stimulus_path_missing).
Status parse_switch(const char* kvf_path, int32_t count, const char* const* words,
                    ParsedSwitch* out);

// "-g, -d, -l, -b or -y"
std::string switch_words();
// The usage lines: "  -g [N]     N random fields (default 3)", one a switch.
std::string switch_help(int32_t indent);

}  // namespace veldax
