// The world's events and places in the real game: a trigger's summer event and pulsing light,
// a firefly finding the safe zone, the reed the wind bends and the HUD's touchable prompt; then
// the sample world's lamp, summer and ring-tree triggers flown through: the summer event begun,
// the lamp's pulse and the friendly wind's lift seen in the frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <vector>

#include "WorldRun.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "physics/Collider.h"
#include "game/components/LightLogic.h"
#include "game/components/ProximityTriggers.h"
#include "game/components/SafeZone.h"
#include "game/components/Trigger.h"
#include "game/fireflies/Firefly.h"
#include "game/fireflies/FireflyGroup.h"
#include "game/fireflies/FireflyManager.h"
#include "game/hud/HudFade.h"
#include "game/hud/HudSystem.h"
#include "game/states/World.h"
#include "game/systems/SowlarSystem.h"
#include "game/components/Spawner.h"
#include "graphics/Graphics.h"
#include "graphics/components/Geometry.h"
#include "graphics/components/Light.h"
#include "platform/gfx/Device.h"
#include "runtime/Input.h"
#include "runtime/InputCodes.h"
#include "support/HeldKeys.h"
#include "support/PlaceObject.h"

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

// The point and spot light volumes the last frame's light pre-pass drew (black lights add
// nothing and are left out).
int LightVolumesDrawn() {
    int volumes = 0, instances = 0;
    bool prepass = false;
    for (const platform::gfx::Command& c :
         Aperture::Graphics_::GetInstance()->GetDeviceLayer().GetDevice()->LastFrame()) {
        if (c.op == platform::gfx::Op::kBeginEffect) prepass = c.name == "RenderLightBuffer";
        if (c.op == platform::gfx::Op::kSetStreamSourceFreq && c.a[0] == 0)
            instances = (c.a[1] & platform::gfx::kStreamIndexedData) ? int(c.a[1] & 0xFFFFu) : 0;
        if (prepass && c.IsDraw()) volumes += instances;
    }
    return volumes;
}

// How far a set of objects' bodies move where the frame draws them, from frame to frame.
struct DrawnMotion {
    std::vector<SD::Vec3> last;
    // The mean distance the objects' bodies moved since the previous call with the same set.
    float Step(const std::vector<SD::GameObjectHandle>& objects) {
        std::vector<SD::Vec3> now;
        for (const SD::GameObjectHandle& handle : objects) {
            SD::GameObject* object = handle.get();
            auto* body = object ? static_cast<Aperture::Geometry*>(object->GetComponent(SD::CID_Geometry)) : nullptr;
            if (body) now.push_back(body->GetRenderWorld().GetColumn3(3));
        }
        float moved = 0.0f;
        const bool same = now.size() == last.size() && !now.empty();
        for (size_t i = 0; same && i < now.size(); ++i) moved += (now[i] - last[i]).Length();
        last = now;
        return same ? moved / static_cast<float>(now.size()) : 0.0f;
    }
};

float Mean(const std::vector<float>& values) {
    float sum = 0.0f;
    for (float v : values) sum += v;
    return values.empty() ? 0.0f : sum / static_cast<float>(values.size());
}

