// Every pair of shapes against hand-computed contacts: separated, touching, overlapping and
// contained, with the normal (from the second towards the first) and the depth; degenerate
// shapes too. Each case places two colliders and calls the table's entry for their kinds.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>

#include "PhysicsTestSupport.h"
#include "core/Bitmap.h"
#include "physics/MeshFile.h"
#include "physics/PairTests.h"

namespace {

using namespace physicstest;
using namespace Gedankenexperiment;

constexpr float kPi = 3.14159265358979f;

struct Placement {
    SD::Vec3 position;
    SD::Mtx33 orientation;
    SD::Vec3 scale{1, 1, 1};
    SD::Vec3 offset;
    float restitution = 0.5f;
    bool body = false;
};

struct Expect {
    bool contact;
    SD::Vec3 normal;
    float depth;
};

class PairTestsTest : public PhysicsWorld {
protected:
    Collider* Make(std::unique_ptr<Shape> shape, const Placement& p) {
        SD::GameObject* object = factory.NewGameObject();
        object->GetTransform().SetPos(p.position);
        object->GetTransform().SetOrient(p.orientation);
        object->GetTransform().SetScale(p.scale);
        if (p.body) static_cast<Body*>(object->AddComponent(SD::CID_Body))->SetMass(1.0f);
        auto* collider = static_cast<Collider*>(object->AddComponent(SD::CID_Collider));
        collider->SetShape(std::move(shape));
        collider->positionOffset = p.offset;
        collider->restitution = p.restitution;
        object->Initialize(false);
        return collider;
    }

    // Runs the table's entry for the two colliders and checks the one record it may fill.
    void Check(const char* label, Collider* first, Collider* second, const Expect& e, float restitution = -1.0f) {
        SCOPED_TRACE(label);
        ContactTable contacts;
        Shape& a = *first->GetShape();
        Shape& b = *second->GetShape();
        const bool filled = GetPairTest(a.GetType(), b.GetType())(a, first->position, b, second->position, contacts);
        EXPECT_EQ(filled, e.contact);
        ASSERT_EQ(contacts.Count(), e.contact ? 1u : 0u);
        if (!e.contact) return;
        const Contact& c = contacts[0];
        EXPECT_NEAR(c.normal.x, e.normal.x, 1e-4f);
        EXPECT_NEAR(c.normal.y, e.normal.y, 1e-4f);
        EXPECT_NEAR(c.normal.z, e.normal.z, 1e-4f);
        EXPECT_NEAR(c.depth, e.depth, 1e-4f);
        if (restitution >= 0.0f) {
            EXPECT_FLOAT_EQ(c.restitution, restitution);
        }
    }

