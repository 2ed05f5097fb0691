#include "core/pixel_plane.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <new>

namespace veldax {

// Asks for large pages under a block the run will write whole: one page
// fault then maps 2 MiB instead of 4 KiB, and the first pass over a plane no
// longer spends its time in faults.  Only advice; without it the block works
// the same.
void advise_large_pages(void* block, size_t bytes) {
#ifdef MADV_HUGEPAGE
    const long page = sysconf(_SC_PAGE_SIZE);
    if (page <= 0) return;
    const uintptr_t mask = static_cast<uintptr_t>(page) - 1;
    const uintptr_t start = (reinterpret_cast<uintptr_t>(block) + mask) & ~mask;
    const uintptr_t end = (reinterpret_cast<uintptr_t>(block) + bytes) & ~mask;
    if (end > start) madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
#else
    (void)block;
    (void)bytes;
#endif
}

uint64_t plane_bytes(int32_t rows, int32_t columns, const PlaneBorders& around,
                     size_t value_bytes) {
    if (rows <= 0 || columns <= 0) return 0;
    const uint64_t h = uint64_t(rows) + uint64_t(around.top) + uint64_t(around.bottom);
    const uint64_t w = uint64_t(columns) + uint64_t(around.left) + uint64_t(around.right);
    return h * w * value_bytes;
}

void* zeroed_block(uint64_t bytes) {
    if (bytes == 0 || bytes > SIZE_MAX) return nullptr;
    // calloc: zeroed, and the pages are the system's zero pages until the
    // run first writes them.
    void* block = std::calloc(static_cast<size_t>(bytes), 1);
    if (block) advise_large_pages(block, static_cast<size_t>(bytes));
    return block;
}

}  // namespace veldax
