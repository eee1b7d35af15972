#include "game/fireflies/FireflyDust.h"

#include "core/Matrix.h"
#include "core/MessageSystem.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "game/fireflies/FireflyMessages.h"
#include "graphics/photon/EffectSupport.h"

namespace QV {
namespace {

using Aperture::Photon::Particle;
using Aperture::Photon::Uniform;

const SD::Vec4 kWhite(1.0f, 1.0f, 1.0f, 1.0f);

SD::Vec4 Jitter(float lo, float hi) { return SD::RandomVec4(lo, hi, lo, hi, lo, hi, lo, hi); }

SD::Vec3 RandomDirection() {
    const float x = Uniform(-1.0f, 1.0f);
    const float y = Uniform(-1.0f, 1.0f);
    const float z = Uniform(-1.0f, 1.0f);
    const SD::Vec3 v(x, y, z);
    return v.LengthSq() > 0.0f ? v.GetNormalized() : SD::Vec3(0.0f, 1.0f, 0.0f);
}

SD::Vec4 Plus(const SD::Vec4& v, float s) { return SD::Vec4(v.x + s, v.y + s, v.z + s, v.w + s); }

}  // namespace

FireflyDust::FireflyDust() {
    SetID(VGetID());
    cullRadius = 20.0f;
    for (uint32_t i = 0; i < kMotes; ++i) {
        orbitDirections[i] = orbitAxes[i] = SD::Vec3(0.0f, 0.0f, 0.0f);
        baseColor[i] = glowColors[i] = SD::Vec4(0.0f, 0.0f, 0.0f, 0.0f);
    }
    SD::Message_System::GetInstance()->RegisterHandler(SD::MessageIds::BlinkEvent, this, &FireflyDust::OnBlink);
}

FireflyDust::~FireflyDust() { SD::Message_System::GetInstance()->RemoveHandlerOf(SD::MessageIds::BlinkEvent, this); }

void FireflyDust::OnBlink(SD::IMessage* message) {
    if (message->GetType() != SD::MessageIds::BlinkEvent || !GetOwner()) return;
    if (static_cast<const BlinkEvent*>(message)->object == GetOwner()->GetHandle()) blinkLevel = 1.0f;
}

void FireflyDust::Start() {
    particleCount = kMotes;
    const SD::Vec4 g = OwnerColor(kWhite);
    const SD::Vec3 at = OwnerPosition();
    for (uint32_t i = 0; i < kMotes; ++i) {
        Particle& p = particles[i];
        p.slice = 1.0f;
        p.size = Uniform(2.0f, 2.5f);
        p.position = at;
        p.color = g + Jitter(-0.2f, 0.2f) * 1.5f;
        p.color.w = 1.5f * Uniform(0.0f, 0.5f) + 0.375f;
        baseColor[i] = p.color;
        glowColors[i] = Plus(g * 10.0f, 0.15f);
        orbitDirections[i] = RandomDirection();
        orbitAxes[i] = RandomDirection();
    }
    blinkLevel = 0.0f;
}

void FireflyDust::Update(float dt) {
    phase += dt;
    const SD::Vec4 g = OwnerColor(kWhite);
    const float r = 0.525f * (GetOwner() ? GetOwner()->GetTransform().GetScaleX() : 1.0f);
    const SD::Vec4 glow = Plus(g * 5.0f, 0.1f);
    const SD::Vec3 at = OwnerPosition();
    for (uint32_t i = 0; i < particleCount; ++i) {
        Particle& p = particles[i];
        p.position = at + SD::Mtx33::RotationAxisAngle(phase, orbitAxes[i]) * (orbitDirections[i] * r);
        baseColor[i] = (g + Jitter(-0.2f, 0.2f)) * 1.25f;
        baseColor[i].w = 1.25f * Uniform(0.0f, 0.5f) + 0.3125f;
        glowColors[i] = glow;
        p.color = baseColor[i] * (1.0f - blinkLevel) + glowColors[i] * blinkLevel;
    }
    if (blinkLevel > 0.0f)
        blinkLevel -= dt;
    else
        blinkLevel = 0.0f;
}

}  // namespace QV
