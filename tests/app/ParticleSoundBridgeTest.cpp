#include <gtest/gtest.h>

#include "app/ParticleSoundBridge.h"
#include "engine/GameObject.h"
#include "graphics/photon/ParticleSounds.h"

namespace {

// Once installed, the effects' sounds go to the sound system: an object without a sound
// emitter plays nothing, and an event posted with no sound engine running is dropped.
TEST(ParticleSoundBridge, ObjectsWithoutAnEmitterPlayNothing) {
    QV::InstallParticleSounds();
    Aperture::Photon::ParticleSounds& sounds = Aperture::Photon::GetParticleSounds();
    SD::GameObject bare;
    EXPECT_FALSE(sounds.PlayEmitter(&bare));
    EXPECT_FALSE(sounds.PlayEmitter(nullptr));
    sounds.PostEvent("Stop_Rain", &bare);
    sounds.PostEvent("Stop_Rain", nullptr);
    Aperture::Photon::SetParticleSounds(nullptr);
}

}  // namespace
