#pragma once
// Walks over many bodies and colliders reach objects that lie apart in memory, one after
// another; asking for an object's cache lines a few elements ahead lets those reads overlap.
#include <cstddef>
#include <cstdint>

namespace Gedankenexperiment {

// How many elements ahead a walk asks for the objects it will reach.
constexpr size_t kFetchAhead = 8;

// Asks for every cache line of the object, to be read soon.
template <class T>
void Fetch(const T* object) {
    constexpr uintptr_t kLine = 64;
    const uintptr_t begin = reinterpret_cast<uintptr_t>(object) & ~(kLine - 1);
    const uintptr_t end = reinterpret_cast<uintptr_t>(object) + sizeof(T);
    for (uintptr_t line = begin; line < end; line += kLine) __builtin_prefetch(reinterpret_cast<const void*>(line));
}

}  // namespace Gedankenexperiment
