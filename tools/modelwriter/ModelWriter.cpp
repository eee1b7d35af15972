#include "tools/modelwriter/ModelWriter.h"

#include "core/ByteWriter.h"

#include <cstring>
#include <sstream>

namespace modelwriter {

bool ParseDescription(const std::string& text, std::vector<MeshDescription>& meshes, std::string& error) {
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    MeshDescription* open = nullptr;
    auto fail = [&](const std::string& why) {
        error = "line " + std::to_string(number) + ": " + why;
        return false;
    };
    while (std::getline(lines, line)) {
        ++number;
        const size_t hash = line.find('#');
        if (hash != std::string::npos) line.resize(hash);
        std::istringstream words(line);
        std::string keyword;
        if (!(words >> keyword)) continue;
        if (keyword == "mesh") {
            if (open) return fail("mesh inside a mesh");
            meshes.emplace_back();
            open = &meshes.back();
            if (!(words >> open->name)) return fail("mesh without a name");
        } else if (keyword == "v" || keyword == "f") {
            if (!open) return fail(keyword + " outside a mesh");
            const int wanted = keyword == "v" ? 8 : 3;
            for (int i = 0; i < wanted; ++i) {
                if (keyword == "v") {
                    float f;
                    if (!(words >> f)) return fail("a vertex needs 8 numbers");
                    open->vertices.push_back(f);
                } else {
                    long index;
                    if (!(words >> index) || index < 0) return fail("a face needs 3 vertex indices");
                    open->indices.push_back(static_cast<uint32_t>(index));
                }
            }
        } else if (keyword == "end") {
            if (!open) return fail("end outside a mesh");
            const size_t vertices = open->vertices.size() / 8;
            if (vertices > kMaxCount || open->indices.size() > kMaxCount)
                return fail("mesh " + open->name + " has more than 65535 vertices or indices");
            for (uint32_t index : open->indices)
                if (index >= vertices) return fail("mesh " + open->name + " has a face past its vertices");
            open = nullptr;
        } else {
            return fail("unknown keyword " + keyword);
        }
    }
    if (open) return fail("mesh " + open->name + " is not ended");
    return true;
}

using SD::PutF32;
using SD::PutU32;

std::vector<unsigned char> MeshPayload(const MeshDescription& mesh) {
    return MeshPayload(mesh, static_cast<uint32_t>(mesh.indices.size()),
                       static_cast<uint32_t>(mesh.vertices.size() / 8));
}

std::vector<unsigned char> MeshPayload(const MeshDescription& mesh, uint32_t indexCount, uint32_t vertexCount) {
    std::vector<unsigned char> out;
    PutU32(out, 0);
    PutU32(out, indexCount);
    for (uint32_t i : mesh.indices) PutU32(out, i);
    PutU32(out, vertexCount);
    for (float f : mesh.vertices) PutF32(out, f);
    const size_t length = mesh.name.size() < 255 ? mesh.name.size() : 255;
    out.push_back(static_cast<unsigned char>(length));
    out.insert(out.end(), mesh.name.begin(), mesh.name.begin() + static_cast<std::ptrdiff_t>(length));
    return out;
}

void AppendChunk(std::vector<unsigned char>& out, uint32_t tag, const std::vector<unsigned char>& payload) {
    PutU32(out, tag);
    PutU32(out, static_cast<uint32_t>(payload.size()));
    out.insert(out.end(), payload.begin(), payload.end());
}

std::vector<unsigned char> ModelFileBytes(const std::vector<MeshDescription>& meshes) {
    std::vector<unsigned char> out;
    for (const MeshDescription& mesh : meshes) AppendChunk(out, kMeshTag, MeshPayload(mesh));
    PutU32(out, 0);
    PutU32(out, 0);
    return out;
}

}  // namespace modelwriter
