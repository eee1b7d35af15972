#include "sound/engine/SxSoundEngine.h"

namespace SX::SoundEngine {

namespace {
constexpr uint32_t kMaxNameLength = 259;

template <typename Char>
SxUniqueID Hash(const Char* name) {
    if (!name) return 0;
    uint32_t hash = 0x811C9DC5u;
    for (uint32_t i = 0; i < kMaxNameLength && name[i]; ++i) {
        auto c = static_cast<uint8_t>(name[i]);
        if (c >= 'A' && c <= 'Z') c = static_cast<uint8_t>(c + ('a' - 'A'));
        hash = (hash * 16777619u) ^ c;
    }
    return hash;
}
}  // namespace

SxUniqueID GetIDFromString(const char* name) { return Hash(name); }
// Wide names are narrowed character by character to 8 bits first.
SxUniqueID GetIDFromString(const wchar_t* name) { return Hash(name); }

}  // namespace SX::SoundEngine
