// The seasons and the weather in a small world: season volumes switch the audio season and its
// ambience while the player is inside, summer also moves the world's season blend that tints
// models; the rain storm runs its cycle, darkening the season system's sky, striking its
// lightning and switching its rain effect; the moon steps the sky and its stars round; a follower
// copies its target.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>

#include "WorldLogicTestSupport.h"
#include "game/systems/SoundZones.h"
#include "game/systems/SowlarSystem.h"
#include "runtime/Input.h"
#include "support/HeldKeys.h"

namespace {

using namespace worldtest;

class SeasonLogicTest : public WorldLogicFixture {
protected:
    SeasonLogicTest() {
        Blueprints(
            Blueprint("Player", TransformXml({}) + SphereXml(1, 0)) +
            Season("SummerBox", 1, 1, "Summer", {20, 10, 10}) + Season("FallBall", 1, 0, "Fall", {5, 5, 5}) +
            Season("OldBox", 0, 0, "Winter", {4, 4, 4}) + Season("OddVolume", 1, 7, "Summer", {50, 50, 50}) +
            Blueprint("Tinted",
                      TransformXml({}) +
                          Component("SeasonalColorInterpLogic", 0,
                                    Vec4Xml("Spring Color", {0, 1, 0, 1}) + Vec4Xml("Summer Color", {1, 0, 0, 1}) +
                                        Vec4Xml("Fall Color", {1, 1, 0, 1}) + Vec4Xml("Winter Color", {1, 1, 1, 1}))) +
            Blueprint("Cloudburst", TransformXml({}) + Component("RainLogic", 0, "") + Component("RainSystem", 0, "")) +
            Blueprint("ObjectTemplates/Moon", TransformXml({})) +
            Blueprint("Stars", TransformXml({}) + Component("TwinklingStars", 0, "")) +
            Blueprint("Sky", TransformXml({}) +
                                 Component("MoonLogic", 0,
                                           FloatXml("Radius", 100) + FloatXml("Starting Z Rotation In Degrees", 90) +
                                               FloatXml("Moon Scale", 3))) +
            Blueprint("Follower",
                      TransformXml({}) + Component("SyncLogic", 0,
                                                   StringXml("Target", "Leader") + BoolXml("Sync Pos", true) +
                                                       BoolXml("Sync Orient", false))) +
            Blueprint("Leader", TransformXml({})));
    }
    static std::string Season(const char* name, int version, int volume, const char* season, SD::Vec3 scale) {
        return Blueprint(
            name, TransformXml({}, scale) + Component("SeasonTransitionLogic", version,
                                                      (version == 1 ? IntXml("Volume Type", volume) : std::string()) +
                                                          StringXml("Transition Season", season)));
    }

