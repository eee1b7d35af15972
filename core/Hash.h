#pragma once
// The hash of the engine's name-keyed tables: MurmurHash2A with the seed fixed at 2. Its
// results must match the published function bit for bit, because bucket order follows them.
#include <cstdint>
#include <string>

uint32_t MurmurHash2A(const void* key, int32_t length);

namespace SD {

inline uint32_t HashName(const std::string& text) {
    return MurmurHash2A(text.data(), static_cast<int32_t>(text.size()));
}

}  // namespace SD
