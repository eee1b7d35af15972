#pragma once
// The scrolling credits over the menu scene: the credits rise by themselves, up and down
// push them along, and they end at the bottom or on "Quit", back to the menu.
#include "engine/Level.h"
#include "game/states/ScreenFade.h"
#include "runtime/InputBindingSet.h"

namespace QV {

class Credits : public SD::Level {
public:
    static constexpr float kEndY = -2.7f;
    static constexpr float kScrollRate = 0.07f;  // per second

    void Load() override;
    void Unload() override;
    void Initialize() override { fade_.FadeIn(1.0); }
    int TransitionIn(float dt) override;
    void OnEntered() override { ScreenFade::RemoveOverlay(); }
    void BeginExit() override { fade_.FadeOut(1.0); }
    int TransitionOut(float) override { return fade_.Show() ? 1 : 0; }
    void OnExited() override { ScreenFade::RemoveOverlay(); }
    void Update(float dt) override;

private:
    ScreenFade fade_;
    SD::InputBindingSet bindings_;
};

}  // namespace QV
