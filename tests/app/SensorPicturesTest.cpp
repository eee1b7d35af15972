// The body-tracking sensor's pictures in the whole game. Their objects are made in the menu and
// the world whether a sensor is there or not; without one none of them is ever drawn. With a
// sensor and a player standing off to one side, hands pushed forward, the menu draws the guide
// to where to stand and the rings on the hands, the push starts the world, the world draws the
// guide, and once nobody is seen it asks the player to step in front of the sensor.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/EngineCore.h"
#include "graphics/Graphics.h"
#include "graphics/components/Sprite.h"
#include "platform/sensor/ScriptedSensor.h"
#include "runtime/InputCodes.h"
#include "runtime/Kinect.h"
#include "tests/app/GameScript.h"

namespace {

using qvtest::GameScript;

// The sensor pictures the sprite pass draws this frame: shown, with their texture loaded.
std::set<std::string> SensorPicturesDrawn() {
    std::set<std::string> drawn;
    Aperture::Graphics_* graphics = Aperture::Graphics_::Peek();
    if (!graphics) return drawn;
    for (Aperture::UISprite* sprite : graphics->GetSceneLists().UISprites())
        if (sprite->GetTexture().rfind("Sensor", 0) == 0 && sprite->GetOpacity() > 0.0f &&
            graphics->FindTexture(sprite->GetTexture()))
            drawn.insert(sprite->GetTexture());
    return drawn;
}

bool Has(const std::set<std::string>& drawn, std::initializer_list<const char*> pictures) {
    for (const char* picture : pictures)
        if (!drawn.count(picture)) return false;
    return true;
}

// A player 0.8 m right of the sensor's middle, 2 m away (too far to the side to be read well),
// both hands `reach` in front of the body; or nobody at all.
platform::sensor::SkeletonFrame Body(bool there, float reach = 0.3f) {
    platform::sensor::SkeletonFrame frame;
    if (!there) return frame;
    auto& body = frame.skeletons[0];
    body.trackingState = platform::sensor::kStateTracked;
    body.joints[SD::Kinect_::kHipCentre] = {0.8f, -0.2f, 2.0f, 1};
    body.joints[SD::Kinect_::kShoulderCentre] = {0.8f, 0.3f, 2.0f, 1};
    body.joints[SD::Kinect_::kLeftHand] = {0.5f, 0.1f, 2.0f - reach, 1};
    body.joints[SD::Kinect_::kRightHand] = {1.1f, 0.1f, 2.0f - reach, 1};
    return frame;
}

class SensorPictures : public ::testing::Test {
protected:
    void SetUp() override { qvtest::WithoutSplashPictures(game_.tree); }
    void TearDown() override { platform::sensor::AttachRuntime(nullptr); }

    // Runs the script; every sensor picture drawn in the menu and in the world is noted.
    void Play() {
        script_.limit = 3000;
        SD::RunOptions options;
        options.maxFrames = 8000;
        options.afterFrame = [this](unsigned long) {
            const std::string running = qvtest::Running();
            for (const std::string& picture : SensorPicturesDrawn())
                (running == "World" ? inWorld_ : inMenu_).insert(picture);
            script_.Frame();
        };
        const qvtest::GameRun run = qvtest::RunWholeGame(options);
        ASSERT_TRUE(run.summary.clean) << run.summary.error;
        ASSERT_TRUE(script_.Finished()) << "stuck at: " << script_.Where();
    }
    static std::function<bool()> Quit() {
        return [] {
            SD::Core::GetInstance()->Quit();
            return true;
        };
    }

    qvtest::HeadlessGame game_{false};
    GameScript script_;
    std::set<std::string> inMenu_, inWorld_;
};

TEST_F(SensorPictures, WithoutASensorNoneIsEverDrawn) {
    script_.steps = {
        {"the menu", GameScript::In("MainMenu")},     {"the menu a while", GameScript::Wait(90)},
        {"play", script_.Tap(SD::key_RETURN)},        {"the world", GameScript::In("World")},
        {"the world a while", GameScript::Wait(300)}, {"quit", Quit()},
    };
    Play();
    EXPECT_TRUE(inMenu_.empty()) << *inMenu_.begin();
    EXPECT_TRUE(inWorld_.empty()) << *inWorld_.begin();
}

TEST_F(SensorPictures, WithASensorTheMenuAndTheWorldDrawTheirGuidesForThePlayerSeen) {
    platform::sensor::ScriptedSensor sensor;
    platform::sensor::AttachRuntime(&sensor);
    auto deliver = [&sensor](bool there) { return [&sensor, there] { return sensor.DeliverFrame(Body(there)); }; };
    script_.steps = {
        {"the menu", GameScript::In("MainMenu")},
        {"a player pushing, off to the side", deliver(true)},
        {"the guide and the rings drawn",
         [] {
             return Has(SensorPicturesDrawn(), {"SensorField", "SensorPlayer", "SensorHand1"});
         }},
        {"the push starts the world", GameScript::In("World")},
        {"the world's guide drawn",
         [] {
             return Has(SensorPicturesDrawn(), {"SensorField", "SensorPlayer"});
         }},
        {"the player gone", deliver(false)},
        {"the sign drawn", [] { return Has(SensorPicturesDrawn(), {"SensorSign"}); }},
        {"quit", Quit()},
    };
    Play();
    EXPECT_TRUE(Has(inMenu_, {"SensorField", "SensorPlayer", "SensorHand1", "SensorHand2", "SensorHand3"}));
    EXPECT_FALSE(inMenu_.count("SensorSign")) << "the menu has no sign";
}

}  // namespace
