#include "game/components/CircularSpinningLightLogic.h"

#include <algorithm>
#include <cmath>

#include "core/Logger.h"
#include "core/MathUtil.h"
#include "core/Random.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "engine/MathSerialize.h"
#include "engine/PlayStateQuery.h"
#include "engine/Transform.h"
#include "game/components/ObjectLooks.h"
#include "game/components/WorldLogic.h"

namespace QV {
namespace {

SD::Vec3 OnRing(const SD::Vec3& centre, float angle, float radius) {
    return SD::Vec3(centre.x + std::cos(angle) * radius, centre.y, centre.z + std::sin(angle) * radius);
}

}  // namespace

CircularSpinningLightLogic::~CircularSpinningLightLogic() {
    for (const SD::GameObjectHandle& handle : lights_) {
        if (SD::GameObject* light = handle.get()) light->Destroy();
    }
}

void CircularSpinningLightLogic::Layout(bool create) {
    SD::GameObject* owner = GetOwner();
    if (!owner || count_ < 1) return;
    // A ring cannot have more lights than the factory has objects: a larger count in the data is
    // cut to that.
    const SD::Factory_* factory = SD::Factory_::GetInstance();
    const int most = factory ? static_cast<int>(factory->GetPool().GetCapacity()) : 0;
    const int count = std::min(count_, most);
    if (create && count < count_)
        SD_WARNING(Debug::kLogError,
                   "Ring of lights of object %s: \"Number Of Lights\" %d is more than the %d objects there can be",
                   owner->GetName().c_str(), count_, most);
    if (count < 1) return;
    const float step = 2.0f * SD::kPi / static_cast<float>(count);
    const SD::Vec3 centre = owner->GetTransform().GetLocalPos();
    float angle = startAngle_;
    for (int i = 0; i < count; ++i, angle += step) {
        SD::GameObject* light = nullptr;
        if (create) {
            light = SD::Factory_::GetInstance()->CreateObject(kLightBlueprint, nullptr);
            if (light) light->Initialize(false);
            lights_.push_back(light ? light->GetHandle() : SD::GameObjectHandle());
            angles_.push_back(angle);
        } else if (static_cast<size_t>(i) < lights_.size()) {
            light = lights_[i].get();
            angles_[i] = angle;
        }
        // A light destroyed elsewhere is skipped.
        if (!light) continue;
        light->GetTransform().SetPos(OnRing(centre, angle, radius_));
        looks::SetLightColor(light, colour_);
        looks::SetGeometryColor(light, colour_);
        looks::SetLightAttenuation(light, attenuationNear_, attenuationFar_);
    }
}

void CircularSpinningLightLogic::VInitialize(bool) {
    if (lights_.empty()) Layout(true);
    startAngle_ = SD::Rand();
}

void CircularSpinningLightLogic::VSerialize(SD::IStream& stream, int) {
    stream.Serialize(count_, "Number Of Lights", "Integer");
    stream.Serialize(radius_, "Radius That Lights Are On", "Float");
    stream.Serialize(spinSpeed_, "Spin Speed Of Lights", "Float");
    SD::SerializeFloat4(stream, colour_, "Color", "Vector4");
    stream.Serialize(attenuationNear_, "Attenuation Near", "Float");
    stream.Serialize(attenuationFar_, "Attenuation Far", "Float");
}

void CircularSpinningLightLogic::VUpdate(float dt) {
    SD::GameObject* owner = GetOwner();
    if (!owner) return;
    // While the level is edited the ring follows its object.
    if (SD::GetCurrentPlayState() == SD::kPlayStateDevPause) {
        Layout(false);
        return;
    }
    const bool active = !GroupInactive(owner);
    const SD::Vec3 centre = owner->GetTransform().GetLocalPos();
    for (size_t i = 0; i < lights_.size(); ++i) {
        SD::GameObject* light = lights_[i].get();
        if (!light) continue;
        if (!active) {
            looks::SetLightColor(light, SD::Vec4());
            continue;
        }
        angles_[i] += spinSpeed_ * dt;
        light->GetTransform().SetPos(OnRing(centre, angles_[i], radius_));
        looks::SetLightColor(light, colour_);
    }
}

void CircularSpinningLightLogic::RegisterFunctions() {
    RTTI_GETTER(&CircularSpinningLightLogic::GetSpinningLightRadius);
    RTTI_SETTER(&CircularSpinningLightLogic::SetSpinningLightRadius);
    RTTI_GETTER(&CircularSpinningLightLogic::GetSpinSpeed);
    RTTI_SETTER(&CircularSpinningLightLogic::SetSpinSpeed);
    RTTI_GETTER(&CircularSpinningLightLogic::GetSpinningLightsColorR);
    RTTI_SETTER(&CircularSpinningLightLogic::SetSpinningLightsColorR);
    RTTI_GETTER(&CircularSpinningLightLogic::GetSpinningLightsColorG);
    RTTI_SETTER(&CircularSpinningLightLogic::SetSpinningLightsColorG);
    RTTI_GETTER(&CircularSpinningLightLogic::GetSpinningLightsColorB);
    RTTI_SETTER(&CircularSpinningLightLogic::SetSpinningLightsColorB);
    RTTI_GETTER(&CircularSpinningLightLogic::GetSpinningLightsColorA);
    RTTI_SETTER(&CircularSpinningLightLogic::SetSpinningLightsColorA);
    RTTI_GETTER(&CircularSpinningLightLogic::GetSpinningLightsAttenNear);
    RTTI_SETTER(&CircularSpinningLightLogic::SetSpinningLightsAttenNear);
    RTTI_GETTER(&CircularSpinningLightLogic::GetSpinningLightsAttenFar);
    RTTI_SETTER(&CircularSpinningLightLogic::SetSpinningLightsAttenFar);
}

}  // namespace QV
