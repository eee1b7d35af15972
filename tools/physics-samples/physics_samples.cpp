// Writes the sample physics data of the game into an Assets folder:
//   Models/fin/SampleHill.bin          a model file with one mesh: a 40 x 40 hill
//   PhysicsMeshData/SampleHill.bin     the physics mesh data built from it
//   Textures/HeightMaps/SampleHill.bmp a 16 x 16 height map with a bump in the middle
//   PhysicsMeshData/seasonal_island<N>.bin  the grass islands' physics mesh data, built from their
//                                      model files (written by the model writer) so that what
//                                      the vehicle touches is the ground it sees
// Usage: physics_samples <Assets folder> <models folder>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "core/Bitmap.h"
#include "core/ByteWriter.h"
#include "core/FileUtil.h"
#include "physics/MeshFile.h"

namespace {

constexpr int kGrid = 8;            // cells per side of the hill
constexpr float kHillSize = 40.0f;  // across
constexpr float kHillHeight = 6.0f;
// The hill's texture repeats every this many units: five times across, so its turf shows its
// tufts and bare earth from flying height when the level scales the hill up tenfold.
constexpr float kHillTile = 8.0f;

float HillHeight(float x, float z) {
    const float r = std::sqrt(x * x + z * z) / (kHillSize * 0.5f);
    return r >= 1.0f ? 0.0f : kHillHeight * 0.5f * (1.0f + std::cos(3.14159265f * r));
}

// The hill's upward normal at (x, z), from the slope of its height: the sun shades its flanks.
void HillNormal(float x, float z, float normal[3]) {
    const float radius = kHillSize * 0.5f;
    const float d = std::sqrt(x * x + z * z);
    const float r = d / radius;
    // dh/dd of the raised cosine, and its parts along x and z.
    const float slope =
        r >= 1.0f || d == 0.0f ? 0.0f : -kHillHeight * 0.5f * 3.14159265f * std::sin(3.14159265f * r) / radius;
    const float dx = d == 0.0f ? 0.0f : slope * x / d, dz = d == 0.0f ? 0.0f : slope * z / d;
    const float length = std::sqrt(dx * dx + 1.0f + dz * dz);
    normal[0] = -dx / length;
    normal[1] = 1.0f / length;
    normal[2] = -dz / length;
}

using SD::PutF32;
using SD::PutU32;

// One mesh chunk in the model file layout: an unused word, the indices, the vertices
// (position, normal, uv) and the mesh's name. Each cell has its own four corners, as a model
// exported with hard edges would, so the physics builder has seams to weld; the normals are the
// smooth surface's, so the hill is shaded as one round form.
std::vector<unsigned char> HillModel() {
    std::vector<float> vertices;
    std::vector<uint32_t> indices;
    const float cell = kHillSize / kGrid;
    for (int i = 0; i < kGrid; ++i) {
        for (int j = 0; j < kGrid; ++j) {
            const uint32_t base = uint32_t(vertices.size() / 8);
            for (int corner = 0; corner < 4; ++corner) {
                const float x = -kHillSize / 2 + (i + (corner == 1 || corner == 2)) * cell;
                const float z = -kHillSize / 2 + (j + (corner >= 2)) * cell;
                float n[3];
                HillNormal(x, z, n);
                vertices.insert(vertices.end(),
                                {x, HillHeight(x, z), z, n[0], n[1], n[2], x / kHillTile, z / kHillTile});
            }
            indices.insert(indices.end(), {base, base + 3, base + 2, base, base + 2, base + 1});
        }
    }
    std::vector<unsigned char> payload;
    PutU32(payload, 0);
    PutU32(payload, uint32_t(indices.size()));
    for (uint32_t i : indices) PutU32(payload, i);
    PutU32(payload, uint32_t(vertices.size() / 8));
    for (float f : vertices) PutF32(payload, f);
    const std::string name = "SampleHill";
    payload.push_back(static_cast<unsigned char>(name.size()));
    payload.insert(payload.end(), name.begin(), name.end());
    std::vector<unsigned char> file;
    PutU32(file, Gedankenexperiment::kMeshChunkTag);
    PutU32(file, uint32_t(payload.size()));
    file.insert(file.end(), payload.begin(), payload.end());
    return file;
}

SD::BmpImage HeightMap() {
    SD::BmpImage image;
    image.width = image.height = 16;
    for (int k = 0; k < 16; ++k) {
        for (int m = 0; m < 16; ++m) {
            const float d = std::hypot(m - 7.5f, k - 7.5f) / 7.5f;
            const auto h = static_cast<unsigned char>(d >= 1.0f ? 0 : 255 * 0.5f * (1.0f + std::cos(3.14159265f * d)));
            image.pixels.insert(image.pixels.end(), {h, h, h});
        }
    }
    return image;
}

bool Write(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    return SD::WriteWholeFile(path, bytes.data(), bytes.size(), nullptr, 0);
}

// The physics mesh data of a model file's first mesh; empty with a message when it does not read.
// How a model file's triangles are wound: the physics' own (counter-clockwise seen from outside,
// as the hill above is written) or the renderer's (clockwise from outside, as the model writer
// writes the grass islands).
enum class Winding { kPhysics, kRenderer };

// The mesh data of a model file's bytes, its triangles turned to face out of the ground the way
// the physics takes a front: a renderer's model read as it stands would put every face's front
// under the ground and push what lands on it in.
std::vector<unsigned char> MeshDataOf(const std::vector<unsigned char>& model, Winding winding,
                                      const std::string& what) {
    std::vector<SD::Vec3> positions;
    std::vector<Gedankenexperiment::MeshTriangle> triangles;
    std::string error;
    if (!Gedankenexperiment::ParseModelMesh(model, positions, triangles, error)) {
        std::fprintf(stderr, "physics_samples: %s does not read: %s\n", what.c_str(), error.c_str());
        return {};
    }
    if (winding == Winding::kRenderer)
        for (Gedankenexperiment::MeshTriangle& t : triangles) std::swap(t.index[1], t.index[2]);
    return Gedankenexperiment::WriteMeshDataFile(Gedankenexperiment::BuildMeshData(positions, std::move(triangles)));
}

constexpr int kIslandCount = 5;

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: physics_samples <Assets folder> <models folder>\n");
        return 2;
    }
    const std::string assets = argv[1];
    const std::string models = argv[2];
    const std::vector<unsigned char> hill = MeshDataOf(HillModel(), Winding::kPhysics, "the hill model");
    if (hill.empty()) return 1;
    bool ok = Write(assets + "/Models/fin/SampleHill.bin", HillModel());
    ok = Write(assets + "/PhysicsMeshData/SampleHill.bin", hill) && ok;
    for (int i = 0; i < kIslandCount; ++i) {
        const std::string name = "seasonal_island" + std::to_string(i) + ".bin";
        std::vector<unsigned char> model;
        if (!SD::ReadWholeFile(models + "/" + name, model)) {
            std::fprintf(stderr, "physics_samples: no model file %s/%s\n", models.c_str(), name.c_str());
            return 1;
        }
        const std::vector<unsigned char> data = MeshDataOf(model, Winding::kRenderer, name);
        if (data.empty()) return 1;
        ok = Write(assets + "/PhysicsMeshData/" + name, data) && ok;
    }
    std::filesystem::create_directories(assets + "/Textures/HeightMaps");
    SD::BmpImage map = HeightMap();
    ok = SD::WriteBmpFile(assets + "/Textures/HeightMaps/SampleHill.bmp", SD::MakeBmpHeader(16, 16), map) && ok;
    if (!ok) return 1;
    std::printf("physics_samples: wrote the hill model, its mesh data, the %d islands' mesh data and the height map\n",
                kIslandCount);
    return 0;
}
