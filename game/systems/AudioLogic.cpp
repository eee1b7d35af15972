#include "game/systems/AudioLogic.h"

#include <algorithm>
#include <memory>
#include <type_traits>

#include "game/components/QuorvPhantom.h"
#include "platform/Seam.h"
#include "sound/engine/SxSoundEngine.h"
#include "sound/engine/states/CSxStateMgr.h"
#include "sound/system/GhostEngine.h"
#include "sound/system/SoundManager.h"

namespace QV {
namespace {

platform::Seam<std::remove_pointer_t<AudioLogic_::ParameterSetter>> g_parameterSetter{
    "QV::AudioLogic_::ParameterSetter"};
platform::Seam<std::remove_pointer_t<AudioLogic_::StateSetter>> g_stateSetter{"QV::AudioLogic_::StateSetter"};

void SetState(uint32_t group, uint32_t state) {
    if (AudioLogic_::StateSetter setter = g_stateSetter.Installed()) setter(group, state);
}

std::unique_ptr<AudioLogic_>& Instance() {
    static std::unique_ptr<AudioLogic_> instance;
    return instance;
}

}  // namespace

AudioLogic_& AudioLogic_::GetInstance() {
    if (!Instance()) Instance().reset(new AudioLogic_());
    return *Instance();
}

AudioLogic_* AudioLogic_::Existing() { return Instance().get(); }

void AudioLogic_::DestroyInstance() { Instance().reset(); }

bool AudioLogic_::SetParameterSetter(ParameterSetter setter) { return g_parameterSetter.Install(setter); }
void AudioLogic_::RemoveParameterSetter(ParameterSetter setter) { g_parameterSetter.Remove(setter); }
void AudioLogic_::PostEvent(const char* event, SD::GameObject* object) {
    SD::GhostEngine_* ghost = SD::GhostEngine_::Existing();
    SD::Manager* manager = ghost ? ghost->GetManager() : nullptr;
    if (manager && event) manager->PostEvent(event, object ? ghost->SoundObjectID(object) : SD::kDefaultSoundObject);
}
void AudioLogic_::PostEventID(uint32_t event, SD::GameObject* object) {
    SD::GhostEngine_* ghost = SD::GhostEngine_::Existing();
    SD::Manager* manager = ghost ? ghost->GetManager() : nullptr;
    if (manager) manager->PostEvent(event, object ? ghost->SoundObjectID(object) : SD::kDefaultSoundObject);
}
void AudioLogic_::PostTrigger(const char* trigger) {
    if (trigger && SD::GhostEngine_::Existing()) SX::SoundEngine::PostTrigger(trigger, SX::SxAllGameObjects);
}
void AudioLogic_::SetParameter(uint32_t parameter, float value, uint32_t object) {
    if (ParameterSetter setter = g_parameterSetter.Installed()) setter(parameter, value, object);
}

bool AudioLogic_::SetStateSetter(StateSetter setter) { return g_stateSetter.Install(setter); }
void AudioLogic_::RemoveStateSetter(StateSetter setter) { g_stateSetter.Remove(setter); }

void AudioLogic_::PrepareSeasons(int season) {
    SD::GhostEngine_* ghost = SD::GhostEngine_::Existing();
    SD::Manager* manager = ghost ? ghost->GetManager() : nullptr;
    if (!manager) return;
    preparedSeasons_.clear();
    for (int s = season; s <= std::min(season + 1, kLastSeason); ++s)
        preparedSeasons_.push_back(kFirstSeasonState + static_cast<uint32_t>(s));
    manager->KeepPrepared(SX::SxGroupType_State, kSeasonGroup, preparedSeasons_);
}

void AudioLogic_::SetSeasonState(int season) {
    if (season < 0 || season > kLastSeason) return;
    PrepareSeasons(season);
    SetState(kSeasonGroup, kFirstSeasonState + static_cast<uint32_t>(season));
}

void AudioLogic_::SetSeason(int season) {
    season_ = std::clamp(season, 0, kLastSeason);
    SetSeasonState(season_);
}

void AudioLogic_::IncrementState() {
    if (season_ < kLastSeason) SetSeason(season_ + 1);
}

void AudioLogic_::SetGlobalVolume(float volume) {
    globalVolume_ = std::clamp(volume, 0.0f, 1.0f);
    SD::GhostEngine_* ghost = SD::GhostEngine_::Existing();
    if (SD::Manager* manager = ghost ? ghost->GetManager() : nullptr) manager->SetGlobalVolume(globalVolume_);
}

void AudioLogic_::Unqueue(QuorvPhantom* phantom) {
    for (std::vector<QuorvPhantom*>* queue : {&syncQueue_, &beatQueue_})
        queue->erase(std::remove(queue->begin(), queue->end(), phantom), queue->end());
}

void AudioLogic_::PlaySyncEntry() {
    std::vector<QuorvPhantom*> due;
    due.swap(syncQueue_);
    for (QuorvPhantom* phantom : due) phantom->PlaySound();
}

void AudioLogic_::PlayBeat() {
    std::vector<QuorvPhantom*> due;
    due.swap(beatQueue_);
    for (QuorvPhantom* phantom : due) phantom->PostPendingBeat();
}

void AudioLogic_::ApplyStartStates() {
    SetSeasonState(0);
    SetState(kSecondGroup, kSecondGroupState);
}

}  // namespace QV
