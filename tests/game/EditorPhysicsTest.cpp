// The level editor's physics as start-up supplies the editor: the cursor's ghost collider reports
// what it touches to the editor, and collider positions are read and written.
#include <gtest/gtest.h>

#include "EditorTestSupport.h"
#include "core/EngineCore.h"
#include "game/GameRegistration.h"
#include "game/editor/EditorScene.h"
#include "physics/Body.h"
#include "physics/Collider.h"
#include "physics/PhysicsSystem.h"
#include "physics/PhysicsTestSupport.h"
#include "runtime/Registration.h"

namespace {

using physicstest::Blueprint;

class EditorPhysicsTest : public gametest::EditorFixture {
protected:
    EditorPhysicsTest() {
        factory.RegisterComponentCreator("Body", SD::CID_Body, new SD::ComponentCreator<Gedankenexperiment::Body>);
        factory.RegisterComponentCreator("Collider", SD::CID_Collider,
                                         new SD::ComponentCreator<Gedankenexperiment::Collider>);
        tree.Write("Assets/Objects/physics.xml",
                   "<GameObjectBlueprints>" +
                       Blueprint("Pointer", physicstest::TransformXml({}) + physicstest::BodyXml(1, {0, 50, 0}) +
                                                physicstest::SphereXml(1, 0.5f)) +
                       Blueprint("Crate", physicstest::TransformXml({}) + physicstest::BoxXml({2, 2, 2}, 0.5f)) +
                       Blueprint("Bare", physicstest::TransformXml({})) + "</GameObjectBlueprints>");
        factory.AddBlueprint("../Assets/Objects/physics.xml");
    }
    ~EditorPhysicsTest() override { Gedankenexperiment::Physics_System::DestroyInstance(); }

    SD::GameObject* Make(const char* blueprint, const char* name, SD::Vec3 p) {
        SD::GameObject* object = factory.CreateObject(blueprint, nullptr);
        object->GetTransform().SetPos(p);
        object->NameObject(name);
        object->Initialize(false);
        return object;
    }
};

TEST_F(EditorPhysicsTest, StartUpSuppliesTheEditor) {
    SD::Registrations registrations;
    QV::SupplyGameClasses(registrations);
    SD::Core core;
    EXPECT_EQ(registrations.AddSuppliedSystem(core, "LevelEditor"), editor);
}

TEST_F(EditorPhysicsTest, TheCursorSelectsByTouchAndCollidersMoveWithIt) {
    namespace scene = QV::editorscene;
    SD::GameObject* pointer = Make("Pointer", "Pointer", {50, 0, 0});
    SD::GameObject* crate = Make("Crate", "Crate", {0, 0, 0});
    SD::GameObject* bare = Make("Bare", "Bare", {0, 0, 0});
    scene::AttachCursorBody(pointer);
    scene::AttachCursorBody(bare);  // logged, nothing else
    auto* collider = static_cast<Gedankenexperiment::Collider*>(pointer->GetComponent(SD::CID_Collider));
    EXPECT_TRUE(collider->ghost);
    Gedankenexperiment::Physics_System::GetInstance()->BuildTree();

    scene::CheckCollisionsNow();
    EXPECT_EQ(editor->GetTouched(), nullptr);
    scene::SetColliderPosition(pointer, {2.5f, 0, 0});
    SD::Vec3 read;
    ASSERT_TRUE(scene::ColliderPosition(pointer, &read));
    EXPECT_EQ(read, SD::Vec3(2.5f, 0, 0));
    EXPECT_FALSE(scene::ColliderPosition(bare, &read));
    scene::SetColliderPosition(bare, {1, 1, 1});
    scene::CheckCollisionsNow();
    EXPECT_EQ(editor->GetTouched(), crate);
    EXPECT_EQ(collider->position, SD::Vec3(2.5f, 0, 0)) << "a ghost is not pushed out";
}

}  // namespace
