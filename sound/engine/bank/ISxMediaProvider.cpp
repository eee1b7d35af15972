#include "sound/engine/bank/ISxMediaProvider.h"

#include "platform/Seam.h"

namespace SX {

namespace {

class NoMedia final : public ISxMediaProvider {
public:
    bool GetMedia(SxUniqueID, SxHeldMedia&) override { return false; }
    void ReleaseMedia(SxUniqueID, const SxHeldMedia&) override {}
};

NoMedia g_noMedia;
// Set on the game's thread at start-up, read by voices and effects on the audio thread.
platform::Seam<ISxMediaProvider> g_mediaProvider{"SX::ISxMediaProvider"};

}  // namespace

bool SxSetMediaProvider(ISxMediaProvider* provider) { return g_mediaProvider.Install(provider); }
void SxRemoveMediaProvider(ISxMediaProvider* provider) { g_mediaProvider.Remove(provider); }

ISxMediaProvider& SxMediaProvider() {
    ISxMediaProvider* installed = g_mediaProvider.Installed();
    return installed ? *installed : g_noMedia;
}

}  // namespace SX
