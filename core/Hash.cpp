#include "core/Hash.h"

namespace {

constexpr uint32_t kM = 0x5BD1E995u;
constexpr int kR = 24;
constexpr uint32_t kSeed = 2;

inline void Mix(uint32_t& h, uint32_t k) {
    k *= kM;
    k ^= k >> kR;
    k *= kM;
    h *= kM;
    h ^= k;
}

}  // namespace

uint32_t MurmurHash2A(const void* key, int32_t length) {
    const unsigned char* data = static_cast<const unsigned char*>(key);
    uint32_t h = kSeed;
    int32_t left = length;
    while (left >= 4) {
        // Little-endian, whatever the alignment of the bytes.
        uint32_t k = uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16 | uint32_t(data[3]) << 24;
        Mix(h, k);
        data += 4;
        left -= 4;
    }
    uint32_t t = 0;
    switch (left) {
        case 3:
            t ^= uint32_t(data[2]) << 16;
            [[fallthrough]];
        case 2:
            t ^= uint32_t(data[1]) << 8;
            [[fallthrough]];
        case 1:
            t ^= data[0];
            break;
        default:
            break;
    }
    Mix(h, t);
    Mix(h, static_cast<uint32_t>(length));
    h ^= h >> 13;
    h *= kM;
    h ^= h >> 15;
    return h;
}
