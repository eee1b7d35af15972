#pragma once
// Sources the game names when it posts an event, matched at play time by cookie. PostEvent
// copies them, file names included, into one reference-counted array in the default pool.
#include <atomic>
#include <cstdint>

namespace SX {

struct SxExternalSourceInfo {
    uint32_t cookie = 0;
    uint32_t codecID = 0;
    const wchar_t* fileName = nullptr;  // or in-memory data, or a file ID
    void* inMemory = nullptr;
    uint32_t inMemorySize = 0;
    uint32_t fileID = 0;
};

class SxExternalSourceArray {
public:
    // A copy with one reference, or null when memory fails (nothing is left allocated).
    static SxExternalSourceArray* Create(const SxExternalSourceInfo* sources, uint32_t count);
    void AddRef() { ++m_refCount; }
    // Frees the names and the array at the last reference.
    void Release();

    uint32_t Count() const { return m_count; }
    const SxExternalSourceInfo& operator[](uint32_t i) const { return Entries()[i]; }

private:
    SxExternalSourceInfo* Entries() { return reinterpret_cast<SxExternalSourceInfo*>(this + 1); }
    const SxExternalSourceInfo* Entries() const { return reinterpret_cast<const SxExternalSourceInfo*>(this + 1); }
    void FreeNames(uint32_t count);

    std::atomic<uint32_t> m_refCount{1};
    uint32_t m_count = 0;
};

}  // namespace SX
