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

// Most blades one island carries: far above the sample islands' few thousand, far below what
// would hold up a level's loading (an island scaled 300 times over asks for tens of millions).
constexpr size_t kMaxBladesPerIsland = 200000;

struct ScatteredGrass {
    std::vector<GrassInstance> blades;
    // Where grass dust may rise: the same points.
    std::vector<SD::Vec3> dustPoints;
    // The blades the island's area asks for, before the cap and the water line.
    double asked = 0.0;
    // A corner or an area that is not a finite number: no grass at all.
    bool refused = false;
};

// One blade per 1200 square units of each triangle (rounded down), drawn with the engine's
// random generator; blades at a world height of -1.5 or lower are left out. An island that asks
// for more than kMaxBladesPerIsland has every triangle's count thinned alike to fit.
ScatteredGrass ScatterGrass(const Resource::iModel& model, const SD::Mtx44& world);

}  // namespace Aperture
