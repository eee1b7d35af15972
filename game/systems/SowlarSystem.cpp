#include "game/systems/SowlarSystem.h"

#include <cmath>
#include <cstdio>
#include <memory>

#include "core/ConfigFile.h"
#include "core/Logger.h"
#include "core/Random.h"
#include "core/SharedString.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/Group.h"
#include "engine/Transform.h"
#include "game/components/MoonLogic.h"
#include "game/components/ObjectLooks.h"
#include "game/components/ProximityTriggers.h"
#include "game/components/QuorvPhantom.h"
#include "game/components/RainLogic.h"
#include "game/components/SpawnLogic.h"
#include "game/components/Spawner.h"
#include "game/components/Wind.h"
#include "game/fireflies/Firefly.h"
#include "game/fireflies/FireflyManager.h"
#include "game/hud/HudFade.h"
#include "game/systems/AudioLogic.h"
#include "game/systems/SeasonTuning.h"
#include "graphics/Graphics.h"
#include "graphics/photon/ParticleSystem.h"
#include "platform/os/Random.h"
#include "runtime/Input.h"
#include "runtime/InputCodes.h"
#include "sound/system/Phantom.h"

namespace QV {
namespace {

constexpr const char* kBoundaryKeys[SD::kSeasonCount] = {"SpringEndX", "SummerStartX", "FallStartX", "WinterStartX"};
constexpr float kByteToUnit = 0.003921569f;

std::unique_ptr<SowlarSystem_>& Instance() {
    static std::unique_ptr<SowlarSystem_> instance;
    return instance;
}

SD::GameObject* Find(const char* name) { return SD::Factory_::GetGameObjectByName(name); }

// The object of that name, made from the blueprint and named when it is missing.
void EnsureObject(const char* name, const char* blueprint) {
    if (Find(name)) return;
    SD::Factory_* factory = SD::Factory_::GetInstance();
    SD::GameObject* object = factory ? factory->CreateObject(blueprint, nullptr) : nullptr;
    if (!object) return;
    object->Initialize(false);
    object->NameObject(name);
}

float Blend(float spring, float summer, float fall, float winter, const float* w) {
    return ((spring * (1.0f - w[0]) + summer * w[0]) * (1.0f - w[1]) + fall * w[1]) * (1.0f - w[2]) + winter * w[2];
}

// The four channels of a colour by index.
float& C(SD::Vec4& v, int c) { return (&v.x)[c]; }
float C(const SD::Vec4& v, int c) { return (&v.x)[c]; }

float Draw(float low, float high) { return std::fmod(SD::Rand(), high - low) + low; }

void Start(SD::InterpolatorF& weight, const SeasonBlend& blend) { weight.Start(blend.from, blend.to, blend.seconds); }

bool DevKey(uint32_t code, bool triggered) {
    SD::Input_* input = SD::Input_::GetInstance();
    if (!input || !input->GetDevKeysEnabled()) return false;
    return triggered ? input->GetKeyStateTriggered(code) : input->GetKeyState(code);
}

void Post(const char* event) { AudioLogic_::PostEvent(event, nullptr); }

Aperture::Graphics_* Renderer() { return Aperture::Graphics_::Peek(); }

SD::Vec3 Rgb(const SD::Vec4& c) { return SD::Vec3(c.x, c.y, c.z); }

// The particle effect of that ID on the object; every such effect shares the particle base.
Aperture::Photon::ParticleSystem* Effect(SD::GameObject* object, SD::ComponentID id) {
    return object ? static_cast<Aperture::Photon::ParticleSystem*>(object->GetComponent(id)) : nullptr;
}

// A configured value that is no finite number ("nan", "inf") would reach every colour and fog
// distance of the renderer; it keeps its default instead.
float ReadFloat(const SD::ConfigFile& config, const std::string& key, float defaultValue) {
    const float value = config.GetFloat(key, defaultValue);
    if (std::isfinite(value)) return value;
    SD_WARNING(Debug::kLogError, "SowlarSystem: %s is not a finite number; %f is used", key.c_str(), defaultValue);
    return defaultValue;
}

}  // namespace

SowlarSystem_& SowlarSystem_::GetInstance() {
    if (!Instance()) Instance() = std::make_unique<SowlarSystem_>();
    return *Instance();
}

// The world's season goes back to its start with the system that writes it.
void SowlarSystem_::DestroyInstance() {
    Instance().reset();
    SD::WorldSeason::Get().Reset();
}

SowlarSystem_::SowlarSystem_() {
    for (SeasonSettings& season : settings_) season = SeasonSettings{0.0f, SD::Vec4(), SD::Vec4(), 0.0f, 0.0f};
}

void SowlarSystem_::ReadConfig(SD::ConfigFile& config) {
    // The world is in the starting season until the story begins (ResetCycle opens in spring).
    const std::string starting = config.GetString("StartingSeason", "Spring");
    SD::Season season = SD::Season::kSpring;
    if (!SD::ParseSeason(starting, &season))
        SD_WARNING(Debug::kLogData, "SowlarSystem: StartingSeason=%s is no season; the world starts in spring",
                   starting.c_str());
    SD::WorldSeason::Get().Enter(season);
    for (int s = 0; s < SD::kSeasonCount; ++s) {
        const std::string name = SD::SeasonName(static_cast<SD::Season>(s));
        SeasonSettings& season = settings_[s];
        season.ambient.x = ReadFloat(config, name + "AmbientLightColor_red", 255.0f) * kByteToUnit;
        season.ambient.y = ReadFloat(config, name + "AmbientLightColor_green", 255.0f) * kByteToUnit;
        season.ambient.z = ReadFloat(config, name + "AmbientLightColor_blue", 255.0f) * kByteToUnit;
        season.fog.x = ReadFloat(config, name + "FogColor_red", 255.0f) * kByteToUnit;
        season.fog.y = ReadFloat(config, name + "FogColor_green", 255.0f) * kByteToUnit;
        season.fog.z = ReadFloat(config, name + "FogColor_blue", 255.0f) * kByteToUnit;
        season.fogNear = ReadFloat(config, name + "FogNear", 100.0f);
        season.fogFar = ReadFloat(config, name + "FogFar", 10000.0f);
        season.boundaryX = ReadFloat(config, kBoundaryKeys[s], 0.0f);
        season.ambient.w = season.fog.w = 255.0f * kByteToUnit;
    }
}

void SowlarSystem_::PushSpring() {
    Aperture::Graphics_* renderer = Renderer();
    if (!renderer) return;
    const SeasonSettings& spring = GetSettings(SD::Season::kSpring);
    Aperture::SeasonLook& look = renderer->GetSeasonLook();
    look.SetAmbientColor(Rgb(spring.ambient));
    look.SetFogColor(Rgb(spring.fog));
    look.SetFogNear(spring.fogNear);
    look.SetFogFar(spring.fogFar);
}

void SowlarSystem_::Initialize() {
    fogEnabled_ = true;
    lightningActive_ = false;
    rainContact_ = false;
    stormDarkness_ = 0.0f;
    stage_ = 0;
    PushSpring();
}

void SowlarSystem_::ResetCycle() {
    EnsureObject("Water", "World/Water");
    EnsureObject("Spring_Opening_Poem", "Hud/Spring_Opening_Poem");
    storyCounter_ = 0;
    stage_ = 0;
    storyStarted_ = true;
    endOfGame_ = false;
    waterAlpha_ = kSeasonTuning.springWaterAlpha;
    // Spring with every transition at its start.
    SD::WorldSeason::Get().Reset();
    PushSpring();
    // The world opens at the end of a winter: it snows until the ice melts.
    LetSnow(true);
    for (SD::InterpolatorF& weight : weights_) weight.Start(0.0f, 1.0f, weight.GetDuration());
}

void SowlarSystem_::SetSeasonWeight(const std::string& name, float weight) {
    SD::Season season;
    if (SD::ParseSeason(name, &season)) SetSeasonWeight(season, weight);
}

void SowlarSystem_::SetSeasonWeight(SD::Season season, float weight) {
    SD::WorldSeason::Get().Set(season, season == SD::Season::kSpring ? 1.0f - weight : weight);
}

bool SowlarSystem_::StoryHoldsSeason() const { return storyStarted_ && (stage_ == 0 || stage_ == 3 || stage_ >= 6); }

void SowlarSystem_::SetVolumeSeason(SD::Season season, float blend) {
    if (StoryHoldsSeason()) return;
    if (season == SD::Season::kSummer)
        SD::WorldSeason::Get().Set(season, blend);
    else
        SD::WorldSeason::Get().Enter(season);
}

SD::Season SowlarSystem_::GetSeasonAtPlayer() const {
    SD::GameObject* player = Find("Player");
    if (!player) return SD::WorldSeason::Get().GetSeason();
    const float x = player->GetTransform().GetLocalPos().x;
    const float springEnd = GetSettings(SD::Season::kSpring).boundaryX;
    const float summerStart = GetSettings(SD::Season::kSummer).boundaryX;
    if (x < springEnd) return SD::Season::kSpring;
    if (x > summerStart) return SD::Season::kSummer;
    // Between the boundaries (both at the same X gives 0/0, which is not below a half).
    const float ratio = (x - springEnd) / (summerStart - springEnd);
    return ratio < 0.5f ? SD::Season::kSpring : SD::Season::kSummer;
}

void SowlarSystem_::StartLightning() {
    lightningActive_ = true;
    const StormTuning& storm = kStormTuning;
    lightningTime_ = storm.strikeMinSeconds + std::fmod(SD::Rand(), storm.strikeExtraSeconds);
    const float x = Draw(storm.strikeLow.x, storm.strikeHigh.x);
    const float y = Draw(storm.strikeLow.y, storm.strikeHigh.y);
    const float z = Draw(storm.strikeLow.z, storm.strikeHigh.z);
    lightningCentre_ = SD::Vec3(x, y, z);
}

void SowlarSystem_::ActivateGroup(const char* group, bool flag) {
    for (SD::Component* member : SD::Group::FindGroup(SD::SharedString(group))) {
        SD::GameObject* owner = member->GetOwner();
        if (!owner) continue;
        if (auto* proximity = static_cast<HackProximitySpawn*>(owner->GetComponent(SD::kHackProximitySpawnID))) {
            proximity->Arm();
            continue;
        }
        SD::Group::AsGroup(member)->SetActive(true);
        if (auto* spawn = static_cast<SpawnLogic*>(owner->GetComponent(SD::CID_SpawnLogic));
            spawn && spawn->HasStarted())
            spawn->Restart();
        if (auto* spawner = static_cast<Spawner*>(owner->GetComponent(SD::CID_Spawner))) {
            spawner->SetFollowPath(flag);
            spawner->SetSpawn_state(true);
        }
        if (auto* phantom = static_cast<SD::Phantom*>(owner->GetComponent(SD::CID_Phantom));
            phantom && !phantom->IsPlaying())
            phantom->Play();
        auto* music = static_cast<QuorvPhantom*>(owner->GetComponent(SD::CID_QuorvPhantom));
        if (music && !music->SoundPlayed()) music->PlaySound();
    }
}

void SowlarSystem_::DeactivateGroup(const char* group) {
    SD::Factory_* factory = SD::Factory_::GetInstance();
    for (SD::Component* member : SD::Group::FindGroup(SD::SharedString(group))) {
        SD::GameObject* owner = member->GetOwner();
        auto* spawner = owner ? static_cast<Spawner*>(owner->GetComponent(SD::CID_Spawner)) : nullptr;
        if (!spawner) continue;
        spawner->SetSpawn_state(false);
        for (const SD::GameObjectHandle& spawned : spawner->GetSpawnedObjects()) {
            if (SD::GameObject* object = spawned.get(); object && factory) factory->DestroyGameObject(object);
        }
        spawner->ClearSpawnedObjects();
    }
}

void SowlarSystem_::AdvanceMoon() {
    SD::GameObject* object = Find("MoonLogic");
    if (auto* moon = object ? static_cast<MoonLogic*>(object->GetComponent(SD::kMoonLogicID)) : nullptr) moon->Step();
}

void SowlarSystem_::StopRain(bool stop) {
    SD::GameObject* storm = Find("RainStorm");
    if (auto* rain = storm ? static_cast<RainLogic*>(storm->GetComponent(SD::kRainLogicID)) : nullptr)
        rain->Enable(!stop);
}

void SowlarSystem_::LetSnow(bool falling) {
    for (const char* name : {"Snow_0", "Snow_1"})
        if (Aperture::Photon::ParticleSystem* snow = Effect(Find(name), SD::CID_Snow)) snow->SetActiveFlag(falling);
}

void SowlarSystem_::Update(float dt) {
    if ((dt > -0.0001f && dt < 0.0001f) || !Find("Player")) return;
    const SeasonSettings* s = settings_;
    Aperture::Graphics_* renderer = Renderer();
    const SD::WorldSeason& season = SD::WorldSeason::Get();
    const float w[SD::kSeasonTransitionCount] = {season.GetTransition(SD::SeasonTransition::kSpringToSummer),
                                                 season.GetTransition(SD::SeasonTransition::kSummerToFall),
                                                 season.GetTransition(SD::SeasonTransition::kFallToWinter)};
    SD::Vec4 ambient, fog;
    for (int c = 0; c < 4; ++c) {
        C(ambient, c) = Blend(C(s[0].ambient, c), C(s[1].ambient, c), C(s[2].ambient, c), C(s[3].ambient, c), w);
        C(fog, c) = Blend(C(s[0].fog, c), C(s[1].fog, c), C(s[2].fog, c), C(s[3].fog, c), w);
    }
    const float fogNear = Blend(s[0].fogNear, s[1].fogNear, s[2].fogNear, s[3].fogNear, w);
    const float fogFar = Blend(s[0].fogFar, s[1].fogFar, s[2].fogFar, s[3].fogFar, w);

    if (DevKey(SD::key_N, false)) StartLightning();

    const StormTuning& storm = kStormTuning;
    const float d = stormDarkness_;
    // The storm darkens the colours; their alpha stays.
    SD::Vec4 targetAmbient = ambient, targetFog = fog;
    for (int c = 0; c < 3; ++c) {
        C(targetAmbient, c) = C(ambient, c) * (1.0f - d) + C(ambient, c) * storm.darkestAmbient * d;
        C(targetFog, c) = C(fog, c) * (1.0f - d) + C(fog, c) * storm.darkestFog * d;
    }

    lightningTime_ -= dt;
    SD::Factory_* factory = SD::Factory_::GetInstance();
    if (lightningTime_ < 0.0f) {
        lightningActive_ = false;
        if (SD::GameObject* flash = Find("Lightning"); flash && factory) factory->DestroyGameObject(flash);
    }
    if (lightningActive_ && platform::crt_rand() % storm.flashOneIn == 0) {
        currentAmbient_ = storm.flashAmbient;
        currentFog_ = storm.flashFog;
        SD::GameObject* flash = Find("Lightning");
        if (!flash && factory) {
            flash = factory->CreateObject("ObjectTemplates/Lightning", nullptr);
            if (flash) {
                flash->Initialize(false);
                flash->NameObject("Lightning");
            }
        }
        if (flash) {
            const SD::Vec3& spread = storm.flashSpread;
            const float x = Draw(-spread.x, spread.x);
            const float y = Draw(-spread.y, spread.y);
            const float z = Draw(-spread.z, spread.z);
            flash->GetTransform().SetPos(lightningCentre_ + SD::Vec3(x, y, z));
        }
    }

    currentAmbient_ = currentAmbient_ * (1.0f - storm.colourFollow) + targetAmbient * storm.colourFollow;
    currentFog_ = currentFog_ * (1.0f - storm.colourFollow) + targetFog * storm.colourFollow;
    if (renderer) {
        Aperture::SeasonLook& look = renderer->GetSeasonLook();
        look.SetAmbientColor(Rgb(currentAmbient_));
        look.SetFogColor(Rgb(currentFog_));
        look.SetFogNear(fogEnabled_ ? fogNear : kFarFogNear);
        look.SetFogFar(fogEnabled_ ? fogFar : kFarFogFar);
    }

    if (DevKey(SD::key_B, true)) ++storyCounter_;
    RunStage(dt);

    if (SD::GameObject* water = Find("Water")) looks::SetGeometryAlpha(water, waterAlpha_);
    rainContact_ = false;
}

void SowlarSystem_::RunStage(float dt) {
    switch (stage_) {
        case 0: {
            SetSeasonWeight(SD::Season::kSpring, weights_[0].GetValue());
            waterAlpha_ = kSeasonTuning.springWaterAlpha;
            // The dust around the player comes alive with the world.
            Aperture::Photon::ParticleSystem* dust = Effect(Find("Player"), SD::CID_DustSystem);
            if (dust && !dust->IsActive()) {
                dust->SetActiveFlag(true);
                dust->Start();
            }
            break;
        }
        case 3:
            waterAlpha_ = rainContact_ ? kSeasonTuning.rainWaterAlpha : kSeasonTuning.summerWaterAlpha;
            SetSeasonWeight(SD::Season::kSummer, weights_[0].GetValue());
            break;
        case 6:
        case 7:
            SetSeasonWeight(SD::Season::kSummer, weights_[0].GetValue());
            break;
        case 8:
            SetSeasonWeight(SD::Season::kFall, weights_[1].GetValue());
            break;
        case kFinalStage: {
            // The escort's fireflies rise one by one into the winter sky.
            if (Firefly_Manager* fireflies = Firefly_Manager::Existing()) {
                SD::GameObject* object = fireflies->PickRandomEscortFirefly();
                if (auto* firefly = object ? static_cast<Firefly*>(object->GetComponent(SD::CID_Firefly)) : nullptr)
                    firefly->DoAction(Firefly::ActionMode::kIdle, SD::SharedString("GoUp"));
            }
            endingTime_ += dt;
            if (endingTime_ <= kSeasonTuning.winterDelaySeconds) break;
            if (!whiteSquareSpawned_) {
                whiteSquareSpawned_ = true;
                AudioLogic_::GetInstance().IncrementState();
                Start(weights_[2], kSeasonTuning.winter);
                SD::Factory_* factory = SD::Factory_::GetInstance();
                SD::GameObject* square =
                    factory ? factory->CreateObject("ObjectTemplates/WhiteSquareOfSuccessTrigger", nullptr) : nullptr;
                if (square) {
                    square->NameObject("WhiteSquareOfSuccess");
                    square->Initialize(false);
                    if (auto* fade = static_cast<HudFade*>(square->GetComponent(SD::CID_HudFade))) fade->Begin();
                }
            }
            SetSeasonWeight(SD::Season::kWinter, weights_[2].GetValue());
            return;
        }
        default:
            break;
    }
    // A counter raised past the next stage's value still moves the story on, one stage a frame.
    if (stage_ < kFinalStage && storyCounter_ >= stage_ + 1) EnterNextStage();
}

void SowlarSystem_::EnterNextStage() {
    AudioLogic_& audio = AudioLogic_::GetInstance();
    char next[24];
    std::snprintf(next, sizeof next, "Group_%02d", stage_ + 1);
    char current[24];
    std::snprintf(current, sizeof current, "Group_%02d", stage_);
    // Each stage brings its group in (the last has none) and sends the one before away; the moon
    // turns on every step.
    if (stage_ < 8) ActivateGroup(next, stage_ == 7);
    if (stage_ > 0) DeactivateGroup(current);
    AdvanceMoon();
    AudioLogic_::PostTrigger(kStoryTrigger);
    switch (stage_) {
        case 2:
            Start(weights_[0], kSeasonTuning.summerFirst);
            audio.IncrementState();
            audio.SetSeasonTarget(1.0f);
            Post("Play_Ice_Melt");
            Post("Play_Water");
            Post("Play_Summer_Ambient");
            LetSnow(false);
            StopRain(true);
            break;
        case 5:
            audio.SetSeasonTarget(2.0f);
            audio.IncrementState();
            Start(weights_[0], kSeasonTuning.summerSecond);
            Post("Play_Fall_Ambient");
            break;
        case 6:
            StopRain(false);
            Start(weights_[0], kSeasonTuning.summerLast);
            audio.SetRainTarget(0.0f);
            break;
        case 7:
            if (Aperture::Graphics_* renderer = Renderer())
                renderer->GetGrassField().StartGrowth(kSeasonTuning.grassGrowthSeconds);
            Post("Play_Grass_Growing");
            Start(weights_[1], kSeasonTuning.fall);
            break;
        case 8:
            Post("Play_Winter_Ambient");
            LetSnow(true);
            endingTime_ = 0.0f;
            whiteSquareSpawned_ = false;
            break;
        default:
            break;
    }
    ++stage_;
}

Wind* SowlarSystem_::SpawnWindSphere(const SD::Vec3& position, const SD::Vec3& direction, float radius) {
    return SpawnGust(position, direction, radius);
}

Wind* SowlarSystem_::SpawnGustSphere(const SD::Vec3& position, const SD::Vec3& direction) {
    Wind* wind = SpawnWindSphere(position, direction, 500.0f);
    if (!wind) return nullptr;
    wind->SetStrengthCurve3(0.0f, 900.0f, 0.3f, 0.0f, 3.0f);
    wind->SetDuration(3.3f);
    return wind;
}

Wind* SowlarSystem_::SpawnBreezeSphere(const SD::Vec3& position, const SD::Vec3& direction) {
    Wind* wind = SpawnWindSphere(position, direction, 200.0f);
    if (!wind) return nullptr;
    wind->SetPower(200.0f);
    wind->SetDuration(3.0f);
    return wind;
}

}  // namespace QV
