#include "game/components/DustSystem.h"

#include "core/MessageSystem.h"
#include "engine/ComponentID.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "engine/Transform.h"
#include "game/cameras/VernholmCameraLogic.h"
#include "game/components/RainLogic.h"
#include "game/components/Wind.h"
#include "graphics/photon/EffectSupport.h"
#include "graphics/photon/Snow.h"
#include "physics/Body.h"

namespace QV {

using Aperture::Photon::Particle;
using Aperture::Photon::Uniform;

DustSystem::DustSystem() {
    SetID(VGetID());
    particleCount = kMotes;
    active = true;
    for (SD::Vec4& a : targetAlpha) a = SD::Vec4(0.0f, 0.0f, 0.0f, 0.0f);
}

DustSystem::~DustSystem() {
    if (subscribed) SD::Message_System::GetInstance()->RemoveHandlersOf28(subscribedIndex, this);
}

void DustSystem::VInitialize(bool) {
    if (subscribed || !GetOwner()) return;
    subscribedIndex = GetOwner()->GetHandle().GetIndex();
    SD::Message_System::GetInstance()->RegisterObjectHandler(SD::MessageIds::WindMessage, subscribedIndex, this,
                                                             &DustSystem::OnWind);
    subscribed = true;
}

void DustSystem::VSerialize(SD::IStream& stream, int version) {
    if (version == 0) stream.Serialize(active, "Activate", "Boolean");
}

void DustSystem::OnWind(SD::IMessage* message) {
    const auto* windMessage = static_cast<const WindMessage*>(message);
    if (const Wind* source = windMessage->GetWind()) wind = source->GetVector() * 0.1f;
}

void DustSystem::StartGusts() {
    Aperture::Photon::StartGust(gustX);
    Aperture::Photon::StartGust(gustZ);
}

void DustSystem::Start() {
    particleCount = kMotes;
    StartGusts();
    for (uint32_t i = 0; i < kMotes; ++i) {
        Particle& p = particles[i];
        p.slice = 1.0f;
        p.position = SD::RandomVec3(1672.0f, 2472.0f, -175.0f, 225.0f, 1712.0f, 2512.0f);
        const float a = Uniform(0.15f, 0.65f);
        p.color = targetAlpha[i] = SD::Vec4(1.0f, 1.0f, 1.0f, a);
        p.size = Uniform(0.4f, 1.3f);
        p.velocity = SD::RandomVec3(-1.0f, -0.5f, -15.0f, -8.0f, -1.0f, -0.5f);
    }
}

bool DustSystem::Hidden() {
    bool hidden = false;
    if (SD::GameObject* storm = SD::Factory_::GetGameObjectByName("RainStorm"))
        if (auto* rain = dynamic_cast<RainLogic*>(storm->GetComponent(SD::kRainLogicID))) hidden = rain->IsRaining();
    if (SD::GameObject* camera = SD::Factory_::GetGameObjectByName("PlayerCam"))
        if (auto* logic = dynamic_cast<VernholmCameraLogic*>(camera->GetComponent(SD::CID_VernholmCameraLogic))) {
            const unsigned state = logic->GetState();
            if (state < 1 || state > 3) hidden = true;
        }
    return hidden;
}

void DustSystem::Respawn(uint32_t i, const SD::Vec3& c, float speed) {
    Particle& p = particles[i];
    if (speed > kFastSpeed) {
        const float t = (speed - kFastSpeed) * (1.0f / 150.0f);
        const float base = (1.0f - t) * 4.5f;
        p.color = SD::Vec4(base + 5.0f * t, base + 7.0f * t, base + 10.0f * t, 3.3f * t);
        const float r1 = Uniform(0.2f, 0.8f);
        const float r2 = Uniform(0.2f, 0.8f);
        targetAlpha[i].w = r2 * (1.0f - t) + r1 * t * 10.0f;
    } else {
        p.color = SD::Vec4(4.5f, 4.5f, 4.5f, 0.0f);
        targetAlpha[i].w = Uniform(0.2f, 0.8f);
    }
    p.size = Uniform(0.5f, 1.5f);
    p.velocity = SD::RandomVec3(-1.0f, -0.5f, -15.0f, -8.0f, -1.0f, -0.5f);
    p.position = SD::RandomVec3(c.x - kReach, c.x + kReach, c.y - kReach, c.y + 200.0f, c.z - kReach, c.z + kReach);
}

void DustSystem::Update(float dt) {
    SD::GameObject* followed = follow.get();
    if (!followed) {
        wind = SD::Vec3(0.0f, 0.0f, 0.0f);
        return;
    }
    const SD::Vec3 c = Aperture::Photon::Snow::Centre(*followed);
    if (gustX.IsComplete() || gustZ.IsComplete()) StartGusts();
    const float px = wind.x + gustX.GetValue();
    const float pz = wind.z + gustZ.GetValue();
    float speed = 0.0f;
    if (auto* body = dynamic_cast<Gedankenexperiment::Body*>(followed->GetComponent(SD::CID_Body)))
        speed = body->GetVelocity().Length();
    const bool hidden = Hidden();
    for (uint32_t i = 0; i < particleCount; ++i) {
        Particle& p = particles[i];
        p.position += p.velocity * dt;
        if ((p.position - c).LengthSq() < kReach * kReach) {
            if (hidden)
                p.color.w = 0.0f;
            else if (p.color.w < targetAlpha[i].w)
                p.color.w += 0.035f;
            p.velocity.x += px;
            p.velocity.z += pz;
        } else if (hidden) {
            p.color = SD::Vec4(0.0f, 0.0f, 0.0f, 0.0f);
            targetAlpha[i].w = 0.0f;
        } else {
            Respawn(i, c, speed);
        }
    }
    wind = SD::Vec3(0.0f, 0.0f, 0.0f);
}

}  // namespace QV
