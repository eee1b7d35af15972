#include "game/components/IslandLogic.h"

#include <cmath>

#include "core/Delegate.h"
#include "core/EngineCore.h"
#include "core/Random.h"
#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "engine/Transform.h"
#include "game/components/ObjectLooks.h"
#include "game/components/WorldLogic.h"
#include "game/systems/AudioLogic.h"

namespace QV {

void FloatingIslandGlowLogic::VSerialize(SD::IStream& stream, int version) {
    SerializeGlowData(stream, version, minDistance_, maxDistance_, sound_);
}

void CrystalLogic::VInitialize(bool) {
    glow_ = 1.0f;
    countdown_ = static_cast<float>(std::fmod(SD::RandomRaw(), 3.75) + 0.75);
}

void CrystalLogic::VSerialize(SD::IStream& stream, int) {
    stream.Serialize(minDistance_, "Min Dist", "Float");
    stream.Serialize(maxDistance_, "Max Dist", "Float");
}

void CrystalLogic::VUpdate(float dt) {
    SD::GameObject* owner = GetOwner();
    if (!owner || !(owner->GetTransform().GetScale().x > 1.0f)) return;
    SD::GameObject* player = FindPlayer();
    if (!player || !(maxDistance_ > SquaredDistance(owner, player))) return;
    countdown_ -= dt;
    const bool chime = countdown_ < 0.0f;
    if (chime) {
        countdown_ = SD::RandomFloat(0.75f, 4.5f);
        AudioLogic_::PostEventID(kChime, owner);
    }
    glow_ = glow_ * 0.9f + 0.1f * (chime ? 65.0f : 1.0f);
    looks::SetGeometryColor(owner, SD::Vec4(glow_, glow_, glow_, glow_));
}

MountainSplitLogic::~MountainSplitLogic() {
    if (listener_) SD::Group::RemoveListener(listenedGroup_, listener_);
}

void MountainSplitLogic::VInitialize(bool) {
    if (listener_) return;
    listener_ = std::make_shared<MFCore::Delegate_1Parameters<void, MountainSplitLogic, SD::Group*>>(
        this, &MountainSplitLogic::OnMountainGroup);
    listenedGroup_ = groupName_;
    SD::Group::AddListener(listenedGroup_, listener_);
}

void MountainSplitLogic::VSerialize(SD::IStream& stream, int) {
    stream.Serialize(groupName_, "Mountain Group Name", "String");
    stream.Serialize(speed_, "Movement Speed", "Float");
}

void MountainSplitLogic::OnMountainGroup(SD::Group*) {
    SD::GameObject* owner = GetOwner();
    if (!owner) return;
    // Away from every other piece; the last one listed decides.
    for (SD::Component* member : SD::Group::FindGroup(groupName_)) {
        SD::GameObject* other = member->GetOwner();
        if (!other || other == owner) continue;
        const SD::Vec3 apart = owner->GetTransform().GetLocalPos() - other->GetTransform().GetLocalPos();
        if (apart.LengthSq() > 0.0f) direction_ = apart.GetNormalized();
    }
}

void MountainSplitLogic::VUpdate(float dt) {
    SD::GameObject* owner = GetOwner();
    if (!moving_ || !owner) return;
    SD::Transform& transform = owner->GetTransform();
    const float w = 10.0f * static_cast<float>(std::sin(SD::Core::GetTime()));
    SD::Vec3 p = transform.GetLocalPos() + direction_ * (speed_ * dt) - direction_ * (w * 0.02f * speed_ * dt);
    p.y += 0.025f * w;
    transform.SetOrient(SD::Mtx33::Identity());
    transform.RotateLocalYRad(RandomAngle(0.002f));
    transform.RotateLocalXRad(RandomAngle(0.002f));
    transform.RotateLocalZRad(RandomAngle(0.002f));
    transform.SetPos(p);
}

}  // namespace QV
