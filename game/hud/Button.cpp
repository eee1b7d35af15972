#include "game/hud/Button.h"

#include "engine/IStream.h"
#include "game/hud/HudSprites.h"
#include "game/hud/HudSystem.h"
#include "game/systems/AudioLogic.h"
#include "runtime/Input.h"

namespace QV {

void Button::VSerialize(SD::IStream& stream, int) {
    stream.Serialize(onTrigger, "OnTrigger Function", "String");
    stream.Serialize(upTexture, "Up Texture", "String");
    stream.Serialize(overTexture, "Over Texture", "String");
    stream.Serialize(downTexture, "Down Texture", "String");
}

void Button::Step(bool focused, float dt) {
    if (!focused) {
        if (state_ != kUp) SetSpriteTexture(GetOwner(), upTexture);
        state_ = kUp;
        return;
    }
    HudSystem* hud = HudSystem::GetInstance();
    SD::Input_* input = SD::Input_::GetInstance();
    if (hud && hud->CoolSelect(dt) && !hud->CollectorAdded() && input && input->GetDigitalTriggered("HS_Select")) {
        hud->RestartSelectCoolDown();
        if (state_ != kDown) {
            SetSpriteTexture(GetOwner(), downTexture);
            state_ = kDown;
        }
        CallScript(onTrigger, dt);
        AudioLogic_::PostEvent("Play_FireflyMainMenu", nullptr);
        return;
    }
    if (state_ != kOver) SetSpriteTexture(GetOwner(), overTexture);
    state_ = kOver;
}

}  // namespace QV
