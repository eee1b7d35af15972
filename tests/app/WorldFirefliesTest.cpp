// Fireflies in the real game: one spawned near the vehicle has its body, glow, light, trail and
// sound object, and moves; collecting it through the game's hooks bursts sparkles where it is
// and sends it to the vehicle, which it then nears while the vehicle flies on.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>

#include "WorldRun.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"
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
    const SD::RunSummary summary = qvtest::RunIntoTheWorld([&](int frame) {
        worldFrames = frame;
        SD::GameObject* player = SD::Factory_::GetGameObjectByName("Player");
        if (worldFrames == 50 && player) {
            const SD::Vec3 near = player->GetTransform().GetPos() + SD::Vec3(60.0f, 10.0f, 0.0f);
            SD::GameObject* made = QV::Firefly_Manager::GetInstance().SpawnFirefly(near, near, 2, SD::SharedString("Twirl"));
            if (!made) return false;
            firefly = made->GetHandle();
            spawnedAt = near;
            for (SD::ComponentID id : {SD::CID_Body, SD::CID_Geometry, SD::CID_Light, SD::CID_FireflyTrail, SD::CID_FireflyBlink})
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
                if (owner && burst->IsEnabled() && (owner->GetTransform().GetPos() - beforeCollection).Length() < 1.0f)
                    sparkles = true;
            }
        }
        if (worldFrames > 150 && player && firefly.get())
            nearest = std::min(nearest, (At(firefly) - player->GetTransform().GetPos()).Length());
        return worldFrames < 600;
    }, injectKeys);
    EXPECT_TRUE(summary.clean) << summary.error;
    ASSERT_GE(worldFrames, 600);
    EXPECT_TRUE(moved) << "the firefly flew from where it was spawned";
    EXPECT_TRUE(joined) << "collected, it flies to the player";
    EXPECT_TRUE(sparkles) << "sparkles burst where it was collected";
    EXPECT_LT(nearest, 0.5f * distanceAtCollection) << "it came to the player";
}

}  // namespace
