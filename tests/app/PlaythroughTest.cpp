// The whole story played from the main menu to the credits and back, with keys alone and the
// developer keys off: the intro's slides, then the vehicle flown to each of the nine gatherings
// of fireflies in turn, each collection moving the season cycle one stage on, through the
// storms of the late summer, into the winter's white ending, the final poem and the credits.
// Along the way the weather and the sky are watched as a player would see them: snow, the storm
// darkening the light, rain, lightning, the moon and the stars moving, the sun's shadow cascades
// in the frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "GameDriving.h"
#include "GameScript.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "game/systems/SowlarSystem.h"
#include "graphics/Graphics.h"
#include "graphics/components/Sprite.h"
#include "graphics/photon/ParticleSystem.h"
#include "graphics/photon/RainSystem.h"
#include "platform/gfx/Device.h"
#include "platform/os/Clock.h"
#include "runtime/InputCodes.h"

namespace {

using qvtest::Exists;
using Script = qvtest::GameScript;

SD::GameObject* Find(const char* name) { return SD::Factory_::GetGameObjectByName(name); }

int Stage() { return QV::SowlarSystem_::GetInstance().GetStage(); }

template <class T>
T* ComponentOf(const char* object, SD::ComponentID id) {
    SD::GameObject* found = Find(object);
    return found ? static_cast<T*>(found->GetComponent(id)) : nullptr;
}

bool Snowing() {
    auto* snow = ComponentOf<Aperture::Photon::ParticleSystem>("Snow_0", SD::CID_Snow);
    return snow && snow->IsActive();
}

// Rain falls: the storm's streaks are switched on and some are visible.
bool Raining() {
    auto* rain = ComponentOf<Aperture::Photon::RainSystem>("RainStorm", SD::CID_RainSystem);
    if (!rain || !rain->IsRaining() || !rain->IsActive()) return false;
    for (uint32_t i = 0; i < rain->GetParticleCount(); ++i)
        if (rain->GetAppearance(i).color.w > 0.0f) return true;
    return false;
}

// The cascades the last frame drew: each sets its own orthographic near plane.
int CascadesDrawn() {
    Aperture::Graphics_* graphics = Aperture::Graphics_::Peek();
    if (!graphics) return 0;
    int cascades = 0;
    for (const platform::gfx::Command& c : graphics->GetDeviceLayer().GetDevice()->LastFrame())
        if (c.op == platform::gfx::Op::kSetParameter && c.name == "ortho_near") ++cascades;
    return cascades;
}

// The screen sprites shown with a texture of that name.
bool Showing(const char* texture) {
    Aperture::Graphics_* graphics = Aperture::Graphics_::Peek();
    if (!graphics) return false;
    for (Aperture::UISprite* sprite : graphics->GetSceneLists().UISprites())
        if (sprite->GetTexture() == texture && sprite->GetOpacity() > 0.5f) return true;
    return false;
}

// The texture of the intro's slide in front (the slides stand before the HUD, the first
// nearest); empty when none is left.
std::string FrontSlide() {
    Aperture::Graphics_* graphics = Aperture::Graphics_::Peek();
    if (!graphics) return "";
    std::string front;
    float nearest = 0.5f;
    for (Aperture::UISprite* sprite : graphics->GetSceneLists().UISprites()) {
        const float z = sprite->GetOwner() ? sprite->GetOwner()->GetTransform().GetPos().z : 0.0f;
        if (z > nearest && sprite->GetOpacity() > 0.0f) {
            nearest = z;
            front = sprite->GetTexture();
        }
    }
    return front;
}

SD::Vec3 WorldPosition(const char* name) {
    SD::GameObject* object = Find(name);
    return object ? object->GetTransform().GetPos() : SD::Vec3();
}

SD::Vec3 FirstStar() {
    auto* stars = ComponentOf<Aperture::Photon::ParticleSystem>("TwinklingStars", SD::CID_TwinklingStars);
    return stars ? stars->GetParticle(0).position : SD::Vec3();
}

// A pilot at the controls: full throttle always, turning and climbing or diving towards a
// point the way a player holds the keys, a few degrees either side counting as straight on.
struct Pilot {
    std::set<uint32_t>* keys;

