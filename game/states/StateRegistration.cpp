#include "game/states/StateRegistration.h"

#include "game/states/Credits.h"
#include "game/states/LoadLevel.h"
#include "game/states/MainMenu.h"
#include "game/states/SplashLevel.h"
#include "runtime/Registration.h"

namespace QV {

void SupplyFrontEndStates(SD::Registrations& registrations) {
    registrations.SupplyLevel("SplashLevel", &SD::MakeLevel<SplashLevel>);
    registrations.SupplyLevel("LoadLevel", &SD::MakeLevel<LoadLevel>);
    registrations.SupplyLevel("MainMenu", &SD::MakeLevel<MainMenu>);
    registrations.SupplyLevel("Credits", &SD::MakeLevel<Credits>);
    registrations.SetLoadLevelPreparer([](SD::Level& loading) {
        if (auto* load = dynamic_cast<LoadLevel*>(&loading)) load->SetNextLevel("MainMenu");
    });
}

}  // namespace QV
