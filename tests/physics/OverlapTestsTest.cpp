// The box-overlap table: which pairs of shape kinds are tested at all, and what each test
// answers at the edges (faces that just meet, a centre inside, turned boxes, kept mesh boxes).
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "PhysicsTestSupport.h"
#include "physics/MeshData.h"
#include "physics/OverlapTests.h"

namespace {

using namespace Gedankenexperiment;

TEST(OverlapTable, OnlyPairsWithAnAxisAlignedBoxAreTested) {
    // Rows and columns: Sphere, OBB, AAB, HM, SphereFF, Cylinder, Mesh.
    const char* const expected[kShapeTypeCount] = {
        "..x....", "..x....", "xxxx..x", "..x....", ".......", ".......", "..x....",
    };
    for (int first = 0; first < kShapeTypeCount; ++first) {
        std::string row;
        for (int second = 0; second < kShapeTypeCount; ++second) row += GetOverlapTest(first, second) ? 'x' : '.';
        EXPECT_EQ(row, expected[first]) << "first shape " << ShapeTypeText(first);
    }
    EXPECT_EQ(GetOverlapTest(-1, kShapeAAB), nullptr);
    EXPECT_EQ(GetOverlapTest(kShapeAAB, kShapeTypeCount), nullptr);
}

struct PairCase {
    const char* what;
    ShapeType first;
    SD::Vec3 a;
    ShapeType second;
    SD::Vec3 b;
    bool touch;
};

std::unique_ptr<Shape> MakeShape(ShapeType type) {
    std::unique_ptr<Shape> shape = CreateShape(type);
    switch (type) {
        case kShapeSphere:
            static_cast<Sphere&>(*shape).radius = 1.0f;
            break;
        case kShapeAAB:
            static_cast<AxisABox&>(*shape).extents = SD::Vec3(1, 1, 1);
            break;
        case kShapeOBB:
            static_cast<OrientedBox&>(*shape).extents = SD::Vec3(2, 1, 1);
            break;
        case kShapeHeightMap: {
            auto& map = static_cast<HeightMap&>(*shape);
            map.sizeX = map.sizeZ = 10.0f;
            map.heightScale = 4.0f;
            break;
        }
        case kShapeMesh: {
            auto data = std::make_shared<MeshData>();
            data->extents = SD::Vec3(3, 1, 1);
            static_cast<Mesh&>(*shape).data = data;
            break;
        }
        default:
            break;
    }
    return shape;
}

TEST(OverlapTable, EachTestedPairAnswersAtItsEdges) {
    const PairCase cases[] = {
        {"faces that exactly meet", kShapeAAB, {0, 0, 0}, kShapeAAB, {2, 0, 0}, true},
        {"boxes a hair apart", kShapeAAB, {0, 0, 0}, kShapeAAB, {2.001f, 0, 0}, false},
        {"boxes apart on one axis only", kShapeAAB, {0, 0, 0}, kShapeAAB, {0, 0, 2.5f}, false},
        {"sphere centre inside the box", kShapeSphere, {0.5f, 0, 0}, kShapeAAB, {0, 0, 0}, true},
        {"sphere just reaching a face", kShapeSphere, {2, 0, 0}, kShapeAAB, {0, 0, 0}, true},
        {"sphere off a corner", kShapeSphere, {1.8f, 1.8f, 0}, kShapeAAB, {0, 0, 0}, false},
        {"box then sphere", kShapeAAB, {0, 0, 0}, kShapeSphere, {1.5f, 0, 0}, true},
        {"oriented box along x reaches", kShapeAAB, {0, 0, 0}, kShapeOBB, {2.9f, 0, 0}, true},
        {"oriented box too far", kShapeAAB, {0, 0, 0}, kShapeOBB, {3.1f, 0, 0}, false},
        {"oriented box first", kShapeOBB, {2.9f, 0, 0}, kShapeAAB, {0, 0, 0}, true},
        {"height map box reaches above", kShapeAAB, {0, 6.5f, 0}, kShapeHeightMap, {0, 0, 0}, true},
        {"height map box ends below", kShapeAAB, {0, 7.5f, 0}, kShapeHeightMap, {0, 0, 0}, false},
        {"height map first", kShapeHeightMap, {0, 0, 0}, kShapeAAB, {10.5f, 0, 0}, true},
        {"mesh box reaches", kShapeAAB, {3.9f, 0, 0}, kShapeMesh, {0, 0, 0}, true},
        {"mesh box too far", kShapeMesh, {0, 0, 0}, kShapeAAB, {4.1f, 0, 0}, false},
    };
    for (const PairCase& c : cases) {
        std::unique_ptr<Shape> first = MakeShape(c.first);
        std::unique_ptr<Shape> second = MakeShape(c.second);
        const OverlapTest test = GetOverlapTest(c.first, c.second);
        ASSERT_NE(test, nullptr) << c.what;
        EXPECT_EQ(test(*first, c.a, *second, c.b), c.touch) << c.what;
    }
}

TEST(OverlapTable, TheUntabledTestsAnswerAtTheirEdges) {
    EXPECT_TRUE(SpheresTouch({0, 0, 0}, 1, {1.9f, 0, 0}, 1));
    EXPECT_FALSE(SpheresTouch({0, 0, 0}, 1, {2, 0, 0}, 1));  // strictly closer only
    // A box 2 x 1 x 1 turned a quarter about Y: its long side lies along Z.
    SD::Mtx33 quarter;
    quarter(0, 0) = 0;
    quarter(0, 2) = 1;
    quarter(2, 0) = -1;
    quarter(2, 2) = 0;
    EXPECT_TRUE(SphereTouchesOrientedBox({0, 0, 3}, 1, {0, 0, 0}, {2, 1, 1}, quarter));
    EXPECT_FALSE(SphereTouchesOrientedBox({3, 0, 0}, 1, {0, 0, 0}, {2, 1, 1}, quarter));
    EXPECT_TRUE(SphereTouchesOrientedBox({0, 0, 0}, 0.1f, {0, 0, 0}, {2, 1, 1}, quarter));
    EXPECT_TRUE(SphereTouchesOrientedBox({0, 2, 0}, 1, {0, 0, 0}, {2, 1, 1}, quarter));  // equal counts
    const SD::Vec3 turned = WorldHalfSizes(quarter, {2, 1, 1});
    EXPECT_FLOAT_EQ(turned.x, 1.0f);
    EXPECT_FLOAT_EQ(turned.z, 2.0f);
}

struct RestsHigher : IRestingPositionQuery {
    bool RestingPosition(SD::GameObject*, SD::Vec3* position) const override {
        *position = SD::Vec3(0, 100, 0);
        return true;
    }
};

class MeshRestTest : public physicstest::PhysicsWorld {
protected:
    ~MeshRestTest() override { SetRestingPositionQuery(nullptr); }
};

TEST_F(MeshRestTest, AMeshKeepsItsBoxAroundWhereItsObjectComesToRest) {
    Blueprints(physicstest::Blueprint("Rock", physicstest::TransformXml({})));
    SD::GameObject* rock = Spawn("Rock", "Rock", {0, 0, 0});
    ASSERT_NE(rock, nullptr);
    auto* collider = static_cast<Collider*>(rock->AddComponent(SD::CID_Collider));
    ASSERT_NE(collider, nullptr);
    collider->SetOwner(rock);
    collider->SetShape(MakeShape(kShapeMesh));
    Shape& mesh = *collider->GetShape();
    std::unique_ptr<Shape> box = MakeShape(kShapeAAB);
    const OverlapTest test = GetOverlapTest(kShapeAAB, kShapeMesh);

    RestsHigher restsHigher;
    ASSERT_TRUE(SetRestingPositionQuery(&restsHigher));
    EXPECT_FALSE(test(*box, {0, 0, 0}, mesh, {0, 0, 0}));
    EXPECT_TRUE(test(*box, {0, 101.5f, 0}, mesh, {0, 0, 0}));
    // Kept: a later change of the query does not move it until the bounds are recomputed.
    SetRestingPositionQuery(nullptr);
    EXPECT_TRUE(test(*box, {0, 101.5f, 0}, mesh, {0, 0, 0}));
    static_cast<Mesh&>(mesh).hasBounds = false;
    EXPECT_TRUE(test(*box, {0, 0, 0}, mesh, {0, 0, 0}));
}

}  // namespace
