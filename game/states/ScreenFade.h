#pragma once
// The full-screen fade every front-end state shows while it enters and leaves: an
// interpolated opacity shown through the overlay object "FadeObject_Heron".
#include "runtime/InterpolatorSystem.h"

namespace SD {
class GameObject;
}

namespace QV {

constexpr const char* kFadeObjectName = "FadeObject_Heron";

// Creates the overlay from the blueprint "FadeObject" with the interpolator's opacity, named
// and initialised; null when the blueprint is missing.
SD::GameObject* CreateFadeObject(const SD::Interpolator<float>& fade);

class ScreenFade {
public:
    // Opaque to clear; a duration of 0 keeps the interpolator's current one.
    void FadeIn(double seconds);
    // Clear to opaque.
    void FadeOut(double seconds);
    // Copies the current opacity into the overlay; true once the fade has finished.
    bool Show() const;
    // Destroys the overlay when it exists.
    static void RemoveOverlay();
    const SD::Interpolator<float>& Interpolator() const { return fade_; }

private:
    SD::Interpolator<float> fade_;
};

}  // namespace QV
