#include <algorithm>
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <memory>

#include "StatesTestSupport.h"
#include "engine/ScriptBindings.h"
#include "game/states/ArtLoading.h"
#include "game/states/Credits.h"
#include "game/states/LoadLevel.h"
#include "game/states/MainMenu.h"
#include "game/states/SplashLevel.h"
#include "platform/sensor/ScriptedSensor.h"
#include "runtime/Kinect.h"
#include "runtime/RuntimeScriptBindings.h"

namespace {

using hudtest::Blueprint;

std::string ReadSource(const std::string& relative) {
    std::ifstream in(qvtest::SourceDir() + "/" + relative);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The front-end states on a manual clock, with the art loaders recorded.
class FrontEnd : public hudtest::StatesFixture {
protected:
    FrontEnd() {
        // The menu's buttons change the game state through the runtime's script classes.
        SD::AddRuntimeScriptClasses();
        SD::RegisterScriptBindings(lua.host.L);
    }
    void SetUp() override {
        // The sample data's splash pictures, or none at all.
        if (!withLogos) {
            std::string manifest = tree.Read("Assets/Objects/Objects.man");
            const std::string splash = "\"Hud/Splash.xml\"\n";
            ASSERT_NE(manifest.find(splash), std::string::npos);
            tree.Write("Assets/Objects/Objects.man", manifest.erase(manifest.find(splash), splash.size()));
        }
        Start();
        for (const char* manifest : {"Assets/Textures/ArtManifest.man", "Assets/Models/ModelManifest.man",
                                     "Assets/Materials/MaterialManifest.man"})
            tree.Write(manifest, ReadSource(manifest));
        QV::ArtLoaders& art = QV::GetArtLoaders();
        art.texture = [this](const std::string& path) { return Loaded("texture " + path); };
        art.material = [this](const std::string& path) { return Loaded("material " + path); };
        art.model = [this](const std::string& path) { return Loaded("model " + path); };
        art.physicsMesh = [this](const std::string& name) { loads.push_back("mesh " + name); };
        auto* loading = new QV::LoadLevel();
        loading->SetNextLevel("MainMenu");
        states.RegisterLevel(new QV::SplashLevel(), "SplashLevel");
        states.RegisterLevel(loading, "LoadLevel");
        states.RegisterLevel(new QV::MainMenu(), "MainMenu");
        states.RegisterLevel(new QV::Credits(), "Credits");
        states.RegisterLevel(new hudtest::IdleLevel(), "World");  // the state the menu starts
        states.Initialize();
    }
    ~FrontEnd() override {
        states.Shutdown();
        QV::GetArtLoaders() = QV::ArtLoaders();
    }
    int Loaded(const std::string& what) {
        loads.push_back(what);
        if (lostOnce && what.rfind("material", 0) == 0) {
            lostOnce = false;
            return QV::kDeviceLost;
        }
        return 0;
    }
    // Runs frames until the state of that name runs its own updates; false after 2000 frames.
    bool RunUntilIn(const std::string& name) {
        for (int i = 0; i < 2000; ++i) {
            if (Running(name)) return true;
            StateFrame();
        }
        return false;
    }
    SD::Level& Level(const char* name) { return *states.FindLevel(name); }
    // The menu's HUD tree goes, and with it every widget that takes the menu keys.
    void DestroyMenuHud() {
        for (const SD::ObjectPool::Slot& slot : factory.GetPool().GetSlots())
            if (slot.object && slot.object->GetBlueprintName() == "Hud/MenuTitle")
                factory.DestroyGameObject(slot.object);
        factory.Update(0.0f);
        ASSERT_FALSE(hud.HasFocusedWidget());
    }

    std::vector<std::string> loads;
    bool lostOnce = false;
    bool withLogos = true;
};

class FrontEndWithoutLogos : public FrontEnd {
protected:
    FrontEndWithoutLogos() { withLogos = false; }
};

TEST_F(FrontEnd, AKeySkipsTheLogosAndContinuingLeadsThroughLoadingToTheMenu) {
    states.ChangeLevelTo("SplashLevel");
    ASSERT_TRUE(RunUntilIn("SplashLevel"));
    auto& splash = static_cast<QV::SplashLevel&>(Level("SplashLevel"));
    ASSERT_NE(Named("KVLogo"), nullptr);
    for (uint32_t ignored : {SD::key_SHIFT, SD::key_CONTROL, SD::xpad1_AXIS_LX_P}) {
        TapState(ignored);
        EXPECT_EQ(splash.GetPhase(), QV::SplashLevel::kLogos) << ignored;
    }
    TapState(SD::key_A);
    EXPECT_EQ(splash.GetPhase(), QV::SplashLevel::kControls);
    EXPECT_EQ(Named("KVLogo"), nullptr);
    EXPECT_EQ(Named("AshfinchLogo"), nullptr);
    EXPECT_NE(Named("XboxControlLogo"), nullptr);
    TapState(SD::xpad1_A);
    ASSERT_TRUE(RunUntilIn("MainMenu"));
    EXPECT_EQ(Current(), "MainMenu");
    // Textures first, then materials and models from the sample manifests, then the last model's
    // mesh data.
    auto at = [&](const std::string& what) { return std::find(loads.begin(), loads.end(), what) - loads.begin(); };
    const auto lastTexture = at("texture ../Assets/Textures/Hud/Yes_Up.png");
    const auto firstMaterial = at("material ../Assets/Materials/bricks.mat");
    const auto hillModel = at("model ../Assets/Models/fin/SampleHill.bin");
    ASSERT_LT(hillModel, static_cast<std::ptrdiff_t>(loads.size()));
    EXPECT_LT(lastTexture, firstMaterial);
    EXPECT_LT(firstMaterial, hillModel);
    EXPECT_EQ(hillModel, static_cast<std::ptrdiff_t>(loads.size()) - 2);
    EXPECT_EQ(loads.back(), "mesh SampleHill.bin");
    ASSERT_NE(hud.FrontCollector(), nullptr);
    EXPECT_EQ(hud.FrontCollector()->Items().size(), 6u);
    EXPECT_NE(Named("KinectCircle"), nullptr);
}

// Without its logos the splash gives way at once.
TEST_F(FrontEndWithoutLogos, WithoutItsLogosTheSplashPassesOn) {
    states.ChangeLevelTo("SplashLevel");
    ASSERT_TRUE(RunUntilIn("MainMenu"));
}

TEST_F(FrontEnd, LoadingRetriesALostDeviceAndSkipsTheMeshWithoutModels) {
    tree.Write("Assets/Textures/ArtManifest.man", "\"a.png\"\n\"b.png\"\n");
    tree.Write("Assets/Materials/MaterialManifest.man", "\"m.mat\"\n");
    tree.Write("Assets/Models/ModelManifest.man", "// none\n");
    lostOnce = true;
    states.ChangeLevelTo("LoadLevel");
    ASSERT_TRUE(RunUntilIn("MainMenu"));
    const std::vector<std::string> wanted = {"texture /a.png", "texture /b.png", "material /m.mat", "material /m.mat"};
    std::vector<std::string> seen;
    for (const std::string& load : loads)
        if (load.find(".png") != std::string::npos && load.find("Loading") != std::string::npos)
            continue;
        else
            seen.push_back(load);
    EXPECT_EQ(seen, wanted);
}

TEST_F(FrontEnd, LoadingDotsCountUpEverySoOften) {
    states.ChangeLevelTo("LoadLevel");
    StateFrame();
    StateFrame();
    std::set<int> counts;
    // Loading ends after a few frames; the dots step on while the state leaves.
    for (int i = 0; i < 60 && Current() == "LoadLevel"; ++i) {
        Level("LoadLevel").Update(0.1f);
        counts.insert(QV::LoadLevel::DotCount());
    }
    EXPECT_EQ(counts, (std::set<int>{0, 1, 2, 3}));
}

TEST_F(FrontEnd, QuitInTheMenuOpensAndClosesThePromptUnlessDevPaused) {
    states.ChangeLevelTo("MainMenu");
    ASSERT_TRUE(RunUntilIn("MainMenu"));
    TapState(SD::key_ESCAPE);
    SD::GameObject* prompt = Named("QuitPrompt");
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(hud.FrontCollector()->Items().size(), 2u);
    TapState(SD::key_ESCAPE);
    EXPECT_EQ(Named("QuitPrompt"), nullptr);
    states.SetPlayState(2);
    TapState(SD::key_ESCAPE);
    EXPECT_EQ(Named("QuitPrompt"), nullptr);
}

// While the level editor is on, its keys do nothing to the menu.
TEST_F(FrontEnd, TheMenuLeavesTheKeysToTheLevelEditorWhileItIsOn) {
    states.ChangeLevelTo("MainMenu");
    ASSERT_TRUE(RunUntilIn("MainMenu"));
    for (int i = 0; i < 70; ++i) StateFrame();
    states.SetPlayState(SD::GameStateManager_::kDevPause);
    TapState(SD::key_DOWN);
    EXPECT_EQ(hud.FrontCollector()->CurrentIndex(), 0);
    for (uint32_t select : {SD::key_SPACE, SD::key_RETURN}) TapState(select);
    EXPECT_EQ(states.GetPendingLevel(), states.FindLevel("MainMenu"));
    states.SetPlayState(SD::GameStateManager_::kPlay);
    TapState(SD::key_DOWN);
    EXPECT_EQ(hud.FrontCollector()->CurrentIndex(), 1) << "the menu has the keys again";
}

// Without a menu widget to take the select keys, "Go" starts the world once the cool-down is over.
TEST_F(FrontEnd, GoStartsTheWorldOnlyAfterTheMenuCoolDown) {
    states.ChangeLevelTo("MainMenu");
    for (int i = 0; i < 3; ++i) StateFrame();
    ASSERT_EQ(states.GetPhase(), SD::GameStateManager_::kEnter);  // fading in, and already listening
    DestroyMenuHud();
    TapState(SD::key_SPACE);
    EXPECT_EQ(states.GetPendingLevel(), states.FindLevel("MainMenu"));
    ASSERT_TRUE(RunUntilIn("MainMenu"));
    TapState(SD::key_SPACE);
    EXPECT_EQ(states.GetPendingLevel(), states.FindLevel("World"));
    const std::vector<std::string> posted = sound.Events();
    EXPECT_NE(std::find(posted.begin(), posted.end(), "Play_FireflyMainMenu"), posted.end());
}

// One press, one action: the focused widget takes the select keys, and "Go" stays out of it.
TEST_F(FrontEnd, TheFocusedMenuWidgetTakesTheSelectKeysAlone) {
    states.ChangeLevelTo("MainMenu");
    ASSERT_TRUE(RunUntilIn("MainMenu"));
    for (int i = 0; i < 70; ++i) StateFrame();  // past the start cool-down
    TapState(SD::key_DOWN);
    TapState(SD::key_DOWN);
    ASSERT_EQ(hud.FrontCollector()->CurrentIndex(), 2) << "the full-screen check box";
    for (uint32_t select : {SD::key_RETURN, SD::key_SPACE}) {
        TapState(select);
        EXPECT_EQ(states.GetPendingLevel(), states.FindLevel("MainMenu")) << select;
    }
    TapState(SD::key_DOWN);
    TapState(SD::key_DOWN);
    TapState(SD::key_RETURN);
    EXPECT_EQ(states.GetPendingLevel(), states.FindLevel("MainMenu")) << "the resolution entry";
    TapState(SD::key_UP);
    TapState(SD::key_UP);
    TapState(SD::key_UP);
    TapState(SD::key_UP);
    ASSERT_EQ(hud.FrontCollector()->CurrentIndex(), 0);
    for (int i = 0; i < 30; ++i) StateFrame();  // past the buttons' own cool-down
    TapState(SD::key_RETURN);
    EXPECT_EQ(states.GetPendingLevel(), states.FindLevel("World")) << "the play button";
}

// Go and the HUD's select share their keys: answering the quit prompt must not start the game.
TEST_F(FrontEnd, AnsweringTheQuitPromptDoesNotStartTheWorld) {
    states.ChangeLevelTo("MainMenu");
    ASSERT_TRUE(RunUntilIn("MainMenu"));
    for (int i = 0; i < 70; ++i) StateFrame();  // past the start cool-down
    TapState(SD::key_ESCAPE);
    ASSERT_NE(Named("QuitPrompt"), nullptr);
    TapState(SD::key_RETURN);  // on "No", the prompt's first focus
    EXPECT_EQ(Named("QuitPrompt"), nullptr);
    EXPECT_EQ(states.GetPendingLevel(), states.FindLevel("MainMenu"));
    for (int i = 0; i < 30; ++i) StateFrame();  // past the buttons' cool-down
    TapState(SD::key_RETURN);
    EXPECT_EQ(states.GetPendingLevel(), states.FindLevel("World")) << "without the prompt the play button starts";
}

TEST_F(FrontEnd, TheCreditsRollBackToTheMenuOnQuitOrAtTheirEnd) {
    states.ChangeLevelTo("Credits");
    ASSERT_TRUE(RunUntilIn("Credits"));
    SD::GameObject* credits = Named("Credits");
    ASSERT_NE(credits, nullptr);
    const float start = credits->GetTransform().GetPosY();
    StateFrame();
    EXPECT_LT(credits->GetTransform().GetPosY(), start);
    TapState(SD::key_SPACE);
    EXPECT_EQ(states.GetPendingLevel(), states.FindLevel("MainMenu"));

    states.ChangeLevelTo("Credits");
    ASSERT_TRUE(RunUntilIn("Credits"));
    Level("Credits").Update((Named("Credits")->GetTransform().GetPosY() - QV::Credits::kEndY) / 0.07f + 0.1f);
    EXPECT_EQ(states.GetPendingLevel(), states.FindLevel("MainMenu"));
}

}  // namespace

namespace {

// The menu with a scripted sensor plugged in and a player standing in place.
class FrontEndWithSensor : public FrontEnd {
protected:
    void SetUp() override {
        platform::sensor::AttachRuntime(&sensor);
        FrontEnd::SetUp();
        kinect = SD::Kinect_::GetInstance();
        kinect->Initialize();
    }
    void TearDown() override {
        kinect->Shutdown();
        SD::Kinect_::DestroyInstance();
        platform::sensor::AttachRuntime(nullptr);
    }
    // Both hands `reach` metres in front of the body, the body 2 m from the sensor.
    void Stand(float reach) {
        platform::sensor::SkeletonFrame frame;
        auto& body = frame.skeletons[0];
        body.trackingState = platform::sensor::kStateTracked;
        body.joints[SD::Kinect_::kHipCentre] = {0.0f, -0.2f, 2.0f, 1};
        body.joints[SD::Kinect_::kShoulderCentre] = {0.0f, 0.3f, 2.0f, 1};
        body.joints[SD::Kinect_::kLeftHand] = {-0.3f, 0.1f, 2.0f - reach, 1};
        body.joints[SD::Kinect_::kRightHand] = {0.3f, 0.1f, 2.0f - reach, 1};
        ASSERT_TRUE(sensor.DeliverFrame(frame));
        ASSERT_TRUE(kinect->WaitForFrames(++delivered, 10000));
        kinect->Update(0.0f);
    }

