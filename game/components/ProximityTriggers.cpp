#include "game/components/ProximityTriggers.h"

#include <cmath>

#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "engine/Transform.h"
#include "game/cameras/WorldCameras.h"
#include "game/components/QuorvPhantom.h"
#include "game/components/SpawnLogic.h"
#include "game/components/Spawner.h"
#include "game/components/WorldLogic.h"
#include "game/hud/HudFade.h"
#include "game/states/World.h"
#include "game/systems/AudioLogic.h"
#include "sound/system/Phantom.h"

namespace QV {
namespace {

struct NarrationLine {
    const char* object;
    const char* event;
};
constexpr NarrationLine kNarration[HudFadeTrigger::kNarrationSteps] = {
    {"Narr_1", "Play_1_Long_ago"},         {"Narr_2", "Play_2_The_sun_was"},   {"Narr_3", "Play_3_Night_created"},
    {"Narr_4", "Play_4_But_the_moon_was"}, {"Narr_5", "Play_5_The_night_and"}, {"Narr_6", "Play_6_In_rage_and"},
    {"Narr_7", "Play_7_But_the_shards"},   {"Narr_8", "Play_8_Glittering"},    {"Narr_9", "Play_9_Until_they_became"},
};

}  // namespace

void HackProximitySpawn::VInitialize(bool) {
    armed_ = 0;
    done_ = false;
}

void HackProximitySpawn::VSerialize(SD::IStream& stream, int) {
    stream.Serialize(radius_, "Proximity Radius", "Float");
}

void HackProximitySpawn::VUpdate(float) {
    SD::GameObject* owner = GetOwner();
    if (armed_ != 1 || done_ || !owner || !Near(owner, FindPlayer(), radius_)) return;
    if (SD::Component* spawn = owner->GetComponent(SD::CID_SpawnLogic)) spawn->Awake();
    if (auto* spawner = static_cast<Spawner*>(owner->GetComponent(SD::CID_Spawner))) spawner->SetSpawn_state(true);
    auto* phantom = static_cast<SD::Phantom*>(owner->GetComponent(SD::CID_Phantom));
    if (phantom && !phantom->IsPlaying()) phantom->Play();
    auto* music = static_cast<QuorvPhantom*>(owner->GetComponent(SD::CID_QuorvPhantom));
    if (music && !music->SoundPlayed()) music->PlaySound();
    done_ = true;
}

void HackProximitySpawn::RegisterFunctions() {
    RTTI_GETTER(&HackProximitySpawn::GetProximity);
    RTTI_SETTER(&HackProximitySpawn::SetProximity);
}

void CameraTransitionTrigger::VSerialize(SD::IStream& stream, int) {
    stream.Serialize(radius_, "Trans Radius", "Float");
}

void CameraTransitionTrigger::VUpdate(float) {
    SD::GameObject* owner = GetOwner();
    if (!owner) return;
    if (GroupInactive(owner)) return;
    if (fired_ || !Near(owner, FindPlayer(), radius_)) return;
    SD::GameObject* camera = SD::Factory_::GetGameObjectByName("PlayerCam");
    if (!camera) return;
    cameras::SetFollowTarget(camera, owner);
    fired_ = true;
}

void CameraTransitionTrigger::RegisterFunctions() {
    RTTI_GETTER(&CameraTransitionTrigger::GetTransRadius);
    RTTI_SETTER(&CameraTransitionTrigger::SetTransRadius);
}

void HudFadeTrigger::VInitialize(bool) {
    for (bool& narrated : narrated_) narrated = false;
    done_ = false;
    queued_ = false;
}

void HudFadeTrigger::VSerialize(SD::IStream& stream, int) {
    stream.Serialize(distance_, "Distance To Trigger", "Float");
    stream.Serialize(hudName_, "Hud Name", "String");
}

void HudFadeTrigger::VUpdate(float) {
    SD::GameObject* owner = GetOwner();
    if (done_ || !owner) return;
    SD::GameObject* player = FindPlayer();
    // The queue of narration lines is the world state's; elsewhere there is none to join.
    World* world = World::Current();
    if (player && !queued_ &&
        std::sqrt((owner->GetTransform().GetPos() - player->GetTransform().GetPos()).LengthSq()) < distance_) {
        queued_ = true;
        if (world) world->PushNarration(owner->GetHandle());
    }
    if (SD::Factory_::GetGameObjectByName(hudName_.c_str())) return;
    // Only the entry this trigger queued leaves the queue: taking out the front would drop
    // another trigger's line and leave this finished one holding the world.
    if (queued_ && world) world->RemoveNarration(owner->GetHandle());
    done_ = true;
}

void HudFadeTrigger::PlayNarration(int step) {
    if (step < 1 || step > kNarrationSteps) return;
    const NarrationLine& line = kNarration[step - 1];
    if (!narrated_[step - 1]) {
        AudioLogic_::PostEvent(line.event, nullptr);
        narrated_[step - 1] = true;
    }
    SD::GameObject* text = SD::Factory_::GetGameObjectByName(line.object);
    if (auto* fade = text ? static_cast<HudFade*>(text->GetComponent(SD::CID_HudFade)) : nullptr) fade->Begin();
}

}  // namespace QV
