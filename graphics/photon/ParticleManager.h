#pragma once
// The renderer of every particle effect. It owns no particles, only what all effects share on
// the GPU (a unit quad per kind, the six indices, an instance buffer per kind, an effect per
// kind, the particle volume texture) and the render stacks of "layers.txt". A pass hands it
// the view's lists of visible systems; it draws them with hardware instancing, batching the
// particles of many systems into as few draws as the instance buffers allow.
#include <cstdint>
#include <vector>

#include "graphics/photon/ParticleSystem.h"
#include "graphics/photon/QuadParticleSystem.h"
#include "graphics/photon/RenderStacks.h"

namespace Aperture {
class CulledParticles;
namespace Resource {
class Effect;
class IndexBuffer;
class MeshVertex;
class ResourceManager;
class VolumeTexture;
template <class T>
class VertexBuffer;
template <class T>
class InstanceBuffer;
class ParticleVertex;
class QuadParticleVertex;
}  // namespace Resource
}  // namespace Aperture

namespace Aperture::Photon {

// The sprites a point draw keeps by their width in pixels of its target (before the cap on
// that width): from `from` up to `below`, every width from `from` while `below` is 0.
struct SpriteWidths {
    float from = 0.0f;
    float below = 0.0f;
};

class ParticleManager {
public:
    static constexpr const char* kPointEffectFile = "particle_test.fx";
    static constexpr const char* kQuadEffectFile = "quad_particle_test.fx";
    static constexpr const char* kLayersPath = "../Graphics/ParticleAssets/layers.txt";
    static constexpr const char* kQuadTechnique = "QuadParticleTest0";
    static constexpr uint32_t kPointStride = 32;
    static constexpr uint32_t kQuadStride = 84;

    explicit ParticleManager(Resource::ResourceManager* resources);
    virtual ~ParticleManager();
    ParticleManager(const ParticleManager&) = delete;
    ParticleManager& operator=(const ParticleManager&) = delete;

    // Creates the shared resources, reads the render stacks and fills the unit quads.
    virtual void Initialize();
    virtual void Release();
    virtual void Render();

    // The draw entries of the passes: every point system of the list (in list order) with
    // `effect`, then the quad systems with theirs. Lists come from Graphics_::GetScene.
    void DrawPointSprites(const std::vector<CulledParticles*>& list, Resource::Effect* effect, float viewportWidth,
                          SpriteWidths widths = SpriteWidths());
    void DrawQuadSprites(const std::vector<CulledParticles*>& list, Resource::Effect* effect);

    Resource::Effect* GetPointEffect() const { return pointEffect; }
    Resource::Effect* GetQuadEffect() const { return quadEffect; }
    Resource::VolumeTexture* GetParticleTexture() const { return particleTexture; }
    const RenderStackTable& GetRenderStacks() const { return renderStacks; }
    Resource::InstanceBuffer<Resource::ParticleVertex>* GetPointInstances() const { return pointInstances; }
    Resource::InstanceBuffer<Resource::QuadParticleVertex>* GetQuadInstances() const { return quadInstances; }

private:
    void UploadAndDrawPoints(Resource::Effect* effect, unsigned passCount);
    void DrawQuads(Resource::Effect* effect, unsigned passCount, uint32_t instances);

    Resource::ResourceManager* resources;
    Resource::InstanceBuffer<Resource::ParticleVertex>* pointInstances = nullptr;
    Resource::VertexBuffer<Resource::MeshVertex>* pointQuad = nullptr;
    Resource::InstanceBuffer<Resource::QuadParticleVertex>* quadInstances = nullptr;
    Resource::VertexBuffer<Resource::MeshVertex>* quadQuad = nullptr;
    Resource::IndexBuffer* quadIndices = nullptr;
    Resource::Effect* pointEffect = nullptr;
    Resource::Effect* quadEffect = nullptr;
    Resource::VolumeTexture* particleTexture = nullptr;
    RenderStackTable renderStacks;
    Resource::ParticleVertex* pointFormat = nullptr;
    bool pointFormatLoaded = false;
    Resource::QuadParticleVertex* quadFormat = nullptr;
    bool quadFormatLoaded = false;
    ParticleVertexRecord staging[kMaxParticles];
    uint32_t stagedBytes = 0;
};

}  // namespace Aperture::Photon
