// The particle effects that hear the game's messages: a firefly's blink flares its cloud, and
// a wind message pushes the dust that travels with the player.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "core/EngineCore.h"
#include "core/MessageSystem.h"
#include "engine/ComponentCreator.h"
#include "engine/ComponentManager.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "engine/Transformer.h"
#include "game/components/CrystalMist.h"
#include "game/components/DustSystem.h"
#include "game/components/EffectFollow.h"
#include "game/components/Trigger.h"
#include "game/components/Wind.h"
#include "game/fireflies/FireflyDust.h"
#include "game/fireflies/FireflyMessages.h"
#include "game/player/PlayerLogic.h"
#include "graphics/photon/Snow.h"
#include "platform/os/Clock.h"
#include "runtime/InterpolatorSystem.h"

namespace {

struct EffectWorld {
    ~EffectWorld() {
        factory.Shutdown();
        SD::InterpolatorSystem::DestroyInstance();
        SD::Message_System::DestroyInstance();
    }
    SD::GameObject* Object(const std::string& name, SD::Vec3 at) {
        SD::GameObject* object = factory.NewGameObject();
        object->GetTransform().SetPos(at);
        if (!name.empty()) object->NameObject(name);
        return object;
    }
    EffectWorld() {
        factory.RegisterComponentCreator("FireflyDust", SD::CID_FireflyDust, new SD::ComponentCreator<QV::FireflyDust>);
        factory.RegisterComponentCreator("DustSystem", SD::CID_DustSystem, new SD::ComponentCreator<QV::DustSystem>);
        factory.RegisterComponentCreator("Snow", SD::CID_Snow, new SD::ComponentCreator<Aperture::Photon::Snow>);
        factory.RegisterComponentCreator("CrystalMist", SD::CID_CrystalMist, new SD::ComponentCreator<QV::CrystalMist>);
        factory.RegisterComponentCreator("Trigger", SD::CID_Trigger, new SD::ComponentCreator<QV::Trigger>);
        factory.RegisterComponentCreator("PlayerLogic", SD::CID_Player, new SD::ComponentCreator<QV::PlayerLogic>);
    }
    template <class T>
    T* Attach(SD::GameObject* object, int id) {
        auto* component = dynamic_cast<T*>(object->AddComponent(static_cast<SD::ComponentID>(id)));
        component->SetOwner(object);
        component->VInitialize(false);
        return component;
    }
    platform::ManualClock clock;
    platform::ScopedClock scoped{clock};
    std::unique_ptr<SD::Core> core{SD::Core::CreateInstance()};
    SD::ComponentManager_ components;
    SD::Transformer_ transformer;
    SD::Factory_ factory{64};
};

TEST(FireflyDust, ItsOwnBlinkFlaresTheCloudWhichFadesBackInASecond) {
    EffectWorld world;
    SD::GameObject* firefly = world.Object("Firefly", SD::Vec3(0.0f, 0.0f, 0.0f));
    SD::GameObject* other = world.Object("Other", SD::Vec3(0.0f, 0.0f, 0.0f));
    auto* dust = world.Attach<QV::FireflyDust>(firefly, 36);
    dust->SetActiveFlag(true);
    dust->Start();
    dust->Update(0.1f);
    EXPECT_LT(dust->GetParticle(0).color.x, 1.6f) << "white jittered by at most 0.25";
    QV::BlinkEvent elsewhere(other->GetHandle());
    SD::Message_System::GetInstance()->SendMessage(elsewhere);
    EXPECT_EQ(dust->GetBlinkLevel(), 0.0f) << "another firefly's blink";
    QV::BlinkEvent own(firefly->GetHandle());
    SD::Message_System::GetInstance()->SendMessage(own);
    EXPECT_EQ(dust->GetBlinkLevel(), 1.0f);
    dust->Update(0.25f);
    for (uint32_t i = 0; i < QV::FireflyDust::kMotes; ++i) {
        ASSERT_FLOAT_EQ(dust->GetParticle(i).color.x, 5.1f) << "full glow, 5 x white + 0.1";
        ASSERT_NEAR(dust->GetParticle(i).position.Length(), 0.525f, 1e-4f) << "on the orbit sphere";
    }
    dust->Update(0.5f);
    EXPECT_NEAR(dust->GetBlinkLevel(), 0.25f, 1e-6f);
    dust->Update(0.5f);
    dust->Update(0.1f);
    EXPECT_EQ(dust->GetBlinkLevel(), 0.0f);
    EXPECT_LT(dust->GetParticle(0).color.x, 1.6f) << "back to the base colour";
}

// A wind that blows at a fixed strength whatever the play state.
struct SteadyWind : QV::Wind {
    float GetStrength() const override { return 10.0f; }
};

TEST(DustSystem, AWindMessagePushesTheMotesForOneUpdateOnly) {
    EffectWorld world;
    SD::GameObject* player = world.Object("Player", SD::Vec3(0.0f, 0.0f, 0.0f));
    SD::GameObject* owner = world.Object("Dust", SD::Vec3(0.0f, 0.0f, 0.0f));
    auto* calm = world.Attach<QV::DustSystem>(owner, 27);
    SD::GameObject* windyOwner = world.Object("WindyDust", SD::Vec3(0.0f, 0.0f, 0.0f));
    auto* windy = world.Attach<QV::DustSystem>(windyOwner, 27);
    QV::SetEffectFollow(*owner, *player);
    QV::SetEffectFollow(*windyOwner, *player);
    calm->Start();
    windy->Start();
    // Both clouds drawn the same: the same motes in both, respawned around the player.
    for (uint32_t i = 0; i < QV::DustSystem::kMotes; ++i) {
        windy->GetParticle(i) = calm->GetParticle(i);
        windy->GetParticle(i).position = calm->GetParticle(i).position = SD::Vec3(0.0f, 0.0f, 0.0f);
        windy->GetParticle(i).velocity = calm->GetParticle(i).velocity = SD::Vec3(0.0f, 0.0f, 0.0f);
    }
    SteadyWind wind;
    wind.SetDirection(SD::Vec3(1.0f, 0.0f, 0.0f));
    QV::WindMessage message(&wind, windyOwner->GetHandle());
    SD::Message_System::GetInstance()->SendMessageToObject(windyOwner->GetHandle(), message);
    EXPECT_EQ(windy->GetWind(), SD::Vec3(1.0f, 0.0f, 0.0f)) << "a tenth of direction times strength";
    EXPECT_EQ(calm->GetWind(), SD::Vec3(0.0f, 0.0f, 0.0f)) << "addressed to the other object";
    calm->Update(0.0f);
    windy->Update(0.0f);
    EXPECT_EQ(windy->GetWind(), SD::Vec3(0.0f, 0.0f, 0.0f)) << "used once";
    for (uint32_t i = 0; i < QV::DustSystem::kMotes; ++i)
        ASSERT_FLOAT_EQ(windy->GetParticle(i).velocity.x - calm->GetParticle(i).velocity.x, 1.0f) << i;
    calm->Update(0.0f);
    windy->Update(0.0f);
    for (uint32_t i = 0; i < QV::DustSystem::kMotes; ++i)
        ASSERT_FLOAT_EQ(windy->GetParticle(i).velocity.x - calm->GetParticle(i).velocity.x, 1.0f) << "gusts alone";
    // A mote left beyond 400 units is spawned again in the box ahead of the player.
    calm->GetParticle(0).position = SD::Vec3(401.0f, 0.0f, 45.0f);
    calm->GetParticle(1).position = SD::Vec3(399.0f, 0.0f, 45.0f);
    const float alpha = calm->GetParticle(1).color.w;
    calm->Update(0.0f);
    EXPECT_LT(calm->GetParticle(0).position.x, 400.0f);
    EXPECT_EQ(calm->GetParticle(0).color.x, 4.5f);
    EXPECT_EQ(calm->GetParticle(1).position.x, 399.0f);
    EXPECT_NEAR(calm->GetParticle(1).color.w, std::min(alpha + 0.035f, std::max(alpha, calm->GetTargetAlpha(1))),
                0.0351f);
    // A followed object that is deleted leaves the dust where it is.
    world.factory.DestroyGameObject(player);
    world.factory.Update(0.0f);
    const SD::Vec3 kept = calm->GetParticle(5).position;
    calm->Update(1.0f);
    EXPECT_EQ(calm->GetParticle(5).position, kept);
}

TEST(EffectFollow, TheWorldsSnowFollowsThePlayer) {
    EffectWorld world;
    SD::GameObject* player = world.Object("Player", SD::Vec3(0.0f, 0.0f, 0.0f));
    SD::GameObject* snowObject = world.Object("Snow_0", SD::Vec3(0.0f, 0.0f, 0.0f));
    auto* snow = world.Attach<Aperture::Photon::Snow>(snowObject, 42);
    QV::SetEffectFollow(*snowObject, *player);
    EXPECT_EQ(snow->GetTarget(), player->GetHandle());
}

TEST(CrystalMist, WaitsForItsTriggerAndEachBurstRaisesThePlayersCharge) {
    EffectWorld world;
    SD::GameObject* player = world.Object("Player", SD::Vec3(0.0f, 0.0f, 0.0f));
    auto* logic = world.Attach<QV::PlayerLogic>(player, 12);
    SD::GameObject* crystal = world.Object("Crystal", SD::Vec3(100.0f, 0.0f, 0.0f));
    auto* trigger = world.Attach<QV::Trigger>(crystal, SD::CID_Trigger);
    auto* mist = world.Attach<QV::CrystalMist>(crystal, 45);
    EXPECT_EQ(trigger->GetCallbackCount(), 1u) << "listens to its object's trigger";
    SD::GameObject* bare = world.Object("Bare", SD::Vec3(0.0f, 0.0f, 0.0f));
    auto* idle = world.Attach<QV::CrystalMist>(bare, 45);
    idle->Start();
    idle->Update(0.1f);
    EXPECT_FALSE(idle->IsActive()) << "no trigger: never starts";
    mist->Start();
    EXPECT_FALSE(mist->IsActive());
    const float expected[] = {0.25f, 0.5f, 0.75f, 1.0f, 1.0f};
    for (float charge : expected) {
        mist->OnTriggered();
        EXPECT_FLOAT_EQ(logic->GetCrystalCharge(), charge);
    }
    EXPECT_TRUE(mist->IsActive());
    for (uint32_t i = 0; i < QV::CrystalMist::kPuffs; ++i)
        ASSERT_LE(std::fabs(mist->GetParticle(i).position.x - 100.0f), 8.0f) << "around the crystal";
}

}  // namespace