    WorldSound sound;
};

TEST_F(SeasonLogicTest, SeasonVolumesSwitchTheAudioSeasonAndOnlySummerMovesTheBlend) {
    SD::GameObject* box = Spawn("SummerBox", "SummerBox", {0, 0, 0});
    SD::GameObject* ball = Spawn("FallBall", "FallBall", {100, 0, 0});
    SD::GameObject* tinted = Lit("Tinted", "Tinted", {});
    SD::GameObject* player = Spawn("Player", "Player", {-5, 1, 0});
    Frames(1, 0.1f);
    // A quarter of the way across the box from its -X face: blend 0.25, summer.
    EXPECT_NEAR(SeasonBlend(), 0.25f, 1e-5f);
    EXPECT_EQ(QV::AudioLogic_::GetInstance().GetSeason(), 1);
    EXPECT_EQ(StateChanges().back(), "A1F25A7F 4CE3F732");
    // The model's colour follows the blend.
    EXPECT_NEAR(GeometryColour(tinted).x, 0.25f, 1e-5f);
    EXPECT_NEAR(GeometryColour(tinted).y, 0.75f, 1e-5f);
    Frames(1, 0.1f);
    EXPECT_EQ(sound.Sounds(), (std::vector<std::string>{"sound Play_Summer_Ambient", "sound Play_Summer_Ambient"}));

    // Above the box (its base is at the object) the player is outside.
    Place(player, {-5, 12, 0});
    sound.Forget();
    Frames(1, 0.1f);
    EXPECT_TRUE(sound.Sounds().empty());

    // In the fall sphere: the audio season changes, the blend stays where summer left it.
    Place(player, {103, 0, 0});
    Frames(1, 0.1f);
    EXPECT_EQ(QV::AudioLogic_::GetInstance().GetSeason(), 2);
    EXPECT_EQ(sound.Sounds(), std::vector<std::string>{"sound Play_Fall_Ambient"});
    EXPECT_NEAR(SeasonBlend(), 0.25f, 1e-5f);
    (void)box;
    (void)ball;
}

// The story's stages that move the look hold the season whichever of the story and a volume
// runs first in a frame; in a stage between them the volume sets it.
TEST_F(SeasonLogicTest, TheStoryHoldsTheSeasonInItsMovingStagesAndAVolumeSetsItBetween) {
    Spawn("SummerBox", "SummerBox", {0, 0, 0});
    Spawn("Player", "Player", {-5, 1, 0});
    QV::SowlarSystem_& story = QV::SowlarSystem_::GetInstance();
    story.ResetCycle();
    const SD::WorldSeason& world = SD::WorldSeason::Get();
    for (const bool volumeFirst : {true, false}) {
        if (!volumeFirst) story.Update(0.1f);
        Frames(1, 0.1f);
        if (volumeFirst) story.Update(0.1f);
        EXPECT_EQ(world.GetSeason(), SD::Season::kSpring) << volumeFirst;
        EXPECT_EQ(SeasonBlend(), 0.0f) << volumeFirst;
    }
    story.AdvanceStory();
    story.Update(0.1f);
    ASSERT_EQ(story.GetStage(), 1);
    Frames(1, 0.1f);
    EXPECT_EQ(world.GetSeason(), SD::Season::kSummer);
    EXPECT_NEAR(SeasonBlend(), 0.25f, 1e-5f);
    EXPECT_EQ(QV::AudioLogic_::GetInstance().GetSeason(), 1) << "the volume sets the sound's season in any stage";
}

TEST_F(SeasonLogicTest, TheSphereBlendIsTheDistanceOverTwiceTheRadius) {
    Blueprints(Season("SummerBall", 1, 0, "Summer", {10, 10, 10}));
    Spawn("SummerBall", "Ball", {0, 0, 0});
    SD::GameObject* player = Spawn("Player", "Player", {0, 0, 0});
    const std::pair<float, float> cases[] = {{0.0f, 0.0f}, {5.0f, 0.25f}, {10.0f, 0.5f}, {10.5f, 0.525f}};
    for (const auto& [distance, blend] : cases) {
        Place(player, {distance, 0, 0});
        SD::WorldSeason::Get().Set(SD::Season::kSummer, -1.0f);
        Frames(1, 0.1f);
        EXPECT_NEAR(SeasonBlend(), blend, 1e-5f) << distance;
    }
    Place(player, {11.5f, 0, 0});  // beyond the radius and the player's own
    SD::WorldSeason::Get().Set(SD::Season::kSummer, -1.0f);
    Frames(1, 0.1f);
    EXPECT_EQ(SeasonBlend(), -1.0f);
}

TEST_F(SeasonLogicTest, SeasonVolumesAreTheWorldsSoundZonesWhileTheyExist) {
    SD::GameObject* box = Spawn("SummerBox", "SummerBox", {0, 0, 0});  // x -10..10, y 0..10, z -5..5
    Spawn("FallBall", "FallBall", {100, 0, 0});                        // radius 5
    const struct {
        SD::Vec3 at;
        float radius;
        bool inside;
    } cases[] = {
        {{0, 5, 0}, 0.0f, true},   {{9, 1, 4}, 0.0f, true},    {{0, 11, 0}, 0.0f, false},  {{0, 11, 0}, 1.5f, true},
        {{104, 0, 0}, 0.0f, true}, {{106, 0, 0}, 0.0f, false}, {{50, 5, 0}, 10.0f, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(QV::InSoundZone(c.at, c.radius), c.inside) << c.at.x << " " << c.at.y << " " << c.radius;
    // A volume that goes leaves the zones.
    factory.DestroyGameObject(box);
    factory.Update(0.0f);
    EXPECT_FALSE(QV::InSoundZone({0, 5, 0}, 0.0f));
    EXPECT_TRUE(QV::InSoundZone({104, 0, 0}, 0.0f));
}

TEST_F(SeasonLogicTest, DataVersionsOfTheSeasonVolume) {
    SD::GameObject* old = Spawn("OldBox", "OldBox", {});
    auto* logic = Get<QV::SeasonTransitionLogic>(old, SD::CID_SeasonTransitionLogic);
    EXPECT_EQ(logic->GetVolumeType(), QV::SeasonTransitionLogic::kBox);  // version 0 keeps the box
    EXPECT_EQ(logic->GetSeason(), "Winter");
    EXPECT_EQ(Written(*logic, 1), (std::vector<std::string>{"Volume Type=1", "Transition Season=Winter"}));
    EXPECT_EQ(Written(*logic, 0), (std::vector<std::string>{"Transition Season=Winter"}));
    EXPECT_TRUE(Written(*logic, 2).empty());
    // A volume of an unknown kind holds nobody.
    Spawn("OddVolume", "Odd", {1000, 0, 0});
    Spawn("Player", "Player", {1000, 0, 0});
    Frames(1, 0.1f);
    EXPECT_TRUE(sound.Sounds().empty());
}

TEST_F(SeasonLogicTest, TheRainStormRunsItsCycleOnlyWhileEnabled) {
    SD::GameObject* cloud = Spawn("Cloudburst", "Cloudburst", {});
    // The season system runs its frames only while there is a player.
    Spawn("Player", "Player", {1000, 0, 0});
    auto* rain = Get<QV::RainLogic>(cloud, SD::kRainLogicID);
    auto* streaks = Get<Aperture::Photon::RainSystem>(cloud, SD::CID_RainSystem);
    ASSERT_NE(streaks, nullptr);
    QV::SowlarSystem_& seasons = QV::SowlarSystem_::GetInstance();
    Frames(30, 1.0f);
    EXPECT_FLOAT_EQ(rain->GetCountdown(), 20.0f);  // disabled: no count
    // Enabling clears the sky and stops the rain at once.
    seasons.SetStormDarkness(0.5f);
    streaks->SetActive(true);
    rain->Enable(true);
    EXPECT_EQ(seasons.GetStormDarkness(), 0.0f);
    EXPECT_FALSE(streaks->IsRaining());
    Frames(19, 1.0f);
    EXPECT_FALSE(rain->IsRaining());
    Frames(1, 1.0f);
    ASSERT_TRUE(rain->IsRaining());
    sound.Forget();
    // Second by second through the storm: rain from 7 s to 37 s, thunder from 12 s. A strike
    // lasts less than a second of the season system's frames, so each shows in one second.
    std::string particles, streaking;
    size_t strikes = 0;
    for (int second = 1; second <= 42; ++second) {
        Frames(1, 1.0f);
        particles += rain->ParticlesOn() ? 'r' : '.';
        streaking += streaks->IsRaining() ? 'r' : '.';
        if (seasons.IsLightningActive()) ++strikes;
        seasons.Update(1.0f);
        EXPECT_FALSE(seasons.IsLightningActive()) << second;
        if (second == 12) {
            EXPECT_EQ(strikes, 1u);
        }
        if (second == 25) {
            EXPECT_FLOAT_EQ(seasons.GetStormDarkness(), 1.0f);
        }
    }
    EXPECT_EQ(particles, std::string(6, '.') + std::string(31, 'r') + std::string(5, '.'));
    EXPECT_EQ(streaking, particles) << "the rain effect follows the storm";
    EXPECT_FALSE(rain->IsRaining());
    EXPECT_GE(strikes, 3u);
    EXPECT_EQ(sound.Sounds("sound Play_Thunder").size(), strikes);
    EXPECT_EQ(QV::AudioLogic_::GetInstance().GetRainTarget(), 0.0f);
    EXPECT_NEAR(seasons.GetStormDarkness(), 0.0f, 1e-5f);
    // Disabled between storms, the countdown holds where it was.
    Frames(5, 1.0f);
    rain->Enable(false);
    const float held = rain->GetCountdown();
    Frames(5, 1.0f);
    EXPECT_EQ(rain->GetCountdown(), held);
}

TEST_F(SeasonLogicTest, TheMoonStandsOutAtItsRadiusAndStepsTheSky) {
    SD::GameObject* stars = Spawn("Stars", "TwinklingStars", {});
    auto* twinkling = Get<Aperture::Photon::TwinklingStars>(stars, SD::CID_TwinklingStars);
    ASSERT_NE(twinkling, nullptr);
    std::vector<SD::Vec3> starsBefore;
    for (uint32_t i = 0; i < twinkling->GetParticleCount(); ++i)
        starsBefore.push_back(twinkling->GetParticle(i).position);
    SD::GameObject* sky = Spawn("Sky", "Sky", {});
    auto* moon = Get<QV::MoonLogic>(sky, SD::kMoonLogicID);
    SD::GameObject* body = moon->GetMoon();
    ASSERT_NE(body, nullptr);
    EXPECT_EQ(body->GetParent(), sky);
    EXPECT_EQ(body->GetTransform().GetLocalPos(), SD::Vec3(-100, 0, 0));
    EXPECT_EQ(body->GetTransform().GetScale(), SD::Vec3(3, 3, 3));
    EXPECT_NEAR(sky->GetTransform().GetRight().y, 1.0f, 1e-6f);  // turned 90 degrees about Z

    moon->Step();
    moon->Step();
    EXPECT_NEAR(moon->GetTargetTurn(), -0.6981317f, 1e-6f);
    Frames(8, 1.0f);
    EXPECT_EQ(moon->GetCurrentTurn(), 0.0f);  // the 9 s wait
    Frames(2, 1.0f);
    EXPECT_NEAR(moon->GetCurrentTurn(), -0.0175f, 1e-6f);
    // The stars turned with the sky about Z, those high above the horizon kept on their side.
    ASSERT_EQ(twinkling->GetParticleCount(), starsBefore.size());
    size_t high = 0, turned = 0;
    for (uint32_t i = 0; i < twinkling->GetParticleCount(); ++i) {
        const SD::Vec3 before = starsBefore[i], after = twinkling->GetParticle(i).position;
        if (before.y < 2000.0f) continue;
        ++high;
        const float turn = std::atan2(after.y, after.x) - std::atan2(before.y, before.x);
        if (std::fabs(turn + 0.0175f) < 1e-5f && after.z == before.z) ++turned;
    }
    EXPECT_EQ(turned, high);
    EXPECT_GT(high, 100u);
    Frames(40, 1.0f);
    EXPECT_NEAR(moon->GetCurrentTurn(), -0.7f, 1e-4f);  // passed the target, and stops
    Frames(5, 1.0f);
    EXPECT_NEAR(moon->GetCurrentTurn(), -0.7f, 1e-4f);

    // While the level is edited the layout is taken again: the turn is forgotten.
    PlayState() = SD::kPlayStateDevPause;
    Frames(1, 1.0f);
    EXPECT_EQ(moon->GetCurrentTurn(), 0.0f);
    EXPECT_NEAR(sky->GetTransform().GetRight().y, 1.0f, 1e-6f);
    EXPECT_EQ(Written(*moon, 0),
              (std::vector<std::string>{"Radius=100", "Starting Z Rotation In Degrees=90", "Moon Scale=3"}));
}

using HeldKeys = qvtest::HeldKeys;

TEST_F(SeasonLogicTest, TwoPressesOfTheMoonKeyStepTheSkyFortyDegreesAfterAFreshDelay) {
    SD::Input_ input;
    std::set<uint32_t> keys;
    input.AddInjector(std::make_unique<HeldKeys>(&keys));
    auto* moon = Get<QV::MoonLogic>(Spawn("Sky", "Sky", {}), SD::kMoonLogicID);
    auto frame = [&](bool nDown) {
        if (nDown)
            keys.insert('N');
        else
            keys.erase('N');
        input.Update(1.0f);
        Frames(1, 1.0f);
    };
    // Without developer keys the key does nothing.
    frame(true);
    frame(false);
    EXPECT_EQ(moon->GetTargetTurn(), 0.0f);
    input.SetDevKeysEnabled(true);
    frame(true);
    frame(true);  // held: one step only
    EXPECT_NEAR(moon->GetTargetTurn(), -0.34906584f, 1e-6f);
    for (int i = 0; i < 7; ++i) frame(false);
    frame(true);  // the second press restarts the wait
    EXPECT_NEAR(moon->GetTargetTurn(), -0.6981317f, 1e-6f);
    // Nine seconds from the press, its own frame counted.
    for (int i = 0; i < 8; ++i) frame(false);
    EXPECT_EQ(moon->GetCurrentTurn(), 0.0f);
    frame(false);
    EXPECT_NEAR(moon->GetCurrentTurn(), -0.0175f, 1e-6f);
}

TEST_F(SeasonLogicTest, AFollowerCopiesItsTargetsPlaceAndStaysWithoutOne) {
    SD::GameObject* follower = Spawn("Follower", "Follower", {1, 2, 3});
    Frames(1, 0.1f);
    EXPECT_EQ(follower->GetTransform().GetLocalPos(), SD::Vec3(1, 2, 3));
    SD::GameObject* leader = Spawn("Leader", "Leader", {7, 8, 9});
    leader->GetTransform().RotateLocalYRad(1.0f);
    Frames(1, 0.1f);
    EXPECT_EQ(follower->GetTransform().GetLocalPos(), SD::Vec3(7, 8, 9));
    EXPECT_EQ(follower->GetTransform().GetRight().x, 1.0f);  // orientation not synced
}

}  // namespace
