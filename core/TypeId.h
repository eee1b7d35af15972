#pragma once
// Numeric type ids carried by Any values and bound-function signatures.
// The basic types have fixed ids (the tweak-bar library's variable-type codes); every other
// type draws one from a counter the first time it needs one and keeps it for the run.
#include <cstdint>
#include <string>
#include <typeinfo>

namespace SD {
struct Quaternion;
}

namespace MFCore {

// 0 means "no fixed id": the type takes a counter id.
template <class T>
struct FixedTypeId {
    static constexpr uint32_t value = 0;
};
template <>
struct FixedTypeId<bool> {
    static constexpr uint32_t value = 1;
};
template <>
struct FixedTypeId<signed char> {
    static constexpr uint32_t value = 6;
};
template <>
struct FixedTypeId<unsigned char> {
    static constexpr uint32_t value = 7;
};
template <>
struct FixedTypeId<short> {
    static constexpr uint32_t value = 8;
};
template <>
struct FixedTypeId<unsigned short> {
    static constexpr uint32_t value = 9;
};
template <>
struct FixedTypeId<int> {
    static constexpr uint32_t value = 10;
};
template <>
struct FixedTypeId<unsigned int> {
    static constexpr uint32_t value = 11;
};
template <>
struct FixedTypeId<float> {
    static constexpr uint32_t value = 12;
};
template <>
struct FixedTypeId<double> {
    static constexpr uint32_t value = 13;
};
template <>
struct FixedTypeId<const char*> {
    static constexpr uint32_t value = 17;
};
template <>
struct FixedTypeId<SD::Quaternion> {
    static constexpr uint32_t value = 19;
};
template <>
struct FixedTypeId<std::string> {
    static constexpr uint32_t value = 0x2FFF001Cu;
};

constexpr uint32_t kVoidTypeId = 0;

// True for every id above that belongs to a basic type.
bool IsFixedTypeId(uint32_t id);

// The next counter id: 18 first, then upwards, skipping every fixed id so that a counter
// id never names a basic type.
uint32_t NextCounterTypeId();

// A type whose id is registered at run time by another system (the tweak bars register their
// three-float structure) installs a provider here; a provider returning 0, or none at all,
// leaves the type with its counter id.
template <class T>
struct TypeIdProvider {
    static inline uint32_t (*provider)() = nullptr;
};

template <class T>
uint32_t TypeIdOf() {
    if constexpr (FixedTypeId<T>::value != 0) {
        return FixedTypeId<T>::value;
    } else {
        if (uint32_t(*provider)() = TypeIdProvider<T>::provider) {
            if (uint32_t id = provider()) return id;
        }
        static const uint32_t counterId = NextCounterTypeId();
        return counterId;
    }
}

template <>
inline uint32_t TypeIdOf<void>() {
    return kVoidTypeId;
}

// The demangled name of a class in the form "class X" that reflection works with.
std::string ClassTypeName(const std::type_info& type);

}  // namespace MFCore
