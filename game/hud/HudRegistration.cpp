#include "game/hud/HudRegistration.h"

#include "game/hud/Button.h"
#include "game/hud/CheckBox.h"
#include "game/hud/Collider2D.h"
#include "game/hud/HudCollector.h"
#include "game/hud/HudFade.h"
#include "game/hud/HudSystem.h"
#include "game/hud/Slider.h"
#include "runtime/Registration.h"

namespace QV {
namespace {

SD::ISystem* MakeHudSystem() { return new HudSystem(); }

}  // namespace

void SupplyHudClasses(SD::Registrations& registrations) {
    // The HUD reacts to the state the frame is in, before the objects are placed and drawn.
    registrations.SupplySystem("HudSystem", &MakeHudSystem, true, {{"GameStateManager"}, {"Transformer"}});
    registrations.SupplyComponent("Button", SD::CID_Button, &SD::MakeComponentCreator<Button>);
    registrations.SupplyComponent("Collider2D", SD::CID_Collider2D, &SD::MakeComponentCreator<Collider2D>);
    registrations.SupplyComponent("HudCollector", SD::CID_HudCollector, &SD::MakeComponentCreator<HudCollector>);
    registrations.SupplyComponent("HudFade", SD::CID_HudFade, &SD::MakeComponentCreator<HudFade>);
    registrations.SupplyComponent("CheckBox", SD::CID_CheckBox, &SD::MakeComponentCreator<CheckBox>);
    registrations.SupplyComponent("Slider", SD::CID_Slider, &SD::MakeComponentCreator<Slider>);
}

}  // namespace QV
