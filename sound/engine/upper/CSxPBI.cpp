#include "sound/engine/upper/CSxPBI.h"

#include "sound/engine/playing/SxCallbackTypes.h"

#include <algorithm>
#include <cmath>

#include "platform/os/Random.h"
#include "sound/engine/attenuations/CSxAttenuation.h"
#include "sound/engine/buses/CSxBus.h"
#include "sound/engine/buses/CSxFeedbackBus.h"
#include "sound/engine/containers/CSxLayerCntr.h"
#include "sound/engine/hierarchy/CSxSoundBase.h"
#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/lower/CSxLEngine.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/playing/CSxPlayingMgr.h"
#include "sound/engine/registry/CSxRegisteredObj.h"
#include "sound/engine/transitions/CSxTransitionMgr.h"
#include "sound/engine/upper/CSxSource.h"
#include "sound/engine/upper/CSxURenderer.h"

namespace SX {

namespace {
constexpr float kInvSilence = 0.010384216f;  // 1 / 96.3 in single precision
float RatioFromDb(float db) { return (db + 96.3f) * kInvSilence; }
float DbFromRatio(float ratio) { return ratio * 96.3f - 96.3f; }
}  // namespace

CSxPBI* CSxPBIAware::CreatePBI(CSxSoundBase* node, CSxSource* source, const SxPBIParams& params,
                               const SxPriorityParams& priority) {
    return SxNew<CSxPBI>(g_DefaultPoolId, node, source, params, priority);
}

CSxPBI::CSxPBI(CSxSoundBase* node, CSxSource* source, const SxPBIParams& params, const SxPriorityParams& priority)
    : m_node(node),
      m_source(source),
      m_gameObj(params.gameObj),
      m_playingID(params.playingID),
      m_customData{params.customData[0], params.customData[1], params.customData[2]},
      m_externalSources(params.externalSources),
      m_priority(priority),
      m_sequence(CSxURenderer::NextSequenceNumber()),
      m_continuousSequence(params.continuousSequence),
      m_motion(params.forFeedback != 0),
      m_pauseCount(params.pauseCount) {
    m_history.count = params.history.count;
    std::copy(std::begin(params.history.positions), std::end(params.history.positions), m_history.positions);
    if (m_gameObj) m_gameObj->AddRef();
    m_node->AddRef();
    m_node->AddInstance(this);
    if (m_externalSources) m_externalSources->AddRef();
    m_startedEntry.instance = m_destroyEntry.instance = this;
    m_startedEntry.command = 3;
    m_destroyEntry.command = 4;
}

CSxPBI::~CSxPBI() {
    if (m_externalSources) m_externalSources->Release();
}

SXRESULT CSxPBI::Init() {
    if (m_playingID == 0) return SX_Fail;
    uint32_t flags = 0;
    if (!g_pPlayingMgr) return SX_Fail;
    const SXRESULT registered = g_pPlayingMgr->AddItemActiveCount(m_playingID, &flags);
    if (registered != SX_Success) return registered;
    m_registered = true;
    m_tracksPosition = (flags & SxCallbackFlag_EnableGetSourcePlayPosition) != 0;
    if (!CopyAttenuationCone()) return SX_Fail;
    ReadPositioning();
    m_source->GetMedia(m_media, m_mediaSize);
    if (const SxPositioning* positioning = FindPositioning()) m_path.Start(*positioning, this);
    return SX_Success;
}

const SxPositioning* CSxPBI::FindPositioning() const {
    CSxParameterNodeBase* stop = m_node->PositioningNode();
    const SxPositioning* positioning = nullptr;
    for (CSxParameterNodeBase* node = m_node; node && !positioning; node = node->Parent()) {
        positioning = node->Positioning();
        if (node == stop) break;
    }
    return positioning;
}

bool CSxPBI::CopyAttenuationCone() {
    const SxPositioning* positioning = FindPositioning();
    const SxUniqueID id = positioning ? positioning->attenuationID : 0;
    if (id == 0) return true;
    auto* attenuation = g_pObjectIndex
                            ? static_cast<CSxAttenuation*>(g_pObjectIndex->GetPtrAndAddRef(SxIndex_Attenuation, id))
                            : nullptr;
    if (!attenuation) return false;
    m_attenuationCone[0] = attenuation->ConeOutsideVolume();
    m_attenuationCone[1] = attenuation->ConeOutsideLowPass();
    attenuation->Release();
    return true;
}

void CSxPBI::ReadPositioning() {
    // The values are read where the walk for the 3D parameters stops.
    CSxParameterNodeBase* stop = m_node->PositioningNode();
    const SxPositioning* positioning = FindPositioning();
    m_positioning.is2D = positioning == nullptr;
    m_positioning.type = positioning ? positioning->type : 0;
    m_positioning.attenuationID = positioning ? positioning->attenuationID : 0;
    m_positioning.flags3D = positioning ? positioning->flags3D : 0;
    auto value = [&](uint32_t param, uint32_t prop) {
        return stop->IsRTPCSubscribed(param) ? stop->RTPCValue(param, m_gameObj) : stop->Props().GetFloat(prop);
    };
    m_positioning.value1 = value(SxRTPC_PositioningValue1, SxProp_PositioningValue1);
    m_positioning.value2 = value(SxRTPC_PositioningValue2, SxProp_PositioningValue2);
    m_positioning.value3 = stop->Props().GetFloat(SxProp_PositioningValue3) * 0.01f;
    auto cone = [&](uint32_t param, float copied) {
        return stop->IsRTPCSubscribed(param) ? stop->RTPCValue(param, m_gameObj) : copied;
    };
    m_positioning.coneOutsideVolume = cone(SxRTPC_ConeOutsideVolume, m_attenuationCone[0]);
    m_positioning.coneOutsideLowPass = cone(SxRTPC_ConeOutsideLowPass, m_attenuationCone[1]);
}

void CSxPBI::MarkVirtual() {
    if (m_virtual) return;
    m_virtual = true;
    CSxURenderer::s_virtualCount++;
}

void CSxPBI::UnmarkVirtual() {
    if (!m_virtual) return;
    m_virtual = false;
    CSxURenderer::s_virtualCount--;
}

void CSxPBI::Term(bool) {
    UnmarkVirtual();
    m_path.Stop();
    if (!(m_transport & kCountsReleased)) {
        m_transport |= kCountsReleased;
        SxPlayCountRecord count;
        count.gameObj = m_gameObj;
        m_node->DecrementPlayCount(count);
    }
    ReleaseFades();
    m_lifecycle &= ~kStarted;
    if (m_registered && g_pPlayingMgr) g_pPlayingMgr->RemoveItemActiveCount(m_playingID);
    m_registered = false;
    if (m_gameObj) m_gameObj->Release();
    m_gameObj = nullptr;
    // A resolved external source is the instance's own; any other lives in the node.
    if (m_source && (m_source->Flags() & CSxSource::kOwnedByInstance)) SxDelete(g_DefaultPoolId, m_source);
    m_source = nullptr;
    m_node->RemoveInstance(this);
    m_node->Release();
}

void CSxPBI::PrepareToPlay() {
    int32_t loops = m_node->Props().GetInt(SxProp_LoopCount);
    if (const SxRangeBundle::Entry* range = m_node->Ranges().Find(SxProp_LoopCount)) {
        const float span = static_cast<float>(range->max.i - range->min.i);
        loops += range->min.i + static_cast<int32_t>(static_cast<float>(platform::crt_rand()) / 32767.0f * span + 0.5f);
    }
    m_loopCount = static_cast<uint16_t>(std::clamp(loops, 0, 65535));
}

CSxTransition* CSxPBI::StartFade(int32_t kind, float fromDb, float toDb, const SxFadeParams& fade) {
    if (!g_pTransitionMgr) return nullptr;
    SxTransitionParams params;
    params.user = this;
    params.targetID = kind;
    params.startValue = fromDb;
    params.targetValue = toDb;
    params.durationMs = fade.timeMs;
    params.shape = fade.curve;
    params.dB = true;
    return g_pTransitionMgr->AddTransitionToList(params, true, CSxTransitionMgr::kFadeList);
}

void CSxPBI::ReleaseFades() {
    for (CSxTransition** fade : {&m_playStopFade, &m_pauseFade}) {
        if (*fade && g_pTransitionMgr) (*fade)->RemoveTransitionUser(this);
        *fade = nullptr;
    }
}

SXRESULT CSxPBI::PostLower(SxLowerCommand command) { return CSxLEngineCmds::Enqueue(command, *this); }

void CSxPBI::PlayWithFade(const SxFadeParams& fade, bool paused) {
    if (fade.timeMs != 0) {
        m_playStopRatio = 0.0f;
        if (m_playStopFade && g_pTransitionMgr) {
            g_pTransitionMgr->ChangeParameter(m_playStopFade, kPlayFade, 0.0f, fade.timeMs, fade.curve,
                                              SxValueMeaning_Default);
        } else {
            m_isStopFade = false;
            m_playStopFade = StartFade(kPlayFade, kSilenceDb, 0.0f, fade);
            if (!m_playStopFade) TransUpdateValue(kPlayFade, 0.0f, true);
        }
    }
    ComputeEffectiveVolumes();
    if (paused) {
        m_transport |= kPaused;
        if (m_playStopFade) m_playStopFade->Pause();
    }
    // A play the lower engine never hears of would leave the instance alive for ever: it ends.
    if (PostLower(paused ? SxLowerCmd_PlayPaused : SxLowerCmd_Play) != SX_Success) Destroy(0);
}

void CSxPBI::StopWithFade(const SxFadeParams& fade, bool allowImmediate) {
    if ((m_transport & kPaused) || (m_pauseFade && m_isPauseFade)) return StopInstance();
    m_transport |= kStopRequested;
    if (fade.timeMs != 0) {
        if (m_playStopFade && g_pTransitionMgr) {
            g_pTransitionMgr->ChangeParameter(m_playStopFade, kStopFade, kSilenceDb, fade.timeMs, fade.curve,
                                              SxValueMeaning_Default);
            m_isStopFade = true;
        } else {
            m_isStopFade = true;
            m_playStopFade = StartFade(kStopFade, DbFromRatio(m_playStopRatio), kSilenceDb, fade);
            if (!m_playStopFade) TransUpdateValue(kStopFade, kSilenceDb, true);
        }
    } else if (SourceState() != 0) {
        if (m_playStopFade && g_pTransitionMgr) {
            m_isStopFade = true;
            g_pTransitionMgr->ChangeParameter(m_playStopFade, kStopFade, kSilenceDb, 0, SxCurve_Linear,
                                              SxValueMeaning_Default);
        } else if (allowImmediate) {
            m_playStopRatio = 0.0f;
            m_effectiveVolume = m_effectiveLFE = kSilenceDb;
            StopInstance();
        }
    } else {
        StopInstance();
    }
}

void CSxPBI::StopByLimit(uint32_t reason) {
    m_transport = static_cast<uint8_t>((m_transport & 0x8F) | kStoppedByLimit | ((reason & 7) << 4));
    StopWithFade(SxFadeParams(), true);
}

void CSxPBI::StopInstance() {
    if (m_lifecycle & kStopping) return;
    m_lifecycle |= kStopping;
    ReleaseFades();
    m_lifecycle = static_cast<uint8_t>((m_lifecycle | kStopped) & ~kStarted);
    CSxLEngineCmds::EnqueueStop(*this);
}

void CSxPBI::Pause(bool quiet) {
    if ((m_lifecycle & kStopping) || (m_transport & kPaused)) return;
    m_transport |= kPaused;
    m_pauseRatio = 0.0f;
    m_effectiveVolume = m_effectiveLFE = kSilenceDb;
    if (!quiet) PostLower(SxLowerCmd_Pause);
    if (m_playStopFade) m_playStopFade->Pause();
    m_path.Pause();
}

void CSxPBI::PauseWithFade(const SxFadeParams& fade) {
    ++m_pauseCount;
    if (fade.timeMs == 0) {
        if (SourceState() == 0) {
            Pause(false);
        } else if (m_pauseFade && g_pTransitionMgr) {
            m_isPauseFade = true;
            g_pTransitionMgr->ChangeParameter(m_pauseFade, kPauseFade, kSilenceDb, 0, SxCurve_Linear,
                                              SxValueMeaning_Default);
        } else {
            // The voice is told as well, so that a pause never depends on it watching the ratio.
            Pause(false);
        }
        return;
    }
    m_isPauseFade = true;
    if (m_pauseFade && g_pTransitionMgr) {
        g_pTransitionMgr->ChangeParameter(m_pauseFade, kPauseFade, kSilenceDb, fade.timeMs, fade.curve,
                                          SxValueMeaning_Default);
    } else {
        m_pauseFade = StartFade(kPauseFade, DbFromRatio(m_pauseRatio), kSilenceDb, fade);
        if (!m_pauseFade) TransUpdateValue(kPauseFade, kSilenceDb, true);
    }
}

void CSxPBI::Resume() {
    if ((m_lifecycle & kStopping) || !(m_transport & kPaused)) return;
    m_transport &= ~kPaused;
    PostLower(SxLowerCmd_Resume);
    if (m_playStopFade) m_playStopFade->Resume();
    m_path.Resume();
}

void CSxPBI::ResumeWithFade(const SxFadeParams& fade, bool masterResume) {
    if (!masterResume && m_pauseCount > 1) {
        --m_pauseCount;
        return;
    }
    m_pauseCount = 0;
    Resume();
    m_isPauseFade = false;
    if (m_pauseFade && g_pTransitionMgr) {
        g_pTransitionMgr->ChangeParameter(m_pauseFade, kResumeFade, 0.0f, fade.timeMs,
                                          fade.timeMs ? fade.curve : SxCurve_Linear, SxValueMeaning_Default);
    } else if (fade.timeMs == 0) {
        m_pauseRatio = 1.0f;
        ComputeEffectiveVolumes();
    } else {
        m_pauseFade = StartFade(kResumeFade, DbFromRatio(m_pauseRatio), 0.0f, fade);
        if (!m_pauseFade) TransUpdateValue(kResumeFade, 0.0f, true);
    }
}

void CSxPBI::PlayToEnd(SxUniqueID) {
    m_loopCount = 1;
    PostLower(SxLowerCmd_EndOfLoop);
}

void CSxPBI::SeekTime(int32_t ms, bool) {
    m_seekSamples = (CSxLEngine::OutputSampleRate() / 1000) * static_cast<uint32_t>(ms < 0 ? 0 : ms);
    m_seekFraction = 0.0f;
    PostLower(SxLowerCmd_Seek);
}

void CSxPBI::SeekPercent(float fraction, bool) {
    m_seekFraction = fraction;
    PostLower(SxLowerCmd_Seek);
}

void CSxPBI::TransUpdateValue(int32_t kind, float value, bool done) {
    const float ratio = RatioFromDb(value);
    switch (kind) {
        case kPlayFade:
        case kStopFade:
            m_playStopRatio = ratio;
            if (done) {
                m_playStopFade = nullptr;
                if (m_isStopFade) StopInstance();
            }
            break;
        case kPauseFade:
        case kResumeFade:
            m_pauseRatio = ratio;
            if (done) {
                m_pauseFade = nullptr;
                if (m_isPauseFade) Pause(true);
            }
            break;
        default:
            return;
    }
    ComputeEffectiveVolumes();
}

void CSxPBI::SetVolumeModifier(float factor, const void* key, uint32_t flags, bool exclusive) {
    const uint32_t side = flags & 1;
    auto other = std::find_if(m_modifiers.begin(), m_modifiers.end(),
                              [&](const VolumeModifier& m) { return m.key == key && (m.flags & 1) != side; });
    if (exclusive && other != m_modifiers.end()) {
        if (side) return;
        m_modifiers.erase(other);
    }
    auto same = std::find_if(m_modifiers.begin(), m_modifiers.end(),
                             [&](const VolumeModifier& m) { return m.key == key && (m.flags & 1) == side; });
    if (factor == 1.0f && (!exclusive || side)) {
        if (same != m_modifiers.end()) m_modifiers.erase(same);
    } else if (same != m_modifiers.end()) {
        same->flags = flags;
        same->factor = factor;
    } else {
        m_modifiers.push_back(VolumeModifier{key, flags, factor});
    }
    ComputeEffectiveVolumes();
}

void CSxPBI::ComputeEffectiveVolumes() {
    float m = m_volumeFactor;
    for (const VolumeModifier& modifier : m_modifiers) m *= modifier.factor;
    const float f = std::max(m_playStopRatio * m * m_pauseRatio, 0.0f);
    m_effectiveVolume = (std::min(m_sums.volume + m_offsets.volume, 0.0f) + 96.3f) * f - 96.3f;
    m_effectiveLFE = (std::min(m_sums.lfe + m_offsets.lfe, 0.0f) + 96.3f) * f - 96.3f;
}

void CSxPBI::RefreshParameters() {
    if (m_lifecycle & kParamsValid) return;
    m_sums = SxAudioSums();
    m_modifiers.erase(
        std::remove_if(m_modifiers.begin(), m_modifiers.end(), [](const VolumeModifier& m) { return !(m.flags & 2); }),
        m_modifiers.end());
    ReadPositioning();
    const bool draw = !(m_lifecycle & kOffsetsDrawn);
    m_volumeFactor = 1.0f;
    m_node->GetAudioParameters(m_sums, SxParamMask_All, m_gameObj, draw, m_offsets, m_volumeFactor);
    if (m_motion) {
        // A motion instance plays through the motion buses, not the audio ones: their levels
        // reach it on its motion path, their pitch here.
        CSxFeedbackBus* bus = CSxFeedbackBus::OfNodeAndAddRef(m_node);
        m_sums.pitch += CSxFeedbackBus::ChainLevels(bus).pitch;
        if (bus) bus->Release();
    } else {
        CSxBus::AddBusParameters(m_node, m_sums, SxParamMask_All, m_volumeFactor);
    }
    CSxLayerCntr::AddLayerParameters(m_node, m_sums, SxParamMask_All, m_gameObj, m_volumeFactor);
    m_lifecycle |= kOffsetsDrawn;
    m_pitch = m_sums.pitch + m_offsets.pitch;
    m_lpf = m_sums.lpf + m_offsets.lpf;
    ComputeEffectiveVolumes();
    float base, offset;
    m_node->GetPriority(m_gameObj, base, offset);
    if (base != m_priority.basePriority || offset != m_priority.distanceOffset) {
        m_priority.basePriority = base;
        m_priority.distanceOffset = offset;
        m_priority.priority = base;
    }
    m_lifecycle |= kParamsValid;
}

void CSxPBI::NotifyStarted(float timeLeftMs) {
    SetSourceState(kSourcePlaying);
    CSxURenderer::PostStarted(*this, timeLeftMs);
}

void CSxPBI::Destroy(uint32_t argument) {
    m_voice = nullptr;
    CSxURenderer::PostDestroyed(*this, argument);
}

}  // namespace SX
