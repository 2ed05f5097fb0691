// The whole entry point.  The input is a parameter file, a NUL byte, a
// stimulus file, a NUL byte and a few bytes that choose the command line
// from the program's own words.  Configurations asking for more than a small
// frame are skipped: they would only measure the machine's memory.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/driver.h"
#include "core/record.h"
#include "fuzz_support.h"

namespace {

// The bytes up to the next NUL (or the end); the NUL is taken too.
std::string take_part(const uint8_t*& data, size_t& size) {
    const void* nul = std::memchr(data, 0, size);
    const size_t n = nul ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - data) : size;
    std::string part(reinterpret_cast<const char*>(data), n);
    const size_t used = nul ? n + 1 : n;
    data += used;
    size -= used;
    return part;
}

bool small_enough() {
    const auto m = std::make_unique<veldax::DeinterlacerModel>();
    m->init_defaults();
    m->kvf_path = "cfg.kvf";
    return m->read_parameter_file() == veldax::Status::ok &&
           int64_t{m->num_plane} * m->frame_width * m->frame_height <= 4096;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using veldax_fuzz::take;
    veldax_fuzz::quiet_stdout();
    const std::string kvf = take_part(data, size);
    const std::string stimulus = take_part(data, size);
    veldax_fuzz::write_bytes("cfg.kvf", reinterpret_cast<const uint8_t*>(kvf.data()), kvf.size());
    veldax_fuzz::write_bytes("in.dat", reinterpret_cast<const uint8_t*>(stimulus.data()),
                             stimulus.size());
    if (!small_enough()) return 0;

    static const char* const kSwitches[] = {"-d", "-g", "-l",     "-b",
                                            "-y", "-x", "--help", "--version"};
    static const char* const kCounts[] = {"0", "1", "2", "4", "5", "-3", "abc", "99999999999"};
    static const char* const kFiles[] = {"in.dat", "cfg.kvf", "veldax_head", "missing", "."};
    static const char* const kParameterFiles[] = {"cfg.kvf", "golden.dat", "missing", "."};
    std::vector<std::string> words = {"veldax-gen"};
    const uint8_t form = take(data, size);
    const uint8_t count = take(data, size);
    if (form & 0x80) {
        words.push_back(kSwitches[form % 8]);  // the switch alone (help, version, ...)
    } else {
        // A parameter file named like an output holds the same small text.
        const char* kvf_name = (form & 0x40) ? kParameterFiles[(form >> 3) % 4] : "cfg.kvf";
        if (std::strcmp(kvf_name, "golden.dat") == 0)
            veldax_fuzz::write_bytes(kvf_name, reinterpret_cast<const uint8_t*>(kvf.data()),
                                     kvf.size());
        words.push_back(kvf_name);
        const char* sw = kSwitches[form % 8];
        words.push_back(sw);
        if (sw[1] == 'l' || sw[1] == 'b' || sw[1] == 'y') words.push_back(kFiles[count % 5]);
        if (count & 0x08) words.push_back(kCounts[(count >> 4) % 8]);
    }
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    veldax::veldax_main(static_cast<int>(words.size()), argv.data());
    return 0;
}
