#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "StatesTestSupport.h"
#include "game/components/ProximityTriggers.h"
#include "game/components/Spawner.h"
#include "game/fireflies/FireflyManager.h"
#include "game/player/PlayerLogic.h"
#include "game/states/EscortMission.h"
#include "game/states/TestStates.h"
#include "game/states/World.h"
#include "game/systems/AudioLogic.h"
#include "game/systems/SowlarSystem.h"
#include "graphics/components/Geometry.h"

namespace {

// The play states over the sample blueprints on a manual clock, with the vehicle, the narration
// triggers, the sound logic and the season cycle they drive.
class Play : public hudtest::StatesFixture {
protected:
    void SetUp() override {
        factory.RegisterComponentCreator("Spawner", SD::CID_Spawner, new SD::ComponentCreator<QV::Spawner>);
        factory.RegisterComponentCreator("Geometry", SD::CID_Geometry, new SD::ComponentCreator<Aperture::Geometry>);
        factory.RegisterComponentCreator("PlayerLogic", SD::CID_Player, new SD::ComponentCreator<QV::PlayerLogic>);
        factory.RegisterComponentCreator("HudFadeTrigger", SD::CID_HudFadeTrigger,
                                         new SD::ComponentCreator<QV::HudFadeTrigger>);
        Start();
        states.RegisterLevel(new QV::World(), "World");
        states.RegisterLevel(new hudtest::IdleLevel(), "MainMenu");  // the state the play states go back to
        states.RegisterLevel(new QV::World_EscortMission(), "World_EscortMission");
        states.RegisterLevel(new QV::TestLevel(), "TestLevel");
        states.RegisterLevel(new QV::BuildMode(), "BuildMode");
        states.RegisterLevel(new QV::SowlarTestBed(), "SowlarTestBed");
        states.RegisterLevel(new QV::Graphics_Test(), "Graphics_Test");
        states.RegisterLevel(new QV::Logic_Test(), "Logic_Test");
        states.Initialize();
        sound.Name({"Play_1_Long_ago", "Play_3_Night_created"});
    }
    ~Play() override {
        states.Shutdown();
        QV::SowlarSystem_::DestroyInstance();
        QV::AudioLogic_::DestroyInstance();
    }
    // Frames of `dt` until the state runs its own updates; the seconds that took, or -1.
    float SecondsUntilIn(const std::string& name, float dt = 0.05f) {
        for (int i = 0; i < 2000; ++i) {
            if (Running(name)) return static_cast<float>(i) * dt;
            StateFrame(dt);
        }
        return -1.0f;
    }
    QV::World& TheWorld() { return static_cast<QV::World&>(*states.FindLevel("World")); }
    bool ControlsEnabled() {
        auto* logic = Named("Player") ? Named("Player")->GetComponent(SD::CID_Player) : nullptr;
        return logic && static_cast<QV::PlayerLogic*>(logic)->GetControlsEnabled();
    }
    // The story's lines whose fade has begun, in story order.
    std::vector<std::string> LinesShown() {
        std::vector<std::string> shown;
        for (int step = 1; step <= QV::HudFadeTrigger::kNarrationSteps; ++step) {
            const std::string name = "Narr_" + std::to_string(step);
            SD::GameObject* line = Named(name.c_str());
            auto* fade = line ? static_cast<QV::HudFade*>(line->GetComponent(SD::CID_HudFade)) : nullptr;
            if (fade && fade->GetPhase() != QV::HudFade::kWaiting) shown.push_back(name);
        }
        return shown;
    }
};

TEST_F(Play, TheIntroShowsItsSlidesForAboutThirtySixSecondsThenHandsOverTheVehicle) {
    SD::GameObject* spawner = factory.CreateObject("ObjectTemplates/FireflySpawner", nullptr);
    ASSERT_NE(spawner, nullptr);
    spawner->Initialize(false);
    auto* spawnerLogic = static_cast<QV::Spawner*>(spawner->GetComponent(SD::CID_Spawner));
    ASSERT_FALSE(spawnerLogic->GetSpawn_state());
    // What an earlier run left in the sound logic, the renderer and the season cycle.
    QV::AudioLogic_& audio = QV::AudioLogic_::GetInstance();
    audio.SetSeason(3);
    audio.SetRainTarget(0.7f);
    graphics->SetSkyEnabled(false);
    QV::SowlarSystem_& seasons = QV::SowlarSystem_::GetInstance();
    seasons.SetStoryCounter(5);
    seasons.SetEndOfGame(true);

    states.ChangeLevelTo("World");
    StateFrame();
    StateFrame();
    const size_t withSlides = factory.GetPool().GetLiveCount();
    ASSERT_NE(Named("Player"), nullptr);
    EXPECT_NE(Named("WingBackLeft"), nullptr);
    EXPECT_NE(Named("PlayerCam"), nullptr);
    EXPECT_NE(Named("NarrHudFadeTrigger"), nullptr);
    EXPECT_FALSE(ControlsEnabled()) << "no driving during the intro";
    // The world starts with its music's first state, no rain, under its sky, at the start of the
    // story; it makes no firefly manager of its own.
    EXPECT_EQ(audio.GetSeason(), 1);
    EXPECT_EQ(audio.GetRainTarget(), 0.0f);
    EXPECT_TRUE(graphics->GetSkyEnabled());
    EXPECT_EQ(seasons.GetStoryCounter(), 0);
    EXPECT_FALSE(seasons.IsEndOfGame());
    EXPECT_EQ(QV::Firefly_Manager::Existing(), nullptr);

    // 3 + 7.5 + 3 + 7.5 + 7.5 + 7.5 s, each of the twelve waits ending within a frame of 0.05 s.
    const float seconds = SecondsUntilIn("World");
    EXPECT_GE(seconds, 36.0f);
    EXPECT_LE(seconds, 36.0f + 13 * 0.05f);
    EXPECT_EQ(TheWorld().GetSlidePhase(), QV::World::kSlidesDone);
    EXPECT_EQ(factory.GetPool().GetLiveCount(), withSlides - QV::World::kSlideCount) << "every slide is gone";
    EXPECT_TRUE(ControlsEnabled()) << "the vehicle is handed over";
    EXPECT_TRUE(spawnerLogic->GetSpawn_state()) << "the initial group's spawner starts";
}

TEST_F(Play, PauseGreysTheVehicleAndTheQuitPromptClosesFirst) {
    states.ChangeLevelTo("World");
    ASSERT_GE(SecondsUntilIn("World"), 0.0f);
    SD::GameObject* player = Named("Player");
    auto* geometry = static_cast<Aperture::Geometry*>(player->GetComponent(SD::CID_Geometry));
    ASSERT_NE(geometry, nullptr);
    geometry->SetColor(SD::Vec4(0.2f, 0.4f, 0.6f, 1.0f));
    sound.Forget();

    TapState(SD::xpad1_B);
    EXPECT_EQ(states.GetPlayState(), 0) << "Unpause while running does nothing";
    TapState(SD::key_ESCAPE);
    EXPECT_EQ(states.GetPlayState(), 1);
    EXPECT_EQ(geometry->GetColor(), SD::Vec4(0.5f, 0.5f, 0.5f, 0.5f));
    ASSERT_NE(OpenHud("PromptToQuit"), nullptr);
    hud.FrontCollector()->GetOwner()->NameObject("QuitPrompt");
    TapState(SD::key_ESCAPE);
    EXPECT_EQ(Named("QuitPrompt"), nullptr);
    EXPECT_EQ(states.GetPlayState(), 1) << "closing the prompt leaves the pause as it was";
    TapState(SD::xpad1_B);
    EXPECT_EQ(states.GetPlayState(), 0);
    EXPECT_EQ(geometry->GetColor(), SD::Vec4(0.2f, 0.4f, 0.6f, 1.0f));
    EXPECT_EQ(sound.Events(), (std::vector<std::string>{"Pause_Master_Audio_Bus", "Resume_Master_Audio_Bus"}));

    TapState(SD::key_TILDA);
    EXPECT_EQ(states.GetPendingLevel(), states.FindLevel("MainMenu"));
}

TEST_F(Play, AtTheEndOfTheGameTheCreditsRollAndPauseIsOff) {
    states.ChangeLevelTo("World");
    ASSERT_GE(SecondsUntilIn("World"), 0.0f);
    QV::SowlarSystem_::GetInstance().SetEndOfGame(true);
    TapState(SD::key_ESCAPE);
    EXPECT_EQ(states.GetPlayState(), 0);
    SD::GameObject* credits = Named("Credits");
    ASSERT_NE(credits, nullptr);
    // From y 0.5 down to -2.7 at 0.07 a second: about 45.7 s.
    int frames = 0;
    while (states.GetPendingLevel() == states.FindLevel("World") && frames < 1000) {
        StateFrame(0.1f);
        ++frames;
    }
    EXPECT_NEAR(frames * 0.1f, 3.2f / 0.07f, 0.3f);
    EXPECT_EQ(states.GetPendingLevel(), states.FindLevel("MainMenu"));
}

TEST_F(Play, TheNarrationQueueShowsItsFrontAndDropsLinesWhoseObjectIsGone) {
    states.ChangeLevelTo("World");
    ASSERT_GE(SecondsUntilIn("World"), 0.0f);
    QV::World& world = TheWorld();
    QV::SowlarSystem_& story = QV::SowlarSystem_::GetInstance();
    SD::GameObject* first = factory.CreateObject("World/NarrHudFadeTrigger", nullptr);
    ASSERT_NE(first, nullptr);
    first->Initialize(false);
    SD::GameObject* second = Named("NarrHudFadeTrigger");
    world.PushNarration(first->GetHandle());
    world.PushNarration(second->GetHandle());
    sound.Forget();
    // A line's fade moves on the frame after the one that shows it.
    story.SetStoryCounter(1);
    StateFrame();
    StateFrame();
    EXPECT_EQ(LinesShown(), std::vector<std::string>{"Narr_1"});
    EXPECT_EQ(sound.Events(), std::vector<std::string>{"Play_1_Long_ago"}) << "the front trigger alone narrates";
    factory.DestroyGameObject(first);
    factory.Update(0.0f);
    story.SetStoryCounter(2);
    StateFrame();
    StateFrame();
    EXPECT_EQ(LinesShown(), (std::vector<std::string>{"Narr_1", "Narr_2"}));
    EXPECT_EQ(world.GetNarrationCount(), 1u);
    world.PopNarration();
    world.PopNarration();
    EXPECT_EQ(world.GetNarrationCount(), 0u);
    for (size_t i = 0; i < QV::World::kNarrationCapacity + 3; ++i) world.PushNarration(second->GetHandle());
    EXPECT_EQ(world.GetNarrationCount(), QV::World::kNarrationCapacity);
}

// A HUD fade trigger the vehicle comes near joins the world's queue of lines behind those
// already there; once its HUD has ended it takes out its own entry alone, wherever it stands
// (here across the end of the ring). One whose HUD is gone before it is reached completes at once
// and takes nothing out.
TEST_F(Play, AHudFadeTriggerQueuesOnTheWorldAndTakesOutOnlyItsOwnLine) {
    states.ChangeLevelTo("World");
    ASSERT_GE(SecondsUntilIn("World"), 0.0f);
    QV::World& world = TheWorld();
    for (size_t i = 0; i + 1 < QV::World::kNarrationCapacity; ++i) {
        world.PushNarration(Named("Player")->GetHandle());
        world.PopNarration();
    }
    const SD::GameObjectHandle before = Named("NarrHudFadeTrigger")->GetHandle();
    const SD::GameObjectHandle after = Named("Player")->GetHandle();
    world.PushNarration(before);
    SD::GameObject* narrator = factory.CreateObject("WorldLogic/Narrator", nullptr);
    ASSERT_NE(narrator, nullptr);
    narrator->GetTransform().SetPos(Named("Player")->GetTransform().GetPos() + SD::Vec3(0.0f, 0.0f, 500.0f));
    narrator->Initialize(false);
    auto* trigger = static_cast<QV::HudFadeTrigger*>(narrator->GetComponent(SD::CID_HudFadeTrigger));
    StateFrame();
    EXPECT_FALSE(trigger->IsQueued()) << "far from the vehicle";
    narrator->GetTransform().SetPos(Named("Player")->GetTransform().GetPos());
    StateFrame();
    ASSERT_TRUE(trigger->IsQueued());
    world.PushNarration(after);
    EXPECT_EQ(world.GetNarrationCount(), 3u);
    // Its HUD is the story's first line.
    factory.DestroyGameObject(Named("Narr_1"));
    StateFrame();
    StateFrame();
    EXPECT_TRUE(trigger->IsDone());
    EXPECT_EQ(world.GetNarrationCount(), 2u);
    EXPECT_FALSE(world.RemoveNarration(narrator->GetHandle()));
    EXPECT_TRUE(world.RemoveNarration(after));
    EXPECT_TRUE(world.RemoveNarration(before));
    EXPECT_EQ(world.GetNarrationCount(), 0u);

    world.PushNarration(before);
    SD::GameObject* late = factory.CreateObject("WorldLogic/Narrator", nullptr);
    ASSERT_NE(late, nullptr);
    late->GetTransform().SetPos(Named("Player")->GetTransform().GetPos());
    late->Initialize(false);
    StateFrame();
    EXPECT_TRUE(static_cast<QV::HudFadeTrigger*>(late->GetComponent(SD::CID_HudFadeTrigger))->IsDone());
    EXPECT_EQ(world.GetNarrationCount(), 1u) << "the line already queued stays";
}

TEST_F(Play, TheFrontTriggerPlaysTheLineOfTheStorysStepOnceAndStartsItsFade) {
    states.ChangeLevelTo("World");
    ASSERT_GE(SecondsUntilIn("World"), 0.0f);
    SD::GameObject* narrator = Named("NarrHudFadeTrigger");
    ASSERT_NE(narrator, nullptr);
    TheWorld().PushNarration(narrator->GetHandle());
    QV::SowlarSystem_::GetInstance().SetStoryCounter(3);
    sound.Forget();
    StateFrame();
    StateFrame();
    EXPECT_EQ(sound.Events(), std::vector<std::string>{"Play_3_Night_created"});
    EXPECT_EQ(LinesShown(), std::vector<std::string>{"Narr_3"});
}

TEST_F(Play, ReleaseTakesFirefliesOffTheListedSpawnersUntilNoneHoldAny) {
    states.ChangeLevelTo("World");
    ASSERT_GE(SecondsUntilIn("World"), 0.0f);
    SD::GameObject* spawner = factory.CreateObject("ObjectTemplates/FireflySpawner", nullptr);
    spawner->Initialize(false);
    QV::World& world = TheWorld();
    world.AddReleaseSpawner(spawner->GetHandle());
    world.AddReleaseSpawner(spawner->GetHandle());
    EXPECT_EQ(world.GetReleaseCount(), 1u);
    world.BeginSummerEvent();
    EXPECT_TRUE(world.IsReleaseActive());
    StateFrame(0.25f);  // the empty spawner leaves the list
    EXPECT_EQ(world.GetReleaseCount(), 0u);
    StateFrame(0.25f);
    EXPECT_FALSE(world.IsReleaseActive());
}

TEST_F(Play, TheEscortMissionPausesOnEscapeAndBackOnlyResumes) {
    states.ChangeLevelTo("World_EscortMission");
    ASSERT_GE(SecondsUntilIn("World_EscortMission"), 0.0f);
    EXPECT_NE(Named("Player"), nullptr);
    EXPECT_NE(Named("Wbar2"), nullptr);
    TapState(SD::xpad1_B);
    EXPECT_EQ(states.GetPlayState(), 0);
    TapState(SD::key_ESCAPE);
    EXPECT_EQ(states.GetPlayState(), 1);
    TapState(SD::key_ESCAPE);
    EXPECT_EQ(states.GetPlayState(), 0);
    TapState(SD::key_ESCAPE);
    TapState(SD::xpad1_B);
    EXPECT_EQ(states.GetPlayState(), 0);
    EXPECT_EQ(states.GetPendingLevel(), states.FindLevel("World_EscortMission"));
}

TEST_F(Play, TheDeveloperStatesEndTheProgramOnEscape) {
    for (const char* name : {"TestLevel", "BuildMode", "SowlarTestBed"}) {
        SCOPED_TRACE(name);
        states.ChangeLevelTo(name);
        ASSERT_GE(SecondsUntilIn(name), 0.0f);
        if (std::string(name) == "TestLevel") {
            EXPECT_NE(QV::TestLevel::First().get(), nullptr);
            EXPECT_NE(QV::TestLevel::Second().get(), nullptr);
        }
        if (std::string(name) == "BuildMode") {
            SD::GameObject* body = Named("QuorvantaBody");
            ASSERT_NE(body, nullptr);
            EXPECT_EQ(Children(body).size(), 5u) << "four wheels and the turret";
            SD::GameObject* gun = Named("QuorvantaGun");
            ASSERT_NE(gun, nullptr);
            EXPECT_EQ(gun->GetParent(), Named("QuorvantaTurret"));
        }
        TapState(SD::key_ESCAPE);
        for (int i = 0; i < 5 && !core->IsQuitting(); ++i) StateFrame();
        EXPECT_TRUE(core->IsQuitting());
        EXPECT_EQ(QV::TestLevel::First().get(), nullptr) << "the test objects are gone";
        core.reset();
        core.reset(SD::Core::CreateInstance());
    }
}

TEST_F(Play, TheTestLevelsBuildTheirScenes) {
    states.ChangeLevelTo("Logic_Test");
    ASSERT_GE(SecondsUntilIn("Logic_Test"), 0.0f);
    SD::GameObject* player = Named("Player");
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(Children(player).size(), 4u) << "the four wings";
    EXPECT_NE(Named("PlayerCam"), nullptr);
    states.ChangeLevelTo("Graphics_Test");
    ASSERT_GE(SecondsUntilIn("Graphics_Test"), 0.0f);
    EXPECT_EQ(Named("Player"), nullptr) << "the logic test's objects went with it";
    EXPECT_NE(Named("mannequin"), nullptr);
}

}  // namespace
