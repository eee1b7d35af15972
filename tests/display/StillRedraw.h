#pragma once
// The graphics system's frame drawn again with nothing moving, read back from the window: the
// clock held, no time step, and the particle systems set aside (some advance by the frame's
// measured time whatever step they are given) except one a check wants to see. The camera eases
// its field of view a step each drawing, whatever the time step; each drawing starts from the
// field of view it has now, and leaves it so. The post-processing blends in the bloom of the
// frame drawn before, so the frame is drawn twice and the second, which blends the still
// scene's own bloom, is kept.
#include <vector>

#include "core/EngineCore.h"
#include "display/FrameMeasures.h"
#include "graphics/Graphics.h"
#include "graphics/ParticleCulling.h"
#include "graphics/components/Camera.h"
#include "platform/sdl/SdlSession.h"
#include "tests/display/SdlSessionProbe.h"

namespace displaytest {

inline qvdisplay::Frame RedrawStill(const platform::sdl::SdlSession& session,
                                    const Aperture::CulledParticles* keep = nullptr) {
    Aperture::Graphics_* graphics = Aperture::Graphics_::GetInstance();
    SD::Core* core = SD::Core::GetInstance();
    Aperture::Camera* camera = graphics->GetActiveCamera();
    const float fov = camera ? camera->GetFov() : 0.0f;
    Aperture::SceneLists& lists = graphics->GetSceneLists();
    std::vector<Aperture::CulledParticles*> points, quads;
    for (Aperture::CulledParticles* system : lists.PointParticles())
        if (system != keep) points.push_back(system);
    for (Aperture::CulledParticles* system : lists.QuadParticles())
        if (system != keep) quads.push_back(system);
    for (Aperture::CulledParticles* system : points) lists.PointParticles().Remove(system);
    for (Aperture::CulledParticles* system : quads) lists.QuadParticles().Remove(system);
    for (int drawing = 0; drawing < 2; ++drawing) {
        if (camera) camera->SetFov(fov);
        core->HoldClock(true);
        graphics->Update(0.0f);
        core->HoldClock(false);
    }
    if (camera) camera->SetFov(fov);
    for (Aperture::CulledParticles* system : points) lists.PointParticles().PushBack(system);
    for (Aperture::CulledParticles* system : quads) lists.QuadParticles().PushBack(system);
    return {SdlSessionProbe::LastFrameWidth(session), SdlSessionProbe::LastFrameHeight(session),
            SdlSessionProbe::LastFrame(session)};
}

}  // namespace displaytest
