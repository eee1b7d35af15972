#pragma once
// Reading chunked model files: a sequence of chunks (tag, payload length, payload) ended by a
// zero tag or the end of the file. Mesh chunks hold an index list and vertices with position,
// normal and uv, then the mesh's name; other chunks are skipped by their length.
#include <cstdint>
#include <string>
#include <vector>

#include "core/Vector.h"
#include "graphics/resources/Vertex.h"

namespace Aperture::Resource {

// The bytes "hsem" read as a little-endian u32.
constexpr uint32_t kModelMeshTag = 0x6D657368;

struct ModelMeshData {
    std::string name;
    std::vector<MeshVertexData> vertices;  // tangents and binormals filled in
    std::vector<uint16_t> indices;
    SD::Vec3 centroid{0.0f, 0.0f, 0.0f};
    SD::Vec3 boundsMin{0.0f, 0.0f, 0.0f};
    SD::Vec3 boundsMax{0.0f, 0.0f, 0.0f};
};

struct ModelFileContents {
    std::vector<ModelMeshData> meshes;  // the good meshes in file order
    std::vector<std::string> errors;    // one line per mesh or chunk left out, with its offset
};

// Validates every mesh: a mesh with fewer than three vertices or indices, more than 65535 of
// either, or an index past its vertices is left out and the next chunk read; a chunk cut short
// ends the reading. Nothing is dereferenced past the bytes.
ModelFileContents ParseModelFile(const unsigned char* bytes, size_t size);

// Per-vertex tangents and binormals: the mean over the triangles that use the vertex. A
// triangle without uv area adds nothing; an unused vertex keeps zero.
void ComputeTangents(std::vector<MeshVertexData>& vertices, const std::vector<uint16_t>& indices);

}  // namespace Aperture::Resource
