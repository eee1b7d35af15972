#include "graphics/photon/ParticleSounds.h"

#include "platform/Seam.h"

namespace Aperture::Photon {
namespace {

ParticleSounds& Silent() {
    static ParticleSounds silent;
    return silent;
}

platform::Seam<ParticleSounds> installed{"Aperture::Photon::ParticleSounds"};

}  // namespace

ParticleSounds& GetParticleSounds() {
    ParticleSounds* sounds = installed.Installed();
    return sounds ? *sounds : Silent();
}
bool SetParticleSounds(ParticleSounds* sounds) { return installed.Install(sounds); }

}  // namespace Aperture::Photon
