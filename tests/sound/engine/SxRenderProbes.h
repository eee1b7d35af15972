#pragma once
// What tests read of the renderer's private state: an instance's parameter sums, fade ratios
// and path, a bus's ducking, the lower engine's master node and device retry count, the
// commands queued for it, the paths in use, and how many instances and voices play.
#include <cstdint>

#include "platform/TestProbe.h"
#include "sound/engine/buses/CSxBus.h"
#include "sound/engine/lower/CSxLEngine.h"
#include "sound/engine/paths/CSxPathMgr.h"
#include "sound/engine/upper/CSxLEngineCmds.h"
#include "sound/engine/upper/CSxPBI.h"
#include "sound/engine/upper/CSxURenderer.h"
#include "sound/engine/upper/SxPathFollower.h"
#include "sound/engine/voice/CSxVoiceMgr.h"

template <>
struct platform::TestProbe<SX::SxPathFollower> {
    static bool IsFollowing(const SX::SxPathFollower& follower) { return follower.m_path != nullptr; }
};

template <>
struct platform::TestProbe<SX::CSxPBI> {
    static const SX::SxAudioSums& Sums(const SX::CSxPBI& pbi) { return pbi.m_sums; }
    static const SX::SxAudioSums& RandomOffsets(const SX::CSxPBI& pbi) { return pbi.m_offsets; }
    static float PlayStopRatio(const SX::CSxPBI& pbi) { return pbi.m_playStopRatio; }
    static float PauseRatio(const SX::CSxPBI& pbi) { return pbi.m_pauseRatio; }
    static bool FollowsPath(const SX::CSxPBI& pbi) {
        return platform::TestProbe<SX::SxPathFollower>::IsFollowing(pbi.m_path);
    }
};

template <>
struct platform::TestProbe<SX::CSxBus> {
    static SX::CSxBus::DuckState DuckState(const SX::CSxBus& bus) { return bus.m_duckState; }
    static float MaxDuckVolume(const SX::CSxBus& bus) { return bus.m_maxDuckVolume; }
    static uint32_t RecoveryTimeSamples(const SX::CSxBus& bus) { return bus.m_recoverySamples; }
    static uint32_t DuckTargetCount(const SX::CSxBus& bus) { return static_cast<uint32_t>(bus.m_targets.size()); }
};

template <>
struct platform::TestProbe<SX::CSxLEngine> {
    static SX::MasterMixNode& MasterNode() { return SX::CSxLEngine::s_master; }
    static uint32_t RetryCountdown() { return SX::CSxLEngine::s_retryCountdown; }
};

template <>
struct platform::TestProbe<SX::CSxURenderer> {
    static uint32_t ActiveCount() { return SX::CSxURenderer::s_activeCount; }
    static uint32_t VirtualCount() { return SX::CSxURenderer::s_virtualCount; }
};

template <>
struct platform::TestProbe<SX::CSxVoiceMgr> {
    // The voices alive; 0 before the manager is made.
    static uint32_t VoiceCount() {
        const SX::CSxVoiceMgr* mgr = SX::CSxVoiceMgr::Get();
        return mgr ? static_cast<uint32_t>(mgr->m_voices.size()) : 0u;
    }
};

template <>
struct platform::TestProbe<SX::CSxLEngineCmds> {
    static uint32_t QueuedCount() { return SX::CSxLEngineCmds::s_count; }
};

template <>
struct platform::TestProbe<SX::CSxPathMgr> {
    static uint32_t PathCount(const SX::CSxPathMgr& mgr) { return mgr.m_count; }
    static uint32_t MaxPaths(const SX::CSxPathMgr& mgr) { return mgr.m_max; }
};

namespace qvtest {
using PBIProbe = platform::TestProbe<SX::CSxPBI>;
using BusProbe = platform::TestProbe<SX::CSxBus>;
using LEngineProbe = platform::TestProbe<SX::CSxLEngine>;
using URendererProbe = platform::TestProbe<SX::CSxURenderer>;
using VoiceProbe = platform::TestProbe<SX::CSxVoiceMgr>;
using LEngineCmdsProbe = platform::TestProbe<SX::CSxLEngineCmds>;
using PathMgrProbe = platform::TestProbe<SX::CSxPathMgr>;
}  // namespace qvtest