    void Towards(const SD::Vec3& goal) const {
        keys->clear();
        SD::GameObject* player = Find("Player");
        if (!player) return;
        keys->insert(SD::key_SPACE);
        qvtest::TurnToward(player->GetTransform(), goal, *keys);
        const SD::Vec3 facing = player->GetTransform().GetDir();
        const SD::Vec3 to = goal - player->GetTransform().GetLocalPos();
        const float want = to.y / std::max(to.Length(), 1e-3f);
        const float have = facing.y / std::max(facing.Length(), 1e-3f);
        // Flown like an aircraft: the stick pulled back (S) raises the nose.
        if (want > have + 0.05f) keys->insert(SD::key_S);
        if (want < have - 0.05f) keys->insert(SD::key_W);
    }
    // Round a centre at a radius, aiming a little ahead along the circle.
    void Circle(const SD::Vec3& centre, float radius) const {
        SD::GameObject* player = Find("Player");
        if (!player) return;
        const SD::Vec3 at = player->GetTransform().GetLocalPos();
        const float angle = std::atan2(at.z - centre.z, at.x - centre.x) + 0.8f;
        Towards(centre + SD::Vec3(std::cos(angle) * radius, 0.0f, std::sin(angle) * radius));
    }
};

TEST(Playthrough, FromTheMenuThroughTheIntroAndTenStagesToTheEndingTheCreditsAndTheMenu) {
    qvtest::HeadlessGame game(false);

    Script script;
    // The longest step, a storm awaited, takes some 2000 frames.
    script.limit = 3000;
    Pilot pilot{&script.keys};
    SD::Vec3 moonAtStart, starAtStart;
    bool lightningSeen = false;
    // The renderer's ambient light (red; every season's is white here) as the storm step begins
    // under a clear sky, and the darkest it gets while waiting for the storm.
    float clearSky = -1.0f, darkestSky = 2.0f;
    std::vector<std::string> introSlides;
    const auto fly = [&pilot](int gathering) {
        const std::string name = "Gathering_" + std::to_string(gathering);
        return [&pilot, name, gathering] {
            pilot.Towards(WorldPosition(name.c_str()));
            return Stage() == gathering + 1;
        };
    };
    const auto intro = [&introSlides] {
        SD::GameStateManager_* states = SD::GameStateManager_::GetInstance();
        const bool world = states->GetCurrentLevel() && states->GetCurrentLevel()->GetName() == "World";
        const std::string front = world ? FrontSlide() : "";
        if (!front.empty() && (introSlides.empty() || introSlides.back() != front)) introSlides.push_back(front);
        return qvtest::Running() == "World";
    };

    script.steps = {
        {"the splash's first logo", [] { return Exists("KVLogo"); }},
        {"a key skips the logos", script.Tap(SD::key_SPACE)},
        {"the controls screen", [] { return Exists("XboxControlLogo") && !Exists("KVLogo"); }},
        {"a key leaves it", script.Tap(SD::key_SPACE)},
        {"menu", Script::In("MainMenu")},
        {"menu cool-down", Script::Wait(90)},
        {"play pressed", script.Tap(SD::key_RETURN)},
        {"the intro's slides, then the world", intro},
        {"the story at its start, in snow, under a sun drawing its three cascades",
         [&] {
             // Each group of three in front in turn, its text layer before its pictures.
             EXPECT_EQ(introSlides, (std::vector<std::string>{"BlackPixel", "clear", "BlackPixel", "narrative1text",
                                                              "narrative2text", "narrative3text"}));
             moonAtStart = WorldPosition("Moon");
             starAtStart = FirstStar();
             EXPECT_EQ(Stage(), 0);
             EXPECT_TRUE(Snowing());
             EXPECT_TRUE(Exists("Sun") && Exists("Moon"));
             return CascadesDrawn() == 3;
         }},
        {"to the first gathering", fly(0)},
        {"to the second", fly(1)},
        {"it still snows", [] { return Snowing(); }},
        {"to the third", fly(2)},
        {"the ice melts as summer comes", [] { return !Snowing(); }},
        {"to the fourth", fly(3)},
        {"to the fifth", fly(4)},
        {"to the sixth", fly(5)},
        {"to the seventh", fly(6)},
        // The late summer's storms: waiting for one beside the way on.
        {"round and round until a storm breaks, rain falls and lightning strikes",
         [&] {
             const SD::Vec3 next = WorldPosition("Gathering_7");
             pilot.Circle(next + SD::Vec3(250.0f, 0.0f, -75.0f), 120.0f);
             const float ambient = Aperture::Graphics_::GetInstance()->GetSeasonLook().GetAmbientColor().x;
             if (clearSky < 0.0f) clearSky = ambient;
             darkestSky = std::min(darkestSky, ambient);
             lightningSeen = lightningSeen || Exists("Lightning");
             return lightningSeen && Raining();
         }},
        {"the moon and the stars have moved on",
         [&] {
             EXPECT_GT(clearSky, 0.9f) << "the sky was clear before the storm";
             EXPECT_LT(darkestSky, 0.5f) << "the storm darkens the light";
             EXPECT_GT((WorldPosition("Moon") - moonAtStart).Length(), 1.0f);
             EXPECT_GT((FirstStar() - starAtStart).Length(), 0.01f);
             return true;
         }},
        {"to the eighth", fly(7)},
        {"to the last", fly(8)},
        {"winter: it snows again",
         [&script] {
             script.keys.clear();
             return Snowing();
         }},
        {"the final poem", [] { return Showing("FinalPoem"); }},
        {"the credits", [] { return Exists("Credits"); }},
        {"back to the menu", Script::In("MainMenu")},
        {"menu cool-down before quitting", Script::Wait(90)},
        {"quit asked", script.Tap(SD::key_ESCAPE)},
        {"quit prompt", [] { return Exists("QuitPrompt"); }},
        {"a frame with the prompt", Script::Wait(2)},
        {"up to yes", script.Tap(SD::key_UP)},
        {"yes chosen", script.Tap(SD::key_RETURN)},
    };

    SD::RunOptions options;
    options.maxFrames = 12000;
    int stage = 0;
    SD::Vec3 vehicle;
    options.afterFrame = [&](unsigned long) {
        script.Frame();
        stage = Stage();
        if (Find("Player")) vehicle = WorldPosition("Player");
    };
    const auto [summary, log] = qvtest::RunWholeGame(options);

    EXPECT_TRUE(script.Finished()) << "stuck at: " << script.Where()
                                   << "\nreached: " << ::testing::PrintToString(script.reached) << "\nstage " << stage
                                   << ", the vehicle at " << vehicle.x << ", " << vehicle.y << ", " << vehicle.z;
    EXPECT_TRUE(summary.clean) << summary.error;
    EXPECT_EQ(summary.state, "MainMenu");
    // Every blueprint the story asks for and every picture it shows is there.
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_EQ(line.find("the object is not created"), std::string::npos) << line;
        for (const char* picture : {"BlackPixel", "clear", "experience", "narrative", "WhiteSquare", "FinalPoem"})
            EXPECT_FALSE(line.find("[Graphics] Texture") != std::string::npos &&
                         line.find(picture) != std::string::npos)
                << line;
    }
}

}  // namespace
