#include "game/hud/Widget.h"

#include "engine/LuaComponent.h"
#include "engine/LuaState.h"
#include "game/hud/HudCollector.h"

namespace QV {

void HudWidget::VRegister() {
    if (HudCollector* collector = ParentCollector(*this)) collector->AddItem(this);
}

void HudWidget::VUnregister() {
    if (HudCollector* collector = ParentCollector(*this)) collector->RemoveItem(this);
}

void HudWidget::CallScript(const std::string& name, float dt) const {
    if (name.empty() || !SD::GetLuaState()) return;
    SD::CallLuaObjectFunction(name.c_str(), GetOwner(), dt);
}

}  // namespace QV
