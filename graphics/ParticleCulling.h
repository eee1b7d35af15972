#pragma once
// What the graphics system needs of a particle system to decide which views draw it: point
// and quad particle systems derive from this and join the graphics system's lists while they
// are registered.
#include "core/Matrix.h"
#include "engine/IntrusiveList.h"
#include "graphics/Culling.h"

namespace Aperture {

class CulledParticles {
public:
    // Radii at or below this mean "no bounds": a point system is then drawn in every view, a
    // quad system in none.
    static constexpr float kNoBoundsRadius = 0.0001f;

    virtual ~CulledParticles() = default;
    virtual bool IsParticleSystemEnabled() const = 0;
    // "Particle System Cull Bounding Sphere Radius".
    virtual float GetCullRadius() const = 0;
    // The owner's world matrix; its translation is the sphere's centre.
    virtual const SD::Mtx44& GetCullWorld() const = 0;
    // The frame's update, run on a worker thread beside the other systems' updates; a system
    // whose particles do not move keeps this.
    virtual void AdvanceParticles(float dt) { (void)dt; }

    // Where the last test wrote its sphere.
    FrustumCullingData cullRecord;
    SD::IntrusiveLink<CulledParticles> graphicsLink;
};

}  // namespace Aperture
