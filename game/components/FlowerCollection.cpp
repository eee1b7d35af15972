#include "game/components/FlowerCollection.h"

#include <cmath>
#include <cstdlib>
#include <memory>

#include "core/Delegate.h"
#include "core/MessageSystem.h"
#include "engine/ComponentID.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "engine/MathSerialize.h"
#include "engine/SuperialType.h"
#include "engine/Transform.h"
#include "game/cameras/WorldCameras.h"
#include "game/components/FlowerTrigger.h"
#include "game/components/Trigger.h"
#include "game/systems/AudioLogic.h"
#include "graphics/photon/EffectSupport.h"
#include "graphics/photon/MainThreadQueue.h"
#include "platform/os/Random.h"
#include "runtime/Input.h"
#include "runtime/InputCodes.h"

namespace QV {
namespace {

constexpr float kTwoPi = 6.2831853f;

using Aperture::Photon::Uniform;

void SerializeRange(SD::IStream& stream, const char* name, float& low, float& high) {
    stream.BeginGroup(name, "Values", SD::kSuperialObject);
    stream.Serialize(low, "Min", "Float");
    stream.Serialize(high, "Max", "Float");
    stream.EndGroup(name, "Values", SD::kSuperialObject);
}

// The developer reset: R held while the developer keys are on.
bool DeveloperResetHeld() {
    SD::Input_* input = SD::Input_::GetInstance();
    return input && input->GetKeyState(SD::key_R);
}

}  // namespace

FlowerCollection::FlowerCollection() { SetID(VGetID()); }

void FlowerCollection::VSerialize(SD::IStream& stream, int version) {
    if (version == 1)
        stream.Serialize(cullRadius, "Particle System Cull Bounding Sphere Radius", "Float");
    else if (version == 0)
        cullRadius = kDefaultCullRadius;
    if (version != 0 && version != 1) return;
    stream.Serialize(startDelayTime, "Start Delay Time", "Float");
    stream.Serialize(curveConstant, "Curve Constant", "Float");
    stream.Serialize(exponentScalar, "Exponent Scalar", "Float");
    stream.Serialize(startingHeight, "Starting Height", "Float");
    SerializeRange(stream, "Constant Speed", constantSpeedMin, constantSpeedMax);
    SerializeRange(stream, "Rotation Speed", rotationSpeedMin, rotationSpeedMax);
    stream.Serialize(startingDirection, "Starting Direction", "Integer");
    stream.Serialize(randomDirection, "Random Direction On?", "Boolean");
    SD::SerializeFloat4(stream, primary, "Primary", "Color");
    SD::SerializeFloat4(stream, secondary, "Secondary", "Color");
    stream.Serialize(colorScale, "Color Scale", "Float");
    SerializeRange(stream, "Particle Size", particleSizeMin, particleSizeMax);
    stream.Serialize(appliedVelocity, "Applied Velocity", "Float");
    stream.Serialize(systemRotationSpeed, "System Rotation Speed", "Float");
    SD::SerializeVec3(stream, "Peak Position", peakPosition);
    stream.Serialize(gainFactor, "Gain Factor", "Float");
}

void FlowerCollection::VInitialize(bool) {
    SD::GameObject* owner = GetOwner();
    auto* trigger = owner ? static_cast<Trigger*>(owner->GetComponent(SD::CID_Trigger)) : nullptr;
    if (trigger)
        trigger->AddCallback(new MFCore::Delegate_0Parameters<void, FlowerCollection>(this, &FlowerCollection::Collect),
                             lifetime.Token());
}

void FlowerCollection::Collect() {
    enabled = true;
    active = true;
    Start();
}

SD::Vec3 FlowerCollection::Peak() const {
    return GetOwner() ? GetOwner()->GetTransform().GetOrient() * peakPosition : peakPosition;
}

// A peak at the flower's own height has no funnel: the motes keep the base radius.
float FlowerCollection::FunnelRadius(float h, float peakY) const {
    if (peakY == 0.0f) return curveConstant;
    return std::pow(curveConstant, exponentScalar * (peakY - h) / peakY);
}

void FlowerCollection::Respawn(uint32_t i, const SD::Vec3& peak, const SD::Vec3& o) {
    Mote& m = motes[i];
    Aperture::Photon::Particle& p = particles[i];
    m.delay = 0.01f;
    m.angle = 0.0f;
    m.radius = FunnelRadius(startingHeight, peak.y);
    m.riseSpeed = Uniform(constantSpeedMin, constantSpeedMax);
    m.turnSpeed = Uniform(rotationSpeedMin, rotationSpeedMax);
    m.direction = startingDirection;
    if (randomDirection && (platform::crt_rand() & 1)) m.direction = -m.direction;
    p.position = SD::Vec3(peak.x + o.x, o.y + startingHeight, kTwoPi * m.radius + peak.z + o.z);
    SD::Vec4 c;
    if (platform::crt_rand() % 10 == 0) {
        c = secondary;
        c.x += Uniform(-30.0f, 30.0f);
        c.z += Uniform(-30.0f, 30.0f);
    } else {
        c = primary;
        c.y += Uniform(-30.0f, 30.0f);
        c.z += Uniform(-30.0f, 30.0f);
    }
    c = c * (colorScale / 255.0f);
    m.alpha = c.w;
    p.color = SD::Vec4(c.x, c.y, c.z, 0.0f);
    p.size = Uniform(particleSizeMin, particleSizeMax);
    const float a = Uniform(-appliedVelocity, appliedVelocity);
    p.velocity = SD::Vec3(a, 0.0f, a);
}

void FlowerCollection::Start() {
    if (!enabled) return;
    systemAngle = 0.0f;
    SD::GameObject* owner = GetOwner();
    if (SD::GameObject* camera = SD::Factory_::GetGameObjectByName("PlayerCam"))
        cameras::SetFollowTarget(camera, owner);
    AudioLogic_::PostEvent("Play_Flower", nullptr);
    if (SD::Message_System* messages = SD::Message_System::GetInstance()) {
        FlowerTrigger message;
        messages->SendMessage(message);
    }
    particleCount = kMotes;
    const SD::Vec3 peak = Peak();
    const SD::Vec3 o = OwnerPosition();
    for (uint32_t i = 0; i < kMotes; ++i) {
        Respawn(i, peak, o);
        motes[i].delay = static_cast<float>(i) * startDelayTime;
        particles[i].slice = 1.0f;
    }
}

void FlowerCollection::Update(float dt) {
    if (!enabled) return;
    if (DeveloperResetHeld()) {
        // Blueprints and the restart's camera, sound and message belong to the main thread;
        // the component may be gone by then.
        std::weak_ptr<const void> alive = lifetime.Token();
        Aperture::Photon::DeferToMainThread([this, alive] {
            if (alive.expired()) return;
            if (SD::GameObject* owner = GetOwner()) owner->UpdateBlueprints();
            Start();
        });
    }
    const SD::Vec3 peak = Peak();
    const SD::Vec3 o = OwnerPosition();
    systemAngle += systemRotationSpeed * dt;
    for (uint32_t i = 0; i < particleCount; ++i) {
        Mote& m = motes[i];
        Aperture::Photon::Particle& p = particles[i];
        if (m.delay > 0.0f) {
            m.delay -= dt;
            if (m.delay >= 0.0f) continue;
            p.color.w = m.alpha;
        }
        const float h = p.position.y - o.y;
        m.angle += static_cast<float>(m.direction) * m.turnSpeed * dt;
        p.position.x = kTwoPi * m.radius * std::sin(systemAngle + m.angle) + peak.x + o.x;
        p.position.z = kTwoPi * m.radius * std::cos(systemAngle + m.angle) + peak.z + o.z;
        p.position.y += m.riseSpeed * dt;
        if (peak.y != 0.0f) p.position.y += (h / peak.y) * gainFactor * dt;
        p.position += p.velocity;
        m.radius = FunnelRadius(h, peak.y);
        // Above the peak the mote starts again; a peak at height 0 never sends one back.
        if (peak.y != 0.0f && h > peak.y) Respawn(i, peak, o);
    }
}

}  // namespace QV
