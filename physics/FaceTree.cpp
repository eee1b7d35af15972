#include "physics/FaceTree.h"

#include <algorithm>
#include <cmath>

#include "physics/MeshData.h"
#include "physics/PairSupport.h"

namespace Gedankenexperiment {
namespace {

float Axis(const SD::Vec3& v, int i) { return i == 0 ? v.x : i == 1 ? v.y : v.z; }

SD::Vec3 Min(const SD::Vec3& a, const SD::Vec3& b) {
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::min(a.z, b.z)};
}

SD::Vec3 Max(const SD::Vec3& a, const SD::Vec3& b) {
    return {std::max(a.x, b.x), std::max(a.y, b.y), std::max(a.z, b.z)};
}

SD::Vec3 Abs(const SD::Vec3& v) { return {std::fabs(v.x), std::fabs(v.y), std::fabs(v.z)}; }

float Largest(const SD::Vec3& v) { return std::max(std::fabs(v.x), std::max(std::fabs(v.y), std::fabs(v.z))); }

// Relative and absolute growth of a placed box: the tests compute their corners in float along
// another path, so a box must hold a little more than its exact image.
constexpr float kRelativeGrowth = 1e-4f;
constexpr float kAbsoluteGrowth = 1e-4f;

struct Builder {
    const std::vector<MeshVertex>& vertices;
    const std::vector<MeshTriangle>& triangles;
    std::vector<FaceNode>& nodes;
    std::vector<uint32_t>& order;
    std::vector<SD::Vec3> centroids;

    void Bound(uint32_t first, uint32_t count, SD::Vec3* lo, SD::Vec3* hi) const {
        *lo = vertices[triangles[order[first]].index[0]].position;
        *hi = *lo;
        for (uint32_t k = first; k < first + count; ++k)
            for (uint32_t corner : triangles[order[k]].index) {
                *lo = Min(*lo, vertices[corner].position);
                *hi = Max(*hi, vertices[corner].position);
            }
    }

    void Split(uint32_t first, uint32_t count) {
        const uint32_t self = static_cast<uint32_t>(nodes.size());
        nodes.push_back({});
        Bound(first, count, &nodes[self].lo, &nodes[self].hi);
        if (count <= FaceTree::kLeafTriangles) {
            nodes[self].first = first;
            nodes[self].count = count;
            return;
        }
        SD::Vec3 lo = centroids[order[first]], hi = lo;
        for (uint32_t k = first; k < first + count; ++k) {
            lo = Min(lo, centroids[order[k]]);
            hi = Max(hi, centroids[order[k]]);
        }
        const SD::Vec3 spread = hi - lo;
        const int axis = spread.x >= spread.y && spread.x >= spread.z ? 0 : spread.y >= spread.z ? 1 : 2;
        const uint32_t half = count / 2;
        auto begin = order.begin() + first;
        std::nth_element(begin, begin + half, begin + count,
                         [&](uint32_t a, uint32_t b) { return Axis(centroids[a], axis) < Axis(centroids[b], axis); });
        Split(first, half);
        nodes[self].first = static_cast<uint32_t>(nodes.size());
        nodes[self].count = 0;
        Split(first + half, count - half);
    }
};

}  // namespace

void FaceTree::Build(const std::vector<MeshVertex>& vertices, const std::vector<MeshTriangle>& triangles) {
    nodes_.clear();
    order_.resize(triangles.size());
    for (uint32_t t = 0; t < triangles.size(); ++t) order_[t] = t;
    if (triangles.empty()) return;
    Builder builder{vertices, triangles, nodes_, order_, {}};
    builder.centroids.resize(triangles.size());
    for (uint32_t t = 0; t < triangles.size(); ++t) {
        SD::Vec3 sum;
        for (uint32_t corner : triangles[t].index) sum += vertices[corner].position;
        builder.centroids[t] = sum * (1.0f / 3.0f);
    }
    nodes_.reserve(2 * triangles.size() / kLeafTriangles + 1);
    builder.Split(0, static_cast<uint32_t>(triangles.size()));
}

void FaceTree::Place(const FacePlacement& placement, const SD::Mtx33& spread, const FaceNode& node, SD::Vec3* centre,
                     SD::Vec3* half) const {
    const SD::Vec3 buffer(std::fabs(placement.thickness), std::fabs(placement.thickness),
                          std::fabs(placement.thickness));
    const SD::Vec3 scaled = Multiply((node.lo + node.hi) * 0.5f, placement.scale);
    const SD::Vec3 reach = Multiply((node.hi - node.lo) * 0.5f, Abs(placement.scale)) + buffer;
    *centre = placement.position + placement.orient * scaled;
    *half = spread * reach;
    const float grow = kRelativeGrowth * (Largest(*centre) + Largest(*half)) + kAbsoluteGrowth;
    *half += SD::Vec3(grow, grow, grow);
}

bool BoxesOverlap(const SD::Vec3& c1, const SD::Vec3& h1, const SD::Vec3& c2, const SD::Vec3& h2) {
    return std::fabs(c1.x - c2.x) <= h1.x + h2.x && std::fabs(c1.y - c2.y) <= h1.y + h2.y &&
           std::fabs(c1.z - c2.z) <= h1.z + h2.z;
}

bool SegmentTouchesBox(const SD::Vec3& from, const SD::Vec3& way, float tEnd, const SD::Vec3& centre,
                       const SD::Vec3& half) {
    float enter = 0.0f, leave = tEnd;
    for (int i = 0; i < 3; ++i) {
        const float o = Axis(from, i) - Axis(centre, i), d = Axis(way, i), h = Axis(half, i);
        if (d == 0.0f) {
            if (!(std::fabs(o) <= h)) return false;
            continue;
        }
        float t1 = (-h - o) / d, t2 = (h - o) / d;
        if (t1 > t2) std::swap(t1, t2);
        enter = std::max(enter, t1);
        leave = std::min(leave, t2);
        if (!(enter <= leave)) return false;
    }
    return true;
}

}  // namespace Gedankenexperiment
