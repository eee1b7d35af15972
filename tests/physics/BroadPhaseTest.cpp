// The broad-phase tree of static colliders: its shape for small levels, its edge rules, and its
// answers against a scan of every static collider.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <set>

#include "PhysicsTestSupport.h"
#include "physics/AxisABoxTree.h"
#include "physics/PairTests.h"

namespace {

using namespace physicstest;
using namespace Gedankenexperiment;

class BroadPhaseTest : public PhysicsWorld {
protected:
    BroadPhaseTest() : PhysicsWorld(12000) {}
    Collider* Static(std::unique_ptr<Shape> shape, SD::Vec3 position, bool body = false) {
        SD::GameObject* object = factory.NewGameObject();
        object->GetTransform().SetPos(position);
        if (body) object->AddComponent(SD::CID_Body);
        auto* collider = static_cast<Collider*>(object->AddComponent(SD::CID_Collider));
        collider->SetShape(std::move(shape));
        object->Initialize(false);
        return collider;
    }
    Collider* Ball(SD::Vec3 position, float radius, bool body = false) {
        auto sphere = std::make_unique<Sphere>();
        sphere->radius = radius;
        return Static(std::move(sphere), position, body);
    }
    Collider* Box(SD::Vec3 position, SD::Vec3 extents) {
        auto box = std::make_unique<AxisABox>();
        box->extents = extents;
        return Static(std::move(box), position);
    }

