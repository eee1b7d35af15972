// The Body and Collider components on their own: their data, their registration and the
// integration rules of a Body.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "PhysicsTestSupport.h"
#include "core/Bitmap.h"
#include "engine/SuperialInStream.h"
#include "engine/SuperialOutStream.h"
#include "engine/SuperialValue.h"
#include "tests/engine/TransformProbes.h"

namespace {

using namespace physicstest;
using namespace Gedankenexperiment;

class ComponentsTest : public PhysicsWorld {};

std::string ColliderOfVersion(int version, const std::string& fields) {
    return "<Collider version=\"" + std::to_string(version) + "\" Play=\"1\" Pause=\"1\" DevPause=\"1\">" + fields +
           "</Collider>";
}

TEST_F(ComponentsTest, ColliderDataOfEachVersion) {
    const std::string offset = Vec3Xml("Position Offset", 1, 2, 3);
    const std::string ghost = "<Boolean name=\"Ghost Collision\" value=\"1\"/>";
    const std::string sphere = "<String name=\"Shape Type\">Sphere</String>" + FloatXml("Radius", 4);
    const std::string restitution = FloatXml("Restitution", 0.75f);
    struct Case {
        const char* name;
        int version;
        std::string fields;
        SD::Vec3 offset;
        bool ghost;
        float radius;
    };
    const Case cases[] = {
        {"V3", 3, offset + ghost + sphere + restitution, {1, 2, 3}, true, 4},
        {"V2", 2, ghost + sphere + restitution, {}, true, 4},
        {"V1", 1, sphere + restitution, {}, false, 4},
        {"V0", 0, restitution, {}, false, 0},
        {"V7", 7, restitution, {}, false, 0},
    };
    std::string blueprints;
    for (const Case& c : cases)
        blueprints += Blueprint(c.name, TransformXml({}) + ColliderOfVersion(c.version, c.fields));
    Blueprints(blueprints);
    for (const Case& c : cases) {
        SD::GameObject* object = factory.CreateObject(c.name, nullptr);
        ASSERT_NE(object, nullptr) << c.name;
        Collider* collider = ColliderOf(object);
        EXPECT_EQ(collider->positionOffset, c.offset) << c.name;
        EXPECT_EQ(collider->ghost, c.ghost) << c.name;
        EXPECT_EQ(collider->GetRadius(), c.radius) << c.name;
        EXPECT_EQ(collider->GetShape() != nullptr, c.radius != 0) << c.name;
        EXPECT_FLOAT_EQ(collider->restitution, 0.75f) << c.name;
    }
}

TEST_F(ComponentsTest, ColliderDataIsWrittenInOrderAndReadsBackIntoAnotherShape) {
    Blueprints(
        Blueprint("Box", TransformXml({}) + ColliderXml("AAB", Vec3Xml("Extents", 1, 2, 3), 0.5f, false, {0, 1, 0})) +
        Blueprint("Ball", TransformXml({}) + SphereXml(2, 0.25f)));
    SD::GameObject* box = factory.CreateObject("Box", nullptr);
    SD::SuperialValue written;
    SD::SuperialOutStream out(&written);
    ColliderOf(box)->VSerialize(out, Collider::kDataVersion);
    std::vector<std::string> names;
    for (SD::SuperialValue* v = written.FirstChild(); v; v = v->Next()) names.push_back(v->Name());
    EXPECT_EQ(names,
              (std::vector<std::string>{"Position Offset", "Ghost Collision", "Shape Type", "Extents", "Restitution"}));
    EXPECT_EQ(SD::SuperialValue::FindChildByName(&written, "Shape Type")->GetText(), "AAB");

    // Reading a box's data into a sphere's collider replaces the sphere by a box.
    SD::GameObject* ball = factory.CreateObject("Ball", nullptr);
    SD::SuperialInStream in(written.FirstChild());
    ColliderOf(ball)->VSerialize(in, Collider::kDataVersion);
    ASSERT_NE(ColliderOf(ball)->GetShape(), nullptr);
    ASSERT_EQ(ColliderOf(ball)->GetShape()->GetType(), kShapeAAB);
    EXPECT_EQ(static_cast<AxisABox*>(ColliderOf(ball)->GetShape())->extents, SD::Vec3(1, 2, 3));
    EXPECT_EQ(ColliderOf(ball)->GetShape()->GetCollider(), ColliderOf(ball));
    EXPECT_EQ(ColliderOf(ball)->GetRadius(), 0.0f);
    EXPECT_FLOAT_EQ(ColliderOf(ball)->restitution, 0.5f);

    // A collider without a shape names none it knows.
    ColliderOf(box)->SetShape(nullptr);
    SD::SuperialValue bare;
    SD::SuperialOutStream bareOut(&bare);
    ColliderOf(box)->VSerialize(bareOut, Collider::kDataVersion);
    EXPECT_EQ(SD::SuperialValue::FindChildByName(&bare, "Shape Type")->GetText(), "ERROR KITTY!");
}

// Level data that names the height map its blueprint named keeps the loaded map. The map lies in
// the folder as the graphics side spells it ("Textures"): found all the same.
TEST_F(ComponentsTest, AHeightMapIsReadOnceForItsName) {
    std::filesystem::create_directories(tree.Path("Assets/Textures/HeightMaps"));
    SD::BmpImage image;
    image.width = image.height = 2;
    image.pixels.assign(12, 40);
    SD::WriteBmpFile(tree.Path("Assets/Textures/HeightMaps/ground.bmp"), SD::MakeBmpHeader(2, 2), image);
    Blueprints(Blueprint("Ground", TransformXml({}, {10, 10, 10}) +
                                       ColliderXml("HM", "<String name=\"Filename\">ground</String>", 0.5f)));
    Collider* collider = ColliderOf(factory.CreateObject("Ground", nullptr));
    const auto& map = static_cast<const HeightMap&>(*collider->GetShape());
    ASSERT_TRUE(map.IsUsable());
    std::filesystem::remove(tree.Path("Assets/Textures/HeightMaps/ground.bmp"));
    SD::SuperialValue written;
    SD::SuperialOutStream out(&written);
    collider->VSerialize(out, Collider::kDataVersion);
    qvtest::StderrCapture err;
    SD::SuperialInStream in(written.FirstChild());
    collider->VSerialize(in, Collider::kDataVersion);
    EXPECT_TRUE(map.IsUsable());
    EXPECT_EQ(err.Text(), "");
}

// The tweak bars and the editor reach a sphere's radius by name.
TEST_F(ComponentsTest, TheRadiusIsReflected) {
    RTTIClassRegistry::Create();
    Blueprints(Blueprint("Ball", TransformXml({}) + SphereXml(2, 0.5f)) +
               Blueprint("Box", TransformXml({}) + BoxXml({1, 1, 1}, 0.5f)));
    for (const char* name : {"Ball", "Box"}) {
        Collider* collider = ColliderOf(factory.CreateObject(name, nullptr));
        const IRTTIUser::ClassInfo info = collider->GetClassInfo();
        ASSERT_EQ(info.functions.size(), 2u);
        EXPECT_EQ(info.functions[0].name, "GetRadius");
        EXPECT_EQ(info.functions[1].name, "SetRadius");
        std::vector<MFCore::Any> set{MFCore::Any(collider), MFCore::Any(3.5f)};
        info.functions[1].function->Invoke(set);
        std::vector<MFCore::Any> get{MFCore::Any(collider)};
        info.functions[0].function->Invoke(get);
        // Only a sphere has a radius; other shapes read 0 and ignore the setter.
        EXPECT_EQ(MFCore::Any::Extract<float>(*info.functions[0].function->GetResult()),
                  std::string(name) == "Ball" ? 3.5f : 0.0f);
    }
    RTTIClassRegistry::Destroy();
}

TEST_F(ComponentsTest, AColliderOfAnUnknownShapeIsLoggedAndNotRegistered) {
    Blueprints(Blueprint("Blob", TransformXml({}) + ColliderXml("Blob", "", 0.5f)) +
               Blueprint("Solid", TransformXml({}) + SphereXml(1, 0.5f)));
    qvtest::StderrCapture err;
    SD::GameObject* blob = Spawn("Blob", "Blob", {});
    SD::GameObject* solid = Spawn("Solid", "Solid", {});
    const std::string log = err.Text();
    EXPECT_NE(log.find("unknown shape type \"Blob\""), std::string::npos) << log;
    EXPECT_NE(log.find("Collider of object Blob has no shape; it takes no part in collisions"), std::string::npos);
    EXPECT_EQ(ColliderOf(blob)->GetShape(), nullptr);
    EXPECT_EQ(Physics().GetStaticColliders(), std::vector<Collider*>{ColliderOf(solid)});
    Physics().BuildTree();
    Steps(2);  // nothing runs a test on the collider without a shape
}

TEST_F(ComponentsTest, CollidersJoinTheListOfTheirKindAndLeaveItWithTheirObject) {
    Blueprints(Blueprint("Ball", TransformXml({}) + BodyXml(1) + SphereXml(1, 0.5f)) +
               Blueprint("Rock", TransformXml({}) + SphereXml(1, 0.5f)));
    SD::GameObject* ball = Spawn("Ball", "Ball", {});
    SD::GameObject* rock = Spawn("Rock", "Rock", {4, 5, 6});
    EXPECT_EQ(Physics().GetDynamicColliders(), std::vector<Collider*>{ColliderOf(ball)});
    EXPECT_EQ(Physics().GetStaticColliders(), std::vector<Collider*>{ColliderOf(rock)});
    EXPECT_EQ(Physics().GetBodies(), std::vector<Body*>{BodyOf(ball)});
    EXPECT_EQ(ColliderOf(rock)->mass, 0.0f);
    EXPECT_EQ(ColliderOf(rock)->inverseMass, 0.0f);
    EXPECT_EQ(ColliderOf(ball)->inverseMass, 1.0f);
    EXPECT_EQ(ColliderOf(rock)->position, SD::Vec3(4, 5, 6));
    // A static object moved by game logic takes its collider along when asked.
    rock->GetTransform().SetPos({7, 8, 9});
    ColliderOf(rock)->SyncFromTransform();
    EXPECT_EQ(ColliderOf(rock)->position, SD::Vec3(7, 8, 9));
    EXPECT_EQ(ColliderOf(rock)->previousPosition, SD::Vec3(7, 8, 9));
    ball->Destroy();
    rock->Destroy();
    factory.Update(0);
    EXPECT_TRUE(Physics().GetDynamicColliders().empty());
    EXPECT_TRUE(Physics().GetStaticColliders().empty());
    EXPECT_TRUE(Physics().GetBodies().empty());
}

TEST_F(ComponentsTest, BodyIntegrationRules) {
    Blueprints(Blueprint("Free", TransformXml({}) + BodyXml(2, {0, 50, 0})) +
               Blueprint("Weightless", TransformXml({}) + BodyXml(0) + SphereXml(1, 0.5f)));
    // Without a Collider the Body moves its object's transform and marks it changed.
    SD::GameObject* free = Spawn("Free", "Free", {0, 0, 0});
    Body* body = BodyOf(free);
    body->SetVelocity({10, 0, 0});
    free->GetTransform().SetInvalid(false);
    body->Integrate(0.5f);
    EXPECT_FLOAT_EQ(free->GetTransform().GetLocalPos().x, 5.0f);
    EXPECT_TRUE(enginetest::RecordOf(free->GetTransform()).invalid);
    EXPECT_EQ(body->GetAcceleration(), SD::Vec3(0, 0, 0));  // the applied gravity cancels gravity
    EXPECT_NEAR(body->GetVelocity().x, 10.0f * std::pow(0.1f, 0.5f), 1e-5f);

    // Speeds above 4000 are cut to 200; 3000 stays.
    struct Case {
        float speed;
        float after;
    };
    for (const Case& c : {Case{3000, 3000}, Case{5000, 200}}) {
        body->SetVelocity({0, 0, -c.speed / std::pow(0.1f, 0.001f)});
        body->Integrate(0.001f);
        EXPECT_NEAR(body->GetVelocity().z, -c.after, c.after * 1e-5f) << c.speed;
        EXPECT_EQ(body->GetVelocity().x, 0.0f);
    }

    // A mass of 0: forces do nothing, gravity still pulls; setting 0 later is the same.
    SD::GameObject* weightless = Spawn("Weightless", "Weightless", {0, 0, 0});
    Body* still = BodyOf(weightless);
    still->AddForce(1000, 0, 0);
    still->Integrate(0.1f);
    EXPECT_EQ(ColliderOf(weightless)->velocity.x, 0.0f);
    EXPECT_LT(ColliderOf(weightless)->velocity.y, 0.0f);
    body->SetMass(0);
    EXPECT_EQ(body->GetInverseMass(), 0.0f);
    still->SetMass(4);
    EXPECT_EQ(ColliderOf(weightless)->inverseMass, 0.25f);
    EXPECT_EQ(ColliderOf(weightless)->mass, 4.0f);
}

TEST_F(ComponentsTest, ForcesKeepActingThroughTheAccumulator) {
    // The accumulator keeps the acceleration it became; each substep scales it by the inverse
    // mass again. With a mass of 2 and gravity cancelled, a force of 4 given once gives
    // accelerations 2, 1, 0.5, ... in the following substeps.
    Blueprints(Blueprint("Free", TransformXml({}) + BodyXml(2, {0, 50, 0})));
    Body* body = BodyOf(Spawn("Free", "Free", {}));
    body->AddForce(4, 0, 0);
    for (float expected : {2.0f, 1.0f, 0.5f, 0.25f}) {
        body->Integrate(0.01f);
        EXPECT_FLOAT_EQ(body->GetForce().x, expected);
    }
}

}  // namespace
