// The point sprites of a view. Each one shades every pixel its quad covers, and near the eye the
// soft puffs of dust, fog and trails are wide: they cost the frame more than every other pass
// together. The wide sprites of the main view are drawn into a target of a quarter of the render
// size each way, a sixteenth of the pixels, over the depth of the view's surfaces, and that target
// is added onto the scene, filtered up: they are soft puffs, and a puff 8 pixels wide is 2 there.
// The narrow ones, which would lose their shape there, are drawn at full size. Both blend by
// adding, so the order of the two draws does not change the sum. When the bloom runs, the target
// waits for it: the bloom's last level is of the target's size and is added to the scene in full,
// so it carries the sprites there, and the glow is captured from the scene and the sprites
// together; the full-size pass that added the target alone cost a tenth of the frame.
#include "graphics/Graphics.h"
#include "graphics/photon/ParticleManager.h"
#include "graphics/resources/Effect.h"
#include "graphics/resources/Texture.h"

namespace Aperture {

void Graphics_::DrawPointSprites(Resource::RenderBuffer* color, Resource::RenderBuffer* geometry,
                                 const std::vector<CulledParticles*>& systems, bool mainView) {
    if (!particleManager || systems.empty()) return;
    Resource::Effect* effect = particleManager->GetPointEffect();
    Resource::Effect* prepare = GetEffect("particle_target");
    const float width = static_cast<float>(renderWidth);
    if (mainView && !prepare) ReportMissingOnce("Effect", "particle_target");
    if (!mainView || !particleTarget || !prepare) {
        particleManager->DrawPointSprites(systems, effect, width);
        return;
    }
    const float targetWidth = static_cast<float>(particleTarget->GetWidth());
    color->Unbind();
    platform::gfx::Device* d = device.GetDevice();
    d->SetVertexDeclaration(meshDeclaration);
    prepare->SetTechnique("PrepareFromGeometry");
    prepare->SetTexture("geometry", geometry);
    prepare->SetFloat("step",
                      static_cast<float>(geometry->GetWidth()) / static_cast<float>(particleTarget->GetWidth()));
    BindTarget(particleTarget, prepare);
    DrawFullScreenQuad(prepare);
    prepare->SetTexture("geometry", nullptr);
    particleManager->DrawPointSprites(systems, effect, targetWidth, {kSmallSpritePixels * targetWidth / width, 0.0f});
    particleTarget->Unbind();
    particlesInBloom = postProcess.BloomRuns();
    if (!particlesInBloom) {
        d->SetVertexDeclaration(meshDeclaration);
        BlendAdditive(particleTarget, color);
    }
    color->Bind();
    particleManager->DrawPointSprites(systems, effect, width, {0.0f, kSmallSpritePixels});
}

}  // namespace Aperture