// Straight on from the start, throttle held, the vehicle climbs the hill and flies level through
// the sample world's events: the summer trigger and the lamp's trigger; then it turns, level, for
// the ring tree's trigger beside the way.
TEST(WorldEvents, FlownThroughTheirTriggersSummerFirefliesTakeToTheirPathsTheLampPulsesAndTheWindLifts) {
    std::set<uint32_t> keys{SD::key_SPACE};
    bool injecting = false;
    auto injectKeys = [&] {
        if (injecting || !SD::Input_::GetInstance()) return;
        SD::Input_::GetInstance()->AddInjector(std::make_unique<qvtest::HeldKeys>(&keys));
        injecting = true;
    };
    SD::Vec3 lampAt, ringTreeAt;
    int volumesBeforePulse = 0, framesBeforePulse = 0, framesDrawnPulsing = 0;
    float dimmest = 1e9f, brightest = -1.0f;
    float lowestBeforeWind = 1e9f, highestBeforeWind = -1e9f, highestAfterWind = -1e9f, cameraRise = 0.0f;
    float cameraBeforeWind = 0.0f;
    bool summerBegun = false;
    SD::Vec3 summerAt;
    std::vector<SD::GameObjectHandle> waiting;
    DrawnMotion waitingFireflies;
    std::vector<float> beforeSummer, afterSummer;
    int worldFrames = 0, windFrame = 0;
    const SD::RunSummary summary = qvtest::RunIntoTheWorld(
        [&](int frame) {
            worldFrames = frame;
            SD::GameObject* player = SD::Factory_::GetGameObjectByName("Player");
            SD::GameObject* lamp = SD::Factory_::GetGameObjectByName("TriggeredLamp");
            SD::GameObject* ringTree = SD::Factory_::GetGameObjectByName("RingTreeTrigger");
            const Aperture::Camera* camera = Aperture::Graphics_::GetInstance()->GetActiveCamera();
            if (!player || !lamp || !ringTree || !camera) return false;
            lampAt = lamp->GetTransform().GetPos();
            ringTreeAt = ringTree->GetTransform().GetPos();
            auto* pulse = static_cast<QV::PulsingLightLogic*>(lamp->GetComponent(SD::CID_PulsingLightLogic));
            auto* light = static_cast<Aperture::Light*>(lamp->GetComponent(SD::CID_Light));
            auto* body = static_cast<Aperture::Geometry*>(player->GetComponent(SD::CID_Geometry));
            if (!pulse || !light || !body) return false;
            const SD::Vec3 at = player->GetTransform().GetPos();
            // Past the lamp the vehicle turns for the ring tree's trigger, which stands beside the way.
            keys = {SD::key_SPACE};
            if (at.z > lampAt.z) qvtest::TurnToward(player->GetTransform(), ringTreeAt, keys);
            // The lamp ahead, its trigger not yet reached: dark, so the frame draws no light for it.
            if (!pulse->GetPulseStart() && at.z > lampAt.z - 500.0f) {
                volumesBeforePulse += LightVolumesDrawn();
                ++framesBeforePulse;
            }
            // Pulsing while still ahead of the camera: drawn, brighter and dimmer from frame to frame.
            if (pulse->GetPulseStart() && at.z < lampAt.z && LightVolumesDrawn() > 0) {
                ++framesDrawnPulsing;
                dimmest = std::min(dimmest, light->GetColor().x);
                brightest = std::max(brightest, light->GetColor().x);
            }
            SD::GameObject* summerSpawner = SD::Factory_::GetGameObjectByName("SummerSpawner");
            if (SD::GameObject* summer = SD::Factory_::GetGameObjectByName("SummerTrigger"))
                summerAt = summer->GetTransform().GetPos();
            summerBegun = summerBegun || (QV::World::Current() && QV::World::Current()->IsReleaseActive());
            // The summer spawner's fireflies where the frame draws them, waiting before the event and
            // on their paths after it.
            if (auto* spawner =
                    summerSpawner ? static_cast<QV::Spawner*>(summerSpawner->GetComponent(SD::CID_Spawner)) : nullptr) {
                if (!summerBegun) waiting = spawner->GetSpawnedObjects();
                const float moved = waitingFireflies.Step(waiting);
                if (!summerBegun && at.z > summerAt.z - 400.0f) beforeSummer.push_back(moved);
                if (summerBegun && windFrame == 0 && spawner->GetSpawnedObjects().empty()) afterSummer.push_back(moved);
            }
            // The vehicle's body where the frame draws it, level until the ring tree's wind blows.
            const float drawnHeight = body->GetRenderWorld().GetColumn3(3).y;
            if (windFrame == 0 && at.z > lampAt.z && at.z < ringTreeAt.z - 200.0f) {
                lowestBeforeWind = std::min(lowestBeforeWind, drawnHeight);
                highestBeforeWind = std::max(highestBeforeWind, drawnHeight);
                cameraBeforeWind = camera->GetEye().y;
            }
            // The trigger's wind blows once the two spheres meet; it throws the vehicle off at once,
            // so its nearest approach lies just inside that reach.
            auto* reach = SD::ComponentOf<Gedankenexperiment::Collider>(ringTree, SD::CID_Collider);
            auto* hull = SD::ComponentOf<Gedankenexperiment::Collider>(player, SD::CID_Collider);
            const float triggerReach = (reach ? reach->GetRadius() : 0.0f) + (hull ? hull->GetRadius() : 0.0f);
            if (windFrame == 0 && (at - ringTreeAt).Length() < triggerReach) windFrame = frame;
            if (windFrame > 0) {
                highestAfterWind = std::max(highestAfterWind, drawnHeight);
                cameraRise = std::max(cameraRise, camera->GetEye().y - cameraBeforeWind);
            }
            return windFrame == 0 ? frame < 1300 : frame < windFrame + 40;
        },
        injectKeys);
    EXPECT_TRUE(summary.clean) << summary.error;
    ASSERT_GT(windFrame, 0) << "the vehicle never reached the ring tree's trigger at " << ringTreeAt.z << " ("
                            << worldFrames << " frames)";
    EXPECT_GE(framesBeforePulse, 10) << "the lamp was approached";
    EXPECT_EQ(volumesBeforePulse, 0) << "the dark lamp is drawn before its trigger";
    EXPECT_GE(framesDrawnPulsing, 5) << "the pulsing lamp is drawn";
    EXPECT_GE(brightest - dimmest, 0.5f) << "the lamp's light does not pulse between frames";
    EXPECT_TRUE(summerBegun) << "the summer trigger began the world's summer event";
    EXPECT_EQ(waiting.size(), 6u) << "the summer spawner's fireflies wait by it";
    EXPECT_GE(beforeSummer.size(), 20u);
    EXPECT_LE(Mean(beforeSummer), 0.5f) << "the waiting fireflies are drawn moving before the summer event";
    EXPECT_GE(afterSummer.size(), 20u) << "the summer event did not release the spawner's fireflies";
    EXPECT_GE(Mean(afterSummer), 3.0f) << "the released fireflies are not drawn flying their paths";
    EXPECT_LE(highestBeforeWind - lowestBeforeWind, 5.0f) << "the vehicle did not fly level before the wind";
    EXPECT_GE(highestAfterWind - highestBeforeWind, 300.0f) << "the friendly wind did not lift the drawn vehicle";
    EXPECT_GE(cameraRise, 300.0f) << "the camera did not follow the vehicle up";
}

