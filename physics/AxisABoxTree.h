#pragma once
// The four-way tree that sorts a level's static colliders in the horizontal plane, so that each
// dynamic collider is tested only against the statics of the nodes its shape overlaps.
#include <array>
#include <memory>
#include <vector>

#include "core/Vector.h"
#include "physics/Shapes.h"

namespace Gedankenexperiment {

class Collider;

struct AxisABoxNode {
    AxisABoxNode* parent = nullptr;
    std::array<std::unique_ptr<AxisABoxNode>, 4> children;  // all set after a split
    AxisABox box;                                           // its extents are the node's half sizes
    SD::Vec3 center;
    std::vector<Collider*> colliders;
};

// Whether a collider's shape, at the collider's position, overlaps the node's box. Sphere,
// oriented box, axis-aligned box, height map and mesh have a test; the other kinds overlap
// nothing.
bool NodeOverlaps(const AxisABoxNode& node, Collider& collider);
// Whether the kind has a node test.
bool HasNodeTest(int shapeType);

class AxisABoxTree {
public:
    static constexpr float kRootExtent = 40000.0f;
    // Nodes with this many colliders or fewer are leaves.
    static constexpr size_t kMaxLeafColliders = 5;
    // Nodes narrower than this in x or z are leaves.
    static constexpr float kSmallestNode = 5.0f;
    // The median split is moved this far towards the maximum.
    static constexpr float kSplitShift = 200.0f;
    // A split rated below this is redone at the node's centre.
    static constexpr float kGoodSplit = 0.65f;
    // No node is split below this depth.
    static constexpr int kMaxDepth = 32;

    // Replaces the tree by one over the colliders, in their order.
    void Build(const std::vector<Collider*>& colliders);
    void Clear();
    // Takes a collider that goes away out of every node that holds it.
    void Remove(const Collider* collider);
    // Appends the collider vector of every node (with colliders) that the shape overlaps, in
    // tree order. Before the first build there are none.
    void Query(Collider& collider, std::vector<const std::vector<Collider*>*>& result) const;
    // The same for the nodes a box (centre, half sizes) touches.
    void QueryBox(const SD::Vec3& centre, const SD::Vec3& halfSizes,
                  std::vector<const std::vector<Collider*>*>& result) const;

    const AxisABoxNode* GetRoot() const { return root_.get(); }
    int GetMaxDepth() const { return maxDepth_; }

private:
    void Split(AxisABoxNode& node, int depth);
    void Distribute(AxisABoxNode& node, float sx, float sz);
    static void RemoveFrom(AxisABoxNode& node, const Collider* collider);
    template <class Overlaps>
    static void QueryNode(const AxisABoxNode& node, const Overlaps& overlaps,
                          std::vector<const std::vector<Collider*>*>& result);

    std::unique_ptr<AxisABoxNode> root_;
    int maxDepth_ = 0;
};

}  // namespace Gedankenexperiment
