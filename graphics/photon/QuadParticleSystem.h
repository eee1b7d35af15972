#pragma once
// The base of the quad effects: a fixed pool of oriented, scaled quads inside the component.
// While registered it sits in the graphics system's quad list; the particle manager copies its
// live quads to the GPU as 84-byte instance records.
#include <cstdint>
#include <string>

#include "core/Matrix.h"
#include "core/Vector.h"
#include "engine/Component.h"
#include "graphics/ParticleCulling.h"
#include "graphics/photon/ParticleSystem.h"

namespace Aperture::Photon {

struct QuadAppearance {
    float free[16];
    SD::Vec4 color;
    float w;  // texture-volume coordinate of the image
};
static_assert(sizeof(QuadAppearance) == 21 * 4, "an appearance is 21 floats");

struct QuadBody {
    SD::Vec3 position;
    float scaleX, scaleY;
    float orientation[9];  // row by row
    SD::Vec3 velocity;
    float free[2];
};
static_assert(sizeof(QuadBody) == 19 * 4, "a body is 19 floats");

struct QuadParticleVertexRecord {
    float world[16];  // row by row
    float color[4];
    float w;
};
static_assert(sizeof(QuadParticleVertexRecord) == 84, "a quad instance record is 84 bytes");

// Rows: orientation column 0 times x scale, column 1 times y scale, column 2, position.
QuadParticleVertexRecord PackQuad(const QuadBody& body, const QuadAppearance& appearance);
void SetIdentityOrientation(QuadBody& body);

class QuadParticleSystem : public SD::Component, public CulledParticles {
public:
    // The image of slice 2 when no particle texture is loaded yet.
    static constexpr float kDefaultSliceW = 2.5f / 16.0f;

    QuadParticleSystem();
    ~QuadParticleSystem() override;

    SD::ComponentID VGetID() const override { return SD::kQuadParticleSystemID; }
    int VGetVersion() const override { return 0; }
    void VSerialize(SD::IStream& stream, int version) override;
    void VRegister() override;
    void VUnregister() override;

    virtual void Update(float dt) { (void)dt; }
    virtual void SetActive(bool flag) { active = flag; }
    virtual void Start() {}

    uint32_t WriteVertices(QuadParticleVertexRecord* destination, uint32_t limit) const;
    // w of the quad = the image of slice 2 of the particle volume texture.
    void SetDefaultSlice(uint32_t index);

    bool IsParticleSystemEnabled() const override { return active; }
    float GetCullRadius() const override { return cullRadius; }
    const SD::Mtx44& GetCullWorld() const override;
    void AdvanceParticles(float dt) override {
        if (active) Update(dt);
    }

    uint32_t GetParticleCount() const { return particleCount; }
    bool IsActive() const { return active; }
    void SetCullRadius(float radius) { cullRadius = radius; }
    const std::string& GetTextureName() const { return textureName; }
    const QuadBody& GetBody(uint32_t index) const { return bodies[index]; }
    QuadBody& GetBody(uint32_t index) { return bodies[index]; }
    const QuadAppearance& GetAppearance(uint32_t index) const { return appearances[index]; }

protected:
    SD::Vec3 OwnerPosition() const;

    std::string textureName;
    uint32_t particleCount = 0;
    float cullRadius = 0.0f;
    bool active = false;
    QuadAppearance appearances[kMaxParticles];
    QuadBody bodies[kMaxParticles];
};

}  // namespace Aperture::Photon
