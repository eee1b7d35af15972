#include "game/components/SeasonLogic.h"

#include <algorithm>
#include <cmath>

#include "core/Random.h"
#include "core/Season.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "engine/MathSerialize.h"
#include "engine/PlayStateQuery.h"
#include "engine/Transform.h"
#include "game/components/ObjectLooks.h"
#include "game/components/WorldLogic.h"
#include "game/systems/AudioLogic.h"
#include "game/systems/SowlarSystem.h"
#include "graphics/photon/RainSystem.h"
#include "graphics/photon/SkyEffects.h"
#include "physics/Collider.h"
#include "physics/OverlapTests.h"
#include "runtime/Input.h"

namespace QV {
namespace {

constexpr uint32_t kKeyN = 0x4E;

constexpr const char* kAmbience[SD::kSeasonCount] = {"Play_Spring_Ambient", "Play_Summer_Ambient", "Play_Fall_Ambient",
                                                     "Play_Winter_Ambient"};

// A volume's season: a capitalised season name, anything else is spring.
SD::Season VolumeSeason(const SD::SharedString& name) {
    for (SD::Season season : {SD::Season::kSummer, SD::Season::kFall, SD::Season::kWinter})
        if (name == SD::SeasonName(season)) return season;
    return SD::Season::kSpring;
}

}  // namespace

void SeasonTransitionLogic::VSerialize(SD::IStream& stream, int version) {
    if (version == 1) stream.Serialize(volumeType_, "Volume Type", "Integer");
    if (version == 0 || version == 1) stream.Serialize(season_, "Transition Season", "String");
}

bool SeasonTransitionLogic::Touches(const SD::Vec3& at, float radius) const {
    if (!GetOwner()) return false;
    SD::Transform& volume = GetOwner()->GetTransform();
    const SD::Vec3 centre = volume.GetLocalPos();
    if (volumeType_ == kSphere) {
        const float reach = volume.GetScale().x + radius;
        return reach * reach > (centre - at).LengthSq();
    }
    if (volumeType_ != kBox) return false;
    const SD::Vec3 half = volume.GetScale() * 0.5f;
    return Gedankenexperiment::SphereTouchesOrientedBox(at, radius, centre + volume.GetUp() * half.y, half,
                                                        volume.GetOrient());
}

bool SeasonTransitionLogic::Blend(SD::GameObject* player, float* blend) const {
    SD::Transform& volume = GetOwner()->GetTransform();
    auto* collider = static_cast<Gedankenexperiment::Collider*>(player->GetComponent(SD::CID_Collider));
    const SD::Vec3 centre = volume.GetLocalPos();
    const SD::Vec3 at = player->GetTransform().GetLocalPos();
    if (!Touches(at, collider ? collider->GetRadius() : 0.0f)) return false;
    if (volumeType_ == kSphere) {
        const float radius = volume.GetScale().x;
        *blend = radius > 0.0f ? std::clamp(std::sqrt((centre - at).LengthSq()) / (2.0f * radius), 0.0f, 1.0f) : 0.0f;
        return true;
    }
    const SD::Vec3 half = volume.GetScale() * 0.5f;
    const SD::Vec3 across = volume.GetRight() * half.x;
    const float length = across.Length();
    if (length <= 0.0f) return false;
    *blend = (across * (1.0f / length)).Dot(at - (centre - across)) / (2.0f * length);
    return true;
}

void SeasonTransitionLogic::VUpdate(float) {
    SD::GameObject* player = FindPlayer();
    float blend = 0.0f;
    if (!player || !GetOwner() || !Blend(player, &blend)) return;
    const SD::Season season = VolumeSeason(season_);
    AudioLogic_::GetInstance().SetSeason(static_cast<int>(season));
    SowlarSystem_::GetInstance().SetVolumeSeason(season, blend);
    AudioLogic_::PostEvent(kAmbience[static_cast<int>(season)], nullptr);
}

void SeasonalColorInterpLogic::VSerialize(SD::IStream& stream, int) {
    SD::SerializeFloat4(stream, spring_, "Spring Color", "Vector4");
    SD::SerializeFloat4(stream, summer_, "Summer Color", "Vector4");
    SD::SerializeFloat4(stream, fall_, "Fall Color", "Vector4");
    SD::SerializeFloat4(stream, winter_, "Winter Color", "Vector4");
}

void SeasonalColorInterpLogic::VUpdate(float) {
    if (!GetOwner()) return;
    const float t = SD::WorldSeason::Get().GetTransition(SD::SeasonTransition::kSpringToSummer);
    looks::SetGeometryColor(GetOwner(), spring_ * (1.0f - t) + summer_ * t);
}

void RainLogic::SetParticles(bool on) {
    particlesOn_ = on;
    if (auto* rain = SD::ComponentOf<Aperture::Photon::RainSystem>(GetOwner(), SD::CID_RainSystem)) rain->SetActive(on);
}

void RainLogic::Enable(bool enabled) {
    enabled_ = enabled;
    SowlarSystem_::GetInstance().SetStormDarkness(0.0f);
    SetParticles(false);
}

void RainLogic::VUpdate(float dt) {
    if (!enabled_) return;
    if (!raining_) {
        countdown_ -= dt;
        if (countdown_ > 0.0f) return;
        raining_ = true;
        stormTime_ = 0.0f;
        thunderCountdown_ = 0.0f;
        particlesOn_ = false;
        darkness_.Start(0.0f, 1.0f, 25.0);
        countdown_ = kPause;
        return;
    }
    if (darkness_.IsComplete()) {
        darkness_.Start(darkness_.GetValue(), darkness_.GetValue() > 0.5f ? 0.0f : 1.0f, 17.0);
    }
    stormTime_ += dt;
    if (stormTime_ >= kStorm) raining_ = false;
    SowlarSystem_& seasons = SowlarSystem_::GetInstance();
    seasons.SetStormDarkness(std::clamp(darkness_.GetValue() * 4.0f, 0.0f, 1.0f));
    if (stormTime_ >= 7.0f && stormTime_ <= 37.0f && !particlesOn_) {
        SetParticles(true);
        AudioLogic_::GetInstance().SetRainTarget(1.0f);
    }
    if (particlesOn_ && stormTime_ > 37.0f) {
        SetParticles(false);
        AudioLogic_::GetInstance().SetRainTarget(0.0f);
    }
    if (stormTime_ >= 12.0f && stormTime_ <= 34.0f) {
        thunderCountdown_ -= dt;
        if (thunderCountdown_ <= 0.0f) {
            seasons.StartLightning();
            AudioLogic_::PostEvent("Play_Thunder", nullptr);
            thunderCountdown_ = SD::RandomFloat(5.0f, 10.0f);
        }
    }
}

void MoonLogic::Layout(bool create) {
    SD::GameObject* owner = GetOwner();
    if (!owner) return;
    SD::GameObject* moon = nullptr;
    if (create) {
        SD::Factory_* factory = SD::Factory_::GetInstance();
        moon = factory ? factory->CreateObject("ObjectTemplates/Moon", owner) : nullptr;
        if (moon) {
            moon->Initialize(false);
            moon_ = moon->GetHandle();
        }
    } else {
        moon = moon_.get();
    }
    if (!moon) return;
    SD::Transform& sky = owner->GetTransform();
    moon->GetTransform().SetPos(sky.GetRight() * -radius_);
    moon->GetTransform().SetScale(SD::Vec3(moonScale_, moonScale_, moonScale_));
    sky.SetOrient(SD::Mtx33::Identity());
    sky.RotateLocalZRad(startRotation_ * 0.017453292f);
    steps_ = 0;
    currentTurn_ = 0.0f;
    targetTurn_ = 0.0f;
}

void MoonLogic::VSerialize(SD::IStream& stream, int) {
    stream.Serialize(radius_, "Radius", "Float");
    stream.Serialize(startRotation_, "Starting Z Rotation In Degrees", "Float");
    stream.Serialize(moonScale_, "Moon Scale", "Float");
}

void MoonLogic::Step() {
    ++steps_;
    stepDelay_ = kStepDelay;
    targetTurn_ -= kStepRadians;
}

void MoonLogic::VUpdate(float dt) {
    if (SD::GetCurrentPlayState() == SD::kPlayStateDevPause) {
        Layout(false);
        return;
    }
    SD::Input_* input = SD::Input_::GetInstance();
    if (input && input->GetDevKeysEnabled() && input->GetKeyStateTriggered(kKeyN)) Step();
    if (!(currentTurn_ > targetTurn_) || !GetOwner()) return;
    stepDelay_ -= dt;
    if (stepDelay_ >= 0.0f) return;
    const float angle = dt * -kTurnRate;
    GetOwner()->GetTransform().RotateLocalZRad(angle);
    currentTurn_ += angle;
    auto* stars = SD::ComponentOf<Aperture::Photon::TwinklingStars>(SD::Factory_::GetGameObjectByName("TwinklingStars"),
                                                                    SD::CID_TwinklingStars);
    if (stars) stars->Rotate(angle);
}

void MoonLogic::RegisterFunctions() {
    RTTI_GETTER(&MoonLogic::GetRadius);
    RTTI_SETTER(&MoonLogic::SetRadius);
    RTTI_GETTER(&MoonLogic::GetStartingZRotation);
    RTTI_SETTER(&MoonLogic::SetStartingZRotation);
    RTTI_GETTER(&MoonLogic::GetMoonScale);
    RTTI_SETTER(&MoonLogic::SetMoonScale);
}

void SyncLogic::VSerialize(SD::IStream& stream, int) {
    stream.Serialize(target_, "Target", "String");
    stream.Serialize(syncPosition_, "Sync Pos", "Boolean");
    stream.Serialize(syncOrientation_, "Sync Orient", "Boolean");
}

void SyncLogic::VUpdate(float) {
    SD::GameObject* target = SD::Factory_::GetGameObjectByName(target_.c_str());
    if (!target || !GetOwner()) return;
    SD::Transform& transform = GetOwner()->GetTransform();
    if (syncPosition_) transform.SetPos(target->GetTransform().GetLocalPos());
    if (syncOrientation_) transform.SetOrient(target->GetTransform().GetOrient());
}

}  // namespace QV
