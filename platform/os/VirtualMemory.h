#pragma once
// Reserve, commit and release address space, for memory pools that manage their own pages.
#include <cstddef>

namespace platform {

size_t PageSize();
// Reserves address space with no access; nullptr when refused.
void* ReserveMemory(size_t size);
// Makes [address, address + size) readable and writable (page-rounded); false when refused.
bool CommitMemory(void* address, size_t size);
// Returns the pages to the system and makes them inaccessible again.
bool DecommitMemory(void* address, size_t size);
// Makes committed pages inaccessible without returning them (guard pages).
bool ProtectNoAccess(void* address, size_t size);
bool ReleaseMemory(void* address, size_t size);
// A hint that [address, address + size) is used densely and should be backed by large pages
// where the system offers them (fewer address-translation misses); the memory and its content
// stay as they are. Ignored for null, zero or where unsupported.
void AdviseLargePages(void* address, size_t size);

}  // namespace platform
