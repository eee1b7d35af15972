// The world hooks the season system answers.
#include "game/components/GameHooks.h"
#include "game/systems/SowlarSystem.h"
#include "graphics/Graphics.h"

namespace QV {

void GameHooks::SetStormDarkness(float darkness) { SowlarSystem_::GetInstance().SetStormDarkness(darkness); }

void GameHooks::FlashLightning() { SowlarSystem_::GetInstance().StartLightning(); }

const char* GameHooks::GetSeasonName() { return SowlarSystem_::GetInstance().GetSeasonAtPlayer().c_str(); }

// The spring-to-summer weight the renderer keeps (0 without a renderer).
float GameHooks::GetSeasonBlend() {
    const Aperture::Graphics_* graphics = Aperture::Graphics_::Peek();
    return graphics ? graphics->GetSeasonTransition(0) : 0.0f;
}

void GameHooks::SetSeasonBlend(float blend) {
    if (Aperture::Graphics_* graphics = Aperture::Graphics_::Peek()) graphics->SetSeasonTransition(0, blend);
}

}  // namespace QV
