#include "graphics/photon/EffectSupport.h"

#include "core/EngineCore.h"

namespace Aperture::Photon {

double EngineClock() { return SD::Core::GetTime(); }

float CoreFrameTime(float fallback) {
    SD::Core* core = SD::Core::GetInstance();
    return core ? static_cast<float>(core->GetFrameTime()) : fallback;
}

}  // namespace Aperture::Photon
