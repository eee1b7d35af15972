#pragma once
// A bounding-volume tree over a mesh's triangles, built once when the mesh data is finished, so
// that a probe or a body near a mesh tests the few triangles around it and not every one.
// The boxes hold the unscaled vertex positions; a FacePlacement turns a box into the frame a
// test works in (scaled, buffered, turned and moved), so one tree serves every collider that
// shares the data.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/Matrix.h"
#include "core/Vector.h"

namespace Gedankenexperiment {

struct MeshTriangle;
struct MeshVertex;

struct FaceNode {
    SD::Vec3 lo, hi;  // bounds of the node's triangles' corners
    uint32_t first;   // a leaf: its first entry in the order; an inner node: its second child
    uint32_t count;   // triangles in a leaf; 0 for an inner node, whose first child follows it
};

// How a collider lays its mesh's triangles out: a corner at `position + orient * (vertex *
// scale + normal * thickness)`.
struct FacePlacement {
    SD::Mtx33 orient;
    SD::Vec3 position;
    SD::Vec3 scale;
    float thickness;
};

class FaceTree {
public:
    // Leaves hold at most this many triangles.
    static constexpr uint32_t kLeafTriangles = 4;

    void Build(const std::vector<MeshVertex>& vertices, const std::vector<MeshTriangle>& triangles);

    // Appends to `out`, in ascending order, every triangle whose placed box (centre, half
    // extents; grown a little against rounding) `overlaps` accepts for itself and each node
    // above it.
    template <class Overlaps>
    void Collect(const FacePlacement& placement, Overlaps&& overlaps, std::vector<uint32_t>& out) const;

    size_t NodeCount() const { return nodes_.size(); }
    size_t TriangleCount() const { return order_.size(); }

private:
    // `spread` is the placement's orientation with every element made positive.
    void Place(const FacePlacement& placement, const SD::Mtx33& spread, const FaceNode& node, SD::Vec3* centre,
               SD::Vec3* half) const;

    std::vector<FaceNode> nodes_;
    std::vector<uint32_t> order_;  // triangle indices, each leaf's in a run
};

// Whether the axis-aligned boxes (centre, half extents) overlap, touching included.
bool BoxesOverlap(const SD::Vec3& c1, const SD::Vec3& h1, const SD::Vec3& c2, const SD::Vec3& h2);
// Whether the segment from `from` along `way` for t in [0, tEnd] touches the box.
bool SegmentTouchesBox(const SD::Vec3& from, const SD::Vec3& way, float tEnd, const SD::Vec3& centre,
                       const SD::Vec3& half);

template <class Overlaps>
void FaceTree::Collect(const FacePlacement& placement, Overlaps&& overlaps, std::vector<uint32_t>& out) const {
    if (nodes_.empty()) return;
    const size_t from = out.size();
    const SD::Mtx33 spread = placement.orient.GetAbs();
    uint32_t stack[64];
    int top = 0;
    stack[top++] = 0;
    while (top > 0) {
        const FaceNode& node = nodes_[stack[--top]];
        SD::Vec3 centre, half;
        Place(placement, spread, node, &centre, &half);
        if (!overlaps(centre, half)) continue;
        if (node.count > 0) {
            out.insert(out.end(), order_.begin() + node.first, order_.begin() + node.first + node.count);
            continue;
        }
        const uint32_t self = static_cast<uint32_t>(&node - nodes_.data());
        stack[top++] = node.first;
        stack[top++] = self + 1;
    }
    std::sort(out.begin() + static_cast<std::ptrdiff_t>(from), out.end());
}

}  // namespace Gedankenexperiment
