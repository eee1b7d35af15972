#include "sound/engine/vorbis/SxVorbisSetupCache.h"

#include <map>
#include <mutex>
#include <utility>

namespace SX {
namespace SxVorbisSetupCache {

namespace {

using Key = std::pair<uint32_t, uint64_t>;

std::mutex g_lock;
std::map<Key, std::weak_ptr<const SxVorbisSetup>> g_entries;

uint64_t Hash(const uint8_t* data, uint32_t size, uint32_t channels, uint32_t shortLog2, uint32_t longLog2) {
    uint64_t hash = 14695981039346656037ull;
    auto mix = [&](uint8_t byte) { hash = (hash ^ byte) * 1099511628211ull; };
    for (uint32_t i = 0; i < size; ++i) mix(data[i]);
    mix(uint8_t(channels));
    mix(uint8_t(shortLog2));
    mix(uint8_t(longLog2));
    return hash ^ size;
}

}  // namespace

std::shared_ptr<const SxVorbisSetup> Acquire(uint32_t setupID, const uint8_t* setup, uint32_t size, uint32_t channels,
                                             uint32_t shortLog2, uint32_t longLog2) {
    const Key key{setupID, Hash(setup, size, channels, shortLog2, longLog2)};
    std::lock_guard<std::mutex> lock(g_lock);
    auto found = g_entries.find(key);
    if (found != g_entries.end()) {
        if (auto shared = found->second.lock()) return shared;
        g_entries.erase(found);
    }
    auto parsed = std::make_shared<SxVorbisSetup>();
    if (!parsed->Parse(setup, size, channels, shortLog2, longLog2, SxVorbisBuiltInLibrary())) return nullptr;
    for (auto it = g_entries.begin(); it != g_entries.end();)
        it = it->second.expired() ? g_entries.erase(it) : std::next(it);
    g_entries[key] = parsed;
    return parsed;
}

size_t LiveCount() {
    std::lock_guard<std::mutex> lock(g_lock);
    size_t live = 0;
    for (const auto& entry : g_entries) live += entry.second.expired() ? 0 : 1;
    return live;
}

}  // namespace SxVorbisSetupCache
}  // namespace SX
