#pragma once
// Appends little-endian values to a byte buffer: the writing side of ByteReader, for the tools
// and writers that make binary files.
#include <cstdint>
#include <cstring>
#include <vector>

namespace SD {

inline void PutU32(std::vector<unsigned char>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

inline void PutF32(std::vector<unsigned char>& out, float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    PutU32(out, bits);
}

}  // namespace SD
