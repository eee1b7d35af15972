#include "app/ParticleSoundBridge.h"

#include "engine/ComponentID.h"
#include "engine/GameObject.h"
#include "graphics/photon/ParticleSounds.h"
#include "sound/engine/SxSoundEngine.h"
#include "sound/system/GhostEngine.h"
#include "sound/system/Phantom.h"
#include "sound/system/SoundManager.h"

namespace QV {
namespace {

class SoundSystemParticleSounds : public Aperture::Photon::ParticleSounds {
public:
    bool PlayEmitter(SD::GameObject* object) override {
        auto* phantom = object ? dynamic_cast<SD::Phantom*>(object->GetComponent(SD::CID_Phantom)) : nullptr;
        if (!phantom) return false;
        phantom->Play();
        return true;
    }
    void PostEvent(const char* event, SD::GameObject* object) override {
        SD::GhostEngine_* ghost = SD::GhostEngine_::Existing();
        const SX::SxGameObjectID id = object && ghost ? ghost->SoundObjectID(object) : SD::kDefaultSoundObject;
        SX::SoundEngine::PostEvent(event, id);
    }
};

}  // namespace

void InstallParticleSounds() {
    static SoundSystemParticleSounds sounds;
    Aperture::Photon::SetParticleSounds(&sounds);
}

}  // namespace QV
