#include "game/components/GrassLogic.h"

#include <cmath>

#include "core/MathUtil.h"
#include "core/Random.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "engine/Transform.h"
#include "game/cameras/WorldCameras.h"
#include "game/components/WorldLogic.h"
#include "platform/os/Random.h"

namespace QV {

void GrassPatchLogic::VSerialize(SD::IStream& stream, int) {
    stream.Serialize(blade_, "Name of Grass Object To Make", "String");
    stream.Serialize(count_, "Number of Grass Objects To Make", "Integer");
}

void GrassPatchLogic::VInitialize(bool) {
    SD::GameObject* owner = GetOwner();
    SD::Factory_* factory = SD::Factory_::GetInstance();
    if (!owner || !factory || !owner->GetChildren().Empty()) return;
    for (int k = 0; k < count_; ++k) {
        SD::GameObject* blade = factory->CreateObject(blade_.c_str(), owner);
        if (!blade) break;
        blade->GetTransform().RotateLocalYRad(static_cast<float>(k) * 2.0f * SD::kPi / static_cast<float>(count_));
        blade->Initialize(false);
    }
}

void GrassPatchLogic::VUpdate(float) {
    if (!GetOwner()) return;
    constexpr float w = 2.0f * SD::kPi * 0.002f;
    for (SD::GameObject* blade : GetOwner()->GetChildren()) {
        if (platform::crt_rand() % 3 != 0) continue;
        const float r = RandomAngle(w);
        SD::Transform& transform = blade->GetTransform();
        transform.RotateLocalYRad(r);
        transform.RotateLocalZRad(r);
        transform.RotateLocalXRad(r);
    }
}

void NaiveGrassBillboardLogic::VInitialize(bool) { counter_ = SD::RandomInt(0, kMaxWait); }

void NaiveGrassBillboardLogic::VUpdate(float) {
    if (!GetOwner() || ++counter_ <= kMaxWait) return;
    SD::Transform& transform = GetOwner()->GetTransform();
    SD::Vec3 camera;
    if (!cameras::ActiveCameraPosition(&camera)) camera = SD::Vec3();
    transform.SetOrient(SD::Mtx33::Identity());
    transform.RotateLocalZRad(camera.x <= transform.GetLocalPos().x ? 1.5707964f : -1.5707964f);
    transform.RotateLocalXRad(SD::kPi);
    counter_ = SD::RandomInt(0, kMaxWait);
}

}  // namespace QV
