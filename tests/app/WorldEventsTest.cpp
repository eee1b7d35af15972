// The world's events and places in the real game: a trigger's summer event and pulsing light,
// a firefly finding the safe zone, the reed the wind bends and the HUD's touchable prompt.
#include <gtest/gtest.h>

#include "WorldRun.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "game/components/LightLogic.h"
#include "game/components/SafeZone.h"
#include "game/components/Trigger.h"
#include "game/fireflies/Firefly.h"
#include "game/fireflies/FireflyGroup.h"
#include "game/fireflies/FireflyManager.h"
#include "game/hud/HudSystem.h"
#include "game/states/World.h"
#include "graphics/components/Geometry.h"

namespace {

struct Seen {
    bool summerEvent = false;
    bool pulseStarted = false;
    bool reedBent = false;
    float reedWind = 0.0f;
    bool fireflyInZone = false;
    size_t hudColliders = 0;
};

TEST(WorldEvents, TriggerActionsSafeZoneShaderWindAndHudCollidersActInTheGame) {
    Seen seen;
    SD::GameObjectHandle firefly;
    SD::Vec3 zoneAt;
    int worldFrames = 0;
    const SD::RunSummary summary = qvtest::RunIntoTheWorld([&](int frame) {
        worldFrames = frame;
        if (worldFrames == 20) {
            // A trigger on a lamp starts its pulse; another starts the world's summer event.
            SD::GameObject* lamp = SD::Factory_::GetInstance()->CreateObject("World/PulsingLamp", nullptr);
            if (!lamp) return false;
            auto* pulse = static_cast<QV::PulsingLightLogic*>(lamp->GetComponent(SD::CID_PulsingLightLogic));
            if (!pulse) return false;
            pulse->SetPulseStart(false);
            auto* trigger = static_cast<QV::Trigger*>(lamp->AddComponent(SD::CID_Trigger));
            if (!trigger) return false;
            trigger->SetOwner(lamp);
            lamp->Initialize(false);
            QV::Trigger::FindAction("StartPulsingLight")(trigger);
            seen.pulseStarted = pulse->GetPulseStart();
            QV::Trigger::FindAction("StartSummerEvent")(trigger);
            seen.summerEvent = QV::World::Current() && QV::World::Current()->IsReleaseActive();

            SD::GameObject* zone = qvtest::FirstOf("World/FireflySafeZone");
            if (!zone) return false;
            zoneAt = zone->GetTransform().GetPos();
            SD::GameObject* made =
                QV::Firefly_Manager::GetInstance().SpawnFirefly(zoneAt, zoneAt, 3, SD::SharedString("Still"));
            if (made) firefly = made->GetHandle();
        }
        if (worldFrames < 200) return true;
        if (SD::GameObject* object = firefly.get()) {
            auto* logic = static_cast<QV::Firefly*>(object->GetComponent(SD::CID_Firefly));
            seen.fireflyInZone = logic->GetArrivalRadius() == QV::SafeZone::kArrivalRadius && logic->GetGroup() &&
                                 (logic->GetGroup()->centre - zoneAt).Length() < 0.01f;
        }
        if (SD::GameObject* reed = qvtest::FirstOf("World/WindBentReed")) {
            auto* geometry = static_cast<Aperture::Geometry*>(reed->GetComponent(SD::CID_Geometry));
            seen.reedWind = geometry->GetWindStrength();
            seen.reedBent = !(geometry->GetRenderWorld() == reed->GetTransform().GetGlobalMatrix());
        }
        if (QV::HudSystem* hud = QV::HudSystem::GetInstance()) seen.hudColliders = hud->Colliders2D().size();
        return false;
    });
    EXPECT_TRUE(summary.clean) << summary.error;
    ASSERT_GE(worldFrames, 200);
    EXPECT_TRUE(seen.pulseStarted) << "the trigger started the lamp's pulse";
    EXPECT_TRUE(seen.summerEvent) << "the trigger began the world's summer event";
    EXPECT_TRUE(seen.fireflyInZone) << "a firefly touching the safe zone gathers there";
    // The volume blows at 40: 25 times that reaches the reed's geometry, which leans.
    EXPECT_FLOAT_EQ(seen.reedWind, 1000.0f);
    EXPECT_TRUE(seen.reedBent);
    EXPECT_GE(seen.hudColliders, 1u) << "the world's touchable prompt is listed with the HUD";
}

}  // namespace
