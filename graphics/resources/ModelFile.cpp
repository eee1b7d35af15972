#include "graphics/resources/ModelFile.h"

#include <algorithm>
#include <limits>

#include "core/ByteReader.h"

namespace Aperture::Resource {
namespace {

constexpr uint32_t kMaxCount = 65535;
constexpr size_t kFileVertexSize = 32;

std::string At(const std::string& what, size_t offset) { return what + " at offset " + std::to_string(offset); }

// Reads one mesh chunk's payload. False when the chunk is cut short (the reading ends);
// `keep` tells whether the mesh is good.
bool ReadMesh(SD::ByteReader& r, size_t index, ModelMeshData& mesh, bool& keep, std::string& error) {
    const std::string which = "mesh " + std::to_string(index);
    keep = false;
    uint32_t unused = 0, n = 0, m = 0;
    if (!r.U32(unused) || !r.U32(n)) {
        error = At(which + " cut short in its header", r.Offset());
        return false;
    }
    if (n > r.Left() / 4) {
        error = At(which + " cut short: " + std::to_string(n) + " indices do not fit", r.Offset());
        return false;
    }
    std::vector<uint32_t> wide(n);
    for (uint32_t& i : wide) r.U32(i);
    if (!r.U32(m)) {
        error = At(which + " cut short before its vertex count", r.Offset());
        return false;
    }
    if (m > r.Left() / kFileVertexSize) {
        error = At(which + " cut short: " + std::to_string(m) + " vertices do not fit", r.Offset());
        return false;
    }
    constexpr float kMax = std::numeric_limits<float>::max();
    mesh.boundsMin = {kMax, kMax, kMax};
    mesh.boundsMax = {-kMax, -kMax, -kMax};
    mesh.vertices.resize(m);
    SD::Vec3 sum{0.0f, 0.0f, 0.0f};
    for (MeshVertexData& v : mesh.vertices) {
        float f[8] = {};
        for (float& x : f) r.F32(x);
        v.position = {f[0], f[1], f[2]};
        v.normal = {f[3], f[4], f[5]};
        v.u = f[6];
        v.v = f[7];
        sum += v.position;
        mesh.boundsMin = {std::min(mesh.boundsMin.x, f[0]), std::min(mesh.boundsMin.y, f[1]),
                          std::min(mesh.boundsMin.z, f[2])};
        mesh.boundsMax = {std::max(mesh.boundsMax.x, f[0]), std::max(mesh.boundsMax.y, f[1]),
                          std::max(mesh.boundsMax.z, f[2])};
    }
    uint8_t length = 0;
    if (!r.U8(length)) {
        error = At(which + " cut short before its name", r.Offset());
        return false;
    }
    mesh.name.resize(length);
    if (!r.Bytes(mesh.name.data(), length)) {
        error = At(which + " cut short in its name", r.Offset());
        return false;
    }
    const std::string named = which + " \"" + mesh.name + "\"";
    if (n > kMaxCount || m > kMaxCount) {
        error = named + " has " + std::to_string(n) + " indices and " + std::to_string(m) +
                " vertices; at most 65535 of each fit";
        return true;
    }
    if (m < 3) {
        error = named + " has fewer than three vertices";
        return true;
    }
    if (n < 3) {
        error = named + " has fewer than three indices";
        return true;
    }
    for (uint32_t i : wide) {
        if (i >= m) {
            error = named + " has index " + std::to_string(i) + " past its " + std::to_string(m) + " vertices";
            return true;
        }
    }
    mesh.indices.assign(wide.begin(), wide.end());
    mesh.centroid = sum * (1.0f / static_cast<float>(m));
    ComputeTangents(mesh.vertices, mesh.indices);
    keep = true;
    return true;
}

}  // namespace

void ComputeTangents(std::vector<MeshVertexData>& vertices, const std::vector<uint16_t>& indices) {
    std::vector<uint32_t> uses(vertices.size(), 0);
    for (size_t t = 0; t + 3 <= indices.size(); t += 3) {
        MeshVertexData& a = vertices[indices[t]];
        MeshVertexData& b = vertices[indices[t + 1]];
        MeshVertexData& c = vertices[indices[t + 2]];
        const SD::Vec3 e0 = a.position - c.position;
        const SD::Vec3 e1 = b.position - c.position;
        const float s0 = a.u - c.u, t0 = a.v - c.v, s1 = b.u - c.u, t1 = b.v - c.v;
        const float d = s1 * t0 - s0 * t1;
        if (d == 0.0f) continue;
        const SD::Vec3 tangent = (e1 * t0 - e0 * t1) / d;
        const SD::Vec3 binormal = (e1 * s0 - e0 * s1) / -d;
        for (size_t k = t; k < t + 3; ++k) {
            vertices[indices[k]].tangent += tangent;
            vertices[indices[k]].binormal += binormal;
            ++uses[indices[k]];
        }
    }
    for (size_t i = 0; i < vertices.size(); ++i) {
        if (uses[i] == 0) continue;
        const float scale = 1.0f / static_cast<float>(uses[i]);
        vertices[i].tangent *= scale;
        vertices[i].binormal *= scale;
    }
}

ModelFileContents ParseModelFile(const unsigned char* bytes, size_t size) {
    ModelFileContents out;
    SD::ByteReader r(bytes, size);
    size_t meshIndex = 0;
    uint32_t tag = 0, length = 0;
    while (r.Left() > 0) {
        const size_t at = r.Offset();
        if (!r.U32(tag)) {
            out.errors.push_back(At("chunk header cut short", at));
            break;
        }
        if (tag == 0) break;
        if (!r.U32(length)) {
            out.errors.push_back(At("chunk header cut short", at));
            break;
        }
        if (tag != kModelMeshTag) {
            if (!r.Skip(length)) {
                out.errors.push_back(At("chunk of " + std::to_string(length) + " bytes cut short", at));
                break;
            }
            continue;
        }
        ModelMeshData mesh;
        bool keep = false;
        std::string error;
        const bool whole = ReadMesh(r, meshIndex++, mesh, keep, error);
        if (!error.empty()) out.errors.push_back(error);
        if (keep) out.meshes.push_back(std::move(mesh));
        if (!whole) break;
    }
    return out;
}

}  // namespace Aperture::Resource
