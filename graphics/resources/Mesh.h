#pragma once
// Meshes: one indexed triangle list of mesh vertices in a vertex and a 16-bit index buffer,
// with its bounds, centroid, name and material. Primitives generate their geometry on Load.
#include <cstdint>
#include <string>
#include <vector>

#include "core/Matrix.h"
#include "core/Vector.h"
#include "graphics/resources/Buffers.h"
#include "graphics/resources/Resource.h"
#include "graphics/resources/Vertex.h"

namespace Aperture::Resource {

class Effect;
class Material;

// The largest vertex or index count a 16-bit index buffer can hold.
constexpr uint32_t kMaxMeshCount = 65535;

struct MeshGeometry {
    std::vector<MeshVertexData> vertices;
    std::vector<uint16_t> indices;
};

// Appends a (segmentsU x segmentsV) grid from origin along axisA and axisB; a double-sided
// grid adds mirrored rows with negated frame and the opposite winding.
void GenerateGrid(MeshGeometry& out, uint32_t segmentsU, uint32_t segmentsV, const SD::Vec3& origin,
                  const SD::Vec3& axisA, const SD::Vec3& axisB, const SD::Vec3& normal, bool doubleSided);
// Six n x n faces of the unit cube pushed out onto the unit sphere.
MeshGeometry GenerateCubeSphere(uint32_t subdivisions);
MeshGeometry GenerateSphere(uint32_t slices, uint32_t stacks, const SD::Vec3& centre, float radius);
// Apex at the origin, base of radius 0.5 at y = -1.
MeshGeometry GenerateCone(uint32_t slices, uint32_t rings);

class Mesh : public StaticResource {
public:
    Mesh();
    // A quad of 4 vertices and 6 indices, built at once.
    Mesh(const MeshVertexData* quadVertices, const uint16_t* quadIndices);

    // Releases both buffers.
    bool Unload() override;
    // Rebuilds the buffers from the CPU copies when it has them.
    bool Load() override;
    virtual void Draw(const SD::Mtx44& transform, Effect* effect);
    void DrawPasses(Effect* effect, unsigned passCount);

    // Creates the buffers through the resource manager and recomputes the bounds from the
    // positions. Counts past 65535 do not fit the 16-bit buffers: they are refused with a log
    // line and the mesh keeps no buffers (false). The mesh is loaded when both buffers are.
    bool BuildBuffers(uint32_t indexCount, uint32_t vertexCount, const MeshVertexData* vertexData,
                      const uint16_t* indexData);
    // Keeps copies of both arrays and builds the buffers from them.
    bool SetMeshData(const std::vector<MeshVertexData>& newVertices, const std::vector<uint16_t>& newIndices);

    const std::vector<MeshVertexData>& GetVertices() const { return vertices; }
    const std::vector<uint16_t>& GetIndices() const { return indices; }
    uint32_t GetVertexCount() const { return vertexCount; }
    uint32_t GetIndexCount() const { return indexCount; }
    VertexBuffer<MeshVertex>* GetVertexBuffer() const { return vertexBuffer; }
    IndexBuffer* GetIndexBuffer() const { return indexBuffer; }
    Material* GetMaterial() const { return material; }
    void SetMaterial(Material* m) { material = m; }
    const std::string& GetName() const { return name; }
    void SetName(const std::string& n) { name = n; }
    uint32_t GetId() const { return id; }
    const SD::Vec3& GetCentroid() const { return centroid; }
    void SetCentroid(const SD::Vec3& c) { centroid = c; }
    const SD::Vec3& GetBoundsMin() const { return boundsMin; }
    const SD::Vec3& GetBoundsMax() const { return boundsMax; }

protected:
    std::vector<MeshVertexData> vertices;
    std::vector<uint16_t> indices;
    uint32_t vertexCount = 0;
    uint32_t indexCount = 0;
    VertexBuffer<MeshVertex>* vertexBuffer = nullptr;
    IndexBuffer* indexBuffer = nullptr;
    Material* material = nullptr;
    std::string name;
    uint32_t id;
    SD::Vec3 centroid{0.0f, 0.0f, 0.0f};
    SD::Vec3 boundsMin{0.0f, 0.0f, 0.0f};
    SD::Vec3 boundsMax{0.0f, 0.0f, 0.0f};
};

class Plane : public Mesh {
public:
    // A normal with every component below 0.0001 in size becomes axisV x axisU.
    Plane(uint32_t segmentsU, uint32_t segmentsV, const SD::Vec3& origin, const SD::Vec3& axisU, const SD::Vec3& axisV,
          const SD::Vec3& normal, bool doubleSided = false);
    bool Unload() override { return true; }
    bool Load() override;
    const SD::Vec3& GetNormal() const { return normal; }

private:
    uint32_t segmentsU, segmentsV;
    SD::Vec3 origin, axisU, axisV, normal;
    bool doubleSided;
};

class CubeSphere : public Mesh {
public:
    explicit CubeSphere(uint32_t subdivisions);
    bool Unload() override { return true; }
    bool Load() override;

private:
    uint32_t subdivisions;
};

class Sphere : public Mesh {
public:
    Sphere(uint32_t slices, uint32_t stacks, const SD::Vec3& centre, float radius);
    bool Unload() override { return true; }
    // Regenerates with 16 x 16.
    bool Load() override;
    // Binds its buffers only.
    void Draw(const SD::Mtx44& transform, Effect* effect) override;
    virtual bool Generate(uint32_t slices, uint32_t stacks);

private:
    float radius;
};

class Cone : public Mesh {
public:
    explicit Cone(uint32_t slices);
    bool Unload() override { return true; }
    bool Load() override;

private:
    uint32_t slices;
    uint32_t rings = 1;
};

}  // namespace Aperture::Resource
