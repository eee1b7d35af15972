// Feeds arbitrary bytes to the physics mesh readers, as a mesh data file and as a model file,
// and runs a sphere against whatever mesh they give.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "physics/MeshFile.h"
#include "physics/PairTests.h"

namespace {

using namespace Gedankenexperiment;

void Check(const MeshData& mesh) {
    for (const MeshTriangle& t : mesh.triangles)
        for (uint32_t i : t.index)
            if (i >= mesh.vertices.size()) __builtin_trap();
    for (const auto& list : mesh.quadrants)
        for (uint32_t t : list)
            if (t >= mesh.triangles.size()) __builtin_trap();
}

void Collide(MeshData mesh) {
    Mesh shape;
    shape.data = std::make_shared<const MeshData>(std::move(mesh));
    shape.bufferThickness = 0.5f;
    Sphere sphere;
    sphere.radius = 1.0f;
    ContactTable contacts;
    const SD::Vec3 extents = shape.data->extents;
    for (float fx : {-0.5f, 0.0f, 0.3f})
        for (float fz : {-0.4f, 0.1f, 0.5f})
            SphereMesh(sphere, SD::Vec3(extents.x * fx, extents.y * 0.5f, extents.z * fz), shape, SD::Vec3(), contacts);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<unsigned char> bytes(data, data + size);
    MeshData mesh;
    std::string error;
    bool foreign = false;
    if (ParseMeshDataFile(bytes, mesh, error, foreign)) {
        Check(mesh);
        Collide(std::move(mesh));
    }
    MeshData built;
    if (BuildModelMeshData(bytes, built, error)) {
        Check(built);
        Collide(std::move(built));
    }
    return 0;
}
