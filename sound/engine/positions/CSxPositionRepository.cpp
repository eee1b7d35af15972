#include "sound/engine/positions/CSxPositionRepository.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/os/Clock.h"

namespace SX {

CSxPositionRepository* g_pPositionRepository = nullptr;

SXRESULT CSxPositionRepository::Init() {
    platform::Lock guard(m_lock);
    m_entries.clear();
    m_entries.reserve(8);
    return SX_Success;
}

void CSxPositionRepository::Term() {
    platform::Lock guard(m_lock);
    m_entries.clear();
    m_entries.shrink_to_fit();
}

CSxPositionRepository::Entry* CSxPositionRepository::Find(uint32_t playingID) {
    for (Entry& e : m_entries)
        if (e.playingID == playingID) return &e;
    return nullptr;
}

void CSxPositionRepository::AddSource(uint32_t playingID, const void* owner) {
    platform::Lock guard(m_lock);
    if (Find(playingID)) return;
    // The frame stamp is only kept while entries exist: the first one starts it.
    if (m_entries.empty()) m_frameTimeStamp = platform::QueryCounter();
    m_entries.push_back(Entry{playingID, SxPositionInfo(), 0, owner});
}

void CSxPositionRepository::UpdatePosition(uint32_t playingID, const SxPositionInfo& info, const void* owner) {
    platform::Lock guard(m_lock);
    Entry* entry = Find(playingID);
    if (entry) {
        if (entry->owner != owner) return;
    } else {
        m_entries.push_back(Entry{playingID, SxPositionInfo(), 0, owner});
        entry = &m_entries.back();
        // The frame stamp is only kept while entries exist; this may be the first.
        m_frameTimeStamp = platform::QueryCounter();
    }
    entry->info = info;
    entry->timeStamp = m_frameTimeStamp;
}

void CSxPositionRepository::SetRate(uint32_t playingID, float rate) {
    platform::Lock guard(m_lock);
    if (Entry* entry = Find(playingID)) {
        entry->timeStamp = m_frameTimeStamp;
        entry->info.rate = rate;
    }
}

void CSxPositionRepository::Remove(uint32_t playingID, const void* owner, bool anyOwner) {
    platform::Lock guard(m_lock);
    auto it =
        std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry& e) { return e.playingID == playingID; });
    if (it != m_entries.end() && (anyOwner || it->owner == owner)) m_entries.erase(it);
}

void CSxPositionRepository::RemoveSource(uint32_t playingID, const void* owner) { Remove(playingID, owner, false); }

void CSxPositionRepository::RemovePlayingID(uint32_t playingID) { Remove(playingID, nullptr, true); }

void CSxPositionRepository::SetFrameTimeStamp() {
    platform::Lock guard(m_lock);
    m_frameTimeStamp = platform::QueryCounter();
}

bool CSxPositionRepository::HasEntries() {
    platform::Lock guard(m_lock);
    return !m_entries.empty();
}

SXRESULT CSxPositionRepository::GetCurrPosition(uint32_t playingID, int32_t* outMs, bool extrapolate) {
    platform::Lock guard(m_lock);
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
