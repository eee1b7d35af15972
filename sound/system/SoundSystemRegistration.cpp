#include "sound/system/SoundSystemRegistration.h"

#include "runtime/Registration.h"
#include "sound/system/GhostEngine.h"
#include "sound/system/Phantom.h"

namespace SD {
namespace {

GameSoundPartMaker g_gamePart = nullptr;

ISystem* MakeGhostEngine() {
    GhostEngine_& ghost = GhostEngine_::GetInstance();
    if (g_gamePart) ghost.SetGameSubsystem(g_gamePart());
    return &ghost;
}

}  // namespace

void SupplySoundSystem(Registrations& registrations) {
    registrations.SupplySystem("GhostEngine_", &MakeGhostEngine, true);
    registrations.SupplyComponent("Phantom", &MakeComponentCreator<Phantom>);
    registrations.SetSoundReporter([] {
        const GhostEngine_* ghost = GhostEngine_::Existing();
        return ghost ? ghost->Summary() : std::string();
    });
}

void SupplyGameSoundPart(GameSoundPartMaker make) { g_gamePart = make; }

}  // namespace SD
