#include "graphics/photon/CollectionSparkles.h"

#include <algorithm>

#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/GameObjectHandle.h"
#include "graphics/photon/EffectSupport.h"
#include "graphics/photon/MainThreadQueue.h"

namespace Aperture::Photon {

FireflyCollectionSparkles::FireflyCollectionSparkles() {
    SetID(VGetID());
    particleCount = kSparks;
    cullRadius = 50.0f;
}

// The time left counts down in the age field.
void FireflyCollectionSparkles::Spawn(uint32_t i, const SD::Vec3& at) {
    Particle& p = particles[i];
    p.color = baseColor[i] = sparkleColor;
    p.lifetime = p.age = Uniform(1.0f, 2.5f);
    p.position = at + UniformVec3(-5.0f, 5.0f);
    p.velocity = UniformVec3(-100.0f, 100.0f);
    acceleration[i] = -p.velocity;
    p.size = baseSize[i] = Uniform(0.0f, 0.7f);
}

void FireflyCollectionSparkles::Start() {
    active = enabled;
    if (!enabled) return;
    const SD::Vec3 at = OwnerPosition();
    for (uint32_t i = 0; i < particleCount; ++i) {
        Spawn(i, at);
        particles[i].slice = 1.0f;
    }
}

void FireflyCollectionSparkles::Update(float dt) {
    active = enabled;
    if (!enabled) return;
    bool alive = false;
    for (uint32_t i = 0; i < particleCount; ++i) {
        Particle& p = particles[i];
        const float t = p.age;
        if (t <= 0.001f)
            p.color.w = 0.0f;
        else
            alive = true;
        const float k = t / p.lifetime;
        p.age = t - dt;
        acceleration[i] *= k;
        p.position += p.velocity * dt;
        p.velocity += acceleration[i] * dt;
        if (p.color.w > 0.00001f) {
            const float s = std::clamp(p.velocity.Length(), 0.0f, 1.0f);
            p.color = baseColor[i] * s;
            p.size = k * baseSize[i];
        }
    }
    if (!alive) DestroyTree();
}

void FireflyCollectionSparkles::DestroyTree() {
    if (destructionQueued || !GetOwner()) return;
    destructionQueued = true;
    SD::GameObject* root = GetOwner();
    while (root->GetParent()) root = root->GetParent();
    // Other updates may be reading the factory's objects now: the tree goes after them, and
    // only when nothing else has destroyed it meanwhile.
    const SD::GameObjectHandle handle = root->GetHandle();
    SD::GameObject* object = root;
    DeferToMainThread([handle, object] {
        SD::Factory_* factory = SD::Factory_::GetInstance();
        SD::GameObject* live = handle.get();
        if (factory && live == object) factory->DestroyGameObject(live);
    });
}

}  // namespace Aperture::Photon
