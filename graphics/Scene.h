#pragma once
// The per-view render record: what one view (the main view, the water reflection or a shadow
// cascade) draws this frame. Cleared at the start of the frame and filled by collection.
#include <vector>

#include "graphics/GrassTree.h"
#include "graphics/RenderBatch.h"

namespace Aperture {

class CulledParticles;
class Geometry;
class Light;

struct Scene {
    RenderBatchList opaque;
    RenderBatchList shadow;
    std::vector<RenderItem> transparent;
    std::vector<RenderItem> reflective;
    // The instances of the visible grass-tree nodes.
    std::vector<GrassInstance> grass;
    // The geometries whose grass trees were traversed.
    std::vector<Geometry*> grassOwners;
    // The lights that reach into the view.
    std::vector<Light*> lights;
    // The point and quad particle systems that reach into the view.
    std::vector<CulledParticles*> pointParticles;
    std::vector<CulledParticles*> quadParticles;

    // Appends the node's own instances.
    void AppendGrass(GrassTree::Node* node) {
        grass.insert(grass.end(), node->instances.begin(), node->instances.end());
    }
    void Clear() {
        opaque.Clear();
        shadow.Clear();
        transparent.clear();
        reflective.clear();
        grass.clear();
        grassOwners.clear();
        lights.clear();
        pointParticles.clear();
        quadParticles.clear();
    }
};

}  // namespace Aperture
