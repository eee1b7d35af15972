#pragma once
// Helpers shared by the effect plug-ins: objects and arrays made through the plug-in's
// allocator, and the reading of one SetParam value.
#include <cstdint>
#include <cstring>
#include <new>

#include "sound/engine/plugin/ISxPlugin.h"

namespace SX {

template <typename T>
T* SxFxNew(ISxPluginMemAlloc* allocator) {
    void* memory = allocator ? allocator->Malloc(sizeof(T)) : nullptr;
    return memory ? new (memory) T() : nullptr;
}

template <typename T>
SXRESULT SxFxDelete(T* object, ISxPluginMemAlloc* allocator) {
    object->~T();
    allocator->Free(object);
    return SX_Success;
}

// An array of count zeroed items, or null (also for count 0).
template <typename T>
T* SxFxAllocArray(ISxPluginMemAlloc* allocator, size_t count) {
    if (!allocator || count == 0) return nullptr;
    T* items = static_cast<T*>(allocator->Malloc(count * sizeof(T)));
    if (items) std::memset(static_cast<void*>(items), 0, count * sizeof(T));
    return items;
}

template <typename T>
void SxFxFreeArray(ISxPluginMemAlloc* allocator, T*& items) {
    if (items && allocator) allocator->Free(items);
    items = nullptr;
}

// One SetParam value of type T; false when the value is missing or shorter than T.
template <typename T>
bool SxFxReadValue(const void* value, uint32_t size, T& out) {
    if (!value || size < sizeof(T)) return false;
    std::memcpy(&out, value, sizeof(T));
    return true;
}

}  // namespace SX
