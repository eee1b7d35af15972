// The level editor's physics hooks as start-up installs them: the cursor's ghost collider
// reports what it touches to the editor, and collider positions are read and written.
#include <gtest/gtest.h>

#include "EditorTestSupport.h"
#include "core/EngineCore.h"
#include "game/GameRegistration.h"
#include "game/editor/PhysicsEditorHooks.h"
#include "physics/Body.h"
#include "physics/Collider.h"
#include "physics/PhysicsSystem.h"
#include "physics/PhysicsTestSupport.h"
#include "runtime/Registration.h"

namespace {

using physicstest::Blueprint;

class PhysicsEditorHooksTest : public gametest::EditorFixture {
protected:
    PhysicsEditorHooksTest() {
        factory.RegisterComponentCreator("Body", SD::CID_Body, new SD::ComponentCreator<Gedankenexperiment::Body>);
        factory.RegisterComponentCreator("Collider", SD::CID_Collider,
                                         new SD::ComponentCreator<Gedankenexperiment::Collider>);
        tree.Write("Assets/Objects/hooks.xml",
                   "<GameObjectBlueprints>" +
                       Blueprint("Pointer", physicstest::TransformXml({}) + physicstest::BodyXml(1, {0, 50, 0}) +
                                                physicstest::SphereXml(1, 0.5f)) +
                       Blueprint("Crate", physicstest::TransformXml({}) + physicstest::BoxXml({2, 2, 2}, 0.5f)) +
                       Blueprint("Bare", physicstest::TransformXml({})) + "</GameObjectBlueprints>");
        factory.AddBlueprint("../Assets/Objects/hooks.xml");
    }
    ~PhysicsEditorHooksTest() override { Gedankenexperiment::Physics_System::DestroyInstance(); }

    SD::GameObject* Make(const char* blueprint, const char* name, SD::Vec3 p) {
        SD::GameObject* object = factory.CreateObject(blueprint, nullptr);
        object->GetTransform().SetPos(p);
        object->NameObject(name);
        object->Initialize(false);
        return object;
    }
};

TEST_F(PhysicsEditorHooksTest, StartUpInstallsThemWithTheEditor) {
    SD::Registrations registrations;
    QV::SupplyGameClasses(registrations);
    SD::Core core;
    EXPECT_EQ(registrations.AddSuppliedSystem(core, "LevelEditor"), editor);
    EXPECT_NE(dynamic_cast<QV::PhysicsEditorHooks*>(&editor->Hooks()), nullptr);
}

TEST_F(PhysicsEditorHooksTest, TheCursorSelectsByTouchAndCollidersMoveWithIt) {
    QV::PhysicsEditorHooks hooks;
    SD::GameObject* pointer = Make("Pointer", "Pointer", {50, 0, 0});
    SD::GameObject* crate = Make("Crate", "Crate", {0, 0, 0});
    SD::GameObject* bare = Make("Bare", "Bare", {0, 0, 0});
    hooks.AttachCursorBody(pointer);
    hooks.AttachCursorBody(bare);  // logged, nothing else
    auto* collider = static_cast<Gedankenexperiment::Collider*>(pointer->GetComponent(SD::CID_Collider));
    EXPECT_TRUE(collider->ghost);
    Gedankenexperiment::Physics_System::GetInstance()->BuildTree();

    hooks.CheckCollisionsNow();
    EXPECT_EQ(editor->GetTouched(), nullptr);
    hooks.SetColliderPosition(pointer, {2.5f, 0, 0});
    SD::Vec3 read;
    ASSERT_TRUE(hooks.GetColliderPosition(pointer, &read));
    EXPECT_EQ(read, SD::Vec3(2.5f, 0, 0));
    EXPECT_FALSE(hooks.GetColliderPosition(bare, &read));
    hooks.SetColliderPosition(bare, {1, 1, 1});
    hooks.CheckCollisionsNow();
    EXPECT_EQ(editor->GetTouched(), crate);
    EXPECT_EQ(collider->position, SD::Vec3(2.5f, 0, 0)) << "a ghost is not pushed out";
}

}  // namespace
