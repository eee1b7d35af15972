#pragma once
// The grass of the world: a grass tree per island geometry, the shared wave that sways every
// blade, the fade-in of newly painted grass, and the instanced draw of a view's visible blades
// from two alternating instance buffers. The graphics system owns one field and draws it in
// each view's grass pass.
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/Vector.h"
#include "graphics/GrassTree.h"
#include "platform/Seam.h"
#include "platform/TestProbe.h"

namespace platform::gfx {
class Device;
}

namespace Aperture {

class Geometry;

namespace Resource {
class Effect;
class GrassVertex;
class Plane;
class ResourceManager;
class iTexture;
template <class T>
class InstanceBuffer;
}  // namespace Resource

class GrassField {
public:
    // Records per instanced draw: the capacity of each instance buffer.
    static constexpr uint32_t kChunk = 2048;
    // The first grass pass tells the wind field the world area it covers, through the writer
    // that the field installs (the field lives above this layer), and draws nothing.
    using WindAreaWriter = void(const SD::Vec2& minimum, const SD::Vec2& maximum);

    GrassField() = default;
    GrassField(const GrassField&) = delete;
    GrassField& operator=(const GrassField&) = delete;

    // The blade and the two instance buffers, made through the manager (which brings them back
    // after a reset).
    void CreateResources(Resource::ResourceManager& manager);

    // Builds the geometry's tree from its instances, replacing one it had.
    void SetGrass(const Geometry* geometry, const std::vector<GrassInstance>& instances);
    void RemoveGrass(const Geometry* geometry) { trees.erase(geometry); }
    const GrassTree* FindTree(const Geometry* geometry) const;

    void SetEnabled(bool on) { enabled = on; }
    // Fades newly painted grass in over the time; 0 shows it grown at once.
    void StartGrowth(float seconds) { growth = 0.0f, growthTime = seconds; }
    // The fade of growing grass: 0 just planted, 1 grown (also for a growth time of 0).
    static float Paint(float growth, float growthTime);
    // A seam (docs/seams.md): the first writer installed stays; null or none: the area goes to
    // no one.
    bool SetWindAreaWriter(WindAreaWriter* writer) { return windAreaWriter.Install(writer); }
    void RemoveWindAreaWriter(WindAreaWriter* writer) { windAreaWriter.Remove(writer); }

    // Whether a grass pass draws: not while switched off, nor the first pass, which only hands
    // the wind area to its writer.
    bool TakePass();
    // The blades through the effect's technique in draws of at most kChunk records. Growing
    // grass fades in, blended; grown grass is drawn opaque.
    void Draw(platform::gfx::Device& device, Resource::Effect& effect, Resource::iTexture* texture,
              const std::string& technique, const std::vector<GrassInstance>& grass);
    // Moves the shared wave value, writes it into every grass record and grows the grass.
    void UpdateWave(float dt);

private:
    friend struct platform::TestProbe<GrassField>;

    // Draws the staged records from the current buffer and switches to the other one.
    void DrawChunk(Resource::Effect& effect);

    std::unordered_map<const Geometry*, std::unique_ptr<GrassTree>> trees;
    Resource::Plane* blade = nullptr;
    Resource::InstanceBuffer<Resource::GrassVertex>* instances[2] = {nullptr, nullptr};
    int buffer = 0;
    std::vector<GrassInstance> staging;
    bool enabled = true;
    float growth = 0.0f;
    float growthTime = 0.0f;
    bool firstPass = true;
    platform::Seam<WindAreaWriter> windAreaWriter{"Aperture::GrassField::WindAreaWriter"};
    uint32_t drawn = 0;  // the blades of the last draw
    struct Wave {
        float value = 0.5f;
        float direction = 1.0f;
        float speed = 0.0f;
        float target = 0.0f;
        float previous = 0.0f;
        bool started = false;
    } wave;
};

}  // namespace Aperture
