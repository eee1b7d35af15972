#pragma once
// What tests read of the audio manager's private state: the triggers still queued, the pending
// and paused actions, and the audio frame counter.
#include <cstdint>
#include <vector>

#include "platform/TestProbe.h"
#include "sound/engine/SxAudioThread.h"
#include "sound/engine/audio/CSxAudioMgr.h"
#include "sound/engine/transitions/SxTimingSettings.h"

template <>
struct platform::TestProbe<SX::SxChunkRing> {
    // Calls visit(data, bytes) for every stretch not yet read, oldest first.
    template <class Visit>
    static void VisitUnread(const SX::SxChunkRing& ring, Visit visit) {
        if (ring.IsEmpty()) return;
        uint32_t at = ring.m_read;
        uint32_t offset = ring.m_readOffset;
        for (;;) {
            const SX::SxChunkRing::Entry& entry = ring.m_entries[at];
            if (offset < entry.fill) visit(entry.chunk + offset, entry.fill - offset);
            if (at == ring.m_write) return;
            at = at + 1 == ring.m_count ? 0 : at + 1;
            offset = 0;
        }
    }
};

template <>
struct platform::TestProbe<SX::CSxAudioMgr> {
    using Mgr = SX::CSxAudioMgr;

    // The triggers queued and not yet applied, oldest first: while the audio thread is
    // stopped, every trigger posted since.
    static std::vector<SX::SxMsgTrigger> QueuedTriggers(Mgr& mgr) {
        std::vector<SX::SxMsgTrigger> triggers;
        std::lock_guard<platform::CriticalSection> lock(mgr.m_queueLock);
        TestProbe<SX::SxChunkRing>::VisitUnread(mgr.m_ring, [&](const uint8_t* block, uint32_t bytes) {
            for (uint32_t at = 0; at < bytes;) {
                const auto& header = *reinterpret_cast<const SX::SxQueuedMsgHeader*>(block + at);
                if (header.size == 0) break;
                if (header.type == SX::SxMsg_Trigger) triggers.push_back(SX::SxMsgAs<SX::SxMsgTrigger>(header));
                at += header.size;
            }
        });
        return triggers;
    }

    // The audio frame, counted under the audio lock.
    static uint32_t FrameCounter() {
        platform::Lock lock(SX::g_csMain);
        return SX::g_uSxAudioFrameCounter;
    }

    static uint32_t PendingCount(const Mgr& mgr) { return Length(mgr.m_pending); }
    static uint32_t PausedCount(const Mgr& mgr) { return Length(mgr.m_paused); }

private:
    static uint32_t Length(const Mgr::Node* node) {
        uint32_t n = 0;
        for (; node; node = node->next) ++n;
        return n;
    }
};

namespace qvtest {
using AudioMgrProbe = platform::TestProbe<SX::CSxAudioMgr>;
}  // namespace qvtest
