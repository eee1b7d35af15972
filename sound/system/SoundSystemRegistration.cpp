#include "sound/system/SoundSystemRegistration.h"

#include "runtime/Registration.h"
#include "sound/system/GhostEngine.h"
#include "sound/system/Phantom.h"

namespace SD {
namespace {

ISystem* MakeGhostEngine() { return &GhostEngine_::GetInstance(); }

}  // namespace

void SupplySoundSystem(Registrations& registrations) {
    registrations.SupplySystem("GhostEngine_", &MakeGhostEngine, true);
    registrations.SupplyComponent("Phantom", &MakeComponentCreator<Phantom>);
    registrations.SetSoundReporter([] {
        const GhostEngine_* ghost = GhostEngine_::Existing();
        return ghost ? ghost->Summary() : std::string();
    });
}

}  // namespace SD
