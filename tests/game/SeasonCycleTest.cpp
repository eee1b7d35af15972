// The season cycle in a small world: the configuration's season looks and boundaries, the
// season at the player on either side of them, a whole year of story steps moving the season
// weights, the water, the groups, the moon, the music and the sounds, and the frames that
// change nothing (a paused frame), and a counter that skips steps catching up one stage a frame.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

#include "PlayTestSupport.h"
#include "core/ConfigFile.h"
#include "core/Season.h"
#include "game/systems/SeasonTuning.h"
#include "graphics/Graphics.h"
#include "graphics/photon/ParticleSystem.h"
#include "platform/gfx/Device.h"
#include "platform/window/Window.h"
#include "support/CapturedLog.h"
#include "tests/graphics/GrassFieldProbe.h"

namespace {

using namespace playtest;

constexpr float kDt = 0.1f;

// A particle effect under the ID of the player's dust or of the snow, counting its restarts.
template <SD::ComponentID kID>
class CountingEffect : public Aperture::Photon::ParticleSystem {
public:
    SD::ComponentID VGetID() const override { return kID; }
    void Start() override { ++starts; }
    int starts = 0;
};
using Dust = CountingEffect<SD::CID_DustSystem>;
using Snow = CountingEffect<SD::CID_Snow>;

class SeasonCycleTest : public PlayFixture {
protected:
    SeasonCycleTest() : seasons(QV::SowlarSystem_::GetInstance()) {
        Blueprints(
            VehicleBlueprint("Vehicle") + Blueprint("World/Water", TransformXml({})) +
            Blueprint("Hud/Spring_Opening_Poem", TransformXml({})) +
            Blueprint("ObjectTemplates/Moon", TransformXml({})) +
            Blueprint("MoonLogic", TransformXml({}) + Component("MoonLogic", 0, FloatXml("Radius", 10))) +
            Blueprint("Member", TransformXml({}) + Component("HackProximitySpawn", 0, "")) +
            Blueprint("RainStorm", TransformXml({}) + Component("RainLogic", 0, "")) +
            Blueprint("ObjectTemplates/Lightning", TransformXml({})) +
            Blueprint("Singer",
                      TransformXml({}) + GroupXml("Group_04") +
                          Component("QuorvPhantom", 2,
                                    StringXml("Event Name", "Play_Song") + BoolXml("Is 3D?", false) +
                                        BoolXml("Begin Playing?", false) + BoolXml("Play On Music Sync Entry?", false) +
                                        BoolXml("Play On Beat?", false))) +
            Blueprint("Grower", TransformXml({}, {2, 2, 2}) + GroupXml("Group_03") +
                                    Component("SpawnLogic", 2,
                                              FloatXml("SinkDepth", 0) + FloatXml("Duration", 1) +
                                                  FloatXml("Initial Delay", 0) + StringXml("Action", "ScaleIn"))));
        Register<Dust>("DustSystem", SD::CID_DustSystem);
        Register<Snow>("Snow", SD::CID_Snow);
    }
    void Configure(const std::string& section) {
        tree.Write("Assets/Config/seasons.ini", "[SowlarSystem]\n" + section);
        SD::ConfigFile config(tree.Path("Assets/Config/seasons.ini"));
        config.SetSection("SowlarSystem");
        seasons.ReadConfig(config);
        seasons.Initialize();
    }
    SD::GameObject* Member(const char* group, const std::string& name) {
        SD::GameObject* object = factory.CreateObject("Member", nullptr);
        object->AddComponent(SD::CID_Group);
        static_cast<SD::Group*>(object->GetComponent(SD::CID_Group))->SetGroupName(group);
        object->NameObject(name);
        object->Initialize(false);
        return object;
    }
    // Frames of the world with the season system last, as in the engine.
    void Year(int count, float dt = kDt) {
        for (int i = 0; i < count; ++i) {
            Play(1, dt);
            seasons.Update(dt);
        }
    }
    // A renderer on a headless window with the sample effects, able to draw frames.
    void DrawingRenderer() {
        renderer.reset();
        std::filesystem::copy(
            qvtest::SourceDir() + "/Graphics", tree.Path("Graphics"),
            std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
        window = std::make_unique<platform::Window>("game", 0, 0, 320, 180);
        renderer = std::make_unique<Aperture::Graphics_>();
        renderer->SetWindow(window.get(), 320, 180, false);
        renderer->Initialize();
    }
    float W(int i) const { return SD::WorldSeason::Get().GetTransition(static_cast<SD::SeasonTransition>(i)); }
    float WaterAlpha() { return GeometryColour(factory.GetGameObject(std::string("Water"))).w; }

    QV::SowlarSystem_& seasons;
    std::unique_ptr<platform::Window> window;
    std::unique_ptr<Aperture::Graphics_> renderer = std::make_unique<Aperture::Graphics_>();
};

TEST_F(SeasonCycleTest, TheDefaultConfigurationIsWhiteWithOneBoundaryAtZero) {
    Configure("");
    const QV::SeasonSettings& spring = seasons.GetSettings(SD::Season::kSpring);
    EXPECT_NEAR(spring.ambient.x, 1.0f, 1e-6f);
    EXPECT_NEAR(spring.fog.w, 1.0f, 1e-6f);
    EXPECT_EQ(spring.fogNear, 100.0f);
    EXPECT_EQ(seasons.GetSettings(SD::Season::kWinter).fogFar, 10000.0f);
    EXPECT_EQ(SD::WorldSeason::Get().GetSeason(), SD::Season::kSpring);
    // Without a player it is the world's season.
    EXPECT_EQ(seasons.GetSeasonAtPlayer(), SD::Season::kSpring);
    SD::GameObject* player = Spawn("Vehicle", "Player");
    const struct {
        float x;
        SD::Season season;
    } cases[] = {{-0.5f, SD::Season::kSpring},
                 {0.0f, SD::Season::kSummer},
                 {0.5f, SD::Season::kSummer},
                 {-3000, SD::Season::kSpring}};
    for (const auto& c : cases) {
        player->GetTransform().SetPosX(c.x);
        EXPECT_EQ(seasons.GetSeasonAtPlayer(), c.season) << c.x;
    }
}

TEST_F(SeasonCycleTest, ValuesThatAreNoNumbersKeepTheirDefaults) {
    qvtest::CapturedLog log;
    Configure("SpringFogNear=nan\nSummerStartX=inf\nFallFogColor_red=-inf\nWinterFogFar=oops\nStartingSeason=Autumn\n");
    // A starting season that is none of the four is told and the world starts in spring.
    EXPECT_EQ(SD::WorldSeason::Get().GetSeason(), SD::Season::kSpring);
    EXPECT_EQ(qvtest::Occurrences(log.Text(), "StartingSeason=Autumn is no season"), 1u) << log.Text();
    EXPECT_EQ(seasons.GetSettings(SD::Season::kSpring).fogNear, 100.0f);
    EXPECT_EQ(seasons.GetSettings(SD::Season::kSummer).boundaryX, 0.0f);
    EXPECT_NEAR(seasons.GetSettings(SD::Season::kFall).fog.x, 1.0f, 1e-6f);
    EXPECT_EQ(qvtest::Occurrences(log.Text(), "FallFogColor_red is not a finite number"), 1u) << log.Text();
    // Text that reads as no number at all is 0, as for every configuration value, and is told.
    EXPECT_EQ(seasons.GetSettings(SD::Season::kWinter).fogFar, 0.0f);
    EXPECT_EQ(qvtest::Occurrences(log.Text(), "WinterFogFar=oops is not a number"), 1u) << log.Text();
}

TEST_F(SeasonCycleTest, TheConfiguredBoundariesAndColoursDecideTheSeasonAndTheLook) {
    Configure(
        "StartingSeason=Summer\nSpringEndX=1000\nSummerStartX=3000\nSpringAmbientLightColor_red=51\n"
        "SpringFogColor_blue=0\nSpringFogNear=20\nSpringFogFar=800\nWinterAmbientLightColor_green=102\n");
    // The world is in the starting season until the story begins.
    EXPECT_EQ(SD::WorldSeason::Get().GetSeason(), SD::Season::kSummer);
    EXPECT_EQ(seasons.GetSeasonAtPlayer(), SD::Season::kSummer);
    EXPECT_NEAR(seasons.GetSettings(SD::Season::kSpring).ambient.x, 0.2f, 1e-6f);
    EXPECT_NEAR(seasons.GetSettings(SD::Season::kWinter).ambient.y, 0.4f, 1e-6f);
    // Initialisation shows spring at once.
    const Aperture::SeasonLook& look = renderer->GetSeasonLook();
    EXPECT_NEAR(look.GetAmbientColor().x, 0.2f, 1e-6f);
    EXPECT_EQ(look.GetFogColor().z, 0.0f);
    EXPECT_EQ(look.GetFogNear(), 20.0f);

    SD::GameObject* player = Spawn("Vehicle", "Player");
    const struct {
        float x;
        SD::Season season;
    } cases[] = {{999, SD::Season::kSpring},  {1000, SD::Season::kSpring}, {1999, SD::Season::kSpring},
                 {2000, SD::Season::kSummer}, {3000, SD::Season::kSummer}, {3001, SD::Season::kSummer}};
    for (const auto& c : cases) {
        player->GetTransform().SetPosX(c.x);
        EXPECT_EQ(seasons.GetSeasonAtPlayer(), c.season) << c.x;
    }
    // The blend of the four looks by the three weights, smoothed in by a tenth a frame.
    seasons.SetSeasonWeight("summer", 0.5f);
    EXPECT_EQ(SD::WorldSeason::Get().GetSeason(), SD::Season::kSummer);
    seasons.SetSeasonWeight("Autumn", 0.9f);
    EXPECT_EQ(SD::WorldSeason::Get().GetSeason(), SD::Season::kSummer);
    seasons.Update(kDt);
    // ambient red: current 1 then 0.9 * 1 + 0.1 * (0.2 * 0.5 + 1 * 0.5)
    EXPECT_NEAR(look.GetAmbientColor().x, 0.96f, 1e-5f);
    EXPECT_NEAR(look.GetFogNear(), 0.5f * 20 + 0.5f * 100, 1e-4f);
    // A paused frame freezes everything.
    seasons.Update(0.0f);
    EXPECT_NEAR(look.GetAmbientColor().x, 0.96f, 1e-5f);
    // Fog switched off sends the fog far away; the colour still smooths.
    seasons.SetFogEnabled(false);
    seasons.SetStormDarkness(1.0f);
    for (int i = 0; i < 200; ++i) seasons.Update(kDt);
    EXPECT_EQ(look.GetFogNear(), QV::SowlarSystem_::kFarFogNear);
    EXPECT_EQ(look.GetFogFar(), QV::SowlarSystem_::kFarFogFar);
    // Stage 0 holds the spring weight to its idle transition (at 0 here: all summer, red 1).
    EXPECT_NEAR(look.GetAmbientColor().x, 0.4f, 1e-4f);
    EXPECT_NEAR(look.GetFogColor().x, 0.625f, 1e-4f);
}

TEST_F(SeasonCycleTest, AWholeYearOfStoryStepsMovesTheSeasonsTheWorldAndTheMusic) {
    const QV::SeasonTuning& tuning = QV::kSeasonTuning;
    WorldSound sound;
    Configure("");
    Spawn("Vehicle", "Player");
    SD::GameObject* moon = Spawn("MoonLogic", "MoonLogic");
    Spawn("RainStorm", "RainStorm");
    SD::GameObject* second = Member("Group_02", "Second");
    auto* singer = Get<QV::QuorvPhantom>(Spawn("Singer", "Singer"), SD::CID_QuorvPhantom);
    seasons.ResetCycle();
    SD::GameObject* water = factory.GetGameObject(std::string("Water"));
    ASSERT_NE(water, nullptr);
    ASSERT_NE(factory.GetGameObject(std::string("Spring_Opening_Poem")), nullptr);
    GiveGeometry(water, SD::Vec4(1, 1, 1, 1));
    const int firstSeason = QV::AudioLogic_::GetInstance().GetSeason();
    const auto musicSeason = [&] { return QV::AudioLogic_::GetInstance().GetSeason() - firstSeason; };

    Year(3);
    EXPECT_EQ(seasons.GetStage(), 0);
    EXPECT_FLOAT_EQ(W(0), 0.0f);  // a fresh system snaps its weight to 1: all spring
    EXPECT_FLOAT_EQ(WaterAlpha(), tuning.springWaterAlpha);

    auto* moonLogic = Get<QV::MoonLogic>(moon, SD::kMoonLogicID);
    const float turn = moonLogic->GetTargetTurn();
    // One step of the story counter per row: one frame later the world is in the row's stage
    // and shows `entered`; after `settleFrames` more it shows `settled`.
    struct Stage {
        int stage;
        int settleFrames;
        std::function<void()> entered;
        std::function<void()> settled;
    };
    const Stage year[] = {
        {1, 0, [&] { EXPECT_NEAR(moonLogic->GetTargetTurn(), turn - 0.34906584f, 1e-6f); }, {}},
        {2, 0, [&] { EXPECT_TRUE(Get<QV::HackProximitySpawn>(second, SD::kHackProximitySpawnID)->IsArmed()); }, {}},
        // Into summer: a third of the way over the first blend, the music one state on, the
        // summer sounds.
        {3, 30,
         [&] {
             EXPECT_EQ(sound.Sounds(), (std::vector<std::string>{"sound Play_Ice_Melt", "sound Play_Water",
                                                                 "sound Play_Summer_Ambient"}));
             EXPECT_EQ(sound.Triggers(), std::vector<std::string>{"trigger Story_Step"}) << "the music's stinger";
             EXPECT_EQ(musicSeason(), 1);
             EXPECT_EQ(QV::AudioLogic_::GetInstance().GetSeasonTarget(), 1.0f);
         },
         [&] {
             EXPECT_NEAR(W(0), tuning.summerFirst.to, 1e-4f);
             EXPECT_FLOAT_EQ(WaterAlpha(), tuning.summerWaterAlpha);
             EXPECT_FALSE(singer->SoundPlayed());
         }},
        {4, 29, {}, {}},
        {5, 29, {}, {}},
        {6, 29, {}, {}},
        {7,
         29,
         {},
         [&] {
             EXPECT_TRUE(singer->SoundPlayed());
             EXPECT_NEAR(W(0), tuning.summerLast.to, 1e-4f);
             EXPECT_EQ(musicSeason(), 2);
             EXPECT_FLOAT_EQ(W(1), 0.0f);
         }},
        // Fall grows in.
        {8, 50,
         [&] {
             EXPECT_EQ(GrassFieldProbe::GrowthTime(renderer->GetGrassField()), tuning.grassGrowthSeconds);
             EXPECT_EQ(GrassFieldProbe::Growth(renderer->GetGrassField()), 0.0f);
         },
         [&] { EXPECT_NEAR(W(1), tuning.fall.to, 1e-4f); }},
        // Winter comes a while into the last stage and takes its blend's time.
        {QV::SowlarSystem_::kFinalStage,
         30,
         {},
         [&] {
             EXPECT_EQ(W(2), 0.0f);
             Year(5);
             EXPECT_GT(W(2), 0.0f);
             EXPECT_LT(W(2), 0.1f);
             EXPECT_EQ(musicSeason(), 3);
             Year(140);
             EXPECT_NEAR(W(2), tuning.winter.to, 1e-4f);
         }},
        // The last stage is final.
        {QV::SowlarSystem_::kFinalStage, 0, {}, {}},
    };
    for (const Stage& row : year) {
        SCOPED_TRACE("step into stage " + std::to_string(row.stage));
        sound.Forget();
        seasons.AdvanceStory();
        Year(1);
        EXPECT_EQ(seasons.GetStage(), row.stage);
        if (row.entered) row.entered();
        Year(row.settleFrames);
        EXPECT_EQ(seasons.GetStage(), row.stage);
        if (row.settled) row.settled();
    }

    // A new run starts from spring again.
    seasons.ResetCycle();
    EXPECT_EQ(seasons.GetStage(), 0);
    EXPECT_EQ(seasons.GetStoryCounter(), 0);
    EXPECT_EQ(W(1), 0.0f);
    EXPECT_EQ(W(2), 0.0f);
}

// The world's effects and entrances follow the story: the player's dust wakes once with the
// world, it snows from the start until summer comes and again in the winter, and a group's
// played-out entrances play again.
TEST_F(SeasonCycleTest, TheStoryWakesTheDustLetsItSnowInWinterAndReplaysEntrances) {
    Configure("");
    SD::GameObject* player = Spawn("Vehicle", "Player");
    auto* dust = static_cast<Dust*>(player->AddComponent(SD::CID_DustSystem));
    Snow* snows[2];
    for (int i = 0; i < 2; ++i) {
        SD::GameObject* snowObject = factory.NewGameObject();
        snowObject->NameObject(i == 0 ? "Snow_0" : "Snow_1");
        snows[i] = static_cast<Snow*>(snowObject->AddComponent(SD::CID_Snow));
        EXPECT_FALSE(snows[i]->IsActive());
    }
    Snow* snow = snows[0];
    SD::GameObject* grower = Spawn("Grower", "Grower");
    seasons.ResetCycle();
    EXPECT_TRUE(snows[0]->IsActive() && snows[1]->IsActive()) << "the world opens in snow";

    Year(1);
    EXPECT_TRUE(dust->IsActive());
    EXPECT_EQ(dust->starts, 1);
    Year(20);
    EXPECT_EQ(dust->starts, 1) << "an active dust is left alone";
    EXPECT_FLOAT_EQ(grower->GetTransform().GetScale().x, 2.0f) << "its entrance has played out";

    for (int step = 1; step <= 2; ++step) {
        seasons.AdvanceStory();
        Year(1);
    }
    EXPECT_TRUE(snow->IsActive());
    seasons.AdvanceStory();
    Year(1);
    ASSERT_EQ(seasons.GetStage(), 3);
    EXPECT_FALSE(snows[0]->IsActive() || snows[1]->IsActive()) << "the ice melts";
    EXPECT_EQ(snow->starts, 0);
    // Brought in again, the grower starts over from nothing and grows back.
    EXPECT_LT(grower->GetTransform().GetScale().x, 1.0f);
    Year(20);
    EXPECT_FLOAT_EQ(grower->GetTransform().GetScale().x, 2.0f);

    while (seasons.GetStage() < 8) {
        seasons.AdvanceStory();
        Year(1);
        EXPECT_FALSE(snows[0]->IsActive() || snows[1]->IsActive()) << "stage " << seasons.GetStage();
    }
    seasons.AdvanceStory();
    Year(1);
    ASSERT_EQ(seasons.GetStage(), QV::SowlarSystem_::kFinalStage);
    EXPECT_TRUE(snows[0]->IsActive() && snows[1]->IsActive()) << "winter";
}

// A season change reaches the frame: the effect constants every shader reads carry the
// smoothed ambient and fog colours, the fog distances and the season weights.
TEST_F(SeasonCycleTest, TheSeasonLookReachesTheFramesEffectConstants) {
    DrawingRenderer();
    Configure("SpringFogNear=20\nFallAmbientLightColor_red=0\nFallFogNear=60\n");
    Spawn("Vehicle", "Player");
    const auto constant = [this](const std::string& name) {
        std::vector<float> last;
        for (const platform::gfx::Command& c : renderer->GetDeviceLayer().GetDevice()->LastFrame())
            if (c.op == platform::gfx::Op::kSetParameter && c.name == name)
                last.assign(c.v, c.v + std::min<uint32_t>(c.a[0], 3));
        return last;
    };
    renderer->Update(kDt);
    EXPECT_EQ(constant("g_fog_near"), std::vector<float>{20.0f});
    EXPECT_EQ(constant("globalAmbient"), (std::vector<float>{1.0f, 1.0f, 1.0f}));
    EXPECT_EQ(constant("summer_to_fall_transition_value"), std::vector<float>{0.0f});

    seasons.SetSeasonWeight("Fall", 1.0f);
    for (int i = 0; i < 3; ++i) {
        seasons.Update(kDt);
        renderer->Update(kDt);
    }
    EXPECT_EQ(constant("summer_to_fall_transition_value"), std::vector<float>{1.0f});
    EXPECT_EQ(constant("g_fog_near"), std::vector<float>{60.0f});
    // Three frames of smoothing from red 1 towards the fall's 0.
    const std::vector<float> ambient = constant("globalAmbient");
    ASSERT_EQ(ambient.size(), 3u);
    EXPECT_NEAR(ambient[0], 0.729f, 1e-5f);
    EXPECT_NEAR(ambient[1], 1.0f, 1e-5f);
}

TEST_F(SeasonCycleTest, WithoutAPlayerTheStoryWaitsAndASkippedStepCatchesUpOneStageAFrame) {
    Configure("");
    seasons.ResetCycle();
    seasons.AdvanceStory();
    Year(3);
    EXPECT_EQ(seasons.GetStage(), 0);
    Spawn("Vehicle", "Player");
    Year(1);
    EXPECT_EQ(seasons.GetStage(), 1);
    seasons.SetStoryCounter(5);
    Year(1);
    EXPECT_EQ(seasons.GetStage(), 2);
    Year(2);
    EXPECT_EQ(seasons.GetStage(), 4);
    Year(10);
    EXPECT_EQ(seasons.GetStage(), 5);
}

}  // namespace

namespace {

using namespace playtest;

class LightningTest : public SeasonCycleTest {};

TEST_F(LightningTest, HoldingTheLightningKeyFlashesTheSkyUntilItIsLetGo) {
    Configure("");
    Spawn("Vehicle", "Player");
    seasons.StartLightning();
    EXPECT_TRUE(seasons.IsLightningActive());
    input.SetDevKeysEnabled(true);
    keys = {SD::key_N};
    bool flashed = false;
    for (int i = 0; i < 100; ++i) {
        Year(1, 0.05f);
        flashed |= seasons.GetCurrentFog().x < 0.5f;
    }
    EXPECT_TRUE(flashed);
    SD::GameObject* flash = factory.GetGameObject(std::string("Lightning"));
    ASSERT_NE(flash, nullptr);
    const SD::Vec3 at = flash->GetTransform().GetLocalPos();
    EXPECT_GE(at.y, 8000.0f - 1000.0f);
    EXPECT_LT(at.y, 15000.0f + 1000.0f);
    // Let go, the flash runs out within 0.75 s and its object goes.
    keys.clear();
    Year(20, 0.05f);
    EXPECT_FALSE(seasons.IsLightningActive());
    factory.Update(0);
    EXPECT_EQ(factory.GetGameObject(std::string("Lightning")), nullptr);
}

}  // namespace
