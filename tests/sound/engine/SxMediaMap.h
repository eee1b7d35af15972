#pragma once
// Media by ID for the sources and effects of a test, from a map the test fills, installed as
// the engine's media provider while this object lives. It counts what is handed out and given
// back, so tests can check that held media goes back.
#include <cstdint>
#include <map>
#include <vector>

#include "sound/engine/bank/ISxMediaProvider.h"

namespace sxtest {

class SxMediaMap final : public SX::ISxMediaProvider {
public:
    using Media = std::map<SX::SxUniqueID, std::vector<uint8_t>>;

    explicit SxMediaMap(const Media& media) : m_media(media) { SX::SxSetMediaProvider(this); }
    ~SxMediaMap() { SX::SxRemoveMediaProvider(this); }
    SxMediaMap(const SxMediaMap&) = delete;
    SxMediaMap& operator=(const SxMediaMap&) = delete;

    bool GetMedia(SX::SxUniqueID mediaID, SX::SxHeldMedia& held) override {
        const auto found = m_media.find(mediaID);
        if (found == m_media.end() || found->second.empty()) return false;
        held.data = found->second.data();
        held.size = static_cast<uint32_t>(found->second.size());
        ++handedOut;
        return true;
    }
    void ReleaseMedia(SX::SxUniqueID, const SX::SxHeldMedia&) override { ++releases; }

    int handedOut = 0;
    int releases = 0;

private:
    const Media& m_media;
};

}  // namespace sxtest
