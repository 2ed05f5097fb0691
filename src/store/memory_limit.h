// The memory a run may use: the smallest of the machine's memory, the limit
// of the control group the process runs in and the process's own limits.
// A request above it is refused before anything is allocated; inside a
// container the kernel would otherwise kill the run halfway through.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace veldax {

// Bytes of a cgroup limit file ("memory.max" or "memory.limit_in_bytes");
// 0 when the file sets no limit ("max", empty, malformed, or a value of
// 2^62 and more, which is how the older interface writes "none").
uint64_t parse_memory_limit(std::string_view text);

// The cgroup folder of the process as /proc/self/cgroup names it: for
// version 2 the path of the "0::" line, for version 1 that of the line whose
// controller list holds "memory".  Empty when there is none.
std::string cgroup_path(std::string_view proc_self_cgroup, int version);

// The smallest memory limit on the way from the process's cgroup up to the
// root below `mount` (version 2: memory.max under mount; version 1:
// memory.limit_in_bytes under mount/memory); 0 when none is set.
uint64_t cgroup_memory_limit(std::string_view proc_self_cgroup, const std::string& mount,
                             int version);

// The smaller of two limits where 0 means "none".
uint64_t tighter_limit(uint64_t a, uint64_t b);

// The tightest of the cgroup limits and RLIMIT_AS / RLIMIT_DATA of this
// process; 0 when none is set.
uint64_t process_memory_limit();

// What a run may take: the smaller of the machine's memory and the
// process's limits; 0 when nothing can be told.  A request beyond it is
// refused up front: the kernel may promise more than it can give, and the
// run would then be killed halfway through a field instead of failing
// cleanly.
uint64_t usable_memory_bytes();

}  // namespace veldax
