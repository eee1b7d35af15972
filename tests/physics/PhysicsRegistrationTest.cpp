// What the physics gives start-up: its component creators, its system and its script classes.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "PhysicsTestSupport.h"
#include "core/EngineCore.h"
#include "engine/LuaTestSupport.h"
#include "engine/ObjectBindings.h"
#include "engine/ScriptValue.h"
#include "physics/PhysicsRegistration.h"
#include "runtime/Registration.h"
#include "runtime/Startup.h"

namespace {

using namespace physicstest;
using namespace Gedankenexperiment;

TEST(PhysicsRegistration, BodyAndColliderJoinTheFactoryAndTheSystemTheCore) {
    SD::Registrations registrations;
    SupplyPhysicsClasses(registrations);
    SD::Factory_ factory(4);
    EXPECT_EQ(registrations.RegisterComponents(factory), (std::vector<std::string>{"Body", "Collider"}));
    SD::ComponentID id;
    ASSERT_TRUE(factory.FindComponentID("Body", &id));
    EXPECT_EQ(id, SD::CID_Body);
    ASSERT_TRUE(factory.FindComponentID("Collider", &id));
    EXPECT_EQ(id, SD::CID_Collider);
    {
        SD::Core core;
        EXPECT_EQ(registrations.AddSuppliedSystem(core, "Physics_System"), Physics_System::GetInstance());
        ASSERT_EQ(core.GetSystems().size(), 1u);
        EXPECT_EQ(core.GetSystems()[0], Physics_System::GetInstance());
        EXPECT_STREQ(core.GetSystems()[0]->GetName(), "Physics");
    }
    // A singleton: the core does not delete it.
    EXPECT_NE(Physics_System::Peek(), nullptr);
    factory.Shutdown();
    Physics_System::DestroyInstance();
}

// A bounded run of the program with the physics supplied: objects whose blueprints carry
// Body and Collider fall under gravity in the frame loop.
TEST(PhysicsRegistration, TheProgramRunsThePhysicsEveryFrame) {
    SupplyPhysicsClasses(SD::StartupRegistrations());
    qvtest::TempTree tree;
    tree.Write("Assets/Config/config.ini",
               "[Global]\nLuaFilePath=../Assets/LuaScripts\n[Factory]\nObjectInFormat=xml\n"
               "ObjectManifest=../Assets/Objects/objects.man\n"
               // Frames held to 1/60 s: the simulation steps by the clock, so 30 frames make 30 steps.
               "[FrameRateController]\nlimit_frame_rate=true\nfps=60\n");
    tree.Write("Assets/Objects/objects.man", "PATH=\"../Assets/Objects\"\n\"ball.xml\"\n");
    tree.Write("Assets/Objects/ball.xml",
               "<?xml version=\"1.0\" ?>\n<GameObjectBlueprints>\n" +
                   Blueprint("Ball", TransformXml({0, 100, 0}) + BodyXml(10) + SphereXml(1, 0.5f)) +
                   "</GameObjectBlueprints>\n");
    tree.Write("Assets/LuaScripts/InitLuaStuff.lua",
               "ActiveLuaGameObjects = { objects = {}, frames = 0, update = function(self, dt)\n"
               "  self.frames = self.frames + 1\n"
               "  if self.frames == 1 then local f = Factory_.GetInstance() ball = f:CreateObject('Ball', "
               "f:GetGameObject('nobody')) ball:Initialize() end\n"
               "  local f = io.open('../height.txt', 'w')\n"
               "  f:write(ball:GetTransform():GetPosY(), ' ', ball:GetComponent(CID_Body):GetBodyVel():GetY())\n"
               "  f:close()\n"
               "end }\n");
    SD::RunOptions options;
    options.maxFrames = 30;
    SD::RunSummary summary = SD::RunProgram(options);
    EXPECT_TRUE(summary.clean) << summary.error;
    float height = 0, speed = 0;
    ASSERT_EQ(std::sscanf(tree.Read("height.txt").c_str(), "%f %f", &height, &speed), 2);
    EXPECT_LT(height, 100.0f);
    EXPECT_LT(speed, -1.0f);
    Physics_System::DestroyInstance();
}

// The physics moves the bodies once the window's input is in, before anything reads them.
TEST(PhysicsRegistration, ThePhysicsRunsRightAfterTheWindow) {
    SupplyPhysicsClasses(SD::StartupRegistrations());
    qvtest::TempTree tree;
    std::vector<std::string> order;
    SD::RunOptions options;
    options.maxFrames = 1;
    options.afterFrame = [&order](unsigned long) {
        for (SD::ISystem* system : SD::Core::GetInstance()->GetSystems()) order.push_back(system->GetName());
    };
    EXPECT_TRUE(SD::RunProgram(options).clean);
    Physics_System::DestroyInstance();
    const auto at = [&](const char* name) { return std::find(order.begin(), order.end(), name) - order.begin(); };
    ASSERT_LT(at("Physics"), static_cast<long>(order.size()));
    EXPECT_EQ(at("Physics"), at("Window") + 1);
    EXPECT_EQ(at("SplineSystem"), at("Physics") + 1);
}

class BodyScriptTest : public PhysicsWorld {
protected:
    BodyScriptTest() { SupplyPhysicsClasses(registrations); }
    SD::Registrations registrations;
};

TEST_F(BodyScriptTest, ScriptsMoveAndReadBodies) {
    Blueprints(Blueprint("Ball", TransformXml({}) + BodyXml(2) + SphereXml(1, 0.5f)));
    SD::GameObject* ball = Spawn("Ball", "Ball", {1, 2, 3});
    luatest::LuaHost lua;
    SD::PushComponent(lua.host.L, BodyOf(ball));
    lua_setglobal(lua.host.L, "body");
    ASSERT_TRUE(
        lua.Run("local function V(x, y, z) local v = Vec3() v:SetX(x) v:SetY(y) v:SetZ(z) return v end\n"
                "body:SetVelocity(V(4, 5, 6))\n"
                "body:AddForce(V(1, 0, 0))\n"
                "body:AddForce(V(1, 0, 0))\n"
                "body:SetAppliedGravity(V(0, 50, 0))\n"
                "body:SetMass(4)\n"
                "vel = body:GetBodyVel():GetY()\n"
                "force = body:GetBodyForce():GetX()\n"
                "pos = body:GetPos():GetZ()\n"
                "body:SetPos(V(7, 8, 9))\n"));
    EXPECT_EQ(lua.Number("vel"), 5.0);
    EXPECT_EQ(lua.Number("force"), 2.0);
    EXPECT_EQ(lua.Number("pos"), 3.0);
    EXPECT_EQ(ColliderOf(ball)->position, SD::Vec3(7, 8, 9));
    EXPECT_EQ(ColliderOf(ball)->velocity, SD::Vec3(4, 5, 6));
    EXPECT_EQ(ColliderOf(ball)->inverseMass, 0.25f);
    Physics().Substep(0.01f);
    // Gravity cancelled; the force of 2 scaled by the inverse mass of 0.25 acts for 0.01 s.
    EXPECT_NEAR(BodyOf(ball)->GetAcceleration().y, 0.0f, 1e-6f);
    ASSERT_TRUE(lua.Run("acc = body:GetBodyAcc():GetY()"));
    EXPECT_EQ(lua.Number("acc"), 0.0);
    EXPECT_NEAR(ColliderOf(ball)->velocity.x, (4.0f + 0.5f * 0.01f) * std::pow(0.1f, 0.01f), 1e-5f);
}

TEST_F(BodyScriptTest, CallsOnANullBodyOrSystemAreReported) {
    luatest::LuaHost lua;
    SD::PushScriptValue(lua.host.L, nullptr, "Body", false);
    lua_setglobal(lua.host.L, "body");
    SD::PushScriptValue(lua.host.L, nullptr, "Physics_System", false);
    lua_setglobal(lua.host.L, "physics");
    SD::PushScriptValue(lua.host.L, Physics_System::GetInstance(), "Physics_System", false);
    lua_setglobal(lua.host.L, "live");
    bool ran = false;
    const std::string printed =
        lua.RunPrinted("pos = body:GetPos()\nbody:SetMass(3)\nname = physics:VName()\nliveName = live:VName()\n", &ran);
    EXPECT_TRUE(ran);
    EXPECT_NE(printed.find("Attempting to call 'Body::GetPos' with this pointer being NULL."), std::string::npos)
        << printed;
    EXPECT_NE(printed.find("Attempting to call 'Body::SetMass' with this pointer being NULL."), std::string::npos);
    EXPECT_NE(printed.find("Attempting to call 'Physics_System::VName' with this pointer being NULL."),
              std::string::npos);
    EXPECT_EQ(lua.Text("pos"), "(not a string)");
    EXPECT_EQ(lua.Text("liveName"), "Physics");
}

}  // namespace
