#include "graphics/GrassScatter.h"

#include <algorithm>
#include <cmath>

#include "core/Random.h"
#include "graphics/resources/Mesh.h"
#include "graphics/resources/Model.h"

namespace Aperture {
namespace {

constexpr float kThird = 1.0f / 3.0f;
constexpr float kBladesPerArea = 1.0f / 1200.0f;
constexpr float kWaterLine = -1.5f;
// The blades stand this many world units tall once grown.
constexpr uint8_t kBladeSize = 6;

// A unit vector's component as a byte: (n + 1) / 2 of 255.
uint8_t NormalByte(float n) { return static_cast<uint8_t>(std::clamp((n + 1.0f) * 0.5f, 0.0f, 1.0f) * 255.0f + 0.5f); }

bool Finite(const SD::Vec3& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

// A value in [0, 1) from one step of the generator.
float Unit() { return static_cast<float>(std::fmod(SD::RandomRaw(), 1.0)); }

}  // namespace

bool IsGrassIsland(const std::string& modelName) {
    static const char* const kIslands[] = {"seasonal_island0", "seasonal_island1", "seasonal_island2",
                                           "seasonal_island3", "seasonal_island4"};
    return std::find(std::begin(kIslands), std::end(kIslands), modelName) != std::end(kIslands);
}

ScatteredGrass ScatterGrass(const Resource::iModel& model, const SD::Mtx44& world) {
    struct Face {
        SD::Vec3 a, b, c, normal;
        double blades;  // as the density asks, before rounding down
    };
    ScatteredGrass grass;
    std::vector<Face> faces;
    for (const Resource::Mesh* mesh : model.GetMeshes()) {
        if (!mesh) continue;
        const std::vector<Resource::MeshVertexData>& vertices = mesh->GetVertices();
        const std::vector<uint16_t>& indices = mesh->GetIndices();
        for (size_t t = 0; t + 2 < indices.size(); t += 3) {
            if (indices[t] >= vertices.size() || indices[t + 1] >= vertices.size() || indices[t + 2] >= vertices.size())
                continue;
            const Resource::MeshVertexData& a = vertices[indices[t]];
            const Resource::MeshVertexData& b = vertices[indices[t + 1]];
            const Resource::MeshVertexData& c = vertices[indices[t + 2]];
            Face face;
            face.a = world.TransformPoint(a.position);
            face.b = world.TransformPoint(b.position);
            face.c = world.TransformPoint(c.position);
            face.normal = (world.TransformDirection(a.normal) + world.TransformDirection(b.normal) +
                           world.TransformDirection(c.normal)) *
                          kThird;
            if (face.normal.LengthSq() > 0.0f) face.normal = face.normal.GetNormalized();
            const float area = 0.5f * (face.b - face.a).Cross(face.c - face.a).Length();
            face.blades = std::floor(double(area * kBladesPerArea));
            // A corner or an area out of range (a huge or broken scale) places nothing sound.
            if (!std::isfinite(face.blades) || !Finite(face.a) || !Finite(face.b) || !Finite(face.c)) {
                grass.refused = true;
                return grass;
            }
            grass.asked += face.blades;
            faces.push_back(face);
        }
    }
    // Past the cap every triangle is thinned alike, so the whole island keeps its grass.
    const double thinning = grass.asked > double(kMaxBladesPerIsland) ? double(kMaxBladesPerIsland) / grass.asked : 1.0;
    for (const Face& face : faces) {
        const int count = static_cast<int>(thinning < 1.0 ? std::floor(face.blades * thinning) : face.blades);
        for (int i = 0; i < count; ++i) {
            float u = Unit(), v = Unit();
            if (u + v >= 1.0f) {
                u = 1.0f - u;
                v = 1.0f - v;
            }
            const SD::Vec3 at = face.a * u + face.b * v + face.c * (1.0f - u - v);
            if (at.y <= kWaterLine) continue;
            GrassInstance blade;
            blade.position = at;
            blade.color[0] = NormalByte(face.normal.x);
            blade.color[1] = NormalByte(face.normal.y);
            blade.color[2] = NormalByte(face.normal.z);
            blade.color[3] = 255;
            blade.params[2] = kBladeSize;
            grass.blades.push_back(blade);
            grass.dustPoints.push_back(at);
        }
    }
    return grass;
}

}  // namespace Aperture
