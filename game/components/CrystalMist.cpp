#include "game/components/CrystalMist.h"

#include "core/Delegate.h"
#include "engine/ComponentID.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "game/components/Trigger.h"
#include "game/player/PlayerLogic.h"
#include "graphics/photon/EffectSupport.h"
#include "sound/system/Phantom.h"

namespace QV {

using Aperture::Photon::Uniform;

CrystalMist::CrystalMist() {
    SetID(VGetID());
    particleCount = kPuffs;
    cullRadius = 50.0f;
}

void CrystalMist::VInitialize(bool) {
    SD::GameObject* owner = GetOwner();
    auto* trigger = owner ? dynamic_cast<Trigger*>(owner->GetComponent(SD::CID_Trigger)) : nullptr;
    if (!trigger) return;
    trigger->AddCallback(new MFCore::Delegate_0Parameters<void, CrystalMist>(this, &CrystalMist::OnTriggered),
                         lifetime.Token());
}

void CrystalMist::OnTriggered() {
    triggered = true;
    Start();
}

void CrystalMist::InitParticle(uint32_t i, const SD::Vec3& origin) {
    const float a = Uniform(0.25f, 0.75f);
    const float c = Uniform(0.5f, 1.0f);
    const SD::Vec4 color = SD::RandomVec4(a - 0.01f, a + 0.01f, c - 0.01f, c + 0.01f, 1.0f, 2.0f, 0.005f, 0.1f);
    const float life = Uniform(1.0f, 2.5f);
    const SD::Vec3 at = origin + SD::RandomVec3(-8.0f, 8.0f, -8.0f, -1.0f, -10.0f, 10.0f);
    const SD::Vec3 push = SD::RandomVec3(-10.0f, 10.0f, 10.0f, 20.0f, -10.0f, 10.0f);
    Emit(i, at, color, life, push, 50.0f * Uniform(0.0f, 8.0f) + 100.0f);
}

void CrystalMist::Start() {
    active = triggered;
    if (!triggered) return;
    SD::GameObject* owner = GetOwner();
    if (auto* sound = owner ? dynamic_cast<SD::Phantom*>(owner->GetComponent(SD::CID_Phantom)) : nullptr) sound->Play();
    particleCount = kPuffs;
    const SD::Vec3 p = OwnerPosition();
    for (uint32_t i = 0; i < kPuffs; ++i) {
        InitParticle(i, p);
        particles[i].slice = 1.0f;
    }
    if (SD::GameObject* player = SD::Factory_::GetGameObjectByName("Player"))
        if (auto* logic = dynamic_cast<PlayerLogic*>(player->GetComponent(SD::CID_Player)))
            logic->RaiseCrystalCharge(kChargePerBurst);
}

void CrystalMist::Update(float dt) {
    active = triggered;
    if (!triggered) return;
    const SD::Vec3 origin = OwnerWorldPosition();
    for (uint32_t i = 0; i < particleCount; ++i) {
        float f = 0.0f;
        if (!Drift(i, dt, &f)) {
            InitParticle(i, origin);
            continue;
        }
        particles[i].color.w = baseColor[i].w * f;
        particles[i].size = savedSizes[i] * f;
    }
}

}  // namespace QV
