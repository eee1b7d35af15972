#include "game/states/StateRegistration.h"

#include "game/states/Credits.h"
#include "game/states/EscortMission.h"
#include "game/states/LoadLevel.h"
#include "game/states/MainMenu.h"
#include "game/states/SplashLevel.h"
#include "game/states/TestStates.h"
#include "game/states/World.h"
#include "graphics/Graphics.h"
#include "runtime/Registration.h"

namespace QV {

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
    registrations.SetLoadLevelPreparer([](SD::Level& loading) {
        if (auto* load = dynamic_cast<LoadLevel*>(&loading)) load->SetNextLevel("MainMenu");
        // The splash and the loading screen have no sky: its textures are loaded by the latter,
        // and the menu and the world switch it on as they load.
        if (Aperture::Graphics_* graphics = Aperture::Graphics_::Peek()) graphics->SetSkyEnabled(false);
    });
}

}  // namespace QV
