#include "game/states/ScreenFade.h"

#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "game/hud/HudSprites.h"

namespace QV {

SD::GameObject* CreateFadeObject(const SD::Interpolator<float>& fade) {
    SD::Factory_* factory = SD::Factory_::GetInstance();
    SD::GameObject* overlay = factory ? factory->CreateObject("FadeObject", nullptr) : nullptr;
    if (!overlay) return nullptr;
    SetSpriteOpacity(overlay, fade.GetValue());
    overlay->NameObject(kFadeObjectName);
    overlay->Initialize(false);
    return overlay;
}

void ScreenFade::FadeIn(double seconds) {
    fade_.Start(1.0f, 0.0f, seconds);
    CreateFadeObject(fade_);
}

void ScreenFade::FadeOut(double seconds) {
    fade_.Start(0.0f, 1.0f, seconds);
    CreateFadeObject(fade_);
}

bool ScreenFade::Show() const {
    SetSpriteOpacity(SD::Factory_::GetGameObjectByName(kFadeObjectName), fade_.GetValue());
    return fade_.IsComplete();
}

void ScreenFade::RemoveOverlay() {
    SD::Factory_* factory = SD::Factory_::GetInstance();
    if (SD::GameObject* overlay = SD::Factory_::GetGameObjectByName(kFadeObjectName); overlay && factory)
        factory->DestroyGameObject(overlay);
}

}  // namespace QV
