// Fireflies in the real game: one spawned near the vehicle has its body, glow, light, trail and
// sound object, and moves; collecting it through the game's hooks bursts sparkles where it is
// and sends it to the vehicle, which it then nears while the vehicle flies on. A green one
// blinks with the fourth image of its glow, which flares and fades, and its trail is drawn in
// its body's colour.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>
#include <string>

#include "WorldRun.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "game/components/ObjectLooks.h"
#include "game/components/WorldHooks.h"
#include "game/fireflies/Firefly.h"
#include "game/fireflies/FireflyManager.h"
#include "graphics/Graphics.h"
#include "graphics/photon/CollectionSparkles.h"
#include "graphics/photon/FireflyEffects.h"
#include "runtime/Input.h"
#include "runtime/InputCodes.h"
#include "support/HeldKeys.h"

namespace {

SD::Vec3 At(const SD::GameObjectHandle& handle) {
    SD::GameObject* object = handle.get();
    return object ? object->GetTransform().GetPos() : SD::Vec3();
}

TEST(WorldFireflies, ASpawnedFireflyMovesAndOnCollectionSparklesAndJoinsThePlayer) {
    SD::GameObjectHandle firefly;
    SD::Vec3 spawnedAt, beforeCollection;
    float distanceAtCollection = 0.0f, nearest = 1e9f;
    bool moved = false, sparkles = false, joined = false;
    int worldFrames = 0;
    std::set<uint32_t> keys;
    bool injecting = false;
    auto injectKeys = [&] {
        if (injecting || !SD::Input_::GetInstance()) return;
        SD::Input_::GetInstance()->AddInjector(std::make_unique<qvtest::HeldKeys>(&keys));
        injecting = true;
    };
    const SD::RunSummary summary = qvtest::RunIntoTheWorld(
        [&](int frame) {
            worldFrames = frame;
            SD::GameObject* player = SD::Factory_::GetGameObjectByName("Player");
            if (worldFrames == 50 && player) {
                const SD::Vec3 near = player->GetTransform().GetPos() + SD::Vec3(60.0f, 10.0f, 0.0f);
                SD::GameObject* made =
                    QV::Firefly_Manager::GetInstance().SpawnFirefly(near, near, 2, SD::SharedString("Twirl"));
                if (!made) return false;
                firefly = made->GetHandle();
                spawnedAt = near;
                for (SD::ComponentID id :
                     {SD::CID_Body, SD::CID_Geometry, SD::CID_Light, SD::CID_FireflyTrail, SD::CID_FireflyBlink})
                    EXPECT_NE(made->GetComponent(id), nullptr) << "component " << id;
            }
            if (worldFrames == 150) {
                moved = (At(firefly) - spawnedAt).Length() > 0.5f;
                SD::GameObject* object = firefly.get();
                if (!object || !player) return false;
                beforeCollection = At(firefly);
                distanceAtCollection = (beforeCollection - player->GetTransform().GetPos()).Length();
                QV::GetWorldHooks().ShowCollectionSparkles(object);
                QV::GetWorldHooks().SendFireflyToPlayer(object);
                auto* logic = static_cast<QV::Firefly*>(object->GetComponent(SD::CID_Firefly));
                const SD::SharedString* fly = logic->BehaviourOn(QV::Firefly::kLaneFly);
                joined = fly && std::string(fly->c_str()) == "JoinPlayer";
                // Escorts follow while the vehicle flies on.
                keys = {SD::key_SPACE};
            }
            if (worldFrames == 151) {
                // The burst is drawn where the firefly was collected.
                for (Aperture::CulledParticles* system : Aperture::Graphics_::GetInstance()->GetPointParticleList()) {
                    auto* burst = dynamic_cast<Aperture::Photon::FireflyCollectionSparkles*>(system);
                    SD::GameObject* owner = burst ? burst->GetOwner() : nullptr;
                    if (owner && burst->IsEnabled() &&
                        (owner->GetTransform().GetPos() - beforeCollection).Length() < 1.0f)
                        sparkles = true;
                }
            }
            if (worldFrames > 150 && player && firefly.get())
                nearest = std::min(nearest, (At(firefly) - player->GetTransform().GetPos()).Length());
            return worldFrames < 600;
        },
        injectKeys);
    EXPECT_TRUE(summary.clean) << summary.error;
    ASSERT_GE(worldFrames, 600);
    EXPECT_TRUE(moved) << "the firefly flew from where it was spawned";
    EXPECT_TRUE(joined) << "collected, it flies to the player";
    EXPECT_TRUE(sparkles) << "sparkles burst where it was collected";
    EXPECT_LT(nearest, 0.5f * distanceAtCollection) << "it came to the player";
}

// Each channel's share of the three (the trail and the body differ in brightness only).
SD::Vec3 Hue(float r, float g, float b) {
    const float sum = r + g + b;
    return sum > 0.0f ? SD::Vec3(r / sum, g / sum, b / sum) : SD::Vec3();
}

TEST(WorldFireflies, AGreenFireflyBlinksWithItsGlowImageAndTrailsInItsBodyColour) {
    SD::GameObjectHandle firefly;
    int worldFrames = 0, glowImage = -1, trailFrames = 0;
    float largestGlow = 0.0f, largestAlpha = 0.0f, worstTrailHue = 0.0f;
    int glowFrames = 0, fadingFrames = 0;
    float previousAlpha = -1.0f;
    bool glowEnded = false;
    const SD::RunSummary summary = qvtest::RunIntoTheWorld([&](int frame) {
        worldFrames = frame;
        SD::GameObject* player = SD::Factory_::GetGameObjectByName("Player");
        if (frame == 50 && player) {
            const SD::Vec3 near = player->GetTransform().GetPos() + SD::Vec3(40.0f, 10.0f, 0.0f);
            SD::GameObject* made =
                QV::Firefly_Manager::GetInstance().SpawnFirefly(near, near, 2, SD::SharedString("Twirl"));
            if (!made) return false;
            firefly = made->GetHandle();
        }
        SD::GameObject* object = firefly.get();
        if (!object) return frame < 50;
        auto* glow = static_cast<Aperture::Photon::FireflyBlink*>(object->GetComponent(SD::CID_FireflyBlink));
        auto* trail = static_cast<Aperture::Photon::FireflyTrail*>(object->GetComponent(SD::CID_FireflyTrail));
        if (!glow || !trail) return false;
        if (frame == 60) {
            glowImage = static_cast<int>(glow->GetParticle(0).slice);
            static_cast<QV::Firefly*>(object->GetComponent(SD::CID_Firefly))
                ->PutOnLane(QV::Firefly::kLaneBlink, SD::SharedString("Blink"));
        }
        const Aperture::Photon::Particle& sprite = glow->GetParticle(0);
        largestGlow = std::max(largestGlow, sprite.size);
        largestAlpha = std::max(largestAlpha, sprite.color.w);
        if (sprite.size > 0.0f) ++glowFrames;
        if (sprite.size > 0.0f && previousAlpha > sprite.color.w) ++fadingFrames;
        if (glowFrames > 0 && sprite.size == 0.0f && sprite.color.w == 0.0f) glowEnded = true;
        previousAlpha = sprite.color.w;
        SD::Vec4 body;
        if (frame > 55 && QV::looks::GeometryColor(object, &body)) {
            const Aperture::Photon::Particle& head = trail->GetParticle(0);
            const SD::Vec3 want = Hue(body.x, body.y, body.z), got = Hue(head.color.x, head.color.y, head.color.z);
            worstTrailHue = std::max(worstTrailHue, (want - got).Length());
            ++trailFrames;
        }
        return frame < 400;
    });
    EXPECT_TRUE(summary.clean) << summary.error;
    ASSERT_GE(worldFrames, 400);
    EXPECT_EQ(glowImage, 4) << "a green firefly's glow uses the fourth image";
    EXPECT_GT(largestGlow, 30.0f) << "the blink flares the glow";
    EXPECT_GT(largestAlpha, 0.5f) << "the flared glow is seen";
    EXPECT_GE(glowFrames, 5) << "the flare lasts";
    EXPECT_GE(fadingFrames, 3) << "the flare fades";
    EXPECT_TRUE(glowEnded) << "once the blink is over the glow is gone";
    EXPECT_GT(trailFrames, 100);
    EXPECT_LT(worstTrailHue, 0.02f) << "the trail follows the body's colour, through the blink too";
}

}  // namespace
