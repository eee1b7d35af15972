#include "game/components/Tombstones.h"

#include "core/MathUtil.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/Group.h"
#include "engine/IStream.h"
#include "engine/Transform.h"
#include "game/components/ObjectLooks.h"
#include "game/components/WorldLogic.h"
#include "physics/Collider.h"
#include "platform/os/Random.h"

namespace QV {
namespace {

constexpr float kShake = SD::kPi * 0.007142857f;

// The glow of the stones comes in over the last 2.5 % of the rise.
float GlowAt(float rise) { return (rise - 0.975f) * 40.00004f; }

}  // namespace

void ShortTombstone::VInitialize(bool) {
    active_ = false;
    SD::GameObject* owner = GetOwner();
    if (!owner) return;
    SD::Transform& transform = owner->GetTransform();
    start_ = transform.GetLocalPos();
    end_ = start_ + transform.GetUp() * (0.6f * transform.GetScale().y);
    looks::SetGeometryColor(owner, SD::Vec4());
}

void ShortTombstone::VUpdate(float) {
    SD::GameObject* owner = GetOwner();
    if (!active_ || !owner) return;
    const SD::Vec3 position = start_ + (end_ - start_) * progress_;
    if (auto* collider = static_cast<Gedankenexperiment::Collider*>(owner->GetComponent(SD::CID_Collider)))
        collider->position = position;
    SD::Transform& transform = owner->GetTransform();
    transform.SetPos(position);
    if (progress_ >= 1.0f || platform::crt_rand() % 2 != 0) return;
    transform.RotateLocalXRad(RandomAngle(kShake));
    transform.RotateLocalYRad(RandomAngle(kShake));
    transform.RotateLocalZRad(RandomAngle(kShake));
}

void MainTombstone::VInitialize(bool) {
    activated_ = false;
    SD::GameObject* owner = GetOwner();
    if (!owner) return;
    owner->NameObject("MainTombstone");
    looks::SetGeometryColor(owner, SD::Vec4());
}

void MainTombstone::VSerialize(SD::IStream& stream, int) {
    stream.Serialize(groupName_, "Tombstone Group Name", "String");
}

void MainTombstone::Activate() {
    activated_ = true;
    SD::Group::FindGroup(groupName_).ForEach([](SD::Component* member) {
        SD::GameObject* object = member->GetOwner();
        auto* stone = object ? static_cast<ShortTombstone*>(object->GetComponent(SD::CID_ShortTombstone)) : nullptr;
        if (stone) stone->SetActive(true);
    });
    rise_.Start(0.0f, 1.0f, kRiseSeconds);
}

void MainTombstone::VUpdate(float) {
    if (!activated_ || !GetOwner()) return;
    const float v = rise_.GetValue();
    SD::Group::FindGroup(groupName_).ForEach([v](SD::Component* member) {
        SD::GameObject* object = member->GetOwner();
        if (!object) return;
        if (v > 0.975f) SetBulbAlpha(object, GlowAt(v));
        if (auto* stone = static_cast<ShortTombstone*>(object->GetComponent(SD::CID_ShortTombstone)))
            stone->SetProgress(v);
    });
    static const SD::SharedString waterfalls("Waterfall_Group");
    SD::Group::FindGroup(waterfalls).ForEach([v](SD::Component* member) {
        if (member->GetOwner()) looks::SetGeometryColor(member->GetOwner(), SD::Vec4(1.0f, 1.0f, 1.0f, 1.0f - v));
    });
    if (v > 0.975f) SetBulbAlpha(GetOwner(), GlowAt(v));
}

void MainTombstone::RegisterFunctions() {
    RTTI_GETTER(&MainTombstone::GetGroupName);
    RTTI_SETTER(&MainTombstone::SetGroupName);
}

}  // namespace QV
