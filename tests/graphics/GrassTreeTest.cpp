#include <gtest/gtest.h>

#include <vector>

#include "graphics/GrassTree.h"

namespace {

using Aperture::GrassInstance;
using Aperture::GrassTree;

GrassInstance At(float x, float z, uint8_t size = 1) {
    GrassInstance g;
    g.position = {x, 0, z};
    g.params[2] = size;
    return g;
}

// Planes keeping lo <= x <= hi, everything else open.
std::vector<Aperture::FrustumPlane> XSlab(float lo, float hi) {
    std::vector<Aperture::FrustumPlane> p(Aperture::kPlaneCount, Aperture::FrustumPlane{0, 0, 0, 1e9f});
    p[0] = {1, 0, 0, -lo};
    p[1] = {-1, 0, 0, hi};
    return p;
}

std::vector<const GrassTree::Node*> Visited(const GrassTree& tree, const std::vector<Aperture::FrustumPlane>& planes) {
    std::vector<const GrassTree::Node*> nodes;
    tree.TraverseFromRoot(planes.data(), [&](GrassTree::Node* n) { nodes.push_back(n); });
    return nodes;
}

TEST(GrassTree, EmptyListBuildsNoRoot) {
    GrassTree tree;
    tree.Build({});
    EXPECT_EQ(tree.GetRoot(), nullptr);
    EXPECT_TRUE(Visited(tree, XSlab(-1e6f, 1e6f)).empty());
}

TEST(GrassTree, BoxGrowsBySizeAndBandKeepsInstancesInRoot) {
    GrassTree tree;
    // Mean x = 0; -200 and +200 lie exactly on the band's bounds.
    tree.Build({At(-200, 0, 3), At(0, 5), At(200, -7, 2)});
    EXPECT_EQ(tree.GetBox().min.x, -203.0f);
    EXPECT_EQ(tree.GetBox().max.x, 202.0f);
    EXPECT_EQ(tree.GetBox().min.y, -3.0f);
    ASSERT_NE(tree.GetRoot(), nullptr);
    EXPECT_EQ(tree.GetRoot()->instances.size(), 3u);
    EXPECT_EQ(tree.GetRoot()->left, nullptr);
    EXPECT_EQ(tree.GetRoot()->right, nullptr);
}

TEST(GrassTree, SplitsXThenZAndKeepsEverythingAtDepthFour) {
    std::vector<GrassInstance> grass;
    for (int i = 0; i < 16; ++i)
        for (int j = 0; j < 16; ++j) grass.push_back(At(i * 1000.0f, j * 1000.0f));
    for (int k = 0; k < 5; ++k) grass.push_back(At(0, 0));  // duplicates all land in one leaf
    GrassTree tree;
    tree.Build(grass);
    const GrassTree::Node* root = tree.GetRoot();
    ASSERT_NE(root, nullptr);
    EXPECT_NEAR(root->split, (15 * 16 * 16 * 500.0f) / grass.size(), 1e-2f);
    ASSERT_NE(root->left, nullptr);
    EXPECT_EQ(root->left->box.max.x, root->split);
    EXPECT_EQ(root->left->box.max.z, root->box.max.z);
    ASSERT_NE(root->left->left, nullptr);
    EXPECT_EQ(root->left->left->box.max.z, root->left->split);
    size_t total = 0, maxDepth = 0, atOrigin = 0;
    GrassTree::VisitAll(tree.GetRoot(), [&](GrassTree::Node* n) {
        total += n->instances.size();
        maxDepth = std::max<size_t>(maxDepth, n->depth);
        if (n->depth == GrassTree::kLeafDepth) {
            EXPECT_EQ(n->left, nullptr);
        }
        for (const GrassInstance& g : n->instances)
            if (g.position.x == 0 && g.position.z == 0) ++atOrigin;
    });
    EXPECT_EQ(total, grass.size());
    EXPECT_EQ(maxDepth, 4u);
    EXPECT_EQ(atOrigin, 6u);
}

TEST(GrassTree, TraversalSkipsOutsideSubtreesAndVisitsPreOrder) {
    std::vector<GrassInstance> grass;
    for (int i = 0; i < 8; ++i) grass.push_back(At(i * 1000.0f, 0));
    GrassTree tree;
    tree.Build(grass);
    // Everything visible: every node, pre-order, left before right.
    std::vector<const GrassTree::Node*> all;
    GrassTree::VisitAll(tree.GetRoot(), [&](GrassTree::Node* n) { all.push_back(n); });
    EXPECT_EQ(Visited(tree, XSlab(-1e6f, 1e6f)), all);
    EXPECT_EQ(all.front(), tree.GetRoot());
    // Only the far left: no node whose box starts right of the slab is visited.
    for (const GrassTree::Node* n : Visited(tree, XSlab(-100, 500))) EXPECT_LE(n->box.min.x, 500.0f);
    EXPECT_LT(Visited(tree, XSlab(-100, 500)).size(), all.size());
    EXPECT_TRUE(Visited(tree, XSlab(1e5f, 2e5f)).empty());
}

TEST(GrassTree, ClassifyBoxCodes) {
    Aperture::AABB box;
    Aperture::AABB::FromCorners({10, 1, 1}, {0, 0, 0}, box);
    EXPECT_EQ(GrassTree::ClassifyBox(box, XSlab(-5, 20).data()), 0);
    EXPECT_EQ(GrassTree::ClassifyBox(box, XSlab(20, 30).data()), 1);
    EXPECT_EQ(GrassTree::ClassifyBox(box, XSlab(5, 30).data()), 2);
    // A box straddling the first plane and wholly outside a later one is still straddling.
    auto planes = XSlab(5, 30);
    planes[Aperture::kPlaneFar] = {0, 0, -1, -100};
    EXPECT_EQ(GrassTree::ClassifyBox(box, planes.data()), 2);
}

TEST(GrassTree, InstanceCountIsCapped) {
    std::vector<GrassInstance> grass(GrassTree::kMaxInstances + 10, At(0, 0));
    GrassTree tree;
    tree.Build(grass);
    ASSERT_NE(tree.GetRoot(), nullptr);
    EXPECT_EQ(tree.GetRoot()->instances.size(), GrassTree::kMaxInstances);
}

}  // namespace
