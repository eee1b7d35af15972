// Scripts reach the vehicle, the follow camera and the audio options: a reset from a script,
// a new camera target by name (numbers read as their text), the global volume kept within
// 0..1, the invert option taken as a script truth value, and calls on objects that are gone.
#include <gtest/gtest.h>

#include <lua.hpp>

#include "PlayTestSupport.h"
#include "engine/LuaTestSupport.h"
#include "engine/ObjectBindings.h"
#include "game/GameRegistration.h"
#include "runtime/Registration.h"

namespace {

using namespace playtest;

class PlayerScriptTest : public PlayFixture {
protected:
    PlayerScriptTest() {
        QV::SupplyGameClasses(registrations);
        lua = std::make_unique<luatest::LuaHost>();
        Blueprints(VehicleBlueprint("Vehicle") + Blueprint("Marker", TransformXml({})) +
                   Blueprint("Cam", TransformXml({}) + FollowCameraXml("Player", 10, 30, 5)));
    }
    void Global(const char* name, SD::Component* component) {
        SD::PushComponent(lua->host.L, component);
        lua_setglobal(lua->host.L, name);
    }
    SD::Registrations registrations;
    std::unique_ptr<luatest::LuaHost> lua;
};

TEST_F(PlayerScriptTest, ScriptsResetTheVehicleAndRetargetTheCamera) {
    SD::GameObject* player = Spawn("Vehicle", "Player");
    SD::GameObject* camera = Spawn("Cam", "PlayerCam");
    SD::GameObject* marker = Spawn("Marker", "42");
    keys = {SD::key_SPACE, SD::key_D};
    Play(5, 0.1f);
    Global("player", PlayerOf(player));
    Global("camera", Get<QV::VernholmCameraLogic>(camera, SD::CID_VernholmCameraLogic));
    ASSERT_TRUE(lua->Run("player:ResetPlayer()"));
    EXPECT_EQ(BodyOf(player)->GetVelocity(), SD::Vec3());
    EXPECT_EQ(PlayerOf(player)->GetFlight().angles, SD::Vec3());

    ASSERT_TRUE(lua->Run("camera:SetTargetName(42)"));
    EXPECT_EQ(Get<QV::VernholmCameraLogic>(camera, SD::CID_VernholmCameraLogic)->GetTarget(), marker);
    const std::string printed = lua->RunPrinted("camera:SetTargetName({})");
    EXPECT_NE(printed.find("error: Argument 2 is not a string value."), std::string::npos);
    EXPECT_EQ(Get<QV::VernholmCameraLogic>(camera, SD::CID_VernholmCameraLogic)->GetTarget(), marker);

    factory.DestroyGameObject(player);
    factory.Update(0);
    EXPECT_NE(lua->RunPrinted("player:ResetPlayer()")
                  .find("Attempting to call 'PlayerLogic::ResetPlayer' with this pointer being NULL."),
              std::string::npos);
}

TEST_F(PlayerScriptTest, TheAudioOptionsKeepTheirRanges) {
    ASSERT_TRUE(
        lua->Run("audio = AudioLogic_.GetInstance()\n"
                 "audio:SetGlobalVolume(1.5) high = audio:GetGlobalVolume()\n"
                 "audio:SetGlobalVolume(-2) low = audio:GetGlobalVolume()\n"
                 "audio:SetInvertY(0) zero = tostring(audio:GetInvertY())\n"
                 "audio:SetInvertY(nil) none = tostring(audio:GetInvertY())\n"));
    EXPECT_EQ(lua->Number("high"), 1.0);
    EXPECT_EQ(lua->Number("low"), 0.0);
    EXPECT_EQ(lua->Text("zero"), "true");
    EXPECT_EQ(lua->Text("none"), "false");
    // The vehicle reads the option each frame: W then climbs instead of diving.
    SD::GameObject* player = Spawn("Vehicle", "Player");
    ASSERT_TRUE(lua->Run("audio:SetInvertY(true)"));
    keys = {SD::key_W};
    Play(2, 0.1f);
    EXPECT_LT(PlayerOf(player)->GetFlight().angles.x, 0.0f);
}

}  // namespace
