// A camera's probes about a closed, finely cut mesh, turned and far from the origin: the probes
// search the mesh's face tree, so a point deep inside must still find the face it leaves
// through, and a view from far away the face it first comes near.
#include <gtest/gtest.h>

#include <vector>

#include "PhysicsTestSupport.h"
#include "core/Matrix.h"
#include "physics/Collider.h"
#include "physics/MeshFile.h"
#include "physics/StaticProbe.h"

namespace {

using namespace physicstest;
using namespace Gedankenexperiment;

constexpr float kClearance = 2.0f;

// A cube 20 across about its centre, each side cut into 10 x 10 cells of two triangles facing
// out, with a buffer of 0.5: away from its edges the buffered sides stand 10.5 from the centre.
MeshData FineCube() {
    struct Side {
        SD::Vec3 origin, u, v;  // u x v points out
    };
    const Side sides[] = {
        {{10, -10, -10}, {0, 20, 0}, {0, 0, 20}}, {{-10, -10, -10}, {0, 0, 20}, {0, 20, 0}},
        {{-10, 10, -10}, {0, 0, 20}, {20, 0, 0}}, {{-10, -10, -10}, {20, 0, 0}, {0, 0, 20}},
        {{-10, -10, 10}, {20, 0, 0}, {0, 20, 0}}, {{-10, -10, -10}, {0, 20, 0}, {20, 0, 0}},
    };
    constexpr int kCells = 10;
    std::vector<SD::Vec3> points;
    std::vector<MeshTriangle> triangles;
    for (const Side& side : sides) {
        const uint32_t base = static_cast<uint32_t>(points.size());
        for (int i = 0; i <= kCells; ++i)
            for (int j = 0; j <= kCells; ++j)
                points.push_back(side.origin + side.u * (float(i) / kCells) + side.v * (float(j) / kCells));
        auto at = [base](int i, int j) { return base + static_cast<uint32_t>(i * (kCells + 1) + j); };
        for (int i = 0; i < kCells; ++i)
            for (int j = 0; j < kCells; ++j) {
                triangles.push_back({{at(i, j), at(i + 1, j), at(i + 1, j + 1)}});
                triangles.push_back({{at(i, j), at(i + 1, j + 1), at(i, j + 1)}});
            }
    }
    return BuildMeshData(points, triangles);
}

class MeshProbeTest : public PhysicsWorld {
protected:
    MeshProbeTest() {
        SD::GameObject* object = factory.NewGameObject();
        object->GetTransform().SetPos(kCentre);
        object->GetTransform().SetOrient(kTurn);
        auto* c = static_cast<Collider*>(object->AddComponent(SD::CID_Collider));
        auto shape = std::make_unique<Mesh>();
        shape->data = std::make_shared<const MeshData>(FineCube());
        shape->bufferThickness = 0.5f;
        c->SetShape(std::move(shape));
        object->Initialize(false);
        cube = c;
    }
    // A point given in the cube's own frame, in the world.
    SD::Vec3 World(const SD::Vec3& local) const { return kCentre + kTurn * local; }

    const SD::Vec3 kCentre{3000, 40, -2000};
    const SD::Mtx33 kTurn = SD::Mtx33::RotationY(0.5f);
    Collider* cube = nullptr;
};

TEST_F(MeshProbeTest, PointsDeepInsideAndNearTheSidesAreInside) {
    const struct {
        SD::Vec3 local;
        bool inside;
    } cases[] = {
        {{6.3f, 1.1f, 2.7f}, true},     // deep inside: an upward line crosses the top once
        {{0.3f, -9.7f, 0.7f}, true},    // just above the bottom
        {{12.3f, 1.1f, 2.7f}, true},    // outside, within the clearance of the +x side
        {{12.7f, 1.1f, 2.7f}, false},   // beyond it
        {{2.3f, 15.1f, -3.3f}, false},  // above the top, beyond the clearance
        {{2.3f, 12.1f, -3.3f}, true},   // above the top, within it
    };
    for (const auto& c : cases)
        EXPECT_EQ(PointInside(*cube, World(c.local), kClearance), c.inside)
            << c.local.x << " " << c.local.y << " " << c.local.z;
}

TEST_F(MeshProbeTest, APointDeepInsideLeavesThroughTheNearestSide) {
    // The +z side is 6.6 away, well beyond the clearance; the top 9.9, the +x side 10.2.
    const SD::Vec3 out = PushOutside(*cube, World({0.3f, 0.6f, 3.9f}), kClearance, World({0, 0, 40}));
    const SD::Vec3 local = kTurn.GetTransposed() * (out - kCentre);
    EXPECT_NEAR(local.x, 0.3f, 0.01f);
    EXPECT_NEAR(local.y, 0.6f, 0.01f);
    EXPECT_NEAR(local.z, 10.5f + kClearance + 1e-3f, 0.01f);
    EXPECT_FALSE(PointInside(*cube, out, kClearance));
}

TEST_F(MeshProbeTest, AViewFromFarAwayStopsAtTheClearanceOfTheFirstSide) {
    const struct {
        SD::Vec3 from, to;
        float part;
    } cases[] = {
        {{40, 1.1f, 2.7f}, {0.3f, 1.1f, 2.7f}, (40 - 12.5f) / 39.7f},   // through the +x side
        {{40, 1.1f, 2.7f}, {12.4f, 1.1f, 2.7f}, (40 - 12.5f) / 27.6f},  // ending short of the side
        {{2.3f, 50, -3.3f}, {2.3f, 0, -3.3f}, (50 - 12.5f) / 50},       // down through the top
        {{40, 1.1f, 30}, {-40, 1.1f, 30}, 1.0f},                        // past it
    };
    for (const auto& c : cases)
        EXPECT_NEAR(ClearPart(*cube, World(c.from), World(c.to), kClearance), c.part, 1e-3f) << c.from.x;
}

}  // namespace
