#include "physics/AxisABoxTree.h"

#include <algorithm>
#include <cmath>

#include "engine/Transform.h"
#include "physics/Collider.h"
#include "physics/MeshData.h"
#include "physics/OverlapTests.h"

namespace Gedankenexperiment {
namespace {

size_t MeshLoad(const std::vector<Collider*>& colliders) {
    size_t load = 0;
    for (const Collider* c : colliders) {
        const Shape* shape = c->GetShape();
        if (shape && shape->GetType() == kShapeMesh) {
            const auto& mesh = static_cast<const Mesh&>(*shape);
            if (mesh.data) load += mesh.data->triangles.size();
        }
    }
    return load;
}

}  // namespace

bool HasNodeTest(int shapeType) { return GetOverlapTest(kShapeAAB, shapeType) != nullptr; }

bool NodeOverlaps(const AxisABoxNode& node, Collider& collider) {
    Shape* shape = collider.GetShape();
    if (!shape) return false;
    const OverlapTest test = GetOverlapTest(kShapeAAB, shape->GetType());
    return test && test(const_cast<AxisABox&>(node.box), node.center, *shape, collider.position);
}

void AxisABoxTree::Clear() {
    root_.reset();
    maxDepth_ = 0;
}

void AxisABoxTree::Remove(const Collider* collider) {
    if (root_) RemoveFrom(*root_, collider);
}

void AxisABoxTree::RemoveFrom(AxisABoxNode& node, const Collider* collider) {
    auto& list = node.colliders;
    list.erase(std::remove(list.begin(), list.end(), collider), list.end());
    for (auto& child : node.children)
        if (child) RemoveFrom(*child, collider);
}

void AxisABoxTree::Build(const std::vector<Collider*>& colliders) {
    Clear();
    root_ = std::make_unique<AxisABoxNode>();
    root_->colliders = colliders;
    root_->box.extents = SD::Vec3(kRootExtent, kRootExtent, kRootExtent);
    Split(*root_, 0);
}

void AxisABoxTree::Split(AxisABoxNode& node, int depth) {
    const size_t count = node.colliders.size();
    if (count <= kMaxLeafColliders) return;
    if (node.box.extents.x < kSmallestNode || node.box.extents.z < kSmallestNode) return;
    if (node.parent && node.parent->colliders.size() == count) return;
    if (depth >= kMaxDepth) return;
    maxDepth_ = std::max(maxDepth_, depth);
    for (auto& child : node.children) {
        child = std::make_unique<AxisABoxNode>();
        child->parent = &node;
    }
    // The cut is shifted from the median position: the value a full sort would put in the
    // middle, which a partial one finds as well.
    std::vector<Collider*> sorted = node.colliders;
    const auto middle = sorted.begin() + count / 2;
    std::nth_element(sorted.begin(), middle, sorted.end(),
                     [](const Collider* l, const Collider* r) { return l->position.x < r->position.x; });
    const float sx = (*middle)->position.x + kSplitShift;
    std::nth_element(sorted.begin(), middle, sorted.end(),
                     [](const Collider* l, const Collider* r) { return l->position.z < r->position.z; });
    const float sz = (*middle)->position.z + kSplitShift;
    Distribute(node, sx, sz);

    size_t cmax = 0, cmin = SIZE_MAX, tmax = 0, tmin = SIZE_MAX;
    for (const auto& child : node.children) {
        cmax = std::max(cmax, child->colliders.size());
        cmin = std::min(cmin, child->colliders.size());
        const size_t load = MeshLoad(child->colliders);
        tmax = std::max(tmax, load);
        tmin = std::min(tmin, load);
    }
    float meshPenalty = 0.0f;
    if (tmax > 0) {
        meshPenalty = ((float(tmax) - float(tmin)) - 50000.0f) / float(tmax);
        meshPenalty = std::clamp(meshPenalty, 0.0f, 0.1f);
    }
    const float rating = (float(count) - float(cmax) + float(cmin)) / float(count) - meshPenalty;
    if (rating < kGoodSplit) {
        for (auto& child : node.children) child->colliders.clear();
        Distribute(node, node.center.x, node.center.z);
    }
    for (auto& child : node.children) Split(*child, depth + 1);
    node.colliders.clear();
    node.colliders.shrink_to_fit();
}

void AxisABoxTree::Distribute(AxisABoxNode& node, float sx, float sz) {
    const float x0 = node.center.x - node.box.extents.x, x1 = node.center.x + node.box.extents.x;
    const float z0 = node.center.z - node.box.extents.z, z1 = node.center.z + node.box.extents.z;
    // The cut stays inside the node, so the children never reach outside it.
    sx = std::clamp(sx, x0, x1);
    sz = std::clamp(sz, z0, z1);
    const float ranges[4][4] = {{x0, sx, sz, z1}, {sx, x1, sz, z1}, {x0, sx, z0, sz}, {sx, x1, z0, sz}};
    for (int i = 0; i < 4; ++i) {
        AxisABoxNode& child = *node.children[i];
        const float* r = ranges[i];
        child.center = SD::Vec3((r[0] + r[1]) * 0.5f, node.center.y, (r[2] + r[3]) * 0.5f);
        child.box.extents = SD::Vec3((r[1] - r[0]) * 0.5f, node.box.extents.y, (r[3] - r[2]) * 0.5f);
    }
    for (Collider* collider : node.colliders)
        for (auto& child : node.children)
            if (NodeOverlaps(*child, *collider)) child->colliders.push_back(collider);
}

template <class Overlaps>
void AxisABoxTree::QueryNode(const AxisABoxNode& node, const Overlaps& overlaps,
                             std::vector<const std::vector<Collider*>*>& result) {
    if (!overlaps(node)) return;
    if (!node.colliders.empty()) result.push_back(&node.colliders);
    for (const auto& child : node.children)
        if (child) QueryNode(*child, overlaps, result);
}

void AxisABoxTree::Query(Collider& collider, std::vector<const std::vector<Collider*>*>& result) const {
    if (root_)
        QueryNode(
            *root_, [&collider](const AxisABoxNode& node) { return NodeOverlaps(node, collider); }, result);
}

void AxisABoxTree::QueryBox(const SD::Vec3& centre, const SD::Vec3& halfSizes,
                            std::vector<const std::vector<Collider*>*>& result) const {
    const auto touches = [&](const AxisABoxNode& node) {
        return BoxesTouch(node.center, node.box.extents, centre, halfSizes);
    };
    if (root_) QueryNode(*root_, touches, result);
}

}  // namespace Gedankenexperiment
