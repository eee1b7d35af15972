#include "sound/engine/positions/CSxPositionRepository.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/os/Clock.h"

namespace SX {

CSxPositionRepository* g_pPositionRepository = nullptr;

SXRESULT CSxPositionRepository::Init() {
    platform::Lock guard(lock_);
    entries_.clear();
    entries_.reserve(8);
    return SX_Success;
}

void CSxPositionRepository::Term() {
    platform::Lock guard(lock_);
    entries_.clear();
    entries_.shrink_to_fit();
}

CSxPositionRepository::Entry* CSxPositionRepository::Find(uint32_t playingID) {
    for (Entry& e : entries_)
        if (e.playingID == playingID) return &e;
    return nullptr;
}

void CSxPositionRepository::AddSource(uint32_t playingID, const void* owner) {
    platform::Lock guard(lock_);
    if (Find(playingID)) return;
    // The frame stamp is only kept while entries exist: the first one starts it.
    if (entries_.empty()) frameTimeStamp_ = platform::QueryCounter();
    entries_.push_back(Entry{playingID, SxPositionInfo(), 0, owner});
}

void CSxPositionRepository::UpdatePosition(uint32_t playingID, const SxPositionInfo& info, const void* owner) {
    platform::Lock guard(lock_);
    Entry* entry = Find(playingID);
    if (entry) {
        if (entry->owner != owner) return;
    } else {
        entries_.push_back(Entry{playingID, SxPositionInfo(), 0, owner});
        entry = &entries_.back();
        // The frame stamp is only kept while entries exist; this may be the first.
        frameTimeStamp_ = platform::QueryCounter();
    }
    entry->info = info;
    entry->timeStamp = frameTimeStamp_;
}

void CSxPositionRepository::SetRate(uint32_t playingID, float rate) {
    platform::Lock guard(lock_);
    if (Entry* entry = Find(playingID)) {
        entry->timeStamp = frameTimeStamp_;
        entry->info.rate = rate;
    }
}

void CSxPositionRepository::Remove(uint32_t playingID, const void* owner, bool anyOwner) {
    platform::Lock guard(lock_);
    auto it = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.playingID == playingID; });
    if (it != entries_.end() && (anyOwner || it->owner == owner)) entries_.erase(it);
}

void CSxPositionRepository::RemoveSource(uint32_t playingID, const void* owner) { Remove(playingID, owner, false); }

void CSxPositionRepository::RemovePlayingID(uint32_t playingID) { Remove(playingID, nullptr, true); }

void CSxPositionRepository::SetFrameTimeStamp() {
    platform::Lock guard(lock_);
    frameTimeStamp_ = platform::QueryCounter();
}

bool CSxPositionRepository::HasEntries() {
    platform::Lock guard(lock_);
    return !entries_.empty();
}

SXRESULT CSxPositionRepository::GetCurrPosition(uint32_t playingID, int32_t* outMs, bool extrapolate) {
    platform::Lock guard(lock_);
    *outMs = 0;
    const Entry* entry = Find(playingID);
    // An entry made before its source reported holds no position yet.
    if (!entry || entry->info.sampleRate == 0 || entry->info.position == 0xFFFFFFFFu) return SX_Fail;
    const SxPositionInfo& info = entry->info;
    double positionMs = double(info.position) * 1000.0 / info.sampleRate;
    const double durationMs = double(info.duration) * 1000.0 / info.sampleRate;
    if (extrapolate) {
        const double ticksPerMs = double(platform::CounterFrequency()) / 1000.0;
        const double elapsedTicks = double(platform::QueryCounter() - entry->timeStamp);
        positionMs += elapsedTicks / ticksPerMs * info.rate;
    }
    const double ms = std::min(std::trunc(positionMs), std::trunc(durationMs));
    *outMs = int32_t(std::clamp<double>(ms, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
    return SX_Success;
}

}  // namespace SX