    platform::sensor::ScriptedSensor sensor;
    SD::Kinect_* kinect = nullptr;
    uint64_t delivered = 0;
};

TEST_F(FrontEndWithSensor, APushHeldForTwoSecondsStartsTheWorldAndGoDoesNot) {
    states.ChangeLevelTo("MainMenu");
    ASSERT_TRUE(RunUntilIn("MainMenu"));
    ASSERT_TRUE(kinect->IsConnected());
    input.ClearDigitalKey(SD::key_SPACE);  // Go alone, not the menu's select
    input.BindDigital("Go", SD::key_SPACE);
    TapState(SD::key_SPACE);
    EXPECT_EQ(states.GetPendingLevel(), states.FindLevel("MainMenu"));

    Stand(0.1f);  // hands at the body: no push
    for (int i = 0; i < 10; ++i) StateFrame(0.25f);
    auto& menu = static_cast<QV::MainMenu&>(Level("MainMenu"));
    EXPECT_EQ(menu.GetPushTimer(), 0.0f);
    const float resting = QV::GetSpriteOpacity(Named("KinectImage"));
    Stand(0.4f);
    for (int i = 0; i < 8; ++i) StateFrame(0.25f);  // 2.0 s: not yet past
    EXPECT_EQ(states.GetPendingLevel(), states.FindLevel("MainMenu"));
    StateFrame(0.25f);
    EXPECT_EQ(states.GetPendingLevel(), states.FindLevel("World"));
    EXPECT_GT(QV::GetSpriteOpacity(Named("KinectImage")), resting) << "the hand rings show the push";
}

}  // namespace
