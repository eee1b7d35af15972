#include "game/fireflies/Firefly.h"

#include <algorithm>
#include <cmath>

#include "core/EngineCore.h"
#include "core/Logger.h"
#include "core/Random.h"
#include "core/Matrix.h"
#include "core/MessageIds.h"
#include "core/MessageSystem.h"
#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "engine/MathSerialize.h"
#include "engine/Transform.h"
#include "game/components/Wind.h"
#include "game/components/ObjectLooks.h"
#include "game/components/WorldLogic.h"
#include "game/fireflies/FireflyGroup.h"
#include "game/fireflies/FireflyGroups.h"
#include "game/fireflies/FireflyManager.h"
#include "game/fireflies/FireflyMessages.h"
#include "physics/Body.h"
#include "runtime/Input.h"

namespace QV {
namespace {

// Beyond this squared distance from the player a firefly grows and pulses instead of glowing.
constexpr float kNearSquared = 15000.0f;
constexpr float kWingLift = 1.0471976f;   // 60 degrees
constexpr float kWingSwing = 0.5235988f;  // 30 degrees
// A firefly drifts only in a wind stronger than this.
constexpr float kWindFelt = 10.0f;

int recruitCounter = 0;

}  // namespace

Firefly::Firefly() { SetID(SD::CID_Firefly); }

Firefly::~Firefly() {
    if (handlersRegistered_) {
        if (SD::Message_System* messages = SD::Message_System::GetInstance()) {
            messages->RemoveHandlerOf(SD::MessageIds::FireflyRecruit, this);
            // Winds keep blowing after a firefly has gone: none may reach it afterwards.
            messages->RemoveHandlersOf28(windIndex_, this);
        }
    }
    if (SD::GhostEngine_* ghost = SD::GhostEngine_::Existing(); ghost && hasSoundObject_)
        ghost->DestroySoundObject(soundObject_);
    SetGroup(nullptr);
    for (const SD::GameObjectHandle& handle : wingHandles_) {
        if (SD::GameObject* wing = handle.get()) wing->Destroy();
    }
    if (Firefly_Manager* manager = Firefly_Manager::Existing()) manager->UnregisterFirefly(this);
}

const std::vector<std::pair<SD::SharedString, Firefly::Behaviour>>& Firefly::Table() {
    static const std::vector<std::pair<SD::SharedString, Behaviour>> table = {
        {SD::SharedString("Fly"), &Firefly::Fly},
        {SD::SharedString("Blink"), &Firefly::Blink},
        {SD::SharedString("Twitch"), &Firefly::Twitch},
        {SD::SharedString("Twirl"), &Firefly::Twirl},
        {SD::SharedString("WatchForPlayer"), &Firefly::WatchForPlayer},
        {SD::SharedString("JoinSun"), &Firefly::JoinSun},
        {SD::SharedString("Still"), &Firefly::Still},
        {SD::SharedString("FlyToObj"), &Firefly::FlyToObj},
        {SD::SharedString("DetachFromPlayer"), &Firefly::DetachFromPlayer},
        {SD::SharedString("JoinPlayer"), &Firefly::JoinPlayer},
        {SD::SharedString("FollowPath"), &Firefly::FollowPath},
        {SD::SharedString("GoUp"), &Firefly::GoUp},
    };
    return table;
}

const std::vector<SD::SharedString>& Firefly::BehaviourNames() {
    static const std::vector<SD::SharedString> names = [] {
        std::vector<SD::SharedString> all;
        for (const auto& entry : Table()) all.push_back(entry.first);
        return all;
    }();
    return names;
}

void Firefly::VInitialize(bool) {
    SD::GameObject* owner = GetOwner();
    if (!owner) return;
    transform_ = &owner->GetTransform();
    body_ = static_cast<Gedankenexperiment::Body*>(owner->GetComponent(SD::CID_Body));
    if (!handlersRegistered_) {
        if (SD::Message_System* messages = SD::Message_System::GetInstance()) {
            messages->RegisterHandler(SD::MessageIds::FireflyRecruit, this, &Firefly::OnRecruit);
            windIndex_ = owner->GetHandle().GetIndex();
            messages->RegisterObjectHandler(SD::MessageIds::WindMessage, windIndex_, this, &Firefly::OnWind);
            handlersRegistered_ = true;
        }
    }
    if (SD::GhostEngine_* ghost = SD::GhostEngine_::Existing(); ghost && !hasSoundObject_) {
        soundObject_ = ghost->CreateSoundObject();
        hasSoundObject_ = ghost->FindSoundObject(soundObject_) != nullptr;
    }
    baseScale_ = transform_->GetScale();
    pulsePhase_ = SD::Rand();
    detachRestart_ = true;
    flyToObjTime_ = 0.0f;
    blinkCountdown_ = std::fmod(SD::Rand(), 2.5f);
}

void Firefly::VSerialize(SD::IStream& stream, int version) {
    if (version != 1 && version != 2) return;
    if (version == 2) {
        SD::SerializeVec3(stream, "Blink Color", blinkColor_);
        stream.Serialize(blinkFadeSpeed_, "Blink Fade Speed", "Float");
    }
    stream.Serialize(flySpeed_, "Fly Speed", "Float");
    stream.Serialize(twitchPower_, "Twitch Power", "Float");
    stream.Serialize(defaultFly_, "Default Fly Action", "String");
    stream.Serialize(defaultIdle_, "Default Idle Action", "String");
}

void Firefly::VRegister() { Firefly_Manager::GetInstance().RegisterFirefly(this); }
void Firefly::VUnregister() { Firefly_Manager::GetInstance().UnregisterFirefly(this); }

void Firefly::RegisterFunctions() {
    RTTI_GETTER(&Firefly::GetFlySpeed);
    RTTI_SETTER(&Firefly::SetFlySpeed);
    RTTI_GETTER(&Firefly::GetTwitchPower);
    RTTI_SETTER(&Firefly::SetTwitchPower);
    RTTI_GETTER(&Firefly::GetBlinkFadeSpeed);
    RTTI_SETTER(&Firefly::SetBlinkFadeSpeed);
}

void Firefly::SetGroup(FireflyGroup* group) {
    if (group_) group_->RemoveMember(this);
    group_ = group;
    if (group_) group_->AddMember(this);
}

void Firefly::SetWing(int slot, SD::GameObject* wing) {
    if (slot < 0 || slot >= kWings || !wing) return;
    wingHandles_[slot] = wing->GetHandle();
}

bool Firefly::ThrottlePressed() {
    SD::Input_* input = SD::Input_::GetInstance();
    return input && std::fabs(input->GetAnalog("Trigger_Right")) > 0.0001f;
}

// --- Action list ---

void Firefly::Place(int lane, Behaviour behaviour, const SD::SharedString& name) {
    if (lane != kLaneQueued) {
        for (Action& action : actions_) {
            if (action.lane != lane) continue;
            action = Action{behaviour, name, lane, nextSerial_++};
            return;
        }
    }
    actions_.push_back(Action{behaviour, name, lane, nextSerial_++});
}

bool Firefly::PutOnLane(int lane, const SD::SharedString& name) {
    for (const auto& entry : Table()) {
        if (entry.first != name) continue;
        Place(lane, entry.second, name);
        return true;
    }
    SD_WARNING(Debug::kLogData, "firefly has no behaviour \"%s\"", name.c_str());
    return false;
}

void Firefly::DoAction(ActionMode mode, const SD::SharedString& name) {
    switch (mode) {
        case ActionMode::kOwnAndQueued:
            if (PutOnLane(kLaneOwn, name)) PutOnLane(kLaneQueued, name);
            break;
        case ActionMode::kBlink:
            PutOnLane(kLaneBlink, name);
            break;
        case ActionMode::kIdle:
            PutOnLane(kLaneIdle, name.Length() == 0 ? defaultIdle_ : name);
            break;
        case ActionMode::kFly:
            PutOnLane(kLaneFly, name.Length() == 0 ? defaultFly_ : name);
            break;
        case ActionMode::kQueued:
            PutOnLane(kLaneQueued, name);
            break;
    }
}

const SD::SharedString* Firefly::BehaviourOn(int lane) const {
    for (const Action& action : actions_) {
        if (action.lane == lane) return &action.name;
    }
    return nullptr;
}

void Firefly::Step(float dt) {
    if (!transform_) return;
    blocked_ = 0;
    // Only the actions present when the run starts take part; they may replace one another.
    std::vector<uint64_t> serials;
    serials.reserve(actions_.size());
    for (const Action& action : actions_) serials.push_back(action.serial);
    for (uint64_t serial : serials) {
        auto found =
            std::find_if(actions_.begin(), actions_.end(), [serial](const Action& a) { return a.serial == serial; });
        if (found == actions_.end() || (found->lane & blocked_)) continue;
        finished_ = false;
        (this->*(found->behaviour))(dt);
        if (!finished_) continue;
        finished_ = false;
        auto running =
            std::find_if(actions_.begin(), actions_.end(), [serial](const Action& a) { return a.serial == serial; });
        if (running != actions_.end()) actions_.erase(running);
    }
}

// --- Per frame ---

void Firefly::AddForce(const SD::Vec3& force) {
    if (body_) body_->AddForce(force.x, force.y, force.z);
}

SD::Vec3 Firefly::Position() const { return transform_ ? transform_->GetLocalPos() : SD::Vec3(); }

void Firefly::Update() {
    if (!transform_) return;
    BeatWings();
    FaceVelocity();
    Glow();
}

void Firefly::BeatWings() {
    const float speed = body_ ? body_->GetVelocity().Length() : 0.0f;
    const float w = std::sin(static_cast<float>(wingWatch_.GetTime()) * (speed + 20.0f));
    const SD::Mtx33 lift = SD::Mtx33::RotationX(kWingLift);
    const SD::Mtx33 p = lift * SD::Mtx33::RotationZ(w * kWingSwing);
    const SD::Mtx33 q = lift * SD::Mtx33::RotationZ(-w * kWingSwing);
    // Handles: back-left, front-left, back-right, front-right. Front-right and back-left swing
    // one way, the other two the other.
    const SD::Mtx33* swing[kWings] = {&p, &q, &q, &p};
    for (int i = 0; i < kWings; ++i) {
        SD::GameObject* wing = wingHandles_[i].get();
        if (!wing) continue;
        SD::Mtx33 orientation = *swing[i];
        orientation.Orthonormalize();
        wing->GetTransform().SetOrient(orientation);
    }
}

void Firefly::FaceVelocity() {
    if (!body_) return;
    const SD::Vec3 v = body_->GetVelocity();
    if (std::fabs(v.x) < 0.0001f && std::fabs(v.y) < 0.0001f && std::fabs(v.z) < 0.0001f) return;
    const SD::Vec3 d = v.GetNormalized();
    SD::Vec3 up(0.0f, 1.0f, 0.0f);
    if ((d - up).LengthSq() < 1e-8f) up = SD::Vec3(1.0f, 0.0f, 0.0f);
    const SD::Vec3 right = d.Cross(up);
    SD::Mtx33 orientation = SD::Mtx33::FromColumns(right, right.Cross(d), d);
    orientation.Orthonormalize();
    transform_->SetOrient(orientation);
}

void Firefly::Glow() {
    SD::GameObject* player = FindPlayer();
    if (!player) return;
    const float q = (Position() - player->GetTransform().GetLocalPos()).LengthSq();
    distanceScale_ = std::min(q / kNearSquared, 4.0f);
    float pulse = (std::sin(static_cast<float>(SD::Core::GetTime()) + pulsePhase_) + 1.0f) * 0.5f;
    if (pulse < 0.5f) pulse = 0.5f;
    if (q > kNearSquared) {
        transform_->SetScale(baseScale_ * (distanceScale_ * pulse));
        return;
    }
    looks::SetGeometryColor(GetOwner(), glow_);
    looks::SetLightColor(GetOwner(), glow_);
    transform_->SetScale(baseScale_);
}

void Firefly::SetColours(const SD::Vec3& colour) {
    looks::SetGeometryColor(GetOwner(), SD::Vec4(colour, 0.0f));
    looks::SetLightColor(GetOwner(), SD::Vec4(colour, 0.0f));
}

void Firefly::OnWind(SD::IMessage* message) {
    const auto* wind = static_cast<const WindMessage*>(message);
    // The message names the object the wind touched; one for another object is not ours.
    if (!GetOwner() || wind->GetTarget() != GetOwner()->GetHandle() || !wind->GetWind()) return;
    if (wind->GetWind()->GetStrength() > kWindFelt) AddForce(wind->GetWind()->GetVector() * 15.0f);
}

void Firefly::OnRecruit(SD::IMessage* message) {
    const auto* recruit = static_cast<const FireflyRecruitMessage*>(message);
    // Fireflies placed without a group, and the escort's own, ignore recruiting.
    if (!group_ || group_->flags != FireflyGroup::kMadeOnRequest) return;
    if ((Position() - recruit->position).LengthSq() >= 400.0f) return;
    recruitCounter = (recruitCounter + 1) % 3;
    Firefly_Manager::GetInstance().AttachToEscort(this, recruitCounter, SD::SharedString());
    PutOnLane(kLaneBlink, SD::SharedString("Blink"));
}

}  // namespace QV
