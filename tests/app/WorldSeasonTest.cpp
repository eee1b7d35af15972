// The world's one season in the real game: the story, moved on as the gatherings move it, takes
// the world from spring through summer and fall into winter, and on every frame the renderer's
// shader constants carry the world's transitions, the stars of the sky fade as the winter comes
// in and the sound's season state steps along with the story.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "WorldRun.h"
#include "core/Season.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "game/systems/AudioLogic.h"
#include "game/systems/SowlarSystem.h"
#include "graphics/Graphics.h"
#include "graphics/photon/ParticleSystem.h"
#include "graphics/resources/Effect.h"
#include "platform/gfx/Effect.h"

namespace {

// Frames between two story steps: long enough for each step's groups to come in.
constexpr int kFramesPerStep = 40;

struct ShaderTransition {
    const char* parameter;
    SD::SeasonTransition transition;
};
constexpr ShaderTransition kShaderTransitions[] = {
    {"spring_to_summer_transition_value", SD::SeasonTransition::kSpringToSummer},
    {"summer_to_fall_transition_value", SD::SeasonTransition::kSummerToFall},
    {"fall_to_winter_transition_value", SD::SeasonTransition::kFallToWinter},
};

// The value the renderer last gave a shader constant; -1 when it has none.
float ShaderValue(const char* parameter) {
    Aperture::Graphics_* renderer = Aperture::Graphics_::Peek();
    Aperture::Resource::Effect* shared = renderer ? renderer->GetSharedEffect() : nullptr;
    platform::gfx::Effect* effect = shared ? shared->GetEffect() : nullptr;
    const platform::gfx::ParamValue* value = effect ? effect->GetValue(parameter) : nullptr;
    return value && !value->floats.empty() ? value->floats[0] : -1.0f;
}

// The mean brightness of the sky's stars (red, green and blue together); -1 without stars.
float StarBrightness() {
    SD::GameObject* object = SD::Factory_::GetGameObjectByName("TwinklingStars");
    auto* stars =
        object ? static_cast<Aperture::Photon::ParticleSystem*>(object->GetComponent(SD::CID_TwinklingStars)) : nullptr;
    if (!stars || stars->GetParticleCount() == 0) return -1.0f;
    float sum = 0.0f;
    for (uint32_t i = 0; i < stars->GetParticleCount(); ++i) {
        const SD::Vec4& c = stars->GetParticle(i).color;
        sum += c.x + c.y + c.z;
    }
    return sum / static_cast<float>(stars->GetParticleCount());
}

TEST(WorldSeason, TheStoryMovesTheOneSeasonAndTheRendererTheStarsAndTheSoundFollowIt) {
    std::vector<SD::Season> seasons;
    std::vector<int> soundStates;
    int shaderMismatches = 0, firstMismatch = 0, shaderChecks = 0;
    float springStars = -1.0f, winterStars = -1.0f;
    int winterFrames = 0;
    // The world's transitions as the last frame ended: the renderer draws before the season system
    // updates, so it shows the value the frame began with (or, in a frame the season stood
    // still, the one it ends with).
    float lastFrame[SD::kSeasonTransitionCount] = {0.0f, 0.0f, 0.0f};
    const auto everyWorldFrame = [&](int frame) {
        QV::SowlarSystem_& story = QV::SowlarSystem_::GetInstance();
        const SD::WorldSeason& world = SD::WorldSeason::Get();
        if (frame % kFramesPerStep == 0 && story.GetStage() < QV::SowlarSystem_::kFinalStage) story.AdvanceStory();

        if (seasons.empty() || seasons.back() != world.GetSeason()) seasons.push_back(world.GetSeason());
        const int sound = QV::AudioLogic_::GetInstance().GetSeason();
        if (soundStates.empty() || soundStates.back() != sound) soundStates.push_back(sound);
        // Once the ending's white square covers the screen the scene is not drawn at all.
        const bool drawn = !Aperture::Graphics_::GetInstance()->SpritesHideScene();
        for (const ShaderTransition& shader : kShaderTransitions) {
            const float shown = ShaderValue(shader.parameter);
            float& last = lastFrame[static_cast<int>(shader.transition)];
            if (drawn && shown != last && shown != world.GetTransition(shader.transition) && shaderMismatches++ == 0)
                firstMismatch = frame;
            last = world.GetTransition(shader.transition);
            if (drawn) ++shaderChecks;
        }
        if (frame == 10) springStars = StarBrightness();
        // Once the winter has fully come in, every star has been given a colour since.
        if (world.GetTransition(SD::SeasonTransition::kFallToWinter) >= 1.0f) ++winterFrames;
        if (winterFrames == 200) winterStars = StarBrightness();
        return winterFrames < 200 && frame < 7000;
    };
    const SD::RunSummary summary = qvtest::RunIntoTheWorld(everyWorldFrame);
    EXPECT_TRUE(summary.clean) << summary.error;
    EXPECT_GT(shaderChecks, 3 * 400) << "the scene was drawn through the story";
    EXPECT_EQ(shaderMismatches, 0) << "the renderer's constants left the world's season at frame " << firstMismatch;
    EXPECT_EQ(seasons, (std::vector<SD::Season>{SD::Season::kSpring, SD::Season::kSummer, SD::Season::kFall,
                                                SD::Season::kWinter}))
        << "the world's season goes forward only, through every season";
    // The sound's season state starts at the game's first (summer's music, as the menu plays) and
    // takes the story's three steps to the last.
    EXPECT_EQ(soundStates, (std::vector<int>{1, 2, 3, 4}));
    ASSERT_GT(springStars, 0.0f) << "the spring sky has stars";
    EXPECT_EQ(winterStars, 0.0f) << "the winter sky has none";
}

}  // namespace
