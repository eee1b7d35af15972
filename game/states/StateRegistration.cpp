#include "game/states/StateRegistration.h"

#include "game/states/Credits.h"
#include "game/states/EscortMission.h"
#include "game/states/LoadLevel.h"
#include "game/states/MainMenu.h"
#include "game/states/SplashLevel.h"
#include "game/states/TestStates.h"
#include "game/states/World.h"
#include "graphics/Graphics.h"
#include "runtime/GameStateManager.h"
#include "runtime/Registration.h"

namespace QV {
namespace {

// The game opens on the splash, whatever starting state is configured, and the loading state
// that follows it goes on to the menu; the splash and the loading screen are drawn without the
// sky, which the menu and the world switch on again. Without the loading state (a build of some
// states only) the configured starting state stays.
class SplashThenMenu : public SD::IFirstStateChooser {
public:
    void ChooseFirstState(SD::GameStateManager_& states) override {
        auto* loading = dynamic_cast<LoadLevel*>(states.FindLevel("LoadLevel"));
        if (!loading) return;
        states.ChangeLevelTo("SplashLevel");
        loading->SetNextLevel("MainMenu");
        if (Aperture::Graphics_* graphics = Aperture::Graphics_::Peek()) graphics->SetSkyEnabled(false);
    }
};

}  // namespace

void SupplyGameStates(SD::Registrations& registrations) {
    registrations.SupplyLevel("SplashLevel", &SD::MakeLevel<SplashLevel>);
    registrations.SupplyLevel("LoadLevel", &SD::MakeLevel<LoadLevel>);
    registrations.SupplyLevel("MainMenu", &SD::MakeLevel<MainMenu>);
    registrations.SupplyLevel("Credits", &SD::MakeLevel<Credits>);
    registrations.SupplyLevel("World", &SD::MakeLevel<World>);
    registrations.SupplyLevel("World_EscortMission", &SD::MakeLevel<World_EscortMission>);
    registrations.SupplyLevel("TestLevel", &SD::MakeLevel<TestLevel>);
    registrations.SupplyLevel("BuildMode", &SD::MakeLevel<BuildMode>);
    registrations.SupplyLevel("SowlarTestBed", &SD::MakeLevel<SowlarTestBed>);
    registrations.SupplyLevel("Graphics_Test", &SD::MakeLevel<Graphics_Test>);
    registrations.SupplyLevel("Logic_Test", &SD::MakeLevel<Logic_Test>);
    static SplashThenMenu splashThenMenu;
    registrations.SetFirstStateChooser(&splashThenMenu);
}

}  // namespace QV
