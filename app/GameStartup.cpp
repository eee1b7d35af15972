#include "app/GameStartup.h"

#include "app/ParticleSoundBridge.h"
#include "game/GameRegistration.h"
#include "graphics/GraphicsStartup.h"
#include "physics/PhysicsRegistration.h"
#include "runtime/Registration.h"
#include "sound/system/SoundSystemRegistration.h"

namespace QV {

void SupplyWholeGame(SD::Registrations& registrations) {
    Gedankenexperiment::SupplyPhysicsClasses(registrations);
    Aperture::InstallGraphics(registrations);
    SD::SupplySoundSystem(registrations);
    QV::SupplyGameClasses(registrations);
    InstallParticleSounds();
}

}  // namespace QV
