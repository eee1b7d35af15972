#pragma once
// The sounds the particle effects start and stop. The sound system sits above the graphics
// layer, so it installs an implementation here when it joins; until then nothing plays.
namespace SD {
class GameObject;
}

namespace Aperture::Photon {

class ParticleSounds {
public:
    virtual ~ParticleSounds() = default;
    // Plays the sound of the object's sound emitter; false when it has none (nothing played).
    virtual bool PlayEmitter(SD::GameObject* object) {
        (void)object;
        return false;
    }
    // Posts a sound event for the object's sound object (the global one, 100, for null).
    virtual void PostEvent(const char* event, SD::GameObject* object) {
        (void)event;
        (void)object;
    }
};

ParticleSounds& GetParticleSounds();
// Installs sounds the caller keeps alive, a seam (docs/seams.md): while one is installed another
// is refused; null restores the silent defaults.
bool SetParticleSounds(ParticleSounds* sounds);

}  // namespace Aperture::Photon
