#pragma once
// Media that a sound or an effect names by ID but does not hold itself. The bank side of the
// sound system supplies it from the loaded banks; without a provider no media is found.
#include <cstdint>

#include "sound/engine/SxTypes.h"

namespace SX {

// Media handed out by a provider; the holder is what keeps it alive until it is given back.
struct SxHeldMedia {
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    void* holder = nullptr;
};

class ISxMediaProvider {
public:
    // The media of an ID, held until ReleaseMedia; false when none is loaded (empty media is
    // none, and nothing is held for it).
    virtual bool GetMedia(SxUniqueID mediaID, SxHeldMedia& media) = 0;
    // Gives back media of a successful GetMedia.
    virtual void ReleaseMedia(SxUniqueID mediaID, const SxHeldMedia& media) = 0;

protected:
    ~ISxMediaProvider() = default;
};

// Installs the provider, a seam (docs/seams.md): while one is installed another is refused;
// null restores the default, which finds no media. Set while no voice or effect holds media.
bool SxSetMediaProvider(ISxMediaProvider* provider);
// Removes `provider` only if it is the one installed.
void SxRemoveMediaProvider(ISxMediaProvider* provider);
ISxMediaProvider& SxMediaProvider();

}  // namespace SX
