// veldax-inspect: frames, compare, png and hex over the data files of a
// veldax-gen run.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/switches.h"
#include "core/numbers.h"
#include "core/report.h"
#include "inspect.h"

namespace {

using namespace veldax::inspect;

const char kUsageHead[] =
    "usage: veldax-inspect COMMAND [OPTIONS] CONFIG.kvf SWITCH [ARGS]\n"
    "       veldax-inspect hex FILE\n"
    "\n"
    "CONFIG.kvf SWITCH [ARGS] are the parameter file and the switch with its\n"
    "arguments exactly as given to veldax-gen:\n";

const char kUsage[] =
    "Frames, fields, planes, rows and columns count from 0; a 4:2:2 chroma word\n"
    "k of a row is column 2k.\n"
    "\n"
    "  frames [--stimulus] [--file F]\n"
    "      one line per golden frame of F (golden.dat): frame, field, size index,\n"
    "      kept parity, width x height, planes, byte offset, words and MD5;\n"
    "      --stimulus: the fields of stimulus.dat\n"
    "  compare --sim DUMP [--golden F] [--max N] [--format words|hex]\n"
    "      compares a simulation dump (16-bit little-endian words, or one hex\n"
    "      value a line) with F (golden.dat); prints the first N (10) mismatches\n"
    "      and a summary per frame and plane\n"
    "  png --frame N -o OUT.png [--file F] [--stimulus] [--rgb] [--depth 16]\n"
    "      [--diff DUMP]\n"
    "      renders frame N of F: planes side by side in grey, or RGB for\n"
    "      4:2:2/4:4:4; --depth 16 keeps the sample values; --diff draws a heat\n"
    "      map of the differences from DUMP\n"
    "  hex FILE\n"
    "      the words of FILE as $readmemh text, four hex digits a line\n"
    "\n"
    "Exit status: 0 identical or done, 1 different, 2 usage or input error.\n";

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

}  // namespace

int main(int argc, char** argv) {
    veldax::set_report_program("veldax-inspect", true);
    if (argc == 2 && (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h"))) {
        std::fputs(kUsageHead, stdout);
        std::fputs(veldax::switch_help(2).c_str(), stdout);
        std::fputs(kUsage, stdout);
        return kSame;
    }
    if (argc == 2 && !std::strcmp(argv[1], "--version")) {
        std::printf("veldax-inspect %s\n", VELDAX_VERSION);
        return kSame;
    }
    if (argc < 2) return usage_error("%s", "a command is needed: frames, compare, png or hex");
    const std::string cmd = argv[1];
    Options o;
    // Options come before the parameter file; every word from the parameter
    // file on belongs to the generator's command line.
    int i = 2;
    for (; i < argc && argv[i][0] == '-' && argv[i][1] != '\0'; ++i) {
        const std::string opt = argv[i];
        if (opt == "--stimulus") {
            o.stimulus = true;
            continue;
        }
        if (opt == "--rgb") {
            o.rgb = true;
            continue;
        }
        if (opt == "--") {
            ++i;
            break;
        }
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (!value) return usage_error("%s needs a value", argv[i]);
        ++i;
        int64_t n = 0;
        if (opt == "--file")
            o.file = value;
        else if (opt == "--sim")
            o.sim = value;
        else if (opt == "--golden")
            o.golden = value;
        else if (opt == "--format")
            o.format = value;
        else if (opt == "-o")
            o.out = value;
        else if (opt == "--diff")
            o.diff = value;
        else if (opt == "--max" || opt == "--frame" || opt == "--depth") {
            if (!read_number(value, &n) || n < 0)
                return usage_error("%s takes a whole number from 0", opt.c_str());
            if (opt == "--max")
                o.max = n;
            else if (opt == "--frame")
                o.frame = n;
            else
                o.depth = static_cast<int32_t>(n);
        } else {
            return usage_error("unknown option %s", opt.c_str());
        }
    }
    for (; i < argc; ++i) o.run.emplace_back(argv[i]);
    if (cmd != "hex" && !parse_run_words(o.run, &o.words)) return kBadInput;
    if (cmd == "frames") return cmd_frames(o);
    if (cmd == "compare") return cmd_compare(o);
    if (cmd == "png") return cmd_png(o);
    if (cmd == "hex") return cmd_hex(o);
    return usage_error("unknown command %s (frames, compare, png or hex)", cmd.c_str());
}
