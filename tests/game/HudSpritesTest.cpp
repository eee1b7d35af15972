// The menus loaded from the sample files with the game's registration show their widgets' state
// on the widgets' screen sprites, and the widgets' sounds reach the sound engine.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "HudTestSupport.h"
#include "core/EngineCore.h"
#include "game/GameRegistration.h"
#include "game/systems/AudioLogic.h"
#include "platform/os/Clock.h"
#include "runtime/Registration.h"

namespace {

class GameHudSprites : public hudtest::HudFixture {
protected:
    GameHudSprites() : scoped(clock), core(SD::Core::CreateInstance()) {}
    void SetUp() override {
        SD::Registrations registrations;
        QV::SupplyGameClasses(registrations);
        Start(hudtest::Blueprint(
            "H/Fading", hudtest::SpriteXml("Play_Up", 0.0f) +
                            "<HudFade version=\"0\" Play=\"1\" Pause=\"1\" DevPause=\"1\"><Float name=\"Fade In "
                            "Time\" value=\"1\"/><Float name=\"Fade Out Time\" value=\"1\"/><Float name=\"Sit "
                            "Duration\" value=\"1\"/><Boolean name=\"Begin On Creation\" value=\"1\"/></HudFade>"));
        // The menu's own scripts would leave the menu; a press here only has to be seen.
        ASSERT_TRUE(lua.Run("function MM_Credits() end function PQ_No() end"));
    }
    static SD::GameObject* Find(SD::GameObject* tree, const std::string& blueprint) {
        if (!tree || tree->GetBlueprintName() == blueprint) return tree;
        for (SD::GameObject* child : Children(tree))
            if (SD::GameObject* found = Find(child, blueprint)) return found;
        return nullptr;
    }
    SD::GameObject* OpenMenu(const char* hudFile) { return root = OpenHud(hudFile); }
    Aperture::UISprite* SpriteOf(const char* blueprint) {
        SD::GameObject* found = Find(root, blueprint);
        return found ? static_cast<Aperture::UISprite*>(found->GetComponent(SD::CID_UISprite)) : nullptr;
    }
    std::string Texture(const char* blueprint) {
        Aperture::UISprite* sprite = SpriteOf(blueprint);
        return sprite ? sprite->GetTexture() : "(no sprite)";
    }

    // Game time and the interpolators move with the frame.
    void Step(float dt) {
        clock.Advance(dt);
        SD::InterpolatorSystem::GetInstance().Update(dt);
        Frame(dt);
    }