    static int Leaves(const AxisABoxNode& node) {
        if (!node.children[0]) return 1;
        int count = 0;
        for (const auto& child : node.children) count += Leaves(*child);
        return count;
    }
    static void Walk(const AxisABoxNode& node, const std::function<void(const AxisABoxNode&)>& fn) {
        fn(node);
        for (const auto& child : node.children)
            if (child) Walk(*child, fn);
    }
    std::set<Collider*> Candidates(const AxisABoxTree& tree, Collider& dynamic) {
        std::vector<const std::vector<Collider*>*> found;
        tree.Query(dynamic, found);
        std::set<Collider*> out;
        for (const auto* list : found) out.insert(list->begin(), list->end());
        return out;
    }
};

TEST_F(BroadPhaseTest, FiveStaticsMakeARootAndSixSpreadOnesASplit) {
    std::vector<Collider*> statics;
    for (int i = 0; i < 5; ++i) statics.push_back(Ball({i * 1000.0f - 2000.0f, 0, i * 700.0f - 1400.0f}, 5));
    AxisABoxTree tree;
    tree.Build(statics);
    ASSERT_NE(tree.GetRoot(), nullptr);
    EXPECT_EQ(Leaves(*tree.GetRoot()), 1);
    EXPECT_EQ(tree.GetRoot()->colliders, statics);
    EXPECT_EQ(tree.GetRoot()->box.extents, SD::Vec3(40000, 40000, 40000));

    statics.push_back(Ball({3000, 0, 2100}, 5));
    tree.Build(statics);
    EXPECT_GT(Leaves(*tree.GetRoot()), 1);
    EXPECT_TRUE(tree.GetRoot()->colliders.empty());
    EXPECT_EQ(tree.GetMaxDepth(), 0);
}

TEST_F(BroadPhaseTest, ASplitThatCopiesEveryColliderStopsAtTheNextLevel) {
    // Six huge boxes overlap every child of the root: the children are not split again.
    std::vector<Collider*> statics;
    for (int i = 0; i < 6; ++i) statics.push_back(Box({float(i), 0, 0}, {50000, 10, 50000}));
    AxisABoxTree tree;
    tree.Build(statics);
    const AxisABoxNode& root = *tree.GetRoot();
    ASSERT_TRUE(root.children[0]);
    for (const auto& child : root.children) {
        EXPECT_EQ(child->colliders.size(), 6u);
        EXPECT_FALSE(child->children[0]);
    }
}

TEST_F(BroadPhaseTest, NarrowNodesAreNotSplit) {
    // Many colliders in one small spot: splitting stops once a node is under 5 wide in x or z.
    std::vector<Collider*> statics;
    for (int i = 0; i < 40; ++i) statics.push_back(Ball({float(i % 7) * 0.1f, 0, float(i / 7) * 0.1f}, 0.01f));
    AxisABoxTree tree;
    tree.Build(statics);
    Walk(*tree.GetRoot(), [](const AxisABoxNode& node) {
        if (node.children[0]) {
            EXPECT_GE(node.box.extents.x, 5.0f);
            EXPECT_GE(node.box.extents.z, 5.0f);
        }
    });
    EXPECT_LE(tree.GetMaxDepth(), AxisABoxTree::kMaxDepth);
}

TEST_F(BroadPhaseTest, ChildrenStayInsideTheirParentsWhateverThePositions) {
    // Colliders beyond the root's reach would put the median cut outside the node.
    std::vector<Collider*> statics;
    for (int i = 0; i < 30; ++i) statics.push_back(Ball({90000.0f + i, 0, -90000.0f - i}, 1));
    for (int i = 0; i < 30; ++i) statics.push_back(Ball({39990.0f - i * 0.5f, 0, 39990.0f}, 3));
    AxisABoxTree tree;
    tree.Build(statics);
    Walk(*tree.GetRoot(), [](const AxisABoxNode& node) {
        for (const auto& child : node.children) {
            if (!child) continue;
            EXPECT_GE(child->box.extents.x, 0.0f);
            EXPECT_GE(child->box.extents.z, 0.0f);
            EXPECT_GE(child->center.x - child->box.extents.x, node.center.x - node.box.extents.x - 1e-2f);
            EXPECT_LE(child->center.x + child->box.extents.x, node.center.x + node.box.extents.x + 1e-2f);
            EXPECT_GE(child->center.z - child->box.extents.z, node.center.z - node.box.extents.z - 1e-2f);
            EXPECT_LE(child->center.z + child->box.extents.z, node.center.z + node.box.extents.z + 1e-2f);
        }
    });
    EXPECT_LE(tree.GetMaxDepth(), AxisABoxTree::kMaxDepth);
}

TEST_F(BroadPhaseTest, FarAwayOrUntestableShapesFindNothingAndNothingBeforeABuild) {
    std::vector<Collider*> statics;
    for (int i = 0; i < 20; ++i) statics.push_back(Ball({i * 10.0f, 0, 0}, 5));
    Collider* dynamic = Ball({50, 0, 0}, 2, true);
    AxisABoxTree tree;
    EXPECT_TRUE(Candidates(tree, *dynamic).empty());
    tree.Build(statics);
    EXPECT_TRUE(Candidates(tree, *dynamic).count(statics[5]));
    dynamic->position = {50000, 0, 0};
    EXPECT_TRUE(Candidates(tree, *dynamic).empty());
    auto field = std::make_unique<SphereFF>();
    field->radius = 100;
    Collider* fieldCollider = Static(std::move(field), {50, 0, 0}, true);
    EXPECT_TRUE(Candidates(tree, *fieldCollider).empty());
}

TEST_F(BroadPhaseTest, TreeQueriesFindWhatAScanOfEveryStaticFinds) {
    std::mt19937 rng(1234);
    std::uniform_real_distribution<float> across(-3000.0f, 3000.0f);
    std::uniform_real_distribution<float> height(-40.0f, 40.0f);
    std::uniform_real_distribution<float> size(0.5f, 40.0f);
    std::vector<Collider*> statics;
    for (int i = 0; i < 10000; ++i) {
        const SD::Vec3 p(across(rng), height(rng), across(rng));
        if (i % 3 == 0) {
            statics.push_back(Box(p, {size(rng), size(rng), size(rng)}));
        } else if (i % 3 == 1) {
            auto obb = std::make_unique<OrientedBox>();
            obb->extents = {size(rng), size(rng), size(rng)};
            Collider* c = Static(std::move(obb), p);
            c->GetOwner()->GetTransform().SetOrient(SD::Mtx33::RotationY(size(rng)));
            statics.push_back(c);
        } else {
            statics.push_back(Ball(p, size(rng)));
        }
    }
    AxisABoxTree tree;
    tree.Build(statics);
    EXPECT_GT(Leaves(*tree.GetRoot()), 100);
    Collider* probe = Ball({}, 1, true);
    auto& sphere = static_cast<Sphere&>(*probe->GetShape());
    int contactsSeen = 0;
    ContactTable contacts;
    auto touches = [&](Collider* s) {
        contacts.Reset();
        Shape& b = *s->GetShape();
        return GetPairTest(kShapeSphere, b.GetType())(sphere, probe->position, b, s->position, contacts);
    };
    for (int q = 0; q < 400; ++q) {
        probe->position = probe->previousPosition = {across(rng), height(rng), across(rng)};
        sphere.radius = size(rng) * 2;
        std::set<Collider*> viaTree, viaScan;
        const std::set<Collider*> candidates = Candidates(tree, *probe);
        for (Collider* s : statics)
            if (touches(s)) viaScan.insert(s);
        for (Collider* s : candidates)
            if (touches(s)) viaTree.insert(s);
        EXPECT_EQ(viaTree, viaScan) << "query " << q;
        contactsSeen += int(viaScan.size());
    }
    EXPECT_GT(contactsSeen, 50);  // the queries do meet statics
}

TEST_F(BroadPhaseTest, TheSystemFindsStaticsOnlyThroughTheTreeBuiltForTheLevel) {
    Collider* floor = Box({0, 0, 0}, {10, 1, 10});
    Collider* ball = Ball({0, 1.5f, 0}, 1, true);
    ASSERT_EQ(Physics().GetStaticColliders(), std::vector<Collider*>{floor});
    ASSERT_EQ(Physics().GetDynamicColliders(), std::vector<Collider*>{ball});
    EXPECT_FALSE(Physics().CheckCollisionsNow());
    Physics().BuildTree();
    EXPECT_TRUE(Physics().CheckCollisionsNow());
    EXPECT_EQ(ball->position, SD::Vec3(0, 1.5f, 0));  // detection alone moves nothing
    Collider* late = Box({100, 0, 0}, {10, 1, 10});
    ball->position = {100, 1.5f, 0};
    EXPECT_FALSE(Physics().CheckCollisionsNow());  // not in the tree until the next build
    Physics().BuildTree();
    EXPECT_TRUE(Physics().CheckCollisionsNow());
    (void)late;
}

// A static object destroyed after the tree was built leaves it: nothing reaches the collider
// that is gone, the others are still found.
TEST_F(BroadPhaseTest, StaticsThatGoAwayLeaveTheTree) {
    std::vector<Collider*> statics;
    for (int i = 0; i < 12; ++i) statics.push_back(Box({i * 30.0f, 0, 0}, {10, 1, 10}));
    Collider* ball = Ball({60, 1.5f, 0}, 1, true);
    Physics().BuildTree();
    statics[2]->GetOwner()->Destroy();
    factory.Update(0);
    EXPECT_FALSE(Physics().CheckCollisionsNow());
    ball->position = {90, 1.5f, 0};
    EXPECT_TRUE(Physics().CheckCollisionsNow());
    // A static whose shape is taken away takes part in nothing either.
    statics[3]->SetShape(nullptr);
    EXPECT_FALSE(Physics().CheckCollisionsNow());
    for (size_t i = 0; i < statics.size(); ++i)
        if (i != 2) statics[i]->GetOwner()->Destroy();
    factory.Update(0);
    EXPECT_EQ(Physics().GetTree().GetRoot(), nullptr);
    EXPECT_FALSE(Physics().CheckCollisionsNow());
}

}  // namespace
