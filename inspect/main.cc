// veldax-inspect: frames, compare, png and hex over the data files of a
// veldax-gen run.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/input_guards.h"
#include "app/switches.h"
#include "core/numbers.h"
#include "core/report.h"
#include "inspect.h"

namespace {

using namespace veldax::inspect;

const char kUsageHead[] =
    "usage: veldax-inspect COMMAND [OPTIONS] CONFIG.kvf SWITCH [ARGS]\n"
    "       veldax-inspect hex FILE\n"
    "       veldax-inspect COMMAND --help\n"
    "\n"
    "CONFIG.kvf SWITCH [ARGS] are the parameter file and the switch with its\n"
    "arguments exactly as given to veldax-gen:\n";

// Each subcommand's usage; --help after it prints its own.  `options` are
// the ones it takes: any other is refused, not ignored.
struct CommandHelp {
    const char* name;
    const char* text;
    const char* options;
};

const CommandHelp kCommands[] = {
    {"frames",
     "  frames [--stimulus] [--file F]\n"
     "      one line per golden frame of F (golden.dat): frame, field, size index,\n"
     "      kept parity, width x height, planes, byte offset, words and MD5;\n"
     "      --stimulus: the fields of stimulus.dat; a text dump is read as compare does\n",
     "--stimulus --file --format"},
    {"compare",
     "  compare --sim DUMP [--golden F] [--max N] [--format words|hex] [--explain]\n"
     "          [--json FILE] [--junit FILE]\n"
     "      compares a simulation dump (16-bit little-endian words, or one hex\n"
     "      value a line) with the run's golden data, computed by the model (or\n"
     "      read from F); prints the first N (10) mismatches, a summary per frame\n"
     "      and plane, a hint when a frame mismatches almost everywhere, and a line\n"
     "      when golden.dat in the folder is not the run's; --explain works out the\n"
     "      first mismatch; --json and --junit write the verdict for CI\n",
     "--sim --golden --max --format --explain --json --junit"},
    {"png",
     "  png --frame N -o OUT.png [--file F] [--stimulus] [--rgb] [--depth 16]\n"
     "      [--diff DUMP] [--scale K]\n"
     "      renders frame N (computed by the model, or read from F): planes side by\n"
     "      side in grey, or RGB for 4:2:2/4:4:4; --depth 16 keeps the sample values;\n"
     "      --diff draws a heat map of the differences from DUMP; small frames are\n"
     "      scaled up to about 512 pixels wide, --scale K sets the factor\n",
     "--frame -o --file --stimulus --rgb --depth --diff --scale"},
    {"explain",
     "  explain --frame F --plane P --row R --col C\n"
     "      how the model worked out one golden sample: the method, the field\n"
     "      samples read and the values on the way to it\n",
     "--frame --plane --row --col"},
    {"hex",
     "  hex FILE [--frame F [--plane P] [--row R]] (the run words with --frame)\n"
     "      the words of FILE as $readmemh text, four hex digits a line\n",
     "--frame --plane --row"},
};

const char kUsageTail[] =
    "Frames, fields, planes, rows and columns count from 0; a 4:2:2 chroma word\n"
    "k of a row is column 2k.  Options may stand anywhere; the words after the\n"
    "parameter file that are not options are the generator's.\n"
    "\n"
    "Exit status: 0 identical or done, 1 different, 2 usage or input error.\n";

int print_help(const char* command) {
    if (!command) {
        std::fputs(kUsageHead, stdout);
        std::fputs(veldax::switch_help(2).c_str(), stdout);
        std::fputs("\n", stdout);
    }
    for (const CommandHelp& c : kCommands)
        if (!command || !std::strcmp(command, c.name)) std::fputs(c.text, stdout);
    std::fputs(kUsageTail, stdout);
    return veldax::standard_output_status() ? kBadInput : kSame;
}

__attribute__((format(printf, 1, 2))) int usage_error(const char* fmt, ...) {
    std::fprintf(stderr, "veldax-inspect: ");
    va_list args;
    va_start(args, fmt);
    std::vfprintf(stderr, fmt, args);
    va_end(args);
    std::fprintf(stderr, "\nTry 'veldax-inspect --help'.\n");
    return kBadInput;
}

bool read_number(const char* word, int64_t* out) {
    int32_t v = 0;
    const char* end = nullptr;
    if (veldax::read_decimal(word, &v, &end) != veldax::NumberRead::ok || *end != '\0')
        return false;
    *out = v;
    return true;
}


// The options of every subcommand: flags, and options with a value.
enum class Kind { flag, text, number };
struct OptionRow {
    const char* word;
    Kind kind;
    bool Options::*flag;
    std::string Options::*text;
    int64_t Options::*number;
};

const OptionRow kOptions[] = {
    {"--stimulus", Kind::flag, &Options::stimulus, nullptr, nullptr},
    {"--rgb", Kind::flag, &Options::rgb, nullptr, nullptr},
    {"--explain", Kind::flag, &Options::explain, nullptr, nullptr},
    {"--file", Kind::text, nullptr, &Options::file, nullptr},
    {"--sim", Kind::text, nullptr, &Options::sim, nullptr},
    {"--golden", Kind::text, nullptr, &Options::golden, nullptr},
    {"--format", Kind::text, nullptr, &Options::format, nullptr},
    {"-o", Kind::text, nullptr, &Options::out, nullptr},
    {"--diff", Kind::text, nullptr, &Options::diff, nullptr},
    {"--json", Kind::text, nullptr, &Options::json, nullptr},
    {"--junit", Kind::text, nullptr, &Options::junit, nullptr},
    {"--max", Kind::number, nullptr, nullptr, &Options::max},
    {"--frame", Kind::number, nullptr, nullptr, &Options::frame},
    {"--scale", Kind::number, nullptr, nullptr, &Options::scale},
    {"--plane", Kind::number, nullptr, nullptr, &Options::plane},
    {"--row", Kind::number, nullptr, nullptr, &Options::row},
    {"--col", Kind::number, nullptr, nullptr, &Options::col},
    {"--depth", Kind::number, nullptr, nullptr, nullptr},
};

const OptionRow* find_option(const char* word) {
    for (const OptionRow& row : kOptions)
        if (!std::strcmp(row.word, word)) return &row;
    return nullptr;
}

// The word after a file switch is its file, whatever it looks like.
bool takes_file(const char* word) {
    return !std::strcmp(word, "-l") || !std::strcmp(word, "-b") || !std::strcmp(word, "-y");
}

// An option the command does not take, or one given twice, is refused.
int check_option(const char* command, const char* word, std::vector<std::string>* given) {
    for (const std::string& g : *given)
        if (g == word) return usage_error("%s is given twice", word);
    given->emplace_back(word);
    for (const CommandHelp& c : kCommands) {
        if (std::strcmp(command, c.name)) continue;
        const std::string list = std::string(" ") + c.options + " ";
        if (list.find(std::string(" ") + word + " ") != std::string::npos) return -1;
        return usage_error("%s does not take %s (it takes %s)", command, word, c.options);
    }
    return -1;  // an unknown command is refused after the options
}

// Reads the options wherever they stand; the other words are the run's.
// Returns -1 when done, else the exit status of a refusal or of --help.
int read_options(int argc, char** argv, Options* o) {
    bool words_only = false;
    std::vector<std::string> given;
    for (int i = 2; i < argc; ++i) {
        const char* word = argv[i];
        if (words_only || word[0] != '-' || word[1] == '\0') {
            o->run.emplace_back(word);
            if (!words_only && takes_file(word) && i + 1 < argc) o->run.emplace_back(argv[++i]);
            continue;
        }
        if (!std::strcmp(word, "--")) {
            words_only = true;
            continue;
        }
        if (!std::strcmp(word, "--help") || !std::strcmp(word, "-h")) return print_help(argv[1]);
        const OptionRow* row = find_option(word);
        if (!row) {
            if (word[1] != '-') {  // a switch of the generator
                o->run.emplace_back(word);
                if (takes_file(word) && i + 1 < argc) o->run.emplace_back(argv[++i]);
                continue;
            }
            return usage_error("unknown option %s", veldax::printable(word, std::strlen(word)).c_str());
        }
        if (const int refused = check_option(argv[1], word, &given); refused >= 0) return refused;
        if (row->kind == Kind::flag) {
            o->*(row->flag) = true;
            continue;
        }
        if (i + 1 >= argc) return usage_error("%s needs a value", word);
        const char* value = argv[++i];
        if (row->kind == Kind::text) {
            o->*(row->text) = value;
            continue;
        }
        int64_t n = 0;
        if (!read_number(value, &n) || n < 0)
            return usage_error("%s takes a whole number from 0", word);
        if (row->number)
            o->*(row->number) = n;
        else
            o->depth = static_cast<int32_t>(n);
    }
    return -1;
}

int run_command(const std::string& cmd, Options& o) {
    if (cmd == "hex") return cmd_hex(o);
    const bool known = cmd == "frames" || cmd == "compare" || cmd == "png" || cmd == "explain";
    if (!known)
        return usage_error("unknown command %s (frames, compare, png, explain or hex)",
                           veldax::printable(cmd).c_str());
    if (!parse_run_words(o.run, &o.words)) return kBadInput;
    if (cmd == "frames") return cmd_frames(o);
    if (cmd == "compare") return cmd_compare(o);
    if (cmd == "explain") return cmd_explain(o);
    return cmd_png(o);
}

}  // namespace

int main(int argc, char** argv) {
    veldax::set_report_program("veldax-inspect", true);
    veldax::ignore_broken_pipe();
    if (argc == 2 && (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")))
        return print_help(nullptr);
    if (argc == 2 && !std::strcmp(argv[1], "--version")) {
        std::printf("veldax-inspect %s\n", VELDAX_VERSION);
        return veldax::standard_output_status() ? kBadInput : kSame;
    }
    if (argc < 2)
        return usage_error("%s", "a command is needed: frames, compare, png, explain or hex");
    Options o;
    if (const int status = read_options(argc, argv, &o); status >= 0) return status;
    const int status = run_command(argv[1], o);
    // Output that could not be written is no verdict.
    if (veldax::standard_output_status() != 0) {
        std::fprintf(stderr, "veldax-inspect: standard output could not be written\n");
        return kBadInput;
    }
    return status;
}
