#include "graphics/GrassTree.h"

#include <algorithm>

#include "core/Logger.h"

namespace Aperture {

namespace {

float& Axis(SD::Vec3& v, int axis) { return axis == 0 ? v.x : v.z; }
float Axis(const SD::Vec3& v, int axis) { return axis == 0 ? v.x : v.z; }

}  // namespace

void GrassTree::Build(const std::vector<GrassInstance>& instances) {
    box = AABB();
    root.reset();
    if (instances.empty()) return;
    std::vector<GrassInstance> capped;
    const std::vector<GrassInstance>* source = &instances;
    if (instances.size() > kMaxInstances) {
        SD_WARNING(Debug::kLogSevere, "grass tree over %zu instances keeps the first %zu", instances.size(),
                   kMaxInstances);
        capped.assign(instances.begin(), instances.begin() + kMaxInstances);
        source = &capped;
    }
    for (const GrassInstance& g : *source) {
        const float s = g.Size();
        box.max.x = std::max(box.max.x, g.position.x + s);
        box.max.y = std::max(box.max.y, g.position.y + s);
        box.max.z = std::max(box.max.z, g.position.z + s);
        box.min.x = std::min(box.min.x, g.position.x - s);
        box.min.y = std::min(box.min.y, g.position.y - s);
        box.min.z = std::min(box.min.z, g.position.z - s);
    }
    root = std::make_unique<Node>();
    root->box = box;
    BuildNode(*root, *source, 0, 0);
}

void GrassTree::BuildNode(Node& node, const std::vector<GrassInstance>& incoming, int32_t depth, int axis) {
    node.depth = depth;
    if (depth >= kLeafDepth) {
        node.instances = incoming;
        return;
    }
    double sum = 0.0;
    for (const GrassInstance& g : incoming) sum += Axis(g.position, axis);
    node.split = static_cast<float>(sum / static_cast<double>(incoming.size()));
    std::vector<GrassInstance> left, right;
    for (const GrassInstance& g : incoming) {
        const float v = Axis(g.position, axis);
        if (v < node.split - kSplitBand)
            left.push_back(g);
        else if (v > node.split + kSplitBand)
            right.push_back(g);
        else
            node.instances.push_back(g);
    }
    const int next = axis == 0 ? 2 : 0;
    if (!left.empty()) {
        node.left = std::make_unique<Node>();
        node.left->box = node.box;
        Axis(node.left->box.max, axis) = node.split;
        BuildNode(*node.left, left, depth + 1, next);
    }
    if (!right.empty()) {
        node.right = std::make_unique<Node>();
        node.right->box = node.box;
        Axis(node.right->box.min, axis) = node.split;
        BuildNode(*node.right, right, depth + 1, next);
    }
}

int GrassTree::ClassifyBox(const AABB& b, const FrustumPlane* planes) {
    constexpr unsigned kFront = 1, kBehind = 2;
    for (int i = 0; i < kPlaneCount; ++i) {
        unsigned state = 0;
        for (unsigned mask = 0; mask < 8; ++mask) {
            state |= planes[i].Distance(AABB::GetCorner(b, mask)) < 0.0f ? kBehind : kFront;
            if (state == (kFront | kBehind)) return 2;
        }
        if (state == kBehind) return 1;
    }
    return 0;
}

void GrassTree::VisitAll(Node* node, const Visitor& visitor) {
    if (!node) return;
    visitor(node);
    VisitAll(node->left.get(), visitor);
    VisitAll(node->right.get(), visitor);
}

void GrassTree::Traverse(const FrustumPlane* planes, Node* node, const Visitor& visitor) {
    if (!node) return;
    switch (ClassifyBox(node->box, planes)) {
        case 1:
            return;
        case 2:
            visitor(node);
            Traverse(planes, node->left.get(), visitor);
            Traverse(planes, node->right.get(), visitor);
            return;
        default:
            VisitAll(node, visitor);
    }
}

void GrassTree::TraverseFromRoot(const FrustumPlane* planes, const Visitor& visitor) const {
    Traverse(planes, root.get(), visitor);
}

}  // namespace Aperture
