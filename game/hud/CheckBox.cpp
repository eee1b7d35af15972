#include "game/hud/CheckBox.h"

#include "engine/IStream.h"
#include "engine/LuaState.h"
#include "game/hud/HudSprites.h"
#include "game/hud/HudSystem.h"
#include "runtime/Input.h"

namespace QV {

void CheckBox::VSerialize(SD::IStream& stream, int) {
    stream.Serialize(queryState, "QueryState Function", "String");
    stream.Serialize(onCheck, "OnCheck Function", "String");
    stream.Serialize(onUncheck, "OnUncheck Function", "String");
    stream.Serialize(checkedTexture, "Checked Texture", "String");
    stream.Serialize(uncheckedTexture, "Unchecked Texture", "String");
}

void CheckBox::VInitialize(bool) {
    if (SD::LuaState* lua = SD::GetLuaState()) {
        bool state = checked_;
        if (!queryState.empty() && lua->executeFunction(queryState.c_str(), ":b", &state)) checked_ = state;
    }
    previous_ = checked_;
    SetSpriteTexture(GetOwner(), checked_ ? checkedTexture : uncheckedTexture);
}

void CheckBox::Toggle(float dt) {
    checked_ = !checked_;
    SetSpriteTexture(GetOwner(), checked_ ? checkedTexture : uncheckedTexture);
    CallScript(checked_ ? onCheck : onUncheck, dt);
}

void CheckBox::Step(bool focused, float dt) {
    if (!focused) return;
    HudSystem* hud = HudSystem::GetInstance();
    SD::Input_* input = SD::Input_::GetInstance();
    if (hud && !hud->CollectorAdded() && input && input->GetDigitalTriggered("HS_Select")) Toggle(dt);
}

}  // namespace QV
