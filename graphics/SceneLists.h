#pragma once
// The lists of registered scene components the frame walks: geometry, cameras, lights,
// terrains, the point and quad particle systems, sprites, UI sprites and texts. Each component
// links itself while registered (the links are intrusive, so joining and leaving allocate
// nothing); the graphics system owns one set of lists and adds to its registrations what needs
// more than a link (models, materials, the shadow caster).
#include "engine/IntrusiveList.h"
#include "graphics/ParticleCulling.h"
#include "graphics/components/Camera.h"
#include "graphics/components/Geometry.h"
#include "graphics/components/Light.h"
#include "graphics/components/Sprite.h"
#include "graphics/components/Terrain.h"
#include "graphics/components/Text.h"

namespace Aperture {

class SceneLists {
public:
    using GeometryList = SD::IntrusiveList<Geometry, &Geometry::graphicsLink>;
    using CameraList = SD::IntrusiveList<Camera, &Camera::graphicsLink>;
    using LightList = SD::IntrusiveList<Light, &Light::graphicsLink>;
    using TerrainList = SD::IntrusiveList<Terrain, &Terrain::graphicsLink>;
    using ParticleList = SD::IntrusiveList<CulledParticles, &CulledParticles::graphicsLink>;
    using SpriteList = SD::IntrusiveList<Sprite, &Sprite::graphicsLink>;
    using UISpriteList = SD::IntrusiveList<UISprite, &UISprite::uiLink>;
    using TextList = SD::IntrusiveList<Text, &Text::graphicsLink>;

    SceneLists() = default;
    SceneLists(const SceneLists&) = delete;
    SceneLists& operator=(const SceneLists&) = delete;

    // Cameras: the first of the list is active. A camera already in the list stays where it is.
    void AddCamera(Camera* camera);
    // Links the camera right after the head, unlinking it first when it is linked.
    void MoveCameraToFront(Camera* camera);
    Camera* ActiveCamera() const { return cameras.Empty() ? nullptr : cameras.First(); }

    GeometryList& Geometries() { return geometries; }
    CameraList& Cameras() { return cameras; }
    LightList& Lights() { return lights; }
    TerrainList& Terrains() { return terrains; }
    ParticleList& PointParticles() { return pointParticles; }
    ParticleList& QuadParticles() { return quadParticles; }
    SpriteList& Sprites() { return sprites; }
    UISpriteList& UISprites() { return uiSprites; }
    TextList& Texts() { return texts; }

private:
    GeometryList geometries;
    CameraList cameras;
    LightList lights;
    TerrainList terrains;
    ParticleList pointParticles;
    ParticleList quadParticles;
    SpriteList sprites;
    UISpriteList uiSprites;
    TextList texts;
};

}  // namespace Aperture
