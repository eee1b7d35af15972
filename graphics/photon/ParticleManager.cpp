#include "graphics/photon/ParticleManager.h"

#include <cstring>

#include "core/ErrorReport.h"
#include "core/FilePath.h"
#include "core/ProfileEvent.h"
#include "graphics/Graphics.h"
#include "graphics/ParticleCulling.h"
#include "graphics/resources/Buffers.h"
#include "graphics/resources/Effect.h"
#include "graphics/resources/ResourceManager.h"
#include "graphics/resources/Vertex.h"
#include "graphics/resources/VolumeTexture.h"

namespace Aperture::Photon {
namespace {

// Two triangles; the normal field holds (1, 1, 1).
Resource::MeshVertexData UnitQuadVertex(float x, float y, float u, float v) {
    Resource::MeshVertexData d;
    d.position = SD::Vec3(x, y, 0.0f);
    d.normal = SD::Vec3(1.0f, 1.0f, 1.0f);
    d.u = u;
    d.v = v;
    d.tangent = SD::Vec3(0.0f, 0.0f, 0.0f);
    d.binormal = SD::Vec3(0.0f, 0.0f, 0.0f);
    return d;
}

const Resource::MeshVertexData* UnitQuad() {
    static const Resource::MeshVertexData quad[6] = {
        UnitQuadVertex(-0.5f, 0.5f, 0, 0), UnitQuadVertex(0.5f, 0.5f, 1, 0),   UnitQuadVertex(0.5f, -0.5f, 1, 1),
        UnitQuadVertex(0.5f, -0.5f, 1, 1), UnitQuadVertex(-0.5f, -0.5f, 0, 1), UnitQuadVertex(-0.5f, 0.5f, 0, 0),
    };
    return quad;
}

platform::gfx::Device* DeviceOf(Resource::ResourceManager* resources) {
    return resources ? resources->GetDevice() : nullptr;
}

}  // namespace

ParticleManager::ParticleManager(Resource::ResourceManager* resourceManager) : resources(resourceManager) {
    std::memset(staging, 0, sizeof(staging));
}

ParticleManager::~ParticleManager() = default;

void ParticleManager::Initialize() {
    if (!resources) return;
    quadQuad = resources->CreateVertexBuffer(6);
    pointQuad = resources->CreateVertexBuffer(6);
    pointInstances = resources->CreateInstanceBuffer<Resource::ParticleVertex>();
    quadInstances = resources->CreateInstanceBuffer<Resource::QuadParticleVertex>();
    static const uint16_t indices[6] = {0, 1, 2, 3, 4, 5};
    quadIndices = resources->CreateIndexBuffer(indices, 6);
    const std::string folder = Graphics_::kShaderFolder;
    pointEffect = resources->CreateEffect(SD::FilePath((folder + kPointEffectFile).c_str()));
    quadEffect = resources->CreateEffect(SD::FilePath((folder + kQuadEffectFile).c_str()));
    if (!pointFormatLoaded) {
        pointFormat = resources->CreateVertexFormat<Resource::ParticleVertex>();
        pointFormatLoaded = pointFormat->IsLoaded();
    }
    if (!quadFormatLoaded) {
        quadFormat = resources->CreateVertexFormat<Resource::QuadParticleVertex>();
        quadFormatLoaded = quadFormat->IsLoaded();
    }
    particleTexture = resources->CreateVolumeTexture();
    LoadRenderStacks(kLayersPath, renderStacks);
    quadQuad->Fill(UnitQuad());
    pointQuad->Fill(UnitQuad());
}

void ParticleManager::Release() {
    if (pointFormat && pointFormatLoaded) pointFormatLoaded = !pointFormat->Unload();
    if (quadFormat && quadFormatLoaded) quadFormatLoaded = !quadFormat->Unload();
}

void ParticleManager::Render() { SD::ProfileScope scope("Rendering Particles"); }

void ParticleManager::UploadAndDrawPoints(Resource::Effect* effect, unsigned passCount) {
    if (!pointInstances->Fill(staging, stagedBytes)) return;
    Resource::DrawInstancedBuffers(pointQuad, effect, passCount, quadIndices, pointInstances->View(), kPointStride);
}

void ParticleManager::DrawPointSprites(const std::vector<CulledParticles*>& list, Resource::Effect* effect,
                                       float viewportWidth, SpriteWidths widths) {
    SD::ProfileScope scope("Rendering Point-Sprite Particles");
    platform::gfx::Device* device = DeviceOf(resources);
    if (!device || !effect || !pointInstances) return;
    device->SetVertexDeclaration(Resource::ParticleVertex::GetDeclaration());
    effect->SetParticleTexture(particleTexture);
    effect->SetFloat("viewport_width", viewportWidth);
    effect->SetVector4("size_band", widths.from, widths.below, 0.0f, 0.0f);
    const unsigned passCount = effect->Begin();
    const uint32_t capacityBytes = pointInstances->GetSizeBytes();
    uint32_t written = 0;
    uint32_t instances = 0;
    for (CulledParticles* entry : list) {
        auto* system = dynamic_cast<ParticleSystem*>(entry);
        if (!system) continue;
        const uint32_t n = system->GetParticleCount();
        if (n == 0) continue;
        if (written + kPointStride * n > capacityBytes) {
            stagedBytes = written;
            UploadAndDrawPoints(effect, passCount);
            written = 0;
            instances = 0;
        }
        // The cursor moves by what the system really wrote: an inactive one writes nothing.
        const uint32_t wrote = system->WriteVertices(staging + instances, n);
        written += kPointStride * wrote;
        instances += wrote;
    }
    if (written > 0) {
        stagedBytes = written;
        UploadAndDrawPoints(effect, passCount);
    }
    effect->End();
}

void ParticleManager::DrawQuads(Resource::Effect* effect, unsigned passCount, uint32_t instances) {
    Resource::DrawInstancedBuffers(quadQuad, effect, passCount, quadIndices, quadInstances->View(0, instances),
                                   kQuadStride);
}

void ParticleManager::DrawQuadSprites(const std::vector<CulledParticles*>& list, Resource::Effect* effect) {
    SD::ProfileScope scope("Rendering Quad-Sprite Particles");
    platform::gfx::Device* device = DeviceOf(resources);
    if (!device || !effect || !quadInstances || !quadInstances->GetBuffer()) return;
    effect->SetTechnique(kQuadTechnique);
    effect->SetParticleTexture(particleTexture);
    device->SetVertexDeclaration(Resource::QuadParticleVertex::GetDeclaration());
    const unsigned passCount = effect->Begin();
    const uint32_t capacityBytes = quadInstances->GetSizeBytes();
    platform::gfx::VertexBuffer* buffer = quadInstances->GetBuffer();
    uint32_t written = 0;
    for (CulledParticles* entry : list) {
        auto* system = dynamic_cast<QuadParticleSystem*>(entry);
        if (!system) continue;
        const uint32_t n = system->GetParticleCount();
        if (n == 0) continue;
        const uint32_t bytes = kQuadStride * n;
        if (written + bytes > capacityBytes) {
            DrawQuads(effect, passCount, written / kQuadStride);
            written = 0;
        }
        void* data = nullptr;
        if (platform::gfx::Failed(buffer->Lock(written, bytes, &data)) || !data) {
            Debug::ShowErrorBox("graphics\\InstanceBuffer", 136, "Error: could not lock instance buffer.");
            continue;
        }
        const uint32_t wrote = system->WriteVertices(static_cast<QuadParticleVertexRecord*>(data), n);
        buffer->Unlock();
        written += kQuadStride * wrote;
    }
    if (written > 0) DrawQuads(effect, passCount, written / kQuadStride);
    effect->End();
}

}  // namespace Aperture::Photon
