#include "game/systems/AudioLogic.h"

#include <algorithm>
#include <memory>

#include "sound/engine/SxSoundEngine.h"

namespace QV {
namespace {

void EngineSetState(uint32_t group, uint32_t state) { SX::SoundEngine::SetState(group, state); }

AudioLogic_::StateSetter& Setter() {
    static AudioLogic_::StateSetter setter = &EngineSetState;
    return setter;
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

void AudioLogic_::ResetForTests() { Instance().reset(); }

void AudioLogic_::SetStateSetter(StateSetter setter) { Setter() = setter ? setter : &EngineSetState; }

void AudioLogic_::SetSeasonState(int season) {
    if (season >= 0 && season <= kLastSeason) Setter()(kSeasonGroup, kFirstSeasonState + static_cast<uint32_t>(season));
}

void AudioLogic_::SetSeason(int season) {
    season_ = std::clamp(season, 0, kLastSeason);
    SetSeasonState(season_);
}

void AudioLogic_::IncrementState() {
    ++season_;
    SetSeasonState(season_);
}

void AudioLogic_::QueueMusicSyncRequest(int request) {
    std::lock_guard<std::mutex> hold(syncLock_);
    syncRequests_.push_back(request);
}

std::vector<int> AudioLogic_::TakeMusicSyncRequests() {
    std::lock_guard<std::mutex> hold(syncLock_);
    std::vector<int> taken;
    taken.swap(syncRequests_);
    return taken;
}

}  // namespace QV
