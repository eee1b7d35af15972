#pragma once
// The base of every point-sprite effect: a fixed pool of particles inside the component, the
// leading ParticleCount of them live. While registered it sits in the graphics system's point
// list; the graphics system updates it each frame (on a worker thread) and the particle
// manager copies its live particles to the GPU as 32-byte instance records.
#include <cstdint>

#include "core/Matrix.h"
#include "core/Vector.h"
#include "engine/Component.h"
#include "graphics/ParticleCulling.h"

namespace SD {
class GameObject;
}

namespace Aperture::Photon {

constexpr uint32_t kMaxParticles = 1024;

struct Particle {
    SD::Vec3 position;
    SD::Vec4 color;
    float slice;     // image of the particle volume texture; integer part used
    float size;      // whole part and fraction both sent
    float rotation;  // degrees, 0 to 359
    SD::Vec3 velocity;
    float lifetime;
    float age;
};
static_assert(sizeof(Particle) == 60, "a particle is fifteen floats");

// The point instance record, as the GPU reads it.
struct ParticleVertexRecord {
    float position[3];
    float color[4];
    uint8_t slice;
    uint8_t rotation;
    uint8_t sizeWhole;
    uint8_t sizeFraction;
};
static_assert(sizeof(ParticleVertexRecord) == 32, "a point instance record is 32 bytes");

// A float as a byte: through a 32-bit integer, keeping its low eight bits, so values out of
// the byte's range wrap instead of being undefined.
uint8_t FloatToByte(float value);
ParticleVertexRecord PackParticle(const Particle& particle);

// The object's world position computed from its parents without storing anything on the way,
// so updates on several threads may read the same parents (origin for no object).
SD::Vec3 ReadWorldPosition(SD::GameObject* object);

class ParticleSystem : public SD::Component, public CulledParticles {
public:
    ParticleSystem();
    ~ParticleSystem() override;

    SD::ComponentID VGetID() const override { return SD::CID_ParticleSystem; }
    int VGetVersion() const override { return 0; }
    void VSerialize(SD::IStream& stream, int version) override;
    // Joins the point list: sets Active and starts the effect.
    void VRegister() override;
    void VUnregister() override;

    // Effects advance their particles; called on a worker thread.
    virtual void Update(float dt) { (void)dt; }
    // Effects lay out their particles and set the live count; main thread.
    virtual void Start() {}

    // Writes min(live count, limit) records of the leading particles; none when inactive.
    uint32_t WriteVertices(ParticleVertexRecord* destination, uint32_t limit) const;
    void SetParticleSlice(uint32_t index, int slice);

    bool IsParticleSystemEnabled() const override { return active; }
    float GetCullRadius() const override { return cullRadius; }
    const SD::Mtx44& GetCullWorld() const override;
    void AdvanceParticles(float dt) override {
        if (active) Update(dt);
    }

    uint32_t GetParticleCount() const { return particleCount; }
    void SetParticleCount(uint32_t count) { particleCount = count < kMaxParticles ? count : kMaxParticles; }
    bool IsActive() const { return active; }
    void SetActiveFlag(bool on) { active = on; }
    void SetCullRadius(float radius) { cullRadius = radius; }
    const Particle& GetParticle(uint32_t index) const { return particles[index]; }
    Particle& GetParticle(uint32_t index) { return particles[index]; }

protected:
    // The owner's local position and world position (origin without an owner).
    SD::Vec3 OwnerPosition() const;
    SD::Vec3 OwnerWorldPosition() const;
    // The colour of the owner's geometry; `fallback` without one.
    SD::Vec4 OwnerColor(const SD::Vec4& fallback) const;

    uint32_t particleCount = 0;
    bool active = false;
    Particle particles[kMaxParticles];
    float particleExtras[kMaxParticles][14];
    float cullRadius = 0.0f;
};

}  // namespace Aperture::Photon
