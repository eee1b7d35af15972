#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "HudTestSupport.h"
#include "core/EngineCore.h"
#include "game/GameRegistration.h"
#include "game/fireflies/Firefly.h"
#include "game/fireflies/FireflyManager.h"
#include "game/hud/HudFade.h"
#include "game/player/PlayerLogic.h"
#include "game/systems/SowlarSystem.h"
#include "graphics/components/Geometry.h"
#include "platform/os/Clock.h"
#include "runtime/Registration.h"

namespace {

using hudtest::Blueprint;

std::string FadeXml(bool onCreation) {
    return std::string(
               "<HudFade version=\"0\" Play=\"1\" Pause=\"1\" DevPause=\"1\"><Float name=\"Fade In Time\" "
               "value=\"1\"/><Float name=\"Fade Out Time\" value=\"0.5\"/><Float name=\"Sit Duration\" "
               "value=\"1.5\"/><Boolean name=\"Begin On Creation\" value=\"") +
           (onCreation ? "1" : "0") + "\"/></HudFade>";
}

// The fades among the story's owners, wired as the game wires them: the player (its cinematic
// flag and its model's colour), a firefly of the firefly manager and the season cycle.
class Fades : public hudtest::HudFixture {
protected:
    Fades() : scoped(clock), core(SD::Core::CreateInstance()) {}
    void SetUp() override {
        SD::Registrations registrations;
        QV::SupplyGameClasses(registrations);
        factory.RegisterComponentCreator("PlayerLogic", SD::CID_Player, new SD::ComponentCreator<QV::PlayerLogic>);
        factory.RegisterComponentCreator("Geometry", SD::CID_Geometry, new SD::ComponentCreator<Aperture::Geometry>);
        factory.RegisterComponentCreator("Firefly", SD::CID_Firefly, new SD::ComponentCreator<QV::Firefly>);
        Start(Blueprint("F/Now", FadeXml(true)) + Blueprint("F/Later", FadeXml(false)) +
              Blueprint("Hud/Winter_Opening_Poem", FadeXml(true)) + Blueprint("ObjectTemplates/Sun") +
              Blueprint("F/Still"));
        SD::GameObject* vehicle = factory.NewGameObject();
        vehicle->NameObject("Player");
        player = static_cast<QV::PlayerLogic*>(vehicle->AddComponent(SD::CID_Player));
        model = static_cast<Aperture::Geometry*>(vehicle->AddComponent(SD::CID_Geometry));
        vehicle->Initialize(false);
        SD::GameObject* firefly = factory.NewGameObject();
        firefly->NameObject("Firefly");
        firefly->AddComponent(SD::CID_Firefly);
        firefly->Initialize(false);
        ASSERT_NE(player, nullptr);
        ASSERT_NE(model, nullptr);
        modelColour = model->GetColor();
    }
    void TearDown() override {
        factory.DestroyAllGameObjects();
        QV::Firefly_Manager::DestroyInstance();
        QV::SowlarSystem_::DestroyInstance();
    }
    SD::GameObject* Make(const char* blueprint, const char* name) {
        SD::GameObject* object = factory.CreateObject(blueprint, nullptr);
        object->NameObject(name);
        object->Initialize(false);
        return object;
    }
    // Steps of 0.1 s until the object is gone; the phases seen, in order, without repeats.
    std::vector<int> RunOut(const char* name, float* driftedTo = nullptr) {
        std::vector<int> phases;
        for (int i = 0; i < 100; ++i) {
            SD::GameObject* object = Named(name);
            if (!object) break;
            auto* fade = static_cast<QV::HudFade*>(object->GetComponent(SD::CID_HudFade));
            if (phases.empty() || phases.back() != fade->GetPhase()) phases.push_back(fade->GetPhase());
            if (driftedTo) *driftedTo = object->GetTransform().GetPosX();
            clock.Advance(0.1);
            SD::InterpolatorSystem::GetInstance().Update(0.1f);
            Frame(0.1f);
            NoteStory();
        }
        return phases;
    }
    // The story steps the owners show, each once, in the order they first show.
    void NoteStory() {
        const auto note = [this](bool shown, const char* step) {
            if (shown && std::find(story.begin(), story.end(), step) == story.end()) story.push_back(step);
        };
        note(!(model->GetColor() == modelColour), "fade colours");
        note(!Named("Firefly"), "final sequence");
        note(QV::SowlarSystem_::GetInstance().IsEndOfGame(), "end of game");
    }
    bool Cinematic() const { return player->IsCinematic(); }

    platform::ManualClock clock;
    platform::ScopedClock scoped;
    std::unique_ptr<SD::Core> core;
    QV::PlayerLogic* player = nullptr;
    Aperture::Geometry* model = nullptr;
    SD::Vec4 modelColour;
    std::vector<std::string> story;
};

TEST_F(Fades, AFadeRunsDelayFadeInSitFadeOutAndDestroysItsObject) {
    Make("F/Now", "Narr_1");
    float x = 0.0f;
    EXPECT_EQ(RunOut("Narr_1", &x), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(Named("Narr_1"), nullptr);
    EXPECT_FALSE(Cinematic());
    EXPECT_GT(x, 0.0f) << "it drifts while it shows";
    EXPECT_LT(x, 0.02f);
    EXPECT_TRUE(story.empty());
}

TEST_F(Fades, AFadeWaitsForBegin) {
    SD::GameObject* object = Make("F/Later", "Narr_2");
    for (int i = 0; i < 40; ++i) Frame(0.1f);
    auto* fade = static_cast<QV::HudFade*>(object->GetComponent(SD::CID_HudFade));
    EXPECT_EQ(fade->GetPhase(), QV::HudFade::kWaiting);
    fade->Begin();
    EXPECT_EQ(RunOut("Narr_2").back(), QV::HudFade::kFadeOut);
    EXPECT_EQ(Named("Narr_2"), nullptr);
}

TEST_F(Fades, TheLastNarrationKeepsTheCinematicOn) {
    Make("F/Now", "Narr_9");
    RunOut("Narr_9");
    EXPECT_TRUE(Cinematic());
}

TEST_F(Fades, TheWhiteSquareEndsTheGameAndThePoemBringsTheSun) {
    Make("F/Now", "WhiteSquareOfSuccess");
    Make("F/Still", "Moon");
    RunOut("WhiteSquareOfSuccess");
    EXPECT_EQ(story, (std::vector<std::string>{"fade colours", "final sequence", "end of game"}));
    ASSERT_NE(Named("FinalPoem"), nullptr);
    EXPECT_NE(Named("Moon"), nullptr);
    RunOut("FinalPoem");
    EXPECT_EQ(Named("FinalPoem"), nullptr);
    EXPECT_NE(Named("Sun"), nullptr);
    EXPECT_EQ(Named("Moon"), nullptr);
}

}  // namespace
