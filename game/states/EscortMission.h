#pragma once
// A smaller play state on its own level: the vehicle, its camera, the wind bars and the pause
// menu; pause keys as in the world, and no change of state of its own.
#include "engine/Level.h"
#include "game/states/ScreenFade.h"
#include "runtime/InputBindingSet.h"

namespace QV {

class World_EscortMission : public SD::Level {
public:
    void Load() override;
    void Unload() override;
    void Initialize() override { fade_.FadeIn(8.0); }
    int TransitionIn(float dt) override;
    void OnEntered() override { ScreenFade::RemoveOverlay(); }
    void BeginExit() override { fade_.FadeOut(2.0); }
    int TransitionOut(float) override { return fade_.Show() ? 1 : 0; }
    void OnExited() override { ScreenFade::RemoveOverlay(); }
    void Update(float dt) override;

private:
    ScreenFade fade_;
    SD::InputBindingSet bindings_;
};

}  // namespace QV
