#pragma once
// A two-dimensional k-d tree over the grass instances of one geometry: splits on x and z in
// turn, keeps the instances near a split in the splitting node, and hands visible nodes to a
// visitor.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "graphics/Culling.h"

namespace Aperture {

// The per-instance grass record as the instance buffer holds it (20 bytes).
struct GrassInstance {
    SD::Vec3 position;
    uint8_t color[4] = {0, 0, 0, 0};
    uint8_t params[4] = {0, 0, 0, 0};
    // Used as a radius in world units.
    float Size() const { return static_cast<float>(params[2]); }
};
static_assert(sizeof(GrassInstance) == 20, "grass instance record is 20 bytes");

class GrassTree {
public:
    struct Node {
        std::unique_ptr<Node> left;
        std::unique_ptr<Node> right;
        std::vector<GrassInstance> instances;
        AABB box;
        float split = 0.0f;
        int32_t depth = 0;
    };
    using Visitor = std::function<void(Node*)>;

    // Instances within this distance of a split stay in the splitting node.
    static constexpr float kSplitBand = 200.0f;
    static constexpr int32_t kLeafDepth = 4;
    // More instances than this are cut off: the build copies every instance into the tree.
    static constexpr size_t kMaxInstances = 1u << 20;

    // An empty list leaves the tree without a root.
    void Build(const std::vector<GrassInstance>& instances);
    void TraverseFromRoot(const FrustumPlane* planes, const Visitor& visitor) const;
    static void Traverse(const FrustumPlane* planes, Node* node, const Visitor& visitor);
    static void VisitAll(Node* node, const Visitor& visitor);
    // 0 inside, 1 outside, 2 straddling.
    static int ClassifyBox(const AABB& box, const FrustumPlane* planes);

    const AABB& GetBox() const { return box; }
    Node* GetRoot() const { return root.get(); }

private:
    static void BuildNode(Node& node, const std::vector<GrassInstance>& incoming, int32_t depth, int axis);

    AABB box;
    std::unique_ptr<Node> root;
};

}  // namespace Aperture