// The sample world's narrator, reached with the story at its first step, joins the world's
// queue of lines; at the front it tells the step's line and starts its text, and it leaves the
// queue once that text has faded in and out and gone.
TEST(WorldEvents, TheNarratorReachedJoinsTheWorldsLinesAndLeavesOnceItsLineHasBeenShown) {
    size_t queuedAtStart = 99, mostQueued = 0;
    int queuedFrame = 0, shownFrame = 0, doneFrame = 0;
    bool lineGone = false;
    const SD::RunSummary summary = qvtest::RunIntoTheWorld([&](int frame) {
        QV::World* world = QV::World::Current();
        SD::GameObject* player = SD::Factory_::GetGameObjectByName("Player");
        SD::GameObject* narrator = SD::Factory_::GetGameObjectByName("Narrator");
        auto* trigger =
            narrator ? static_cast<QV::HudFadeTrigger*>(narrator->GetComponent(SD::CID_HudFadeTrigger)) : nullptr;
        if (!world || !player || !trigger) return false;
        if (frame == 1) {
            queuedAtStart = world->GetNarrationCount();
            QV::SowlarSystem_::GetInstance().SetStoryCounter(1);
        }
        qvtest::PlaceAt(player, narrator->GetTransform().GetPos());
        mostQueued = std::max(mostQueued, world->GetNarrationCount());
        if (!queuedFrame && trigger->IsQueued()) queuedFrame = frame;
        SD::GameObject* line = SD::Factory_::GetGameObjectByName("Narr_1");
        auto* fade = line ? static_cast<QV::HudFade*>(line->GetComponent(SD::CID_HudFade)) : nullptr;
        if (!shownFrame && fade && fade->GetPhase() != QV::HudFade::kWaiting) shownFrame = frame;
        if (!doneFrame && trigger->IsDone()) {
            doneFrame = frame;
            lineGone = line == nullptr;
            EXPECT_EQ(world->GetNarrationCount(), 0u) << "the narrator left the queue";
        }
        return !doneFrame && frame < 1500;
    });
    EXPECT_TRUE(summary.clean) << summary.error;
    EXPECT_EQ(queuedAtStart, 0u);
    ASSERT_GT(queuedFrame, 0) << "the narrator never joined the queue";
    EXPECT_EQ(mostQueued, 1u);
    ASSERT_GT(shownFrame, 0) << "the line's text never started";
    EXPECT_GE(shownFrame, queuedFrame);
    EXPECT_LE(shownFrame, queuedFrame + 2) << "the world shows its front line at once";
    ASSERT_GT(doneFrame, shownFrame) << "the narrator never finished";
    EXPECT_TRUE(lineGone);
}

}  // namespace
