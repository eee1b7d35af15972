#include "physics/MeshData.h"

#include <cmath>
#include <cstdint>
#include <unordered_map>

namespace Gedankenexperiment {
namespace {

// Grid cells one tolerance wide: two vertices within the tolerance lie in the same or
// neighbouring cells.
struct CellKey {
    int64_t x, y, z;
    bool operator==(const CellKey& o) const { return x == o.x && y == o.y && z == o.z; }
};

struct CellHash {
    size_t operator()(const CellKey& k) const {
        uint64_t h = static_cast<uint64_t>(k.x) * 0x9E3779B97F4A7C15ull;
        h ^= static_cast<uint64_t>(k.y) * 0xC2B2AE3D27D4EB4Full + (h << 6) + (h >> 2);
        h ^= static_cast<uint64_t>(k.z) * 0x165667B19E3779F9ull + (h << 6) + (h >> 2);
        return static_cast<size_t>(h);
    }
};

int64_t CellOf(float v) {
    const double cell = std::floor(static_cast<double>(v) / kWeldTolerance);
    const double limit = 4.0e18;
    return static_cast<int64_t>(cell < -limit ? -limit : cell > limit ? limit : cell);
}

bool Within(const SD::Vec3& a, const SD::Vec3& b) {
    return std::fabs(a.x - b.x) <= kWeldTolerance && std::fabs(a.y - b.y) <= kWeldTolerance &&
           std::fabs(a.z - b.z) <= kWeldTolerance;
}

bool StrictlyInside(const SD::Vec3& p, int quadrant) {
    const bool left = quadrant == 0 || quadrant == 2;
    const bool front = quadrant == 0 || quadrant == 1;
    return (left ? p.x < 0.0f : p.x > 0.0f) && (front ? p.z > 0.0f : p.z < 0.0f);
}

bool BoxHolds(const TriangleNode& node, const SD::Vec3& p) {
    return std::fabs(p.x - node.center.x) <= node.extents.x && std::fabs(p.y - node.center.y) <= node.extents.y &&
           std::fabs(p.z - node.center.z) <= node.extents.z;
}

void SplitNode(const MeshData& mesh, TriangleNode& node, size_t parentCount, int depth) {
    if (node.triangles.size() <= kTrianglesPerLeaf) return;
    if (node.extents.x < kSmallestTriangleNode || node.extents.z < kSmallestTriangleNode) return;
    if (node.triangles.size() >= parentCount || depth >= kMaxTriangleTreeDepth) return;
    const SD::Vec3 half(node.extents.x * 0.5f, node.extents.y, node.extents.z * 0.5f);
    const float offsets[4][2] = {{-1, 1}, {1, 1}, {-1, -1}, {1, -1}};
    for (int c = 0; c < 4; ++c) {
        auto child = std::make_unique<TriangleNode>();
        child->extents = half;
        child->center =
            SD::Vec3(node.center.x + offsets[c][0] * half.x, node.center.y, node.center.z + offsets[c][1] * half.z);
        for (uint32_t t : node.triangles) {
            const MeshTriangle& tri = mesh.triangles[t];
            for (uint32_t corner : tri.index) {
                if (BoxHolds(*child, mesh.vertices[corner].position)) {
                    child->triangles.push_back(t);
                    break;
                }
            }
        }
        node.children[c] = std::move(child);
    }
    const size_t count = node.triangles.size();
    for (auto& child : node.children) SplitNode(mesh, *child, count, depth + 1);
    node.triangles.clear();
    node.triangles.shrink_to_fit();
}

}  // namespace

bool MeshData::IndicesValid() const {
    for (const MeshTriangle& t : triangles)
        for (uint32_t i : t.index)
            if (i >= vertices.size()) return false;
    return true;
}

void MeshData::Finish() {
    for (auto& list : quadrants) list.clear();
    quadrantBits.assign(triangles.size(), 0);
    for (uint32_t t = 0; t < triangles.size(); ++t) {
        for (int q = 0; q < 4; ++q) {
            for (uint32_t corner : triangles[t].index) {
                if (StrictlyInside(vertices[corner].position, q)) {
                    quadrants[q].push_back(t);
                    quadrantBits[t] |= static_cast<uint8_t>(1u << q);
                    break;
                }
            }
        }
    }
    tree = std::make_unique<TriangleNode>();
    tree->extents = extents;
    tree->triangles.resize(triangles.size());
    for (uint32_t t = 0; t < triangles.size(); ++t) tree->triangles[t] = t;
    SplitNode(*this, *tree, SIZE_MAX, 0);
    faces.Build(vertices, triangles);
}

size_t WeldVertices(const std::vector<SD::Vec3>& positions, std::vector<MeshTriangle>& triangles) {
    const size_t count = positions.size();
    // The triangles that name each vertex: only they can name it when it is merged, since
    // corners only ever move to an earlier vertex.
    std::vector<std::vector<uint32_t>> users(count);
    for (uint32_t t = 0; t < triangles.size(); ++t) {
        const uint32_t* idx = triangles[t].index;
        for (int c = 0; c < 3; ++c) {
            if (idx[c] >= count) continue;
            if ((c > 0 && idx[c] == idx[0]) || (c > 1 && idx[c] == idx[1])) continue;
            users[idx[c]].push_back(t);
        }
    }
    std::unordered_map<CellKey, std::vector<uint32_t>, CellHash> grid;
    grid.reserve(count);
    for (uint32_t v = 0; v < count; ++v) {
        const SD::Vec3& p = positions[v];
        grid[{CellOf(p.x), CellOf(p.y), CellOf(p.z)}].push_back(v);
    }
    std::vector<bool> merged(count, false);
    size_t mergedCount = 0;
    std::vector<uint32_t> near;
    for (uint32_t i = 0; i < count; ++i) {
        if (merged[i]) continue;
        const SD::Vec3& p = positions[i];
        const CellKey key{CellOf(p.x), CellOf(p.y), CellOf(p.z)};
        near.clear();
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
                for (int dz = -1; dz <= 1; ++dz) {
                    auto found = grid.find({key.x + dx, key.y + dy, key.z + dz});
                    if (found == grid.end()) continue;
                    for (uint32_t j : found->second)
                        if (j > i && Within(p, positions[j])) near.push_back(j);
                }
        for (uint32_t j : near) {
            if (!merged[j]) ++mergedCount;
            merged[j] = true;
            for (uint32_t t : users[j]) {
                for (uint32_t& corner : triangles[t].index) {
                    if (corner == j) {
                        corner = i;
                        break;
                    }
                }
            }
        }
    }
    return mergedCount;
}

std::vector<SD::Vec3> VertexNormals(const std::vector<SD::Vec3>& positions,
                                    const std::vector<MeshTriangle>& triangles) {
    std::vector<SD::Vec3> sums(positions.size());
    std::vector<std::vector<SD::Vec3>> added(positions.size());
    for (const MeshTriangle& t : triangles) {
        const SD::Vec3& c0 = positions[t.index[0]];
        const SD::Vec3 cross = (positions[t.index[1]] - c0).Cross(positions[t.index[2]] - c0);
        const float length = cross.Length();
        if (!(length > 0.0f) || !std::isfinite(length)) continue;  // no area, no direction
        const SD::Vec3 face = cross * (1.0f / length);
        for (uint32_t corner : t.index) {
            bool seen = false;
            for (const SD::Vec3& n : added[corner]) seen = seen || (n - face).LengthSq() < 1e-8f;
            if (seen) continue;
            added[corner].push_back(face);
            sums[corner] += face;
        }
    }
    for (SD::Vec3& n : sums) {
        const float length = n.Length();
        n = length > 0.0f ? n * (1.0f / length) : SD::Vec3();
    }
    return sums;
}

}  // namespace Gedankenexperiment
