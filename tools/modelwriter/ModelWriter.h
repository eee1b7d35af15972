#pragma once
// Model files from descriptions. A description is a text of lines:
//   mesh <name>                    begins a mesh (its name is the material it asks for)
//   v px py pz nx ny nz u v        one vertex
//   f a b c                        one triangle of vertex indices
//   end                            ends the mesh
// '#' starts a comment. The file is one mesh chunk per mesh, then a zero tag.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace modelwriter {

constexpr uint32_t kMeshTag = 0x6D657368;
// A mesh's counts must fit the loader's 16-bit buffers.
constexpr size_t kMaxCount = 65535;

struct MeshDescription {
    std::string name;
    std::vector<float> vertices;  // 8 floats per vertex
    std::vector<uint32_t> indices;
};

// False with the line and the reason in error; a mesh with more than 65535 vertices or
// indices, or a face past its vertices, is refused.
bool ParseDescription(const std::string& text, std::vector<MeshDescription>& meshes, std::string& error);

// The payload of one mesh chunk. Counts are written as given, so a test can state counts that
// disagree with the data; a name longer than 255 bytes is cut.
std::vector<unsigned char> MeshPayload(const MeshDescription& mesh);
std::vector<unsigned char> MeshPayload(const MeshDescription& mesh, uint32_t indexCount, uint32_t vertexCount);
// A chunk header (tag, payload length) and the payload.
void AppendChunk(std::vector<unsigned char>& out, uint32_t tag, const std::vector<unsigned char>& payload);
// Mesh chunks in order, then the zero tag.
std::vector<unsigned char> ModelFileBytes(const std::vector<MeshDescription>& meshes);

}  // namespace modelwriter
