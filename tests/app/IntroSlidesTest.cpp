// The world's intro as a person sits through it, on a clock the test moves: its slides last
// the same wall-clock seconds at twenty frames a second as at frames slower than the old hitch
// rule's half second, and on screens of every shape (16:10, 16:9, 4:3, 21:9) each slide with
// words (the title card and the three verses) is drawn whole within the screen in every frame,
// while the pictures behind cover it.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "app/GameStartup.h"
#include "core/EngineCore.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "game/states/World.h"
#include "graphics/Graphics.h"
#include "graphics/components/Sprite.h"
#include "platform/os/Clock.h"
#include "runtime/GameStateManager.h"
#include "runtime/Registration.h"
#include "support/TempTree.h"
#include "tests/app/GameDriving.h"

namespace {

// The intro's groups of slides: held, then faded over half that.
constexpr double kIntroSeconds = (2 + 1) + (5 + 2.5) + (2 + 1) + 3 * (5 + 2.5);

bool HasWords(const std::string& texture) {
    return texture == "experience" || texture.find("text") != std::string::npos;
}
bool IsPicture(const std::string& texture) {
    return texture == "BlackPixel" || texture.find("fg") != std::string::npos ||
           texture.find("bg") != std::string::npos;
}

struct Intro {
    double seconds = 0.0;     // from the world's loading to its first frame of play
    int wordsCut = 0;         // frames showing a slide with words beyond the screen's edge
    int picturesShort = 0;    // frames showing a picture slide that leaves an edge uncovered
    int framesWithWords = 0;  // frames that showed a slide with words
};

// Where the sprite pass puts the slide, in pixels about the screen's centre, y up.
void Rectangle(Aperture::UISprite& sprite, float width, float height, float* halfX, float* halfY, float* x, float* y) {
    SD::Transform& t = sprite.GetOwner()->GetTransform();
    const SD::Mtx44 world = Aperture::Graphics_::SpriteWorld(t.GetPos(), t.GetRotateZ(), t.GetScaleX(), t.GetScaleY(),
                                                             sprite.GetAnchor(), 256.0f, 160.0f, width, height);
    *halfX = std::fabs(world(0, 0)) / 2.0f;
    *halfY = std::fabs(world(1, 1)) / 2.0f;
    *x = world(0, 3);
    *y = world(1, 3);
}

void Watch(Intro& intro) {
    Aperture::Graphics_* graphics = Aperture::Graphics_::Peek();
    if (!graphics) return;
    const SD::Vec2 size = graphics->GetRenderSize();
    bool words = false, cut = false, isShort = false;
    for (Aperture::UISprite* sprite : graphics->GetSceneLists().UISprites()) {
        // The slides stand before the HUD, at depths from 1 up.
        if (!sprite->GetOwner() || !(sprite->GetOpacity() > 0.0f) || sprite->GetOwner()->GetTransform().GetPos().z < 1)
            continue;
        float halfX, halfY, x, y;
        Rectangle(*sprite, size.x, size.y, &halfX, &halfY, &x, &y);
        const bool within =
            x - halfX >= -size.x / 2 && x + halfX <= size.x / 2 && y - halfY >= -size.y / 2 && y + halfY <= size.y / 2;
        const bool covers =
            x - halfX <= -size.x / 2 && x + halfX >= size.x / 2 && y - halfY <= -size.y / 2 && y + halfY >= size.y / 2;
        if (HasWords(sprite->GetTexture())) {
            words = true;
            cut = cut || !within;
        }
        if (IsPicture(sprite->GetTexture())) isShort = isShort || !covers;
    }
    intro.framesWithWords += words ? 1 : 0;
    intro.wordsCut += cut ? 1 : 0;
    intro.picturesShort += isShort ? 1 : 0;
}

Intro SitThrough(double frame, int width, int height) {
    qvtest::TempTree tree;
    qvtest::CopySampleTree(tree);
    qvtest::WithoutSplashPictures(tree);
    qvtest::SetConfig(tree, "FrameRateController", "limit_frame_rate", "false");
    qvtest::SetConfig(tree, "Window", "Width", std::to_string(width));
    qvtest::SetConfig(tree, "Window", "Height", std::to_string(height));
    platform::ManualClock clock;
    platform::ScopedClock scoped(clock);
    QV::SupplyWholeGame(SD::StartupRegistrations());
    Intro intro;
    double loaded = -1.0;
    SD::RunOptions options;
    options.maxFrames = 5000;
    options.afterFrame = [&](unsigned long) {
        const std::string running = qvtest::Running();
        if (running == "MainMenu") SD::GameStateManager_::ChangeLevel("World");
        if (running == "World") {
            intro.seconds = clock.Now() - loaded;
            // The sound engine's threads wait on the clock to unload their banks as the program
            // ends: from now on every reading moves it.
            clock.SetStepPerRead(0.0005);
            SD::Core::GetInstance()->Quit();
        } else if (QV::World::Current()) {
            if (loaded < 0.0) loaded = clock.Now();
            Watch(intro);
        }
        clock.Advance(frame);
    };
    EXPECT_TRUE(SD::RunProgram(options).clean);
    return intro;
}

TEST(IntroSlides, LastTheirWallClockSecondsAndShowTheirWordsWholeOnEveryScreenShape) {
    const struct {
        double frame;
        int width, height;
    } cases[] = {{1.0 / 20.0, 64, 40}, {0.3, 64, 36}, {0.7, 64, 48}, {0.7, 84, 36}};
    for (const auto& c : cases) {
        const Intro intro = SitThrough(c.frame, c.width, c.height);
        const std::string what =
            std::to_string(c.frame) + " s frames, " + std::to_string(c.width) + " x " + std::to_string(c.height);
        // The frame after the one that loads the world counts one step of game time, and the last
        // fade ends within a frame: the intro may end up to two frames later on the wall clock.
        EXPECT_GE(intro.seconds, kIntroSeconds - 0.05) << what;
        EXPECT_LE(intro.seconds, kIntroSeconds + 2 * c.frame + 0.05) << what;
        EXPECT_GT(intro.framesWithWords, 0) << what;
        EXPECT_EQ(intro.wordsCut, 0) << what;
        EXPECT_EQ(intro.picturesShort, 0) << what;
    }
}

}  // namespace
