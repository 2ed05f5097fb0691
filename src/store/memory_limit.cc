#include "store/memory_limit.h"

#include <sys/resource.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>

namespace veldax {

namespace {

// Above this a limit means "none": the older cgroup interface writes a page
// rounded 2^63 - 1 for an unlimited group.
constexpr uint64_t kNoLimitFrom = uint64_t{1} << 62;

std::string read_small_file(const std::string& path) {
    std::string text;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return text;
    char buf[4096];
    const size_t n = std::fread(buf, 1, sizeof(buf), f);
    std::fclose(f);
    text.assign(buf, n);
    return text;
}

uint64_t rlimit_bytes(int resource) {
    rlimit lim{};
    if (getrlimit(resource, &lim) != 0 || lim.rlim_cur == RLIM_INFINITY) return 0;
    return static_cast<uint64_t>(lim.rlim_cur);
}

}  // namespace

uint64_t parse_memory_limit(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    uint64_t value = 0;
    size_t digits = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i, ++digits) {
        // Past 64 bits is past kNoLimitFrom too: no limit, never a wrapped
        // small one.
        const auto digit = static_cast<uint64_t>(text[i] - '0');
        if (value > (UINT64_MAX - digit) / 10) return 0;
        value = value * 10 + digit;
    }
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    if (digits == 0 || i != text.size() || value >= kNoLimitFrom) return 0;
    return value;
}

std::string cgroup_path(std::string_view proc_self_cgroup, int version) {
    std::string_view rest = proc_self_cgroup;
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        // hierarchy-id:controllers:path
        const size_t first = line.find(':');
        if (first == std::string_view::npos) continue;
        const size_t second = line.find(':', first + 1);
        if (second == std::string_view::npos) continue;
        const std::string_view id = line.substr(0, first);
        const std::string_view controllers = line.substr(first + 1, second - first - 1);
        const std::string_view path = line.substr(second + 1);
        bool match = false;
        if (version == 2) {
            match = id == "0" && controllers.empty();
        } else {
            for (std::string_view list = controllers; !list.empty();) {
                const size_t comma = list.find(',');
                if (list.substr(0, comma) == "memory") match = true;
                list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
            }
        }
        if (match) return std::string(path);
    }
    return std::string();
}

uint64_t cgroup_memory_limit(std::string_view proc_self_cgroup, const std::string& mount,
                             int version) {
    const std::string group = cgroup_path(proc_self_cgroup, version);
    const bool usable = !group.empty() && group[0] == '/' && group.find("/..") == std::string::npos;
    const std::string base = version == 2 ? mount : mount + "/memory";
    const char* file = version == 2 ? "/memory.max" : "/memory.limit_in_bytes";
    // The group's own limit and those of its parents all hold.  Inside a
    // container the group's path may not exist under the mount (its root is
    // the container's group): the root's file still tells.
    uint64_t limit = 0;
    for (size_t len = usable ? group.size() : 0;;) {
        const std::string dir = base + group.substr(0, len);
        limit = tighter_limit(limit, parse_memory_limit(read_small_file(dir + file)));
        if (len <= 1) break;
        len = group.rfind('/', len - 1);
    }
    return limit;
}

uint64_t tighter_limit(uint64_t a, uint64_t b) {
    if (a == 0) return b;
    if (b == 0) return a;
    return a < b ? a : b;
}

uint64_t usable_memory_bytes() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long page_size = sysconf(_SC_PAGE_SIZE);
    const uint64_t physical = pages > 0 && page_size > 0
                                  ? static_cast<uint64_t>(pages) * static_cast<uint64_t>(page_size)
                                  : 0;
    return tighter_limit(physical, process_memory_limit());
}

uint64_t process_memory_limit() {
    const std::string groups = read_small_file("/proc/self/cgroup");
    uint64_t limit = cgroup_memory_limit(groups, "/sys/fs/cgroup", 2);
    limit = tighter_limit(limit, cgroup_memory_limit(groups, "/sys/fs/cgroup", 1));
    limit = tighter_limit(limit, rlimit_bytes(RLIMIT_AS));
    return tighter_limit(limit, rlimit_bytes(RLIMIT_DATA));
}

}  // namespace veldax
