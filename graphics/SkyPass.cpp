// The sky: the sky sphere around the viewer with the seasons' textures that the season's
// transitions blend (the two that weigh most, see SkyBlend.h), on the far plane where the view's opaque surfaces left the depth cleared.
#include "core/Season.h"
#include "graphics/Graphics.h"
#include "graphics/SkyBlend.h"
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
        SD::Mtx44 world = SD::Mtx44::Identity();
        world(0, 0) = world(1, 1) = world(2, 2) = 100.0f;
        sky->SetMatrix("world", world);
        // A translation by the near distance for row vectors, handed over as built.
        SD::Mtx44 translateView = SD::Mtx44::Identity();
        translateView(3, 2) = cameraNear;
        sky->SetMatrix("translate_view", translateView);
        // Every season's texture is looked up, so that a missing one is told whatever the season.
        static const char* const kSeasons[SD::kSeasonCount] = {"spring_skysphere", "summer_skysphere", "fall_skysphere",
                                                               "winter_skysphere"};
        Resource::iTexture* textures[SD::kSeasonCount] = {};
        for (int i = 0; i < SD::kSeasonCount; ++i)
            if (!(textures[i] = FindTexture(kSeasons[i]))) ReportMissingOnce("Texture", kSeasons[i]);
        const SD::WorldSeason& season = SD::WorldSeason::Get();
        const SkyBlend blend = ChooseSkyBlend({season.GetTransition(SD::SeasonTransition::kSpringToSummer),
                                               season.GetTransition(SD::SeasonTransition::kSummerToFall),
                                               season.GetTransition(SD::SeasonTransition::kFallToWinter)});
        // Without a transition under way one texture is the whole sky, and a pixel reads only it.
        const bool transition = blend.mix > 0.0f && blend.mix < 1.0f;
        sky->SetTechnique(transition ? "draw_transition_sky" : "draw_sky");
        sky->SetTexture("sky_from", textures[blend.mix < 1.0f ? blend.from : blend.to]);
        sky->SetTexture("sky_to", transition ? textures[blend.to] : nullptr);
        sky->SetFloat("sky_mix", blend.mix);
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
