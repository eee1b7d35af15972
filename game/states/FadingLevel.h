#pragma once
// A front-end state that leaves behind the screen fade (and one that also enters behind it):
// the overlay goes once the state has entered or left, and it has left once the fade out ends.
#include "engine/Level.h"
#include "game/states/ScreenFade.h"

namespace QV {

class FadingLevel : public SD::Level {
public:
    void OnEntered() override { ScreenFade::RemoveOverlay(); }
    void BeginExit() override { fade_.FadeOut(fadeOutSeconds_); }
    int TransitionOut(float) override { return fade_.Show() ? 1 : 0; }
    void OnExited() override { ScreenFade::RemoveOverlay(); }

protected:
    explicit FadingLevel(double fadeOutSeconds) : fadeOutSeconds_(fadeOutSeconds) {}

    ScreenFade fade_;

private:
    double fadeOutSeconds_;
};

// Fades in as well, running its own updates while it does.
class FadingInLevel : public FadingLevel {
public:
    void Initialize() override { fade_.FadeIn(fadeInSeconds_); }
    int TransitionIn(float dt) override {
        Update(dt);
        return fade_.Show() ? 1 : 0;
    }

protected:
    FadingInLevel(double fadeInSeconds, double fadeOutSeconds)
        : FadingLevel(fadeOutSeconds), fadeInSeconds_(fadeInSeconds) {}

private:
    double fadeInSeconds_;
};

}  // namespace QV
