#pragma once
// The season cycle: four season looks (ambient light, fog colour and distances, a boundary
// along the world's X axis) blended by three season weights, smoothed into the look the
// renderer shows, darkened by storms and flashed by lightning; and the story of the world, a
// ten-stage machine that the story counter moves on, switching groups of objects, turning the
// moon, starting season transitions and posting sounds. Wind spheres are spawned here too.
// The season itself and its weights are held by the world's season (core/Season.h), which this
// system alone writes: the story's stages and, while the story leaves the blend alone, the
// season volumes the player flies through (SetVolumeSeason).
#include <string>

#include "core/Season.h"
#include "core/System.h"
#include "core/Vector.h"
#include "runtime/InterpolatorSystem.h"

namespace QV {

class Wind;

struct SeasonSettings {
    float boundaryX = 0.0f;
    SD::Vec4 ambient{1.0f, 1.0f, 1.0f, 1.0f};
    SD::Vec4 fog{1.0f, 1.0f, 1.0f, 1.0f};
    float fogNear = 100.0f;
    float fogFar = 10000.0f;
};

class SowlarSystem_ : public SD::ISystem {
public:
    static constexpr int kFinalStage = 9;
    // The music trigger of every story step: the music rings its stinger on its next beat.
    static constexpr const char* kStoryTrigger = "Story_Step";
    static constexpr float kFarFogNear = 10000000.0f;
    static constexpr float kFarFogFar = 100000000.0f;

    // Created on first use.
    static SowlarSystem_& GetInstance();
    static void DestroyInstance();

    SowlarSystem_();
    const char* GetName() const override { return "SowlarSystem"; }
    void ReadConfig(SD::ConfigFile& config) override;
    void Initialize() override;
    void Update(float dt) override;

    void ResetCycle();
    // The season by name ("Spring" or "spring", ...) at a weight: spring's weight is its own share
    // of the first transition, the other seasons' the share of the transition into them. Any
    // other name changes nothing.
    void SetSeasonWeight(const std::string& name, float weight);
    void SetSeasonWeight(SD::Season season, float weight);
    // A season volume's season and, for summer, its spring-to-summer blend (the other seasons'
    // volumes leave every transition alone). The story's stages that move the look (the first,
    // the summer ones and the ending) hold the season: a volume changes it only in the stages
    // between them, whichever of the two runs first in a frame. Before the first ResetCycle
    // there is no story and the volumes alone set the season.
    void SetVolumeSeason(SD::Season season, float blend);
    bool StoryHoldsSeason() const;
    // Spring or summer by where the player is along X between the spring and summer
    // boundaries; the world's season when there is no player.
    SD::Season GetSeasonAtPlayer() const;
    void StartLightning();
    void ActivateGroup(const char* group, bool flag);
    void DeactivateGroup(const char* group);
    void AdvanceMoon();

    // Wind spheres: a sphere of the radius blowing along the direction; a gust that swells to 900
    // and dies within 2 s (lifetime 3.3 s); a steady breeze of 200 for 3 s. Null when the
    // blueprint cannot be made.
    Wind* SpawnWindSphere(const SD::Vec3& position, const SD::Vec3& direction, float radius);
    Wind* SpawnGustSphere(const SD::Vec3& position, const SD::Vec3& direction);
    Wind* SpawnBreezeSphere(const SD::Vec3& position, const SD::Vec3& direction);

    const SeasonSettings& GetSettings(SD::Season season) const { return settings_[static_cast<int>(season)]; }
    int GetStage() const { return stage_; }
    int GetStoryCounter() const { return storyCounter_; }
    void SetStoryCounter(int counter) { storyCounter_ = counter; }
    void AdvanceStory() { ++storyCounter_; }
    bool IsFogEnabled() const { return fogEnabled_; }
    void SetFogEnabled(bool enabled) { fogEnabled_ = enabled; }
    bool IsLightningActive() const { return lightningActive_; }
    bool GetRainContact() const { return rainContact_; }
    void SetRainContact(bool contact) { rainContact_ = contact; }
    float GetStormDarkness() const { return stormDarkness_; }
    void SetStormDarkness(float darkness) { stormDarkness_ = darkness; }
    bool IsEndOfGame() const { return endOfGame_; }
    void SetEndOfGame(bool end) { endOfGame_ = end; }
    float GetWaterAlpha() const { return waterAlpha_; }
    const SD::Vec4& GetCurrentAmbient() const { return currentAmbient_; }
    const SD::Vec4& GetCurrentFog() const { return currentFog_; }

private:
    void PushSpring();
    void RunStage(float dt);
    void EnterNextStage();
    void StopRain(bool stop);
    // The snow of both snow objects falls or stops.
    void LetSnow(bool falling);

    SeasonSettings settings_[SD::kSeasonCount];
    bool fogEnabled_ = false;
    SD::Vec4 currentAmbient_{1.0f, 1.0f, 1.0f, 1.0f};
    SD::Vec4 currentFog_{0.0f, 0.0f, 0.0f, 0.0f};
    bool lightningActive_ = false;
    float lightningTime_ = 0.0f;
    SD::Vec3 lightningCentre_;
    bool rainContact_ = false;
    float stormDarkness_ = 0.0f;
    SD::InterpolatorF weights_[3];
    int storyCounter_ = 0;
    int stage_ = 0;
    bool storyStarted_ = false;
    float endingTime_ = 0.0f;
    bool whiteSquareSpawned_ = false;
    bool endOfGame_ = false;
    float waterAlpha_ = 0.0f;
};

}  // namespace QV
