#pragma once
// The triangle data of a mesh collider: vertices with normals, triangles, the triangles of
// each horizontal quadrant, the extents, a four-way tree over the triangles and a bounding-volume
// tree of their faces.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/Vector.h"
#include "physics/FaceTree.h"

namespace Gedankenexperiment {

struct MeshVertex {
    SD::Vec3 position;
    SD::Vec3 normal;  // unit; the mesh test moves the corner along it by the buffer thickness
};

struct MeshTriangle {
    uint32_t index[3];
};

// A node of the triangle tree: a box in the mesh's own frame and, in a leaf, its triangles.
struct TriangleNode {
    SD::Vec3 center;
    SD::Vec3 extents;
    std::vector<uint32_t> triangles;
    std::array<std::unique_ptr<TriangleNode>, 4> children;  // all empty in a leaf
};

struct MeshData {
    std::vector<MeshVertex> vertices;
    std::vector<MeshTriangle> triangles;
    // Triangles with a corner strictly inside (x < 0, z > 0), (x > 0, z > 0), (x < 0, z < 0),
    // (x > 0, z < 0), in this order; a triangle can be in several.
    std::array<std::vector<uint32_t>, 4> quadrants;
    SD::Vec3 extents;  // the largest absolute x, y and z over the vertices
    std::unique_ptr<TriangleNode> tree;
    // Bit q set when the triangle is in quadrant list q, for tests that walk a list's triangles
    // found near a point in the face tree.
    std::vector<uint8_t> quadrantBits;
    FaceTree faces;

    // Whether every triangle names existing vertices.
    bool IndicesValid() const;
    // Fills the quadrant lists and builds the triangle and face trees from vertices, triangles and
    // extents.
    void Finish();
};

// Within this distance on every axis two vertices are one.
constexpr float kWeldTolerance = 0.0001f;
// A node with more triangles than this is split.
constexpr size_t kTrianglesPerLeaf = 50;
// Nodes narrower than this in x or z are not split.
constexpr float kSmallestTriangleNode = 0.03f;
// The tree never grows deeper than this.
constexpr int kMaxTriangleTreeDepth = 32;

// Merges every vertex into the first earlier one within the tolerance on every axis: in each
// triangle that uses the later vertex, its first corner that does is moved to the earlier one.
// Returns how many vertices were merged.
size_t WeldVertices(const std::vector<SD::Vec3>& positions, std::vector<MeshTriangle>& triangles);

// Each vertex's normal: the unit sum of the distinct unit normals of the triangles that use it
// (zero for a vertex no triangle with area uses).
std::vector<SD::Vec3> VertexNormals(const std::vector<SD::Vec3>& positions, const std::vector<MeshTriangle>& triangles);

}  // namespace Gedankenexperiment
