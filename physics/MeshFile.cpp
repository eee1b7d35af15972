#include "physics/MeshFile.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/ByteWriter.h"
#include "core/FileUtil.h"
#include "core/Logger.h"
#include "physics/PhysicsSystem.h"

namespace Gedankenexperiment {
namespace {

const char* const kDataFolder = "../Assets/PhysicsMeshData/";
const char* const kModelFolder = "../Assets/Models/fin/";

// Reads little-endian values from a byte range, refusing to pass its end.
class Reader {
public:
    Reader(const std::vector<unsigned char>& bytes, size_t at) : bytes_(bytes), at_(at) {}
    size_t Offset() const { return at_; }
    size_t Left() const { return at_ <= bytes_.size() ? bytes_.size() - at_ : 0; }
    bool U32(uint32_t& v) {
        if (Left() < 4) return false;
        v = uint32_t(bytes_[at_]) | uint32_t(bytes_[at_ + 1]) << 8 | uint32_t(bytes_[at_ + 2]) << 16 |
            uint32_t(bytes_[at_ + 3]) << 24;
        at_ += 4;
        return true;
    }
    bool F32(float& v) {
        uint32_t bits;
        if (!U32(bits)) return false;
        std::memcpy(&v, &bits, 4);
        return true;
    }
    bool Vec(SD::Vec3& v) { return F32(v.x) && F32(v.y) && F32(v.z); }
    void Skip(size_t n) { at_ += n; }

private:
    const std::vector<unsigned char>& bytes_;
    size_t at_;
};

using SD::PutF32;
using SD::PutU32;

void PutVec(std::vector<unsigned char>& out, const SD::Vec3& v) {
    PutF32(out, v.x);
    PutF32(out, v.y);
    PutF32(out, v.z);
}

bool Finite(const SD::Vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

std::string At(const char* what, size_t offset) { return std::string(what) + " at offset " + std::to_string(offset); }

std::shared_ptr<const MeshData> Cache(const std::string& name, MeshData data) {
    auto shared = std::make_shared<const MeshData>(std::move(data));
    Physics_System::GetInstance()->GetMeshCache()[name] = shared;
    return shared;
}

std::shared_ptr<const MeshData> Cached(const std::string& name) {
    auto& cache = Physics_System::GetInstance()->GetMeshCache();
    auto found = cache.find(name);
    return found == cache.end() ? nullptr : found->second;
}

}  // namespace

bool FindMeshChunk(const std::vector<unsigned char>& bytes, size_t* payload) {
    Reader r(bytes, 0);
    uint32_t tag = 0, size = 0;
    while (r.U32(tag) && r.U32(size)) {
        if (tag == kMeshChunkTag) {
            *payload = r.Offset();
            return true;
        }
        if (tag == 0 || size > r.Left()) return false;
        r.Skip(size);
    }
    return false;
}

bool ParseMeshDataFile(const std::vector<unsigned char>& bytes, MeshData& mesh, std::string& error, bool& foreign) {
    size_t payload = 0;
    foreign = !FindMeshChunk(bytes, &payload);
    if (foreign) {
        error = "no mesh chunk";
        return false;
    }
    Reader r(bytes, payload);
    MeshData parsed;
    uint32_t vertexCount = 0, triangleCount = 0;
    if (!r.U32(vertexCount) || vertexCount > r.Left() / 24) {
        error = At("vertex count past the end of the file", r.Offset());
        return false;
    }
    parsed.vertices.resize(vertexCount);
    for (MeshVertex& v : parsed.vertices) {
        const size_t at = r.Offset();
        r.Vec(v.position);
        r.Vec(v.normal);
        if (!Finite(v.position) || !Finite(v.normal)) {
            error = At("vertex that is not a finite number", at);
            return false;
        }
    }
    if (!r.U32(triangleCount) || triangleCount > r.Left() / 12) {
        error = At("triangle count past the end of the file", r.Offset());
        return false;
    }
    parsed.triangles.resize(triangleCount);
    for (MeshTriangle& t : parsed.triangles) {
        const size_t at = r.Offset();
        for (uint32_t& i : t.index) r.U32(i);
        if (t.index[0] >= vertexCount || t.index[1] >= vertexCount || t.index[2] >= vertexCount) {
            error = At("triangle naming a vertex beyond the vertex count", at);
            return false;
        }
    }
    const size_t extentsAt = r.Offset();
    if (!r.Vec(parsed.extents)) {
        error = At("extents cut short", extentsAt);
        return false;
    }
    if (!Finite(parsed.extents) || parsed.extents.x < 0 || parsed.extents.y < 0 || parsed.extents.z < 0) {
        error = At("extents that are not finite sizes", extentsAt);
        return false;
    }
    parsed.Finish();
    mesh = std::move(parsed);
    return true;
}

std::vector<unsigned char> WriteMeshDataFile(const MeshData& mesh) {
    std::vector<unsigned char> out;
    const size_t size = 8 + 4 + 24 * mesh.vertices.size() + 4 + 12 * mesh.triangles.size() + 12;
    out.reserve(size);
    PutU32(out, kMeshChunkTag);
    PutU32(out, static_cast<uint32_t>(size));
    PutU32(out, static_cast<uint32_t>(mesh.vertices.size()));
    for (const MeshVertex& v : mesh.vertices) {
        PutVec(out, v.position);
        PutVec(out, v.normal);
    }
    PutU32(out, static_cast<uint32_t>(mesh.triangles.size()));
    for (const MeshTriangle& t : mesh.triangles)
        for (uint32_t i : t.index) PutU32(out, i);
    PutVec(out, mesh.extents);
    return out;
}

bool ParseModelMesh(const std::vector<unsigned char>& bytes, std::vector<SD::Vec3>& positions,
                    std::vector<MeshTriangle>& triangles, std::string& error) {
    size_t payload = 0;
    if (!FindMeshChunk(bytes, &payload)) {
        error = "no mesh chunk";
        return false;
    }
    Reader r(bytes, payload);
    uint32_t unused = 0, indexCount = 0, vertexCount = 0;
    if (!r.U32(unused) || !r.U32(indexCount) || indexCount > r.Left() / 4) {
        error = At("index count past the end of the file", r.Offset());
        return false;
    }
    std::vector<MeshTriangle> tris(indexCount / 3);
    for (MeshTriangle& t : tris)
        for (uint32_t& i : t.index) r.U32(i);
    r.Skip(4 * (indexCount % 3));
    if (!r.U32(vertexCount) || vertexCount > r.Left() / 32) {
        error = At("vertex count past the end of the file", r.Offset());
        return false;
    }
    std::vector<SD::Vec3> points(vertexCount);
    for (SD::Vec3& p : points) {
        const size_t at = r.Offset();
        r.Vec(p);
        r.Skip(20);
        if (!Finite(p)) {
            error = At("vertex that is not a finite number", at);
            return false;
        }
    }
    for (size_t t = 0; t < tris.size(); ++t) {
        for (uint32_t i : tris[t].index) {
            if (i >= vertexCount) {
                error = "triangle " + std::to_string(t) + " names vertex " + std::to_string(i) + " of " +
                        std::to_string(vertexCount);
                return false;
            }
        }
    }
    positions = std::move(points);
    triangles = std::move(tris);
    return true;
}

MeshData BuildMeshData(const std::vector<SD::Vec3>& positions, std::vector<MeshTriangle> triangles) {
    MeshData mesh;
    for (const SD::Vec3& p : positions) {
        mesh.extents.x = std::fmax(mesh.extents.x, std::fabs(p.x));
        mesh.extents.y = std::fmax(mesh.extents.y, std::fabs(p.y));
        mesh.extents.z = std::fmax(mesh.extents.z, std::fabs(p.z));
    }
    WeldVertices(positions, triangles);
    const std::vector<SD::Vec3> normals = VertexNormals(positions, triangles);
    mesh.vertices.resize(positions.size());
    for (size_t v = 0; v < positions.size(); ++v) mesh.vertices[v] = {positions[v], normals[v]};
    mesh.triangles = std::move(triangles);
    mesh.Finish();
    return mesh;
}

bool BuildModelMeshData(const std::vector<unsigned char>& model, MeshData& mesh, std::string& error) {
    std::vector<SD::Vec3> positions;
    std::vector<MeshTriangle> triangles;
    if (!ParseModelMesh(model, positions, triangles, error)) return false;
    mesh = BuildMeshData(positions, std::move(triangles));
    return true;
}

std::shared_ptr<const MeshData> BuildPhysicsMesh(const std::string& name) {
    if (auto cached = Cached(name)) return cached;
    const std::string path = kModelFolder + name;
    std::vector<unsigned char> bytes;
    if (!SD::ReadWholeFile(path, bytes)) {
        SD_WARNING(Debug::kLogError, "Physics mesh %s has no model file %s; it has no triangles", name.c_str(),
                   path.c_str());
        return Cache(name, MeshData());
    }
    MeshData mesh;
    std::string error;
    if (!BuildModelMeshData(bytes, mesh, error)) {
        SD_WARNING(Debug::kLogError, "Model file %s: %s; the physics mesh has no triangles", path.c_str(),
                   error.c_str());
        return Cache(name, MeshData());
    }
    return Cache(name, std::move(mesh));
}

std::shared_ptr<const MeshData> SavePhysicsMesh(const std::string& name) {
    auto data = BuildPhysicsMesh(name);
    // A mesh that could not be built is not written, so the file is built again once the
    // model is there.
    if (data->triangles.empty() && data->vertices.empty()) return data;
    const std::vector<unsigned char> bytes = WriteMeshDataFile(*data);
    if (!SD::WriteWholeFile(kDataFolder + name, bytes.data(), bytes.size(), nullptr, 0)) {
        std::printf("ERROR SAVING OUT PHYSICS MESH DATA: %s\n", name.c_str());
        std::printf("Make sure there is a folder labeled PhysicsMeshData in Assets.\n");
    }
    return data;
}

std::shared_ptr<const MeshData> LoadPhysicsMesh(const std::string& name) {
    if (auto cached = Cached(name)) return cached;
    const std::string path = kDataFolder + name;
    std::vector<unsigned char> bytes;
    // A missing file is no error: it is built from the model.
    FILE* probe = std::fopen(path.c_str(), "rb");
    if (!probe) return SavePhysicsMesh(name);
    std::fclose(probe);
    MeshData mesh;
    std::string error;
    bool foreign = false;
    if (!SD::ReadWholeFile(path, bytes)) {
        error = "the file could not be read";
    } else if (ParseMeshDataFile(bytes, mesh, error, foreign)) {
        return Cache(name, std::move(mesh));
    }
    if (foreign) return SavePhysicsMesh(name);
    SD_WARNING(Debug::kLogError, "Physics mesh file %s: %s; the mesh has no triangles", path.c_str(), error.c_str());
    return Cache(name, MeshData());
}

}  // namespace Gedankenexperiment
