#pragma once
// Grass scattered over the island models: blades over every triangle in proportion to its area,
// placed at random in it with the triangle's normal, none below the water line.
#include <string>
#include <vector>

#include "core/Matrix.h"
#include "graphics/GrassTree.h"

namespace Aperture {

namespace Resource {
class iModel;
}

// The island models that carry grass.
bool IsGrassIsland(const std::string& modelName);

struct ScatteredGrass {
    std::vector<GrassInstance> blades;
    // Where grass dust may rise: the same points.
    std::vector<SD::Vec3> dustPoints;
};

// One blade per 1200 square units of each triangle (rounded down), drawn with the engine's
// random generator; blades at a world height of -1.5 or lower are left out.
ScatteredGrass ScatterGrass(const Resource::iModel& model, const SD::Mtx44& world);

}  // namespace Aperture
