#include "sound/engine/audio/SxExternalSources.h"

#include <cwchar>
#include <new>

#include "sound/engine/memory/SxMemoryMgr.h"

namespace SX {

static_assert(alignof(SxExternalSourceInfo) <= 16, "entries follow the header in one block");
static_assert(sizeof(SxExternalSourceArray) % alignof(SxExternalSourceInfo) == 0, "entries are aligned");

SxExternalSourceArray* SxExternalSourceArray::Create(const SxExternalSourceInfo* sources, uint32_t count) {
    void* block =
        MemoryMgr::Malloc(g_DefaultPoolId, sizeof(SxExternalSourceArray) + count * sizeof(SxExternalSourceInfo));
    if (!block) return nullptr;
    auto* array = new (block) SxExternalSourceArray;
    for (uint32_t i = 0; i < count; ++i) {
        SxExternalSourceInfo entry = sources[i];
        if (entry.fileName) {
            const size_t length = std::wcslen(entry.fileName) + 1;
            auto* name = static_cast<wchar_t*>(MemoryMgr::Malloc(g_DefaultPoolId, length * sizeof(wchar_t)));
            if (!name) {
                array->FreeNames(i);
                MemoryMgr::Free(g_DefaultPoolId, block);
                return nullptr;
            }
            std::wmemcpy(name, entry.fileName, length);
            entry.fileName = name;
        }
        array->Entries()[i] = entry;
    }
    array->m_count = count;
    return array;
}

void SxExternalSourceArray::FreeNames(uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) MemoryMgr::Free(g_DefaultPoolId, const_cast<wchar_t*>(Entries()[i].fileName));
}

void SxExternalSourceArray::Release() {
    if (--m_refCount != 0) return;
    FreeNames(m_count);
    this->~SxExternalSourceArray();
    MemoryMgr::Free(g_DefaultPoolId, this);
}

}  // namespace SX
