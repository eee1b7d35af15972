#include "platform/os/VirtualMemory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace platform {
namespace {

// Widens [address, address + size) to whole pages.
void PageSpan(void* address, size_t size, void** start, size_t* length) {
    const uintptr_t page = PageSize();
    uintptr_t first = reinterpret_cast<uintptr_t>(address) & ~(page - 1);
    uintptr_t last = (reinterpret_cast<uintptr_t>(address) + size + page - 1) & ~(page - 1);
    *start = reinterpret_cast<void*>(first);
    *length = last - first;
}

}  // namespace

size_t PageSize() {
    static const size_t size = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    return size;
}

void* ReserveMemory(size_t size) {
    if (size == 0) return nullptr;
    void* p = mmap(nullptr, size, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    return p == MAP_FAILED ? nullptr : p;
}

bool CommitMemory(void* address, size_t size) {
    if (!address || size == 0) return false;
    void* start;
    size_t length;
    PageSpan(address, size, &start, &length);
    return mprotect(start, length, PROT_READ | PROT_WRITE) == 0;
}

bool DecommitMemory(void* address, size_t size) {
    if (!address || size == 0) return false;
    void* start;
    size_t length;
    PageSpan(address, size, &start, &length);
    // Fresh anonymous pages replace the old ones, so their contents go back to the system.
    void* p = mmap(start, length, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_FIXED, -1, 0);
    return p != MAP_FAILED;
}

bool ProtectNoAccess(void* address, size_t size) {
    if (!address || size == 0) return false;
    void* start;
    size_t length;
    PageSpan(address, size, &start, &length);
    return mprotect(start, length, PROT_NONE) == 0;
}

bool ReleaseMemory(void* address, size_t size) {
    if (!address || size == 0) return false;
    return munmap(address, size) == 0;
}

void AdviseLargePages(void* address, size_t size) {
    if (!address || size == 0) return;
#ifdef MADV_HUGEPAGE
    void* start;
    size_t length;
    PageSpan(address, size, &start, &length);
    madvise(start, length, MADV_HUGEPAGE);
#endif
}

}  // namespace platform
