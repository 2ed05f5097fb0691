// The cgroup memory-limit parser and the process-group lookup on arbitrary
// text, then the walk up a small fake cgroup tree the input also writes.
// A limit read back is 0 (none) or a value below 2^62 that the text spells
// in decimal; a path found is a piece of a line of the text.
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "store/memory_limit.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const uint64_t limit = veldax::parse_memory_limit(text);
    if (limit >= (uint64_t{1} << 62)) std::abort();
    if (limit != 0 && text.find(std::to_string(limit)) == std::string_view::npos) std::abort();
    for (const int version : {1, 2}) {
        const std::string path = veldax::cgroup_path(text, version);
        if (!path.empty() && text.find(path) == std::string_view::npos) std::abort();
    }

    // The text as a limit file at the root of a fake tree, and as the
    // process's group list: the tightest limit found is never looser than
    // the root's.
    veldax_fuzz::write_bytes("memory.max", data, size);
    const uint64_t walked = veldax::cgroup_memory_limit(text, ".", 2);
    // (The walk reads the first 4096 bytes of a file.)
    if (size <= 4096 && limit != 0 && (walked == 0 || walked > limit)) std::abort();
    return 0;
}
