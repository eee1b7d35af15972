#include "sound/engine/bank/ISxMediaProvider.h"

#include <atomic>

namespace SX {

namespace {

class NoMedia final : public ISxMediaProvider {
public:
    bool GetMedia(SxUniqueID, SxHeldMedia&) override { return false; }
    void ReleaseMedia(SxUniqueID, const SxHeldMedia&) override {}
};

NoMedia g_noMedia;
// Set on the game's thread at start-up, read by voices and effects on the audio thread.
std::atomic<ISxMediaProvider*> g_mediaProvider{&g_noMedia};

}  // namespace

void SxSetMediaProvider(ISxMediaProvider* provider) { g_mediaProvider.store(provider ? provider : &g_noMedia); }

ISxMediaProvider& SxMediaProvider() { return *g_mediaProvider.load(); }

}  // namespace SX