    platform::ManualClock clock;
    platform::ScopedClock scoped;
    std::unique_ptr<SD::Core> core;
    SD::GameObject* root = nullptr;
};

TEST_F(GameHudSprites, MainMenuButtonsShowUpOverAndDownTexturesOnTheirSprites) {
    ASSERT_NE(OpenMenu("MainMenu"), nullptr);
    EXPECT_EQ(Texture("Hud/Button_Credits"), "Credits_Up");
    EXPECT_EQ(Texture("Hud/Button_Quit"), "Quit_Up");
    Frame();
    EXPECT_EQ(Texture("Hud/Button_Play"), "Play_Over");
    EXPECT_EQ(Texture("Hud/Button_Credits"), "Credits_Up");

    Tap({SD::key_DOWN});
    EXPECT_EQ(Texture("Hud/Button_Play"), "Play_Up");
    EXPECT_EQ(Texture("Hud/Button_Credits"), "Credits_Over");
    EXPECT_FLOAT_EQ(SpriteOf("Hud/Button_Play")->GetOpacity(), 1.0f);

    sound.Forget();
    keys.insert(SD::key_RETURN);
    Frame();
    EXPECT_EQ(Texture("Hud/Button_Credits"), "Credits_Down");
    EXPECT_EQ(sound.Events(), std::vector<std::string>{"Play_FireflyMainMenu"});
}

// The quit prompt's focused answer is framed at every moment: the frame's brightness pulses down
// to its dimmest and back while the answers stay opaque. Left moves the focus, frame and all, to
// "Yes".
TEST_F(GameHudSprites, TheQuitPromptFramesItsFocusAtEveryMomentAndLeftMovesItToYes) {
    ASSERT_NE(OpenMenu("PromptToQuit"), nullptr);
    SD::GameObject* frame = nullptr;
    float dimmest = 2.0f, brightest = 0.0f;
    // Two seconds hold a whole pulse (0.75 s each way) and more.
    for (int i = 0; i < 40; ++i) {
        Step(0.05f);
        frame = Find(root, QV::HudCollector::kFocusFrame);
        ASSERT_NE(frame, nullptr);
        const Aperture::Sprite* sprite = QV::SpriteOf(*frame);
        ASSERT_NE(sprite, nullptr);
        EXPECT_FLOAT_EQ(sprite->GetOpacity(), 1.0f);
        dimmest = std::min(dimmest, sprite->GetTint().x);
        brightest = std::max(brightest, sprite->GetTint().x);
        EXPECT_FLOAT_EQ(SpriteOf("Hud/Button_QuitNo")->GetOpacity(), 1.0f);
    }
    EXPECT_NEAR(dimmest, QV::HudCollector::kDimmest, 0.03f);
    EXPECT_NEAR(brightest, 1.0f, 0.03f);
    EXPECT_EQ(Texture("Hud/Button_QuitNo"), "No_Over");
    EXPECT_EQ(frame->GetTransform().GetPos().x, Find(root, "Hud/Button_QuitNo")->GetTransform().GetPos().x);

    Tap({SD::key_LEFT});
    EXPECT_EQ(Texture("Hud/Button_QuitYes"), "Yes_Over");
    EXPECT_EQ(Texture("Hud/Button_QuitNo"), "No_Up");
    EXPECT_EQ(frame->GetTransform().GetPos().x, Find(root, "Hud/Button_QuitYes")->GetTransform().GetPos().x);
}

TEST_F(GameHudSprites, AFadeDrivesItsSpriteOpacity) {
    SD::GameObject* object = factory.CreateObject("H/Fading", nullptr);
    object->NameObject("Fading");
    object->Initialize(false);
    auto* sprite = static_cast<Aperture::UISprite*>(object->GetComponent(SD::CID_UISprite));
    ASSERT_NE(sprite, nullptr);
    std::vector<float> seen;
    for (int i = 0; i < 80 && Named("Fading"); ++i) {
        seen.push_back(sprite->GetOpacity());
        Step(0.1f);
    }
    // Shown from nothing, held, then gone again before the object goes.
    auto partly = [](float opacity) { return opacity > 0.05f && opacity < 0.95f; };
    auto in = std::find_if(seen.begin(), seen.end(), partly);
    ASSERT_NE(in, seen.end());
    auto full = std::find_if(in, seen.end(), [](float opacity) { return opacity > 0.99f; });
    ASSERT_NE(full, seen.end());
    EXPECT_NE(std::find_if(full, seen.end(), partly), seen.end());
}

TEST_F(GameHudSprites, ColourAndTextureReachTheSpriteAndAnObjectWithoutOneIsLeftAlone) {
    SD::GameObject* object = factory.CreateObject("H/Fading", nullptr);
    object->Initialize(false);
    auto* sprite = static_cast<Aperture::UISprite*>(object->GetComponent(SD::CID_UISprite));
    ASSERT_NE(sprite, nullptr);
    QV::SetSpriteColor(object, 0.25f, 0.5f, 0.75f);
    QV::SetSpriteTexture(object, "Hud/Play_Down.png");
    EXPECT_FLOAT_EQ(sprite->GetTint().x, 0.25f);
    EXPECT_FLOAT_EQ(sprite->GetTint().y, 0.5f);
    EXPECT_FLOAT_EQ(sprite->GetTint().z, 0.75f);
    EXPECT_EQ(sprite->GetTexture(), "Play_Down");

    SD::GameObject* bare = factory.CreateObject("Hud/MenuTitle", nullptr);
    ASSERT_NE(bare, nullptr);
    QV::SetSpriteTexture(bare, "Play_Up");
    QV::SetSpriteOpacity(bare, 0.5f);
    QV::SetSpriteColor(bare, 1.0f, 0.0f, 0.0f);
    EXPECT_FLOAT_EQ(QV::GetSpriteOpacity(bare), 0.5f);
}

}  // namespace