    void Clear() {
        factory.DestroyAllGameObjects();
        factory.Update(0);
    }
};

std::unique_ptr<Shape> MakeSphere(float r) {
    auto s = std::make_unique<Sphere>();
    s->radius = r;
    return s;
}

std::unique_ptr<Shape> MakeAAB(SD::Vec3 e) {
    auto s = std::make_unique<AxisABox>();
    s->extents = e;
    return s;
}

std::unique_ptr<Shape> MakeOBB(SD::Vec3 e) {
    auto s = std::make_unique<OrientedBox>();
    s->extents = e;
    return s;
}

std::unique_ptr<Shape> MakeField(float radius, float thickness) {
    auto s = std::make_unique<SphereFF>();
    s->radius = radius;
    s->fieldThickness = thickness;
    return s;
}

std::unique_ptr<Shape> MakeCylinder(SD::Vec3 p1, SD::Vec3 p2, float r) {
    auto s = std::make_unique<Cylinder>();
    s->point1 = p1;
    s->point2 = p2;
    s->radius = r;
    return s;
}

Placement At(SD::Vec3 p) {
    Placement placement;
    placement.position = p;
    return placement;
}

TEST_F(PairTestsTest, SphereSphere) {
    struct Case {
        const char* label;
        float r1, r2;
        SD::Vec3 a, b;
        Expect e;
    };
    const Case cases[] = {
        {"separated", 1, 2, {0, 0, 0}, {4, 0, 0}, {false, {}, 0}},
        {"touching (no contact)", 1, 2, {0, 0, 0}, {3, 0, 0}, {false, {}, 0}},
        {"overlapping", 1, 2, {0, 0, 0}, {2, 0, 0}, {true, {-1, 0, 0}, 1}},
        {"contained", 1, 2, {0, 0.5f, 0}, {0, 0, 0}, {true, {0, 1, 0}, 2.5f}},
        {"same centre", 1, 2, {5, 5, 5}, {5, 5, 5}, {true, {0, 1, 0}, 3}},
        {"diagonal", 1, 1, {0.6f, 0.8f, 0}, {0, 0, 0}, {true, {0.6f, 0.8f, 0}, 1}},
        {"touching on a diagonal (no contact)", 1, 1, {1.2f, 1.6f, 0}, {0, 0, 0}, {false, {}, 0}},
        {"zero radii at one point", 0, 0, {1, 1, 1}, {1, 1, 1}, {false, {}, 0}},
        {"zero radius inside", 0, 2, {0, 0, 1}, {0, 0, 0}, {true, {0, 0, 1}, 1}},
    };
    for (const Case& c : cases) {
        Check(c.label, Make(MakeSphere(c.r1), At(c.a)), Make(MakeSphere(c.r2), At(c.b)), c.e, kSphereRestitution);
    }
}

TEST_F(PairTestsTest, SphereAgainstAxisAlignedBox) {
    struct Case {
        const char* label;
        SD::Vec3 a;
        SD::Vec3 extents;
        SD::Vec3 offset;
        Expect e;
    };
    const SD::Vec3 box{2, 1, 2};
    const Case cases[] = {
        {"separated", {0, 3, 0}, box, {}, {false, {}, 0}},
        {"touching the top", {0, 2, 0}, box, {}, {true, {0, 1, 0}, 0}},
        {"on the top", {0, 1.5f, 0}, box, {}, {true, {0, 1, 0}, 0.5f}},
        {"at the -x side", {-2.5f, 0, 0}, box, {}, {true, {-1, 0, 0}, 0.5f}},
        {"below", {1, -1.75f, 1}, box, {}, {true, {0, -1, 0}, 0.25f}},
        {"at an edge: x decides", {2.5f, 1.5f, 0}, box, {}, {true, {1, 0, 0}, 1.0f - std::sqrt(0.5f)}},
        {"centre inside, nearest the top", {0, 0.5f, 0}, box, {}, {true, {0, 1, 0}, 1}},
        {"centre inside, nearest -z", {0, 0, -1.8f}, box, {}, {true, {0, 0, -1}, 1}},
        {"offset box", {0, 2.5f, 0}, box, {0, 1, 0}, {true, {0, 1, 0}, 0.5f}},
        {"zero-size box", {0, 0.5f, 0}, {0, 0, 0}, {}, {true, {0, 1, 0}, 0.5f}},
        {"zero-size box at the centre", {0, 0, 0}, {0, 0, 0}, {}, {true, {1, 0, 0}, 1}},
    };
    for (const Case& c : cases) {
        Placement boxAt = At({0, 0, 0});
        boxAt.offset = c.offset;
        boxAt.restitution = 0.3f;
        Collider* sphere = Make(MakeSphere(1), At(c.a));
        Collider* aab = Make(MakeAAB(c.extents), boxAt);
        Check(c.label, sphere, aab, c.e, 0.3f);
        Check(c.label, aab, sphere, c.e, 0.3f);  // the mirrored entry puts the sphere first
        Clear();
    }
}

TEST_F(PairTestsTest, ASphereThatMovedPastTheBoxInOneSubstepIsLetThrough) {
    Collider* box = Make(MakeAAB({2, 1, 2}), At({0, 0, 0}));
    Collider* sphere = Make(MakeSphere(1), At({0, -1.5f, 0}));
    sphere->previousPosition = {0, 3, 0};  // moved 4.5; the box face it is near is 4 away
    Check("through", sphere, box, {false, {}, 0});
    sphere->previousPosition = {0, -1.7f, 0};
    Check("rising from below", sphere, box, {true, {0, -1, 0}, 0.5f});
}

TEST_F(PairTestsTest, BoxAgainstBox) {
    struct Case {
        const char* label;
        SD::Vec3 e1, e2, a, b;
        Expect e;
    };
    const SD::Vec3 unit{1, 1, 1};
    const Case cases[] = {
        {"separated", unit, unit, {3, 0, 0}, {0, 0, 0}, {false, {}, 0}},
        {"touching", unit, unit, {2, 0, 0}, {0, 0, 0}, {true, {1, 0, 0}, 0}},
        {"overlapping below", unit, unit, {0, -1.5f, 0}, {0, 0, 0}, {true, {0, -1, 0}, 0.5f}},
        {"x and z tie: z", unit, unit, {1, 0, 1}, {0, 0, 0}, {true, {0, 0, 1}, 1}},
        {"x and y tie: y", unit, unit, {1, 1, 0}, {0, 0, 0}, {true, {0, 1, 0}, 1}},
        {"contained", {0.5f, 0.5f, 0.5f}, {2, 2, 2}, {0.5f, 0, 0}, {0, 0, 0}, {true, {1, 0, 0}, 2}},
        {"zero-size boxes at one point", {}, {}, {4, 4, 4}, {4, 4, 4}, {true, {0, 0, 1}, 0}},
    };
    for (const Case& c : cases) {
        Check(c.label, Make(MakeAAB(c.e1), At(c.a)), Make(MakeAAB(c.e2), At(c.b)), c.e, kBoxBoxRestitution);
        Clear();
    }
}

TEST_F(PairTestsTest, SphereAgainstOrientedBox) {
    // The box is 4 long on its own x, turned a quarter about y: it lies along the world's z.
    struct Case {
        const char* label;
        SD::Vec3 a;
        Expect e;
    };
    const Case cases[] = {
        {"separated beyond the end", {0, 0, 3.5f}, {false, {}, 0}},
        {"touching the end", {0, 0, 3}, {true, {0, 0, 1}, 0}},
        {"at the end", {0, 0, 2.5f}, {true, {0, 0, 1}, 0.5f}},
        {"at the side", {-1.5f, 0, 0}, {true, {-1, 0, 0}, 0.5f}},
        {"at a corner", {1.6f, 1.8f, 0}, {true, {0.6f, 0.8f, 0}, 0}},
        {"centre inside", {0, 0.2f, 1}, {true, {0, 0.2f / std::sqrt(1.04f), 1 / std::sqrt(1.04f)}, 1}},
        {"at the box centre", {0, 0, 0}, {true, {0, 1, 0}, 1}},
    };
    Placement box = At({0, 0, 0});
    box.orientation = SD::Mtx33::RotationY(kPi / 2);
    for (const Case& c : cases) {
        Collider* sphere = Make(MakeSphere(1), At(c.a));
        Collider* obb = Make(MakeOBB({2, 1, 1}), box);
        Check(c.label, sphere, obb, c.e, kOBBRestitution);
        Check(c.label, obb, sphere, c.e, kOBBRestitution);
        Clear();
    }
    // The offset is scaled by the object's scale: (0, 0, 1) x (1, 1, 2) moves the box by 2 in z.
    box.offset = {0, 0, 1};
    box.scale = {1, 1, 2};
    Check("offset", Make(MakeSphere(1), At({0, 0, 4.5f})), Make(MakeOBB({2, 1, 1}), box), {true, {0, 0, 1}, 0.5f});
    Check("zero-size box", Make(MakeSphere(1), At({0, 0.5f, 0})), Make(MakeOBB({}), At({})), {true, {0, 1, 0}, 0.5f});
}

TEST_F(PairTestsTest, SphereAgainstForceField) {
    // Field of radius 2 and shell 3 at the origin: its centre is at (0, 15, 0); the sphere's
    // radius is 1, so contact within 3 of the centre, push within 6.
    struct Case {
        const char* label;
        SD::Vec3 a;
        Expect e;
        SD::Vec3 force;
    };
    const Case cases[] = {
        {"beyond the shell", {0, 22, 0}, {false, {}, 0}, {}},
        {"at the shell's edge", {0, 21, 0}, {false, {}, 0}, {}},
        {"inside the shell only", {0, 20, 0}, {false, {}, 0}, {0, 20, 0}},
        {"touching (no contact)", {3, 15, 0}, {false, {}, 0}, {60, 0, 0}},
        {"overlapping", {0, 17, 0}, {true, {0, 1, 0}, 1}, {0, 80, 0}},
        {"at the centre", {0, 15, 0}, {true, {0, 1, 0}, 3}, {0, 120, 0}},
    };
    for (const Case& c : cases) {
        Placement ball = At(c.a);
        ball.body = true;
        Collider* sphere = Make(MakeSphere(1), ball);
        Collider* field = Make(MakeField(2, 3), At({0, 0, 0}));
        Check(c.label, sphere, field, c.e, kSphereRestitution);
        EXPECT_EQ(sphere->GetBody()->GetForce(), c.force) << c.label;
        Clear();
    }
}

TEST_F(PairTestsTest, SphereAgainstCylinder) {
    // An upright cylinder of radius 1 from 5 below to 5 above its position; normals point from
    // the axis towards the sphere.
    struct Case {
        const char* label;
        SD::Vec3 a, b, p1, p2;
        Expect e;
    };
    const SD::Vec3 down{0, -5, 0}, up{0, 5, 0};
    const Case cases[] = {
        {"separated", {3, 0, 0}, {}, down, up, {false, {}, 0}},
        {"touching (no contact)", {2, 0, 0}, {}, down, up, {false, {}, 0}},
        {"beside", {1.5f, 0, 0}, {}, down, up, {true, {1, 0, 0}, 0.5f}},
        {"beside, behind", {0, 3, -1.5f}, {}, down, up, {true, {0, 0, -1}, 0.5f}},
        {"beyond the top", {0, 6.5f, 0}, {}, down, up, {true, {0, 1, 0}, 0.5f}},
        {"on the axis", {0, 2, 0}, {}, down, up, {true, {0, 1, 0}, 2}},
        {"moved cylinder", {11.5f, 4, 0}, {10, 0, 0}, down, up, {true, {1, 0, 0}, 0.5f}},
        {"raised axis", {1.5f, 14, 0}, {}, {0, 10, 0}, {0, 20, 0}, {true, {1, 0, 0}, 0.5f}},
        {"zero-length axis", {0, 0, 1.5f}, {}, {}, {}, {true, {0, 0, 1}, 0.5f}},
    };
    for (const Case& c : cases) {
        Collider* sphere = Make(MakeSphere(1), At(c.a));
        Collider* cylinder = Make(MakeCylinder(c.p1, c.p2, 1), At(c.b));
        Check(c.label, sphere, cylinder, c.e, kSphereRestitution);
        Check(c.label, cylinder, sphere, c.e, kSphereRestitution);
        Clear();
    }
}

TEST_F(PairTestsTest, FieldAgainstCylinder) {
    struct Case {
        const char* label;
        SD::Vec3 a;
        Expect e;
    };
    const Case cases[] = {
        {"separated", {4, 0, 0}, {false, {}, 0}},
        {"touching (no contact)", {3, 0, 0}, {false, {}, 0}},
        {"beside", {2.5f, 1, 0}, {true, {1, 0, 0}, 0.5f}},
        {"on the axis", {0, 1, 0}, {true, {0, 1, 0}, 3}},
    };
    for (const Case& c : cases) {
        Collider* field = Make(MakeField(2, 5), At(c.a));
        Collider* cylinder = Make(MakeCylinder({0, -5, 0}, {0, 5, 0}, 1), At({}));
        Check(c.label, field, cylinder, c.e, kSphereRestitution);
        Check(c.label, cylinder, field, c.e, kSphereRestitution);
        Clear();
    }
}

TEST_F(PairTestsTest, MirroredEntriesPutTheSphereFirst) {
    Collider* box = Make(MakeAAB({1, 1, 1}), At({0, 0, 0}));
    Collider* sphere = Make(MakeSphere(1), At({0, 1.5f, 0}));
    ContactTable contacts;
    Shape& b = *box->GetShape();
    Shape& s = *sphere->GetShape();
    ASSERT_TRUE(GetPairTest(kShapeAAB, kShapeSphere)(b, box->position, s, sphere->position, contacts));
    EXPECT_EQ(contacts[0].first, sphere);
    EXPECT_EQ(contacts[0].second, box);
}

TEST_F(PairTestsTest, PairsWithoutATestReportNoContact) {
    // Boxes against everything but spheres and boxes, and the pairs the game never combines.
    const int silent[][2] = {{1, 1}, {1, 2}, {2, 1}, {1, 4}, {3, 3}, {4, 4}, {6, 6}, {6, 3}, {5, 5}, {3, 4}, {4, 6}};
    for (const auto& pair : silent) EXPECT_FALSE(PairHasTest(pair[0], pair[1])) << pair[0] << "," << pair[1];
    const int tested[][2] = {{0, 0}, {0, 1}, {1, 0}, {2, 2}, {0, 3}, {3, 0}, {4, 5}, {5, 4}, {0, 6}, {6, 0}};
    for (const auto& pair : tested) EXPECT_TRUE(PairHasTest(pair[0], pair[1])) << pair[0] << "," << pair[1];
    EXPECT_FALSE(PairHasTest(-1, 0));
    EXPECT_FALSE(PairHasTest(0, 7));

    Collider* a = Make(MakeOBB({1, 1, 1}), At({}));
    Collider* b = Make(MakeOBB({1, 1, 1}), At({}));
    Check("two oriented boxes at one place", a, b, {false, {}, 0});
}

// A height map of 3 x 3 pixels whose first bytes are `heights` (row by row) scaled to the
// object's scale: 30 x 30 wide, with the given height scale.
class HeightMapPairTest : public PairTestsTest {
protected:
    Collider* MakeMap(const std::vector<unsigned char>& heights, float heightScale, SD::Vec3 position = {}) {
        SD::BmpImage image;
        image.width = 3;
        image.height = 3;
        for (unsigned char h : heights) image.pixels.insert(image.pixels.end(), {h, 7, 7});
        const std::string name = "map" + std::to_string(maps_++);
        std::filesystem::create_directories(tree.Path("Assets/textures/HeightMaps"));
        SD::WriteBmpFile(tree.Path("Assets/textures/HeightMaps/" + name + ".bmp"), SD::MakeBmpHeader(3, 3), image);
        auto map = std::make_unique<HeightMap>();
        map->Load(name);
        Placement p = At(position);
        p.scale = {30, heightScale * 10, 30};
        p.restitution = 0.2f;
        return Make(std::move(map), p);
    }
    int maps_ = 0;
};

TEST_F(HeightMapPairTest, ASphereHoversOnItsSpringAndTouchesNearTheGround) {
    // Flat ground at height 0; the grid's corners run from -5 to 15 in x and z around the map.
    struct Case {
        const char* label;
        SD::Vec3 a;
        Expect e;
        float force;
    };
    const Case cases[] = {
        {"above the hover height", {0, 20, 0}, {false, {}, 0}, 0},
        {"hovering", {0, 10, 0}, {false, {}, 0}, 5 * 130.0f},
        {"touching", {0, 1, 0}, {true, {0, 1, 0}, 0}, 14 * 130.0f},
        {"overlapping", {2, 0.5f, 3}, {true, {0, 1, 0}, 0.5f}, 14.5f * 130.0f},
        {"contained", {2, -0.5f, 3}, {true, {0, 1, 0}, 1.5f}, 15.5f * 130.0f},
        {"off the grid in x", {16, 0.5f, 0}, {false, {}, 0}, 0},
        {"off the grid before x", {-16, 0.5f, 0}, {false, {}, 0}, 0},
        {"off the grid in z", {0, 0.5f, 16}, {false, {}, 0}, 0},
    };
    for (const Case& c : cases) {
        Placement ball = At(c.a);
        ball.body = true;
        Collider* sphere = Make(MakeSphere(1), ball);
        Check(c.label, sphere, MakeMap(std::vector<unsigned char>(9, 0), 1), c.e, 0.2f);
        EXPECT_NEAR(sphere->GetBody()->GetForce().y, c.force, 1e-2f) << c.label;
        Clear();
    }
}

TEST_F(HeightMapPairTest, ASlopeGivesItsNormal) {
    // Heights 0, 2, 4 along x in cells 10 wide: the ground rises 0.2 per unit of x and is 1
    // high under the origin.
    Placement ball = At({0, 1.5f, 0});
    ball.body = true;
    Collider* sphere = Make(MakeSphere(1), ball);
    Collider* map = MakeMap({0, 51, 102, 0, 51, 102, 0, 51, 102}, 10);
    const float len = std::sqrt(1.04f);
    const float above = 0.5f / len;  // the centre's distance from the slope
    Check("slope", sphere, map, {true, {-0.2f / len, 1 / len, 0}, 1 - above}, 0.2f);
    Check("mirrored", map, sphere, {true, {-0.2f / len, 1 / len, 0}, 1 - above}, 0.2f);
}

TEST_F(HeightMapPairTest, MissingOrTooSmallMapsAreLoggedAndHaveNoContact) {
    qvtest::StderrCapture err;
    auto missing = std::make_unique<HeightMap>();
    missing->Load("nowhere");
    EXPECT_FALSE(missing->IsUsable());
    std::filesystem::create_directories(tree.Path("Assets/textures/HeightMaps"));
    SD::BmpImage one;
    one.width = one.height = 1;
    one.pixels = {9, 9, 9};
    SD::WriteBmpFile(tree.Path("Assets/textures/HeightMaps/dot.bmp"), SD::MakeBmpHeader(1, 1), one);
    auto dot = std::make_unique<HeightMap>();
    dot->Load("dot");
    tree.Write("Assets/textures/HeightMaps/junk.bmp", "not a bitmap at all, not even a header of one");
    auto junk = std::make_unique<HeightMap>();
    junk->Load("junk");
    const SD::BmpHeader header = SD::MakeBmpHeader(3, 3);
    tree.Write("Assets/textures/HeightMaps/cut.bmp", std::string(header.begin(), header.end()) + "0123456789");
    auto cut = std::make_unique<HeightMap>();
    cut->Load("cut");
    const std::string log = err.Text();
    EXPECT_NE(log.find("../Assets/textures/HeightMaps/nowhere.bmp could not be read"), std::string::npos) << log;
    EXPECT_NE(log.find("../Assets/textures/HeightMaps/dot.bmp is 1x1 pixels"), std::string::npos) << log;
    EXPECT_NE(log.find("../Assets/textures/HeightMaps/junk.bmp could not be read"), std::string::npos) << log;
    EXPECT_NE(log.find("../Assets/textures/HeightMaps/cut.bmp could not be read"), std::string::npos) << log;
    Placement ball = At({0, 0, 0});
    ball.body = true;
    Placement ground = At({});
    ground.scale = {30, 10, 30};
    for (auto* map : {&missing, &dot, &junk, &cut}) {
        Collider* sphere = Make(MakeSphere(1), ball);
        Check("unusable map", sphere, Make(std::move(*map), ground), {false, {}, 0});
        EXPECT_EQ(sphere->GetBody()->GetForce(), SD::Vec3());
        Clear();
    }
    // A map flattened to nothing by its object's scale has no cells.
    Placement flat = At({});
    flat.scale = {0, 10, 0};
    auto zero = std::make_unique<HeightMap>();
    zero->pixels.assign(27, 0);
    zero->width = zero->height = 3;
    Check("zero-size map", Make(MakeSphere(1), ball), Make(std::move(zero), flat), {false, {}, 0});
}

// A flat square mesh 20 x 20 at height 0 made of two triangles, with a buffer of 0.5.
class MeshPairTest : public PairTestsTest {
protected:
    Collider* MakeMesh(std::vector<SD::Vec3> points, std::vector<MeshTriangle> triangles, SD::Vec3 position = {}) {
        auto mesh = std::make_unique<Mesh>();
        mesh->data = std::make_shared<const MeshData>(BuildMeshData(points, std::move(triangles)));
        mesh->bufferThickness = 0.5f;
        Placement p = At(position);
        p.restitution = 0.25f;
        return Make(std::move(mesh), p);
    }
    Collider* MakeSquare() {
        return MakeMesh({{-10, 0, -10}, {10, 0, -10}, {10, 0, 10}, {-10, 0, 10}}, {{{0, 3, 2}}, {{0, 2, 1}}});
    }
    Collider* Falling(SD::Vec3 to, float from) {
        Placement ball = At(to);
        ball.body = true;
        Collider* sphere = Make(MakeSphere(1), ball);
        sphere->previousPosition = {to.x, from, to.z};
        return sphere;
    }
};

// A sphere let fall from a height onto a mesh: what the pair test finds and the force on it.
struct FallingCase {
    const char* label;
    SD::Vec3 a;
    float from;
    Expect e;
    float force;
};

TEST_F(MeshPairTest, AFallingSphereRestsOnTheSurface) {
    // Contact within the radius of the triangles (the buffer lifts them by 0.5, which the
    // depth takes back); the buffer's spring pulls towards it by 200 per unit.
    const FallingCase cases[] = {
        {"separated", {2, 3, 3}, 3.2f, {false, {}, 0}, 0},
        {"touching", {2, 1, 3}, 1.2f, {true, {0, 1, 0}, 0}, -100},
        {"overlapping", {2, 0.8f, 3}, 1.0f, {true, {0, 1, 0}, 0.2f}, -60},
        {"overlapping, other triangle", {3, 0.8f, -2}, 1.0f, {true, {0, 1, 0}, 0.2f}, -60},
        {"half sunk", {-4, 0.25f, 6}, 0.5f, {true, {0, 1, 0}, 0.75f}, 50},
        {"on the shared edge", {2, 0.8f, 2}, 1.0f, {false, {}, 0}, 0},
        {"beside the mesh", {12, 0.8f, 0}, 1.0f, {false, {}, 0}, 0},
    };
    for (const FallingCase& c : cases) {
        Collider* sphere = Falling(c.a, c.from);
        Collider* mesh = MakeSquare();
        Check(c.label, sphere, mesh, c.e, 0.25f);
        EXPECT_NEAR(sphere->GetBody()->GetForce().y, c.force, 1e-3f) << c.label;
        Clear();
    }
}

TEST_F(MeshPairTest, AFinelyCutSurfaceAnswersAsTheWholeSquare) {
    // The same square cut into 20 x 20 cells of two triangles, far from the origin: the test
    // then finds the few triangles about the sphere in the mesh's face tree, and must find the
    // one it rests on, also after a step that took it deep through the surface.
    const SD::Vec3 far(500, 20, -300);
    auto grid = [&] {
        std::vector<SD::Vec3> points;
        std::vector<MeshTriangle> triangles;
        for (int i = 0; i <= 20; ++i)
            for (int j = 0; j <= 20; ++j) points.emplace_back(float(i - 10), 0.0f, float(j - 10));
        auto at = [](int i, int j) { return static_cast<uint32_t>(i * 21 + j); };
        for (int i = 0; i < 20; ++i)
            for (int j = 0; j < 20; ++j) {
                triangles.push_back({{at(i, j), at(i, j + 1), at(i + 1, j + 1)}});
                triangles.push_back({{at(i, j), at(i + 1, j + 1), at(i + 1, j)}});
            }
        return MakeMesh(points, triangles, far);
    };
    auto square = [&] {
        return MakeMesh({{-10, 0, -10}, {10, 0, -10}, {10, 0, 10}, {-10, 0, 10}}, {{{0, 3, 2}}, {{0, 2, 1}}}, far);
    };
    const FallingCase cases[] = {
        {"separated", {2.3f, 3, 3.6f}, 3.2f, {false, {}, 0}, 0},
        {"touching", {2.3f, 1, 3.6f}, 1.2f, {true, {0, 1, 0}, 0}, -100},
        {"half sunk", {-4.3f, 0.25f, 6.6f}, 0.5f, {true, {0, 1, 0}, 0.75f}, 50},
        {"through it in one step", {7.4f, -4, -8.2f}, 3.0f, {true, {0, 1, 0}, 5.0f}, 0},
        {"beside it", {11.5f, 0.8f, 0.5f}, 1.0f, {false, {}, 0}, 0},
    };
    for (const auto& make : {std::function<Collider*()>(square), std::function<Collider*()>(grid)}) {
        for (const FallingCase& c : cases) {
            Collider* sphere = Falling(far + c.a, far.y + c.from);
            Check(c.label, sphere, make(), c.e, 0.25f);
            EXPECT_NEAR(sphere->GetBody()->GetForce().y, c.force, 1e-3f) << c.label;
            Clear();
        }
    }
}

TEST_F(MeshPairTest, FirefliesAndFlatTrianglesGiveNoContact) {
    class Firefly : public SD::Component {
    public:
        SD::ComponentID VGetID() const override { return SD::CID_Firefly; }
        int VGetVersion() const override { return 0; }
        void VRegister() override {}
        void VUnregister() override {}
    };
    factory.RegisterComponentCreator("Firefly", SD::CID_Firefly, new SD::ComponentCreator<Firefly>);
    Collider* sphere = Falling({2, 0.8f, 3}, 1.0f);
    sphere->GetOwner()->AddComponent(SD::CID_Firefly);
    Check("firefly", sphere, MakeSquare(), {false, {}, 0});
    Clear();
    Collider* ball = Falling({2, 0.8f, 3}, 1.0f);
    Check("flat triangle", ball, MakeMesh({{-10, 0, 0}, {0, 0, 0}, {10, 0, 0}}, {{{0, 1, 2}}}), {false, {}, 0});
    auto empty = std::make_unique<Mesh>();
    Check("no mesh data", ball, Make(std::move(empty), At({})), {false, {}, 0});
}

}  // namespace
