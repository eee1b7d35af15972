#include "graphics/photon/EffectSupport.h"

#include "core/EngineCore.h"
#include "runtime/InterpolatorSystem.h"

namespace Aperture::Photon {

void StartGust(SD::InterpolatorF& gust) {
    const float duration = Uniform(1.0f, 3.0f);
    const float end = Uniform(-0.25f, 0.25f);
    gust.Start(0.0f, end, duration);
}

double EngineClock() { return SD::Core::GetTime(); }

float CoreFrameTime(float fallback) {
    SD::Core* core = SD::Core::GetInstance();
    return core ? static_cast<float>(core->GetFrameTime()) : fallback;
}

}  // namespace Aperture::Photon
