#pragma once
// Helpers shared by the effect plug-ins: objects and arrays made through the plug-in's
// allocator, and the reading of one SetParam value.
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

#include "sound/engine/plugin/ISxPlugin.h"

namespace SX {

template <typename T, typename... Args>
T* SxFxNew(ISxPluginMemAlloc* allocator, Args&&... args) {
    void* memory = allocator ? allocator->Malloc(sizeof(T)) : nullptr;
    return memory ? new (memory) T(std::forward<Args>(args)...) : nullptr;
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

// Copies count items into a fresh array `to` and sets toCount; false when memory ran out
// (nothing is made for a count of 0).
template <typename T, typename Count>
bool SxFxCopyArray(ISxPluginMemAlloc* allocator, const T* from, size_t count, T*& to, Count& toCount) {
    if (count == 0) return true;
    to = SxFxAllocArray<T>(allocator, count);
    if (!to) return false;
    std::memcpy(static_cast<void*>(to), from, count * sizeof(T));
    toCount = Count(count);
    return true;
}

// One SetParam value of type T; false when the value is missing or shorter than T.
template <typename T>
bool SxFxReadValue(const void* value, uint32_t size, T& out) {
    if (!value || size < sizeof(T)) return false;
    std::memcpy(&out, value, sizeof(T));
    return true;
}

}  // namespace SX
