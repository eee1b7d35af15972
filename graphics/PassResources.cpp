// The meshes, instance buffers and render buffers that the passes of the frame draw with,
// made once at start-up through the resource manager (which brings them back after a reset).
#include "core/Logger.h"
#include "graphics/Graphics.h"
#include "graphics/resources/Buffers.h"
#include "graphics/resources/Mesh.h"
#include "graphics/resources/ResourceManager.h"
#include "graphics/resources/Texture.h"
#include "graphics/resources/Vertex.h"

namespace Aperture {

void Graphics_::CreatePassResources() {
    Resource::ResourceManager* manager = device.GetResourceManager();
    const SD::Vec3 none{0.0f, 0.0f, 0.0f};
    const SD::Vec3 unitX{1.0f, 0.0f, 0.0f}, unitY{0.0f, 1.0f, 0.0f}, unitZ{0.0f, 0.0f, 1.0f};
    // The terrain plane of 64 x 64 cells and the sprite quad, each one unit across.
    terrainPlane = manager->CreatePlane(64, 64, {-0.5f, 0.0f, -0.5f}, unitX, unitZ, none);
    spriteQuad = manager->CreatePlane(1, 1, {-0.5f, -0.5f, 0.0f}, unitX, unitY, none);
    skySphere = manager->CreateSphere(16, 16, none, 0.5f);
    lightSphere = manager->CreateCubeSphere(4);
    lightCone = manager->CreateCone(16);

    meshInstances = manager->CreateInstanceBuffer<Resource::MeshVertexInst>();
    lightInstances = manager->CreateInstanceBuffer<Resource::LightVertex>();
    grassField.CreateResources(*manager);

    // One float of depth a texel; a depth surface of the atlas's size gives the cascades their
    // depth test whatever the back buffer's size.
    shadowAtlas =
        manager->CreateRenderBuffer(kCascadeCount * kShadowMapSize, kShadowMapSize, platform::gfx::kFormatR32F, true);
    particleTarget = manager->CreateScaledRenderBuffer(0.25f, 0.25f, platform::gfx::kFormatA16B16G16R16F, true);
    postProcess.CreateTargets(*manager);
}

SD::Vec3 Graphics_::ViewTransform(const SD::Mtx44& view, const SD::Vec3& p, float w) {
    return {p.x * view(0, 0) + p.y * view(1, 0) + p.z * view(2, 0) + w * view(3, 0),
            p.x * view(0, 1) + p.y * view(1, 1) + p.z * view(2, 1) + w * view(3, 1),
            p.x * view(0, 2) + p.y * view(1, 2) + p.z * view(2, 2) + w * view(3, 2)};
}

void Graphics_::DrawMesh(Resource::Mesh* mesh, Resource::Effect* effect, unsigned passes) {
    if (!mesh) return;
    Resource::DrawIndexedBuffers(mesh->GetIndexBuffer(), mesh->GetVertexBuffer(), effect, passes);
}

void Graphics_::ReportMissingOnce(const std::string& what, const std::string& name) {
    bool& reported = reportedMissing[what + " " + name];
    if (reported) return;
    reported = true;
    if (what == "Effect")
        SD_WARNING(Debug::kLogData,
                   "[Graphics] Effect \"%s\" is not loaded (%s is missing or does not compile); what needs it is not "
                   "drawn",
                   name.c_str(), EffectFile(name).c_str());
    else
        SD_WARNING(Debug::kLogData, "[Graphics] %s \"%s\" is not loaded; what needs it is not drawn", what.c_str(),
                   name.c_str());
}

}  // namespace Aperture
