#include "graphics/resources/Mesh.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/Logger.h"
#include "graphics/resources/Effect.h"
#include "graphics/resources/ResourceManager.h"

namespace Aperture::Resource {
namespace {

uint32_t meshCounter = 0;

constexpr float kPi = 3.1415927f;
constexpr float kTwoPi = 6.2831855f;

MeshVertexData Vertex(const SD::Vec3& position, const SD::Vec3& normal, float u, float v, const SD::Vec3& tangent,
                      const SD::Vec3& binormal) {
    MeshVertexData out;
    out.position = position;
    out.normal = normal;
    out.u = u;
    out.v = v;
    out.tangent = tangent;
    out.binormal = binormal;
    return out;
}

// Two triangles per cell of a grid whose rows are `width` vertices long.
void GridIndices(std::vector<uint16_t>& indices, uint32_t base, uint32_t width, uint32_t cellsU, uint32_t cellsV) {
    for (uint32_t j = 0; j < cellsV; ++j) {
        for (uint32_t i = 0; i < cellsU; ++i) {
            const auto a = static_cast<uint16_t>(base + j * width);
            const auto b = static_cast<uint16_t>(base + (j + 1) * width);
            indices.insert(indices.end(), {static_cast<uint16_t>(a + i), static_cast<uint16_t>(a + i + 1),
                                           static_cast<uint16_t>(b + i), static_cast<uint16_t>(b + i),
                                           static_cast<uint16_t>(a + i + 1), static_cast<uint16_t>(b + i + 1)});
        }
    }
}

}  // namespace

void GenerateGrid(MeshGeometry& out, uint32_t segmentsU, uint32_t segmentsV, const SD::Vec3& origin,
                  const SD::Vec3& axisA, const SD::Vec3& axisB, const SD::Vec3& normal, bool doubleSided) {
    const auto base = static_cast<uint32_t>(out.vertices.size());
    const uint32_t width = segmentsU + 1;
    for (uint32_t j = 0; j <= segmentsV; ++j) {
        const float v = static_cast<float>(j) * (1.0f / static_cast<float>(segmentsV));
        for (uint32_t i = 0; i <= segmentsU; ++i) {
            const float u = static_cast<float>(i) * (1.0f / static_cast<float>(segmentsU));
            out.vertices.push_back(Vertex(origin + axisA * u + axisB * v, normal, u, v, axisA, axisB));
        }
    }
    if (doubleSided) {
        for (uint32_t j = 0; j <= segmentsV; ++j) {
            for (uint32_t i = width; i-- > 0;) {
                MeshVertexData back = out.vertices[base + j * width + i];
                back.normal = -back.normal;
                back.tangent = -back.tangent;
                back.binormal = -back.binormal;
                out.vertices.push_back(back);
            }
        }
    }
    GridIndices(out.indices, base, width, segmentsU, segmentsV);
    if (doubleSided) GridIndices(out.indices, base + width * (segmentsV + 1), width, segmentsU, segmentsV);
}

MeshGeometry GenerateCubeSphere(uint32_t n) {
    struct Face {
        SD::Vec3 origin, a, b, normal;
    };
    static const Face faces[6] = {
        {{-0.5f, 0.5f, 0.5f}, {1, 0, 0}, {0, 0, -1}, {0, 1, 0}},
        {{-0.5f, -0.5f, -0.5f}, {1, 0, 0}, {0, 0, 1}, {0, -1, 0}},
        {{-0.5f, 0.5f, 0.5f}, {0, 0, -1}, {0, -1, 0}, {-1, 0, 0}},
        {{-0.5f, 0.5f, -0.5f}, {1, 0, 0}, {0, -1, 0}, {0, 0, 1}},
        {{0.5f, 0.5f, -0.5f}, {0, 0, 1}, {0, -1, 0}, {1, 0, 0}},
        {{0.5f, 0.5f, 0.5f}, {-1, 0, 0}, {0, -1, 0}, {0, 0, -1}},
    };
    MeshGeometry out;
    for (const Face& f : faces) GenerateGrid(out, n, n, f.origin, f.a, f.b, f.normal, false);
    for (MeshVertexData& v : out.vertices) v.position = v.position * (1.0f / v.position.Length());
    return out;
}

MeshGeometry GenerateSphere(uint32_t slices, uint32_t stacks, const SD::Vec3& centre, float radius) {
    MeshGeometry out;
    for (uint32_t j = 0; j <= stacks; ++j) {
        const float phi = (static_cast<float>(j) / static_cast<float>(stacks)) * kPi;
        for (uint32_t i = 0; i <= slices; ++i) {
            const float theta = (static_cast<float>(i) / static_cast<float>(slices)) * kTwoPi;
            const SD::Vec3 p{std::sin(phi) * std::cos(theta) * radius, std::cos(phi) * radius,
                             std::sin(theta) * std::sin(phi) * radius};
            const float length = p.Length();
            const SD::Vec3 normal = length > 0.0f ? p * (1.0f / length) : SD::Vec3{0.0f, 1.0f, 0.0f};
            const SD::Vec3 tangent = SD::Vec3{std::cos(theta), 0.0f, std::sin(theta)}.GetNormalized();
            const SD::Vec3 binormal = normal.Cross(tangent).GetNormalized();
            out.vertices.push_back(Vertex(p + centre, normal, static_cast<float>(i) / static_cast<float>(slices),
                                          static_cast<float>(j) / static_cast<float>(stacks), tangent, binormal));
        }
    }
    GridIndices(out.indices, 0, slices + 1, slices, stacks);
    return out;
}

// The side and the base cap meet at a sharp edge, so they have rings of their own: ring 0
// carries the side's outward normals, the extra ring at the same place the cap's downward ones.
MeshGeometry GenerateCone(uint32_t s, uint32_t k) {
    MeshGeometry out;
    const SD::Vec3 zero{0.0f, 0.0f, 0.0f};
    const SD::Vec3 down{0.0f, -1.0f, 0.0f};
    auto ring = [&](float y, bool side) {
        for (uint32_t i = 0; i < s; ++i) {
            const float theta = (static_cast<float>(i) / static_cast<float>(s)) * kTwoPi;
            const float c = std::cos(theta), n = std::sin(theta);
            // The radius shrinks by 0.5 per unit of height: the side leans out by (2, 1) over 5.
            const SD::Vec3 normal = side ? SD::Vec3{2.0f * c, 1.0f, 2.0f * n} * (1.0f / std::sqrt(5.0f)) : down;
            const SD::Vec3 tangent{-n, 0.0f, c};
            out.vertices.push_back(
                Vertex({0.5f * c, y, 0.5f * n}, normal, 0, 0, tangent, normal.Cross(tangent).GetNormalized()));
        }
    };
    for (uint32_t r = 0; r < k; ++r) ring(static_cast<float>(r) / static_cast<float>(k) - 1.0f, true);
    ring(static_cast<float>(k - 1) / static_cast<float>(k) - 1.0f, false);
    const auto cap = static_cast<uint16_t>(k * s);
    const auto centre = static_cast<uint16_t>(out.vertices.size());
    out.vertices.push_back(Vertex({0.0f, -1.0f, 0.0f}, down, 0, 0, zero, zero));
    const auto apex = static_cast<uint16_t>(out.vertices.size());
    out.vertices.push_back(Vertex(zero, {0.0f, 1.0f, 0.0f}, 0, 0, zero, zero));
    auto next = [s](uint32_t q) { return static_cast<uint16_t>(q / s * s + (q + 1) % s); };
    for (uint32_t i = 0; i < s; ++i)
        out.indices.insert(out.indices.end(),
                           {static_cast<uint16_t>(cap + i), static_cast<uint16_t>(cap + (i + 1) % s), centre});
    for (uint32_t r = 0; r + 1 < k; ++r) {
        for (uint32_t q = r * s; q < (r + 1) * s; ++q) {
            out.indices.insert(out.indices.end(),
                               {static_cast<uint16_t>(q), static_cast<uint16_t>(q + s), next(q), next(q),
                                static_cast<uint16_t>(next(q) + s), static_cast<uint16_t>(q + s)});
        }
    }
    for (uint32_t q = (k - 1) * s; q < k * s; ++q)
        out.indices.insert(out.indices.end(), {static_cast<uint16_t>(q), apex, next(q)});
    return out;
}

Mesh::Mesh() : id(meshCounter++) {}

Mesh::Mesh(const MeshVertexData* quadVertices, const uint16_t* quadIndices) : Mesh() {
    loaded = BuildBuffers(6, 4, quadVertices, quadIndices);
}

bool Mesh::Unload() {
    if (indexBuffer && indexBuffer->IsLoaded()) indexBuffer->loaded = !indexBuffer->Unload();
    if (vertexBuffer && vertexBuffer->IsLoaded()) vertexBuffer->loaded = !vertexBuffer->Unload();
    return true;
}

bool Mesh::Load() {
    if (vertices.empty() || indices.empty()) return true;
    return BuildBuffers(static_cast<uint32_t>(indices.size()), static_cast<uint32_t>(vertices.size()), vertices.data(),
                        indices.data());
}

void Mesh::Draw(const SD::Mtx44& transform, Effect* effect) {
    if (effect) effect->SetMatrix("world", transform);
    DrawIndexedBuffers(indexBuffer, vertexBuffer, effect, 0);
}

void Mesh::DrawPasses(Effect* effect, unsigned passCount) {
    DrawIndexedBuffers(indexBuffer, vertexBuffer, effect, passCount);
}

bool Mesh::BuildBuffers(uint32_t newIndexCount, uint32_t newVertexCount, const MeshVertexData* vertexData,
                        const uint16_t* indexData) {
    if (newIndexCount > kMaxMeshCount || newVertexCount > kMaxMeshCount) {
        SD_WARNING(Debug::kLogError, "Mesh \"%s\" has %u indices and %u vertices; at most %u of each fit its buffers",
                   name.c_str(), newIndexCount, newVertexCount, kMaxMeshCount);
        return false;
    }
    ResourceManager* manager = ResourceManager::GetInstance();
    if (!manager) return false;
    indexCount = newIndexCount;
    vertexCount = newVertexCount;
    vertexBuffer = manager->CreateVertexBuffer(vertexCount);
    vertexBuffer->Fill(vertexData);
    indexBuffer = manager->CreateIndexBuffer(indexData, static_cast<uint16_t>(indexCount));
    constexpr float kMax = std::numeric_limits<float>::max();
    boundsMin = {kMax, kMax, kMax};
    boundsMax = {-kMax, -kMax, -kMax};
    for (uint32_t i = 0; i < vertexCount; ++i) {
        const SD::Vec3& p = vertexData[i].position;
        boundsMin = {std::min(boundsMin.x, p.x), std::min(boundsMin.y, p.y), std::min(boundsMin.z, p.z)};
        boundsMax = {std::max(boundsMax.x, p.x), std::max(boundsMax.y, p.y), std::max(boundsMax.z, p.z)};
    }
    loaded = vertexBuffer->IsLoaded() && indexBuffer->IsLoaded();
    return loaded;
}

bool Mesh::SetMeshData(const std::vector<MeshVertexData>& newVertices, const std::vector<uint16_t>& newIndices) {
    vertices = newVertices;
    indices = newIndices;
    return BuildBuffers(static_cast<uint32_t>(indices.size()), static_cast<uint32_t>(vertices.size()), vertices.data(),
                        indices.data());
}

Plane::Plane(uint32_t u, uint32_t v, const SD::Vec3& o, const SD::Vec3& a, const SD::Vec3& b, const SD::Vec3& n,
             bool twoSided)
    : segmentsU(u), segmentsV(v), origin(o), axisU(a), axisV(b), normal(n), doubleSided(twoSided) {
    if (std::fabs(normal.x) < 0.0001f && std::fabs(normal.y) < 0.0001f && std::fabs(normal.z) < 0.0001f)
        normal = axisV.Cross(axisU);
    if (!loaded) loaded = Load();
}

bool Plane::Load() {
    MeshGeometry g;
    GenerateGrid(g, segmentsU, segmentsV, origin, axisU, axisV, normal, doubleSided);
    return BuildBuffers(static_cast<uint32_t>(g.indices.size()), static_cast<uint32_t>(g.vertices.size()),
                        g.vertices.data(), g.indices.data());
}

CubeSphere::CubeSphere(uint32_t n) : subdivisions(n) {
    if (!loaded) loaded = Load();
}

bool CubeSphere::Load() {
    MeshGeometry g = GenerateCubeSphere(subdivisions);
    return BuildBuffers(static_cast<uint32_t>(g.indices.size()), static_cast<uint32_t>(g.vertices.size()),
                        g.vertices.data(), g.indices.data());
}

Sphere::Sphere(uint32_t slices, uint32_t stacks, const SD::Vec3& centre, float r) : radius(r) {
    centroid = centre;
    if (!loaded) loaded = Generate(slices, stacks);
}

bool Sphere::Load() { return Generate(16, 16); }

void Sphere::Draw(const SD::Mtx44&, Effect* effect) { DrawIndexedBuffers(indexBuffer, vertexBuffer, effect, 0); }

bool Sphere::Generate(uint32_t slices, uint32_t stacks) {
    MeshGeometry g = GenerateSphere(slices, stacks, centroid, radius);
    return BuildBuffers(static_cast<uint32_t>(g.indices.size()), static_cast<uint32_t>(g.vertices.size()),
                        g.vertices.data(), g.indices.data());
}

Cone::Cone(uint32_t s) : slices(s) {
    if (!loaded) loaded = Load();
}

bool Cone::Load() {
    MeshGeometry g = GenerateCone(slices, rings);
    return BuildBuffers(static_cast<uint32_t>(g.indices.size()), static_cast<uint32_t>(g.vertices.size()),
                        g.vertices.data(), g.indices.data());
}

}  // namespace Aperture::Resource
