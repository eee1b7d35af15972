// The named actions a trigger's data can choose: collecting the fireflies its object's spawner
// released, advancing the story, starting scenery events, posting sounds and re-arming.
#include <cstdio>
#include <string>
#include <vector>

#include "core/Logger.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "game/cameras/WorldCameras.h"
#include "game/components/LightLogic.h"
#include "game/components/ObjectLooks.h"
#include "game/components/ProximityTriggers.h"
#include "game/components/Spawner.h"
#include "game/components/Tombstones.h"
#include "game/components/Trigger.h"
#include "game/components/WorldLogic.h"
#include "game/fireflies/CollectionBurst.h"
#include "game/fireflies/Firefly.h"
#include "game/states/World.h"
#include "game/systems/AudioLogic.h"
#include "game/systems/SowlarSystem.h"
#include "physics/Collider.h"

namespace QV {
namespace {

const char* OwnerName(const SD::Component& c) { return c.GetOwner() ? c.GetOwner()->GetName().c_str() : ""; }

// The trigger's object, or null (logged): every action needs it.
SD::GameObject* ObjectOf(Trigger* trigger) {
    SD::GameObject* object = trigger ? trigger->GetOwner() : nullptr;
    if (!object) SD_WARNING(Debug::kLogError, "Trigger action called without a trigger object; nothing done");
    return object;
}

// The sounds of the story's steps 1-3, 4-6 and 7-9; none outside them.
const char* StorySound(int counter, const char* first) {
    if (counter >= 1 && counter <= 3) return first;
    if (counter >= 4 && counter <= 6) return "Play_Reed";
    if (counter >= 7 && counter <= 9) return "Play_Old_Crystals";
    return nullptr;
}

void CollectFireflies(Trigger* trigger, bool orange) {
    SD::GameObject* object = ObjectOf(trigger);
    if (!object) return;
    auto* spawner = static_cast<Spawner*>(object->GetComponent(SD::CID_Spawner));
    if (!spawner) {
        SD_WARNING(Debug::kLogError, "Trigger of object %s collects fireflies but the object has no spawner",
                   OwnerName(*trigger));
        return;
    }
    const std::vector<SD::GameObjectHandle> handles = spawner->GetSpawnedObjects();
    if (handles.empty() || !trigger->IsRegistered()) {
        Trigger::ScheduleReset(trigger, 4.0f);
        return;
    }
    SD::GameObject* player = FindPlayer();
    if (SD::GameObject* first = handles.front().get()) {
        SD::Vec4 fireflyColor, playerColor;
        if (player && looks::LightColor(first, &fireflyColor) && looks::LightColor(player, &playerColor)) {
            const float k = 0.04f * static_cast<float>(handles.size());
            looks::SetLightColor(player,
                                 SD::Vec4(playerColor.x + fireflyColor.x * k, playerColor.y + fireflyColor.y * k,
                                          playerColor.z + fireflyColor.z * k, playerColor.w + fireflyColor.w * k));
        }
    }
    for (const SD::GameObjectHandle& handle : handles) {
        SD::GameObject* firefly = handle.get();
        if (!firefly) continue;
        if (!orange) ShowCollectionSparkles(firefly);
        if (auto* logic = SD::ComponentOf<Firefly>(firefly, SD::CID_Firefly))
            logic->DoAction(Firefly::ActionMode::kFly, SD::SharedString("JoinPlayer"));
        SD::Component* light = firefly->GetComponent(SD::CID_Light);
        if (light && !light->IsAsleep()) light->Sleep();
    }
    SD::GameObject* camera = SD::Factory_::GetGameObjectByName("PlayerCam");
    if (camera) cameras::ScaleFollowDistance(camera, orange ? 1.08 : 1.02);
    if (orange) {
        SowlarSystem_::GetInstance().AdvanceStory();
        if (camera) {
            if (SowlarSystem_::GetInstance().GetStoryCounter() == 9 && player) {
                const SD::Vec3 above = player->GetTransform().GetLocalPos() + SD::Vec3(0.0f, 25.0f, 0.0f);
                object->GetTransform().SetPos(above);
                if (auto* collider = static_cast<Gedankenexperiment::Collider*>(object->GetComponent(SD::CID_Collider)))
                    collider->position = above;
            }
            cameras::SetFollowTarget(camera, object);
        }
    }
    const int counter = SowlarSystem_::GetInstance().GetStoryCounter();
    if (const char* sound = StorySound(counter, orange ? "Play_Pitcher" : "Play_Lily_Pad"))
        AudioLogic_::PostEvent(sound, nullptr);
    SD::GameObject* narrator = SD::Factory_::GetGameObjectByName("NarrHudFadeTrigger");
    if (auto* narration =
            narrator ? static_cast<HudFadeTrigger*>(narrator->GetComponent(SD::CID_HudFadeTrigger)) : nullptr)
        narration->PlayNarration(counter);
    spawner->SetSpawn_state(false);
    spawner->ClearSpawnedObjects();
}

void AttachFirefliesToPlayer(Trigger* trigger) { CollectFireflies(trigger, false); }
void AttachOrangeFirefliesToPlayer(Trigger* trigger) { CollectFireflies(trigger, true); }

void ActivateStonedGroup(Trigger*) {
    SD::GameObject* object = SD::Factory_::GetGameObjectByName("MainTombstone");
    if (!object) return;
    if (auto* tombstone = static_cast<MainTombstone*>(object->GetComponent(SD::CID_MainTombstone)))
        tombstone->Activate();
    else
        SD_WARNING(Debug::kLogError, "Object MainTombstone has no main tombstone to activate");
}

void SpawnFriendlyWind(Trigger* trigger) {
    if (!ObjectOf(trigger)) return;
    std::puts("RingTreeTrigger");
    AudioLogic_::PostEvent("Play_Flower", nullptr);
    // A gust of the season system at the player, blowing upward.
    if (SD::GameObject* player = FindPlayer())
        SowlarSystem_::GetInstance().SpawnGustSphere(player->GetTransform().GetPos(), SD::Vec3(0.0f, 1.0f, 0.0f));
    Trigger::ScheduleReset(trigger, 3.0f);
}

// The world's summer event, while the world is the current state.
void StartSummerEvent(Trigger*) {
    if (World* world = World::Current()) world->BeginSummerEvent();
}

void BoostPlayerEvent(Trigger* trigger) {
    if (!ObjectOf(trigger)) return;
    AudioLogic_::PostEvent("Play_Flower", nullptr);
    Trigger::ScheduleReset(trigger, 4.0f);
}

void StartPulsingLight(Trigger* trigger) {
    SD::GameObject* object = ObjectOf(trigger);
    if (!object) return;
    if (auto* light = static_cast<PulsingLightLogic*>(object->GetComponent(SD::CID_PulsingLightLogic)))
        light->SetPulseStart(true);
    else
        SD_WARNING(Debug::kLogError, "Trigger of object %s starts a pulsing light but the object has none",
                   OwnerName(*trigger));
}

struct NamedAction {
    const char* name;
    Trigger::Action action;
};

const NamedAction kActions[] = {
    {"AttachFirefliesToPlayer", &AttachFirefliesToPlayer},
    {"AttachOrangeFirefliesToPlayer", &AttachOrangeFirefliesToPlayer},
    {"ActivateStonedGroup", &ActivateStonedGroup},
    {"SpawnFriendlyWind", &SpawnFriendlyWind},
    {"StartSummerEvent", &StartSummerEvent},
    {"BoostPlayerEvent", &BoostPlayerEvent},
    {"StartPulsingLight", &StartPulsingLight},
};

}  // namespace

Trigger::Action Trigger::FindAction(const std::string& name) {
    for (const NamedAction& entry : kActions)
        if (name == entry.name) return entry.action;
    return nullptr;
}

}  // namespace QV
