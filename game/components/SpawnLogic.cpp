#include "game/components/SpawnLogic.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "core/Logger.h"
#include "core/MessageSystem.h"
#include "core/Random.h"
#include "engine/ChangeActiveState.h"
#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "engine/PlayStateQuery.h"
#include "engine/Transform.h"
#include "game/components/ObjectLooks.h"
#include "game/hud/HudSprites.h"
#include "physics/Body.h"
#include "physics/Collider.h"

namespace QV {
namespace {

const char* OwnerName(const SD::Component& c) { return c.GetOwner() ? c.GetOwner()->GetName().c_str() : ""; }

constexpr auto kLane = static_cast<SD::ActionList::GroupIDs::GroupID>(1);

using BehaviourTable = std::map<std::string, SD::ActionList::Action>;

// The behaviours of every spawn logic by name, entered once.
const BehaviourTable& Behaviours() {
    static const BehaviourTable table = [] {
        using Behaviour = void (SpawnLogic::*)();
        const std::pair<const char*, Behaviour> entries[] = {
            {"FadeLightIn", &SpawnLogic::FadeLightIn},
            {"RiseUp", &SpawnLogic::RiseUp},
            {"ScaleIn", &SpawnLogic::ScaleIn},
            {"FadeWaterfallIn", &SpawnLogic::FadeWaterfallIn},
            {"ScaleRotateIn", &SpawnLogic::ScaleRotateIn},
            {"Twirl", &SpawnLogic::Twirl},
            {"FadeIn", &SpawnLogic::FadeIn},
            {"WaitOnScreen", &SpawnLogic::WaitOnScreen},
            {"FadeOut", &SpawnLogic::FadeOut},
        };
        BehaviourTable made;
        for (const auto& [name, behaviour] : entries)
            made[name] = std::make_shared<MFCore::MemberFunction_0Parameters<void, SpawnLogic>>(behaviour);
        return made;
    }();
    return table;
}

SD::Vec3 Scaled(const SD::Vec3& v, float t) { return SD::Vec3(v.x * t, v.y * t, v.z * t); }

}  // namespace

SpawnLogic::SpawnLogic() {
    // A duration of about 0 read later keeps this one.
    interpolator_.Start(0.0f, 1.0f, 1.0);
    selfArgs_.emplace_back(this);
}

SpawnLogic::~SpawnLogic() {
    if (listening_) SD::Message_System::GetInstance()->RemoveHandlerOf(SD::MessageIds::ChangeActiveState, this);
}

void SpawnLogic::VSerialize(SD::IStream& stream, int version) {
    if (version == 2) stream.Serialize(sinkDepth_, "SinkDepth", "Float");
    if (version == 1 || version == 2) {
        stream.Serialize(duration_, "Duration", "Float");
        stream.Serialize(initialDelay_, "Initial Delay", "Float");
        stream.Serialize(action_, "Action", "String");
    }
    if (stream.GetDirection() != SD::IStream::kRead) return;
    delay_ = initialDelay_;
    if (action_.Length() > 0) Queue(action_.c_str());
}

void SpawnLogic::Queue(const char* behaviour) {
    auto found = Behaviours().find(behaviour);
    if (found == Behaviours().end()) {
        SD_WARNING(Debug::kLogError, "Spawn logic of object %s: unknown action \"%s\"; nothing plays", OwnerName(*this),
                   behaviour);
        return;
    }
    queue_.Append(found->second, kLane);
}

void SpawnLogic::VInitialize(bool) {
    SD::GameObject* owner = GetOwner();
    if (!owner) return;
    SD::Transform& transform = owner->GetTransform();
    savedScale_ = transform.GetScale();
    savedOrientation_ = transform.GetOrient();
    // Known even when the level starts in the developer pause, so leaving it can hide the object.
    sunkPosition_ = transform.GetLocalPos() - SD::Vec3(0.0f, sinkDepth_, 0.0f);
    if (SD::GetCurrentPlayState() != SD::kPlayStateDevPause) Hide();
    interpolator_.Start(0.0f, 1.0f, duration_);
    if (!listening_) {
        SD::Message_System::GetInstance()->RegisterHandler(SD::MessageIds::ChangeActiveState, this,
                                                           &SpawnLogic::OnPlayStateChange);
        listening_ = true;
    }
    Awake();
}

void SpawnLogic::Hide() {
    SD::GameObject* owner = GetOwner();
    if (!owner) return;
    SD::Transform& transform = owner->GetTransform();
    if (action_ == "RiseUp") {
        transform.SetPos(sunkPosition_);
        transform.SetScale(SD::Vec3());
        looks::GeometryColor(owner, &savedColor_);
    } else if (action_ == "FadeWaterfallIn") {
        looks::SetGeometryAlpha(owner, 0.0f);
    } else if (action_ == "FadeLightIn") {
        looks::LightColor(owner, &savedColor_);
        looks::SetLightColor(owner, SD::Vec4(0, 0, 0, 0));
    } else {
        transform.SetScale(SD::Vec3());
        looks::GeometryColor(owner, &savedColor_);
    }
    SyncCollider();
}

void SpawnLogic::Restart() {
    started_ = 0;
    delay_ = initialDelay_;
    Hide();
    // Whatever the previous play left queued gives way to the action from its beginning.
    queue_.RemoveGroup(kLane);
    if (action_.Length() > 0) Queue(action_.c_str());
}

void SpawnLogic::VUpdate(float dt) {
    if (SD::GetCurrentPlayState() == SD::kPlayStateDevPause) return;
    frameTime_ = dt;
    queue_.Run(selfArgs_);
}

void SpawnLogic::VOnAwake() {
    if (GetPlayState() == SD::kPlayStateDevPause) RestoreScaleAndOrientation();
}

SD::Vec3 SpawnLogic::GetRestingPosition() {
    if (action_ == "RiseUp") return sunkPosition_ + SD::Vec3(0.0f, sinkDepth_, 0.0f);
    return GetOwner() ? GetOwner()->GetTransform().GetLocalPos() : SD::Vec3();
}

void SpawnLogic::OnPlayStateChange(SD::IMessage* message) {
    auto* change = static_cast<SD::ChangeActiveState*>(message);
    SD::GameObject* owner = GetOwner();
    if (!owner || change->newState < 0) return;
    SD::Transform& transform = owner->GetTransform();
    if (change->newState == SD::kPlayStatePlay || change->newState == SD::kPlayStatePause) {
        if (change->oldState == SD::kPlayStateDevPause) {
            savedScale_ = transform.GetScale();
            savedOrientation_ = transform.GetOrient();
            if (action_ == "FadeLightIn") looks::LightColor(owner, &savedColor_);
            // Where the object was left in the pause is where it rises to.
            if (action_ == "RiseUp" && !started_)
                sunkPosition_ = transform.GetLocalPos() - SD::Vec3(0.0f, sinkDepth_, 0.0f);
        }
        if (started_) return;
        transform.SetScale(SD::Vec3());
        if (action_ == "RiseUp") {
            transform.SetPos(sunkPosition_);
        } else if (action_ == "FadeWaterfallIn") {
            looks::SetGeometryAlpha(owner, 0.0f);
        } else if (action_ == "FadeLightIn") {
            looks::SetLightColor(owner, SD::Vec4(0, 0, 0, 0));
        }
    } else if (change->newState == SD::kPlayStateDevPause) {
        RestoreScaleAndOrientation();
        if (action_ == "RiseUp") {
            transform.SetPos(sunkPosition_ + SD::Vec3(0.0f, sinkDepth_, 0.0f));
        } else if (action_ == "FadeWaterfallIn") {
            looks::SetGeometryAlpha(owner, 1.0f);
        } else if (action_ == "FadeLightIn") {
            looks::SetLightColor(owner, savedColor_);
        }
    }
}

bool SpawnLogic::Waiting() {
    if (delay_ <= 0.0f) return false;
    delay_ -= frameTime_;
    return true;
}

bool SpawnLogic::BeginAfterDelay(bool restoreLook) {
    if (started_) return true;
    if (Waiting()) return false;
    started_ = 1;
    if (restoreLook) RestoreScaleAndOrientation();
    interpolator_.Restart(duration_);
    return true;
}

void SpawnLogic::RestoreScaleAndOrientation() {
    if (!GetOwner()) return;
    SD::Transform& transform = GetOwner()->GetTransform();
    transform.SetScale(savedScale_);
    transform.SetOrient(savedOrientation_);
}

void SpawnLogic::Brighten(float t) {
    const float factor = std::max(1.0f, 2.0f * (1.0f - t));
    looks::SetGeometryColor(
        GetOwner(), SD::Vec4(savedColor_.x * factor, savedColor_.y * factor, savedColor_.z * factor, savedColor_.w));
}

void SpawnLogic::SyncCollider() {
    SD::GameObject* owner = GetOwner();
    auto* collider =
        owner ? static_cast<Gedankenexperiment::Collider*>(owner->GetComponent(SD::CID_Collider)) : nullptr;
    if (collider) collider->SyncFromTransform();
}

void SpawnLogic::ScaleIn() {
    if (!GetOwner()) return queue_.Finish();
    SD::Transform& transform = GetOwner()->GetTransform();
    if (!BeginAfterDelay(false)) return;
    if (interpolator_.IsComplete()) {
        transform.SetScale(savedScale_);
        return queue_.Finish();
    }
    const float t = interpolator_.GetFraction();
    transform.SetScale(Scaled(savedScale_, t));
    Brighten(t);
}

void SpawnLogic::ScaleRotateIn() {
    if (!GetOwner()) return queue_.Finish();
    SD::Transform& transform = GetOwner()->GetTransform();
    if (!BeginAfterDelay(false)) return;
    if (interpolator_.IsComplete()) {
        RestoreScaleAndOrientation();
        return queue_.Finish();
    }
    const float t = interpolator_.GetFraction();
    transform.SetScale(Scaled(savedScale_, t));
    SD::Mtx33 turned = savedOrientation_;
    for (float& entry : turned.m) entry *= t;
    transform.SetOrient(turned);
    Brighten(t);
}

void SpawnLogic::RiseUp() {
    if (!GetOwner()) return queue_.Finish();
    SD::Transform& transform = GetOwner()->GetTransform();
    if (!started_) {
        if (Waiting()) return;
        started_ = 1;
        RestoreScaleAndOrientation();
        riseOffset_ = 0.0f;
        interpolator_.Start(0.0f, sinkDepth_, duration_);
    }
    const float u = std::max(interpolator_.GetFraction(), 0.0001f);
    const float rise = (std::log(u) + 4.0f) * 0.25f * sinkDepth_;
    transform.SetPosY(transform.GetLocalPos().y + rise - riseOffset_);
    riseOffset_ = rise;
    Brighten(interpolator_.GetFraction());
    SyncCollider();
    if (interpolator_.IsComplete()) queue_.Finish();
}

void SpawnLogic::FadeLightIn() {
    if (!GetOwner()) return queue_.Finish();
    if (!BeginAfterDelay(true)) return;
    const float t = interpolator_.GetFraction();
    looks::SetLightColor(GetOwner(),
                         SD::Vec4(savedColor_.x * t, savedColor_.y * t, savedColor_.z * t, savedColor_.w * t));
    if (interpolator_.IsComplete()) queue_.Finish();
}

void SpawnLogic::FadeWaterfallIn() {
    if (!GetOwner()) return queue_.Finish();
    if (!BeginAfterDelay(true)) return;
    looks::SetGeometryAlpha(GetOwner(), interpolator_.GetFraction());
    if (interpolator_.IsComplete()) queue_.Finish();
}

void SpawnLogic::Twirl() {
    if (!GetOwner()) return queue_.Finish();
    if (!started_) {
        started_ = 1;
        RestoreScaleAndOrientation();
        twirlDuration_ = static_cast<float>(2.0 + std::fmod(SD::RandomRaw(), 4.0));
        interpolator_.Restart(twirlDuration_);
        const float x = static_cast<float>(std::fmod(SD::RandomRaw(), 1.0) - 0.5);
        const float y = static_cast<float>(std::fmod(SD::RandomRaw(), 1.0) - 0.5);
        const float z = static_cast<float>(std::fmod(SD::RandomRaw(), 1.0) - 0.5);
        twirlDirection_ = SD::Vec3(x, y, z);
    }
    if (auto* body = static_cast<Gedankenexperiment::Body*>(GetOwner()->GetComponent(SD::CID_Body)))
        body->AddForce(10.0f * twirlDirection_.x, 10.0f * twirlDirection_.y, 10.0f * twirlDirection_.z);
    if (interpolator_.IsComplete()) queue_.Finish();
}

void SpawnLogic::FadeIn() {
    if (!GetOwner()) return queue_.Finish();
    if (!started_) {
        started_ = 1;
        RestoreScaleAndOrientation();
        interpolator_.Start(0.0f, 1.0f, duration_);
        waitWatch_.Restart();
    }
    SetSpriteOpacity(GetOwner(), interpolator_.GetFraction() * 1.5f);
    if (!interpolator_.IsComplete()) return;
    Queue("WaitOnScreen");
    started_ = 0;
    queue_.Finish();
}

void SpawnLogic::WaitOnScreen() {
    if (waitWatch_.GetTime() <= kOnScreenSeconds) return;
    Queue("FadeOut");
    queue_.Finish();
}

void SpawnLogic::FadeOut() {
    if (!GetOwner()) return queue_.Finish();
    if (!started_) {
        started_ = 1;
        interpolator_.Start(1.0f, 0.0f, duration_);
        waitWatch_.Restart();
    }
    SetSpriteOpacity(GetOwner(), interpolator_.GetValue() * 1.5f);
    if (!interpolator_.IsComplete()) return;
    started_ = 0;
    queue_.Finish();
}

void SpawnLogic::RegisterFunctions() {
    RTTI_GETTER(&SpawnLogic::GetDelay);
    RTTI_SETTER(&SpawnLogic::SetDelay);
    RTTI_GETTER(&SpawnLogic::GetDuration);
    RTTI_SETTER(&SpawnLogic::SetDuration);
    RTTI_GETTER(&SpawnLogic::GetActionName);
    RTTI_SETTER(&SpawnLogic::SetActionName);
    RTTI_GETTER(&SpawnLogic::GetSinkDepth);
    RTTI_SETTER(&SpawnLogic::SetSinkDepth);
}

}  // namespace QV
