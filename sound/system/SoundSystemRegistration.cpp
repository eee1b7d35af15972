#include "sound/system/SoundSystemRegistration.h"

#include "platform/Seam.h"
#include "runtime/Registration.h"
#include "sound/system/GhostEngine.h"
#include "sound/system/Phantom.h"

namespace SD {
namespace {

platform::Seam<IGameSoundPartMaker> g_gamePart{"SD::IGameSoundPartMaker"};

ISystem* MakeGhostEngine() {
    GhostEngine_& ghost = GhostEngine_::GetInstance();
    if (IGameSoundPartMaker* make = g_gamePart.Installed()) ghost.SetGameSubsystem(make->Make());
    return &ghost;
}

// The summary's sound part is the sound system's own account of the run.
class GhostEngineReporter : public ISoundReporter {
public:
    std::string SoundReport() const override {
        const GhostEngine_* ghost = GhostEngine_::Existing();
        return ghost ? ghost->Summary() : std::string();
    }
};

}  // namespace

void SupplySoundSystem(Registrations& registrations) {
    // The sound objects follow the places the frame settled on.
    registrations.SupplySystem("GhostEngine_", &MakeGhostEngine, true, {{"Factory"}, {"LevelLayerManager"}});
    registrations.SupplyComponent("Phantom", CID_Phantom, &MakeComponentCreator<Phantom>);
    static GhostEngineReporter reporter;
    registrations.SetSoundReporter(&reporter);
}

bool SupplyGameSoundPart(IGameSoundPartMaker* make) { return g_gamePart.Install(make); }

}  // namespace SD
