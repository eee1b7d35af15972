// The sky: the sky sphere around the viewer with the four seasonal textures that the sky effect
// blends, on the far plane where the view's opaque surfaces left the depth cleared.
#include "graphics/Graphics.h"
#include "graphics/resources/Effect.h"
#include "graphics/resources/Mesh.h"
#include "graphics/resources/Texture.h"
#include "graphics/resources/Vertex.h"

namespace Aperture {

// The sphere around the eye on the far plane fills every pixel the surfaces leave.
bool Graphics_::SkyFillsView() const { return skyEnabled && skySphere && GetEffect("sky"); }

void Graphics_::DrawSky(RenderTarget* target) {
    if (!target) return;
    platform::gfx::Device* d = device.GetDevice();
    d->SetVertexDeclaration(Resource::MeshVertex::GetDeclaration());
    Resource::Effect* sky = GetEffect("sky");
    const uint32_t clipPlanes = d->GetRenderState(platform::gfx::kRsClipPlaneEnable);
    d->SetRenderState(platform::gfx::kRsClipPlaneEnable, 0);
    if (sky)
        BindTarget(target, sky);
    else
        target->Bind();
    if (sky) {
        sky->SetTechnique("draw_transition_sky");
        SD::Mtx44 world = SD::Mtx44::Identity();
        world(0, 0) = world(1, 1) = world(2, 2) = 100.0f;
        sky->SetMatrix("world", world);
        // A translation by the near distance for row vectors, handed over as built.
        SD::Mtx44 translateView = SD::Mtx44::Identity();
        translateView(3, 2) = cameraNear;
        sky->SetMatrix("translate_view", translateView);
        static const char* const kSeasons[4][2] = {{"texture0", "spring_skysphere"},
                                                   {"texture1", "summer_skysphere"},
                                                   {"texture2", "fall_skysphere"},
                                                   {"texture3", "winter_skysphere"}};
        for (const auto& season : kSeasons) {
            if (Resource::iTexture* texture = FindTexture(season[1]))
                sky->SetTexture(season[0], texture);
            else
                ReportMissingOnce("Texture", season[1]);
        }
        const unsigned passes = sky->Begin();
        DrawMesh(skySphere, sky, passes);
        sky->End();
    } else {
        ReportMissingOnce("Effect", "sky");
    }
    target->Unbind();
    d->SetRenderState(platform::gfx::kRsClipPlaneEnable, clipPlanes);
}

}  // namespace Aperture
