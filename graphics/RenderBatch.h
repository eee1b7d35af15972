#pragma once
// Render items, one per mesh of a visible geometry, and the lists that order them and cut
// them into batches of equal mesh and material for the geometry passes. The graphics system
// names them Graphics_::RenderItem, Graphics_::RenderBatch and Graphics_::RenderBatchList.
#include <cstdint>
#include <vector>

#include "core/Matrix.h"
#include "core/Vector.h"

namespace Aperture {

namespace Resource {
class Mesh;
class Material;
}  // namespace Resource

// What an item's geometry lends it at batching time: the owner's world matrix and the
// geometry's colour.
class RenderItemSource {
public:
    virtual const SD::Mtx44& GetRenderWorld() const = 0;
    virtual SD::Vec4 GetRenderColor() const = 0;

protected:
    ~RenderItemSource() = default;
};

struct RenderItem {
    RenderItem() = default;
    // Takes the material from the mesh; every float starts at 0.
    RenderItem(Resource::Mesh* mesh, const RenderItemSource* geometry);

    Resource::Mesh* mesh = nullptr;
    Resource::Material* material = nullptr;
    const RenderItemSource* geometry = nullptr;
    float sortData[3] = {0.0f, 0.0f, 0.0f};
    SD::Mtx44 world;
    SD::Vec4 color;

    // Copies the world matrix and the colour from the geometry.
    void Refresh();
};

struct RenderBatch {
    uint32_t first = 0;
    uint32_t count = 0;
};

class RenderBatchList {
public:
    using ItemIterator = std::vector<RenderItem>::iterator;

    // Orders the items by material ID, then by mesh ID within a material, and rebuilds one
    // batch per run of equal mesh and material.
    void Build();
    // Batches first, then items; the storage is kept for the next frame.
    void Clear();

    ItemIterator ItemsBegin() { return items.begin(); }
    ItemIterator GetBatchBegin(const RenderBatch& batch) { return items.begin() + batch.first; }
    ItemIterator GetBatchEnd(const RenderBatch& batch) { return items.begin() + batch.first + batch.count; }

    std::vector<RenderItem> items;
    std::vector<RenderBatch> batches;
};

}  // namespace Aperture
