#include "graphics/photon/ParticleSounds.h"

namespace Aperture::Photon {
namespace {

ParticleSounds& Silent() {
    static ParticleSounds silent;
    return silent;
}

ParticleSounds* installed = nullptr;

}  // namespace

ParticleSounds& GetParticleSounds() { return installed ? *installed : Silent(); }
void SetParticleSounds(ParticleSounds* sounds) { installed = sounds; }

}  // namespace Aperture::Photon
