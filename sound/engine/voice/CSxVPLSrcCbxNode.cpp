#include "sound/engine/voice/CSxVPLSrcCbxNode.h"

#include <algorithm>
#include <new>

#include "sound/engine/attenuations/CSxAttenuation.h"
#include "sound/engine/hierarchy/CSxFeedbackNode.h"
#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/hierarchy/CSxSoundBase.h"
#include "sound/engine/listener/SxSpeakerVolumes.h"
#include "sound/engine/lower/CSxLEngine.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/registry/CSxRegisteredObj.h"
#include "sound/engine/upper/CSxPBI.h"
#include "sound/engine/voice/CSxSrcBaseEx.h"
#include "sound/engine/voice/CSxSrcFactory.h"

namespace SX {

CSxVPLSrcCbxNode::~CSxVPLSrcCbxNode() {
    m_pitch.ReleaseBuffer();
    ReleaseEffects();
    FreeSource(m_current);
    FreeSource(m_next);
}

SXRESULT CSxVPLSrcCbxNode::MakeSource(CSxPBI* instance, SourceSlot& out) {
    CSxVPLSrcNode* source = CreateVPLSrcNode(instance);
    if (!source) return SX_Fail;
    const SXRESULT result = source->StartSource();
    if (result != SX_Success && result != SX_NotReady) {
        delete source;
        return result;
    }
    auto* notifier = new (std::nothrow) CSxSrcNotifier(instance);
    if (!notifier) {
        source->StopSource();
        delete source;
        return SX_InsufficientMemory;
    }
    out = SourceSlot{instance, source, notifier};
    return result;
}

void CSxVPLSrcCbxNode::FreeSource(SourceSlot& source) {
    if (source.source) {
        source.source->StopSource();
        delete source.source;
    }
    delete source.notifier;
    source = SourceSlot();
}

SXRESULT CSxVPLSrcCbxNode::AddSrc(CSxPBI* instance) {
    m_current.instance = instance;
    const SXRESULT result = MakeSource(instance, m_current);
    if (result != SX_Success && result != SX_NotReady) return result;
    m_startOffset = instance->SampleOffset();
    m_startBatch = instance->PlayBatch();
    ReadVirtualBehavior();
    // An instance may begin inside its source (music clips joined mid-way); a stream still
    // filling knows its format, and so where to go, only once it is ready.
    m_seekPending = instance->SeekPosition() > 0;
    if (result == SX_Success && SeekToStart() != SX_Success) return SX_Fail;
    return result;
}

SXRESULT CSxVPLSrcCbxNode::SeekToStart() {
    if (!m_seekPending) return SX_Success;
    m_seekPending = false;
    const uint64_t frame = static_cast<uint64_t>(m_current.instance->SeekPosition()) *
                           m_current.source->Format().sampleRate / m_outputRate;
    return m_current.source->Seek(static_cast<uint32_t>(frame));
}

SXRESULT CSxVPLSrcCbxNode::AddNextSrc(CSxPBI* instance) {
    if (m_next.source) return SX_Fail;
    return MakeSource(instance, m_next);
}

void CSxVPLSrcCbxNode::ReadVirtualBehavior() {
    // The nearest node, from the sound up, that sets its own; the top node's otherwise.
    const CSxParameterNodeBase* node = m_current.instance->Node();
    while (node && !(node->FlagsA() & CSxParameterNodeBase::kOverrideVirtual) && node->Parent()) node = node->Parent();
    if (!node) return;
    m_belowThreshold = node->BelowThresholdBehavior() <= kGoVirtual ? node->BelowThresholdBehavior()
                                                                    : static_cast<uint8_t>(kKeepPlaying);
    m_resume =
        node->VirtualQueueBehavior() <= kResume ? node->VirtualQueueBehavior() : static_cast<uint8_t>(kFromBeginning);
}

void CSxVPLSrcCbxNode::EnterVirtual() {
    // Resuming where it was keeps the source buffer in hand; the others start afresh.
    if (m_resume != kResume) {
        m_pitch.Restart();
        for (CSxVPLFilterNode* fx : m_fx)
            if (fx) fx->Reset();
    }
    m_virtual = true;
    m_current.instance->MarkVirtual();
}

void CSxVPLSrcCbxNode::LeaveVirtual() {
    if (m_resume == kFromBeginning && m_current.source->Seek(0) != SX_Success) Stop();
    if (m_resume != kResume) {
        m_lowPass.ResetHistory();
        m_sendLowPass.ResetHistory();
    }
    m_virtual = false;
    m_current.instance->UnmarkVirtual();
}

void CSxVPLSrcCbxNode::SkipVirtualFrame() {
    uint32_t frames = m_frameLength;
    const SXRESULT result = m_pitch.TimeSkip(frames);
    for (CSxVPLFilterNode* fx : m_fx)
        if (fx) fx->TimeSkip(m_frameLength);
    // A stream with nothing in hand skips nothing this frame and tries again on the next.
    if (result == SX_NoMoreData || result == SX_Fail) Stop();
}

SXRESULT CSxVPLSrcCbxNode::IsReadyToPlay() {
    if (m_sourceReady) return SX_Success;
    const SXRESULT result = m_current.source ? m_current.source->StartSource() : SX_Fail;
    if (result == SX_NotReady) {
        HoldStart();
        return SX_NotReady;
    }
    m_sourceReady = result == SX_Success && SeekToStart() == SX_Success;
    return m_sourceReady ? SX_Success : SX_Fail;
}

void CSxVPLSrcCbxNode::HoldStart() {
    // Time runs on while a stream fills: a start planned frames ahead (a music clip started
    // early by its look-ahead) is still heard at its sample.
    if (m_startOffset >= m_frameLength) m_startOffset -= m_frameLength;
}

void CSxVPLSrcCbxNode::Start() {
    if (m_state == kCreated) {
        m_state = kPlaying;
        m_current.instance->SetStartFrameOffset(m_startOffset);
        m_current.notifier->NotifyStart(static_cast<float>(m_current.source->GetDurationMs()));
    } else if (m_state != kStopped) {
        Stop();
    }
}

void CSxVPLSrcCbxNode::Stop() { m_state = kStopped; }

void CSxVPLSrcCbxNode::Pause() {
    if (m_state == kPlaying) {
        m_state = kPaused;
        m_current.notifier->NotifyPause();
    } else {
        Stop();
    }
}

void CSxVPLSrcCbxNode::Resume() {
    if (m_state == kPaused) {
        m_current.notifier->NotifyResume(m_pitch.Resampler().PitchRatio());
        m_state = kPlaying;
    } else if (m_state != kPlaying) {
        Stop();
    }
}

void CSxVPLSrcCbxNode::StopLooping() {
    if (!m_current.source || !m_current.source->IsStarted() || m_current.source->StopLooping() != SX_Success) Stop();
}

void CSxVPLSrcCbxNode::SeekVoice() {
    auto* source = dynamic_cast<CSxSrcBaseEx*>(m_current.source);
    if (!source || !source->IsStarted()) return;
    const uint32_t rate = m_current.source->Format().sampleRate;
    uint32_t frame;
    if (m_current.instance->SeekFraction() > 0.0f)
        frame = static_cast<uint32_t>(m_current.instance->SeekFraction() * source->TotalFrames());
    else
        frame = static_cast<uint32_t>(static_cast<uint64_t>(m_current.instance->SeekPosition()) * rate / m_outputRate);
    m_pitch.Restart();
    m_lowPass.ResetHistory();
    m_sendLowPass.ResetHistory();
    m_sourceEnded = false;
    for (CSxVPLFilterNode* fx : m_fx)
        if (fx) fx->Reset();
    if (m_current.source->Seek(frame) != SX_Success) Stop();
}

SXRESULT CSxVPLSrcCbxNode::InitChain() {
    if (!m_pitch.Init(m_current.source, m_current.instance, m_outputRate, this)) return SX_UnsupportedChannelConfig;
    const uint32_t mask = m_current.source->Format().channelMask;
    SXRESULT result = m_lowPass.Init(mask, m_motion);
    // Motion voices reach no environment.
    if (result == SX_Success && !m_motion) result = m_sendLowPass.Init(mask, false);
    if (result != SX_Success) return result;
    m_samples.assign(static_cast<size_t>(SxChannelCount(mask)) * m_frameLength, 0.0f);
    if (!m_motion) m_sendSamples.assign(m_samples.size(), 0.0f);
    m_buffer.data = m_samples.data();
    m_buffer.channelMask = mask;
    m_buffer.maxFrames = static_cast<uint16_t>(m_frameLength);
    m_bypassAll = (SxGetInsertFxBypass(*m_current.instance) & SxInsertFxBypassAll) != 0;
    for (uint32_t slot = 0; slot < SxInsertFxSlots; ++slot)
        if (MakeEffect(slot) == SX_InsufficientMemory) return SX_InsufficientMemory;
    // The part of the start offset inside this frame plays as silence before the source.
    m_pitch.SetLeadingSilence(m_startOffset);
    m_startOffset = 0;
    m_sourceEnded = false;
    m_chainBuilt = true;
    return SX_Success;
}

SXRESULT CSxVPLSrcCbxNode::MakeEffect(uint32_t slot) {
    if (m_fx[slot]) {
        SxDelete(g_LEngineDefaultPoolId, m_fx[slot]);
        m_fx[slot] = nullptr;
    }
    const SxFxSlotInfo fx = SxGetInsertFx(*m_current.instance, slot);
    if (!fx.effect) return SX_Success;
    auto* node = SxNew<CSxVPLFilterNode>(g_LEngineDefaultPoolId);
    if (!node) return SX_InsufficientMemory;
    const SxAudioFormat format = SxFloatFormat(m_outputRate, m_buffer.channelMask);
    const SXRESULT result = node->Init(fx, slot, m_current.instance, format);
    // An effect that cannot run is left out; the voice plays on without it.
    if (result != SX_Success) {
        SxDelete(g_LEngineDefaultPoolId, node);
        return result;
    }
    m_fx[slot] = node;
    return SX_Success;
}

void CSxVPLSrcCbxNode::ReleaseEffects() {
    for (CSxVPLFilterNode*& fx : m_fx) {
        SxDelete(g_LEngineDefaultPoolId, fx);
        fx = nullptr;
    }
}

bool CSxVPLSrcCbxNode::PrepareFrame() {
    if (m_state != kPlaying) return false;
    if (m_startOffset >= m_frameLength) {
        m_startOffset -= m_frameLength;
        return false;
    }
    if (!m_chainBuilt) {
        if (InitChain() != SX_Success) {
            Stop();
            return false;
        }
        m_audibleLast = ComputeVolumes();
        // The first frame fades in from silence.
        for (SxSpeakerGains& gains : m_gains) std::fill(std::begin(gains.previous), std::end(gains.previous), 0.0f);
        return true;
    }
    // A voice an instance limit sends to virtual counts as inaudible.
    const bool audible = ComputeVolumes() && !m_current.instance->IsSentVirtual();
    // A voice that just fell below the threshold plays one more frame, so that it fades out.
    const bool processed = audible || m_audibleLast || m_belowThreshold == kKeepPlaying;
    m_audibleLast = audible;
    if (processed) {
        if (m_virtual) LeaveVirtual();
        return m_state == kPlaying;
    }
    if (m_belowThreshold == kStopVoice) {
        Stop();
        return false;
    }
    if (!m_virtual) EnterVirtual();
    if (m_resume == kFromElapsedTime) SkipVirtualFrame();
    // Coming back, it fades in from silence.
    for (SxSpeakerGains& gains : m_gains) std::fill(std::begin(gains.previous), std::end(gains.previous), 0.0f);
    return false;
}

bool CSxVPLSrcCbxNode::ComputeVolumes() {
    CSxPBI& instance = *m_current.instance;
    instance.RefreshParameters();
    SxVoiceVolumeParams params;
    params.channelMask = m_buffer.channelMask;
    params.volumeDb = std::min(0.0f, instance.EffectiveVolume());
    params.lfeDb = instance.EffectiveLFE();
    params.hasLfe = (params.channelMask & SxChannelBitLFE) != 0;
    params.feedsEnvironmental = m_feedsEnv;
    params.gameObject = instance.GameObj();
    const SxPositioningValues& positioning = instance.Positioning();
    // A positioned voice is attenuated over distance by the curves of its attenuation.
    CSxAttenuation* attenuation = nullptr;
    SxAttenuationParams curves;
    if (!positioning.is2D && instance.GameObj()) {
        params.positioned = true;
        params.positioningType = positioning.type;
        params.positioningFlags = positioning.flags3D;
        params.onPath = positioning.type == 2 && instance.PathPosition(params.pathPosition.position);
        if (positioning.attenuationID != 0 && g_pObjectIndex)
            attenuation = static_cast<CSxAttenuation*>(
                g_pObjectIndex->GetPtrAndAddRef(SxIndex_Attenuation, positioning.attenuationID));
        if (attenuation) {
            curves.dryVolume = attenuation->CurveFor(CSxAttenuation::Use_Volume);
            curves.auxVolume = attenuation->CurveFor(CSxAttenuation::Use_AuxVolume);
            curves.spread = attenuation->CurveFor(CSxAttenuation::Use_Spread);
            curves.lowPass = attenuation->CurveFor(CSxAttenuation::Use_LPF);
            curves.coneEnabled = attenuation->ConeEnabled();
            curves.coneInside = attenuation->InsideHalfAngle();
            curves.coneOutside = attenuation->OutsideHalfAngle();
            curves.coneOutsideVolume = positioning.coneOutsideVolume;
            curves.coneOutsideLowPass = positioning.coneOutsideLowPass;
            params.attenuation = &curves;
        }
    }
    SxVoiceVolumes volumes;
    SxComputeSpeakerVolumes(params, volumes);
    if (attenuation) attenuation->Release();
    SxNotifySpeakerVolumes(instance.PlayingID(), volumes, m_feedsEnv);
    for (uint32_t c = 0; c < 6; ++c)
        for (uint32_t s = 0; s < 8; ++s) {
            const bool used = c < volumes.channels && s < 6;
            m_gains[c].current[s] = used ? volumes.dry[c][s] : 0.0f;
            m_wet[c].current[s] = used && m_feedsEnv ? volumes.wet[c][s] : 0.0f;
        }
    // The sound's own low-pass filters both paths; where it lies, its place filters each path
    // further, and the stronger value holds.
    const float own = m_motion ? SxGetFeedbackParams(instance).lowPass : instance.LPF();
    m_lowPass.SetValue(params.positioned ? std::max(own, volumes.dryLowPass) : own);
    m_sendLowPass.SetValue(params.positioned ? std::max(own, volumes.wetLowPass) : own);
    return !volumes.inaudible;
}

SXRESULT CSxVPLSrcCbxNode::Render() {
    m_buffer.maxFrames = static_cast<uint16_t>(m_frameLength);
    SXRESULT result = SX_NoMoreData;
    if (m_sourceEnded) {
        // Only the effects' tails are left: they run on an empty buffer that says so.
        m_buffer.validFrames = 0;
        m_buffer.markers.clear();
        m_buffer.playPosition = -1;
    } else {
        result = m_pitch.GetBuffer(m_buffer);
        if (result == SX_Fail) return result;
        m_sourceEnded = result == SX_NoMoreData;
        if (m_buffer.playPosition >= 0) NotifyPosition();
    }
    m_buffer.state = result;
    for (CSxVPLFilterNode* fx : m_fx)
        if (fx) fx->Execute(m_buffer, m_bypassAll);
    // An instance told to end inside this frame is silent from that sample on, and ends.
    const int32_t stopAt = m_current.instance->TakeStopOffset();
    if (stopAt >= 0) {
        const uint32_t channels = SxChannelCount(m_buffer.channelMask);
        for (uint32_t c = 0; c < channels && static_cast<uint32_t>(stopAt) < m_buffer.validFrames; ++c)
            std::fill(m_buffer.Channel(c) + stopAt, m_buffer.Channel(c) + m_buffer.validFrames, 0.0f);
    }
    m_sendSource = nullptr;
    if (m_feedsEnv && HasSends()) PrepareSendPath();
    m_lowPass.Execute(m_buffer);
    return stopAt >= 0 ? SX_NoMoreData : static_cast<SXRESULT>(m_buffer.state);
}

bool CSxVPLSrcCbxNode::HasSends() const {
    const CSxRegisteredObj* object = m_current.instance->GameObj();
    return (object && object->EnvironmentValues()[0].environmentID != 0) || m_kept[0].environmentID != 0;
}

void CSxVPLSrcCbxNode::PrepareSendPath() {
    if (m_sendSamples.size() != m_samples.size()) return;
    // Neither path filtering, both hear the buffer as it is: no copy.
    if (m_sendLowPass.PassesThrough() && m_lowPass.PassesThrough()) {
        m_sendLowPass.Execute(m_buffer);
        m_sendSource = &m_buffer;
        return;
    }
    std::copy(m_samples.begin(), m_samples.end(), m_sendSamples.begin());
    m_send = m_buffer;
    m_send.data = m_sendSamples.data();
    m_sendLowPass.Execute(m_send);
    m_sendSource = &m_send;
}

void CSxVPLSrcCbxNode::NotifyPosition() {
    const SxAudioFormat& format = m_current.source->Format();
    const uint32_t durationMs = m_current.source->GetDurationMs();
    const uint64_t duration = static_cast<uint64_t>(durationMs) * format.sampleRate / 1000;
    m_current.notifier->NotifyPosition(static_cast<uint32_t>(m_buffer.playPosition), m_pitch.Resampler().PitchRatio(),
                                       duration < 0xFFFFFFFFu ? static_cast<uint32_t>(duration) : 0xFFFFFFFFu,
                                       format.sampleRate);
}

void CSxVPLSrcCbxNode::MixEnvironmentSends() {
    if (!m_feedsEnv) return;
    static const SxEnvironmentValue kNone[SxMaxEnvironmentSends] = {};
    const CSxRegisteredObj* object = m_current.instance->GameObj();
    const SxEnvironmentValue* current = object ? object->EnvironmentValues() : kNone;
    SxEnvironmentSend sends[SxMaxEnvironmentSends];
    const uint32_t count = SxMergeEnvironmentValues(current, m_kept, sends);
    if (count && m_sendSource) CSxLEngine::MixEnvironmentSends(*m_sendSource, m_wet, sends, count);
    std::copy(current, current + SxMaxEnvironmentSends, m_kept);
}

void CSxVPLSrcCbxNode::FinishFrame() {
    for (SxSpeakerGains& gains : m_gains) std::copy(std::begin(gains.current), std::end(gains.current), gains.previous);
    for (SxSpeakerGains& gains : m_wet) std::copy(std::begin(gains.current), std::end(gains.current), gains.previous);
}

void CSxVPLSrcCbxNode::SwitchToNextSrc(bool started) {
    // The instance that ended no longer reaches this voice with its commands.
    m_current.instance->SetVoiceContext(nullptr);
    m_current.notifier->NotifyStop();
    FreeSource(m_current);
    m_current = m_next;
    m_next = SourceSlot();
    for (CSxVPLFilterNode* fx : m_fx)
        if (fx) fx->SetInstance(m_current.instance);
    if (started) m_current.notifier->NotifyStart(static_cast<float>(m_current.source->GetDurationMs()));
}

SXRESULT CSxVPLSrcCbxNode::JoinNextSource(uint32_t framesLeft) {
    if (!m_next.source || m_state != kPlaying) return SX_NoMoreData;
    CSxPBI& next = *m_next.instance;
    // A start offset still to come is counted down here, then played as the next source's
    // leading silence once it becomes the current one.
    if (next.SampleOffset() >= 1) {
        next.SetSampleOffset(next.SampleOffset() - std::min(next.SampleOffset(), framesLeft));
        return SX_NoMoreData;
    }
    const SXRESULT started = m_next.source->StartSource();
    if (started == SX_NotReady) return SX_NoMoreData;
    if (started != SX_Success) return SX_Fail;
    if (m_next.source->Format().channelMask != m_current.source->Format().channelMask) return SX_NoMoreData;
    SwitchToNextSrc(true);
    return m_pitch.ChangeSource(m_current.source, m_current.instance) ? SX_Success : SX_Fail;
}

bool CSxVPLSrcCbxNode::ContinueWithNextSource() {
    if (!m_next.source || m_state != kPlaying) return false;
    const SXRESULT started = m_next.source->StartSource();
    if (started != SX_Success && started != SX_NotReady) {
        Stop();
        return false;
    }
    m_pitch.ReleaseBuffer();
    ReleaseEffects();
    SwitchToNextSrc(started == SX_Success);
    // A stream still filling makes the voice wait, as a new one does, until it can start.
    if (started == SX_NotReady) m_state = kCreated;
    m_sourceReady = started == SX_Success;
    // The new source gets a chain of its own format and effects on the next frame.
    m_chainBuilt = false;
    m_sourceEnded = false;
    m_startOffset = m_current.instance->SampleOffset();
    return true;
}

void CSxVPLSrcCbxNode::DropNextSource() {
    if (!m_next.source) return;
    m_next.notifier->NotifyStop();
    FreeSource(m_next);
}

void CSxVPLSrcCbxNode::BypassFx(uint32_t bits, uint32_t mask) {
    for (uint32_t slot = 0; slot < SxInsertFxSlots; ++slot)
        if ((mask >> slot) & 1 && m_fx[slot]) m_fx[slot]->SetBypass((bits >> slot) & 1);
    if (mask & SxInsertFxBypassAll) m_bypassAll = (bits & SxInsertFxBypassAll) != 0;
}

void CSxVPLSrcCbxNode::RefreshFxBypass(uint32_t slot) {
    const uint32_t bits = SxGetInsertFxBypass(*m_current.instance);
    BypassFx(bits, slot < SxInsertFxSlots ? 1u << slot : SxInsertFxBypassAll);
}

void CSxVPLSrcCbxNode::SetFx(uint32_t slot) {
    if (slot >= SxInsertFxSlots || !m_chainBuilt) return;
    MakeEffect(slot);
}

bool CSxVPLSrcCbxNode::HoldsFx(const ISxEffectObject* effect) const {
    for (const CSxVPLFilterNode* fx : m_fx)
        if (fx && fx->Holds(effect)) return true;
    return false;
}

void CSxVPLSrcCbxNode::ForEachFxInstance(const ISxEffectObject* effect, SxFxInstanceCallback callback,
                                         void* cookie) const {
    const CSxRegisteredObj* object = m_current.instance ? m_current.instance->GameObj() : nullptr;
    for (const CSxVPLFilterNode* fx : m_fx)
        if (fx && fx->Holds(effect)) callback(fx->Plugin(), object ? object->ID() : 0, cookie);
}

void CSxVPLSrcCbxNode::NotifyEnd() {
    if (m_ended) return;
    m_ended = true;
    m_state = kStopped;
    DropNextSource();
    if (m_current.notifier)
        m_current.notifier->NotifyStop();
    else if (m_current.instance)
        m_current.instance->Destroy(0);
}

}  // namespace SX

namespace SX {

const SxAudioBuffer* CSxVPLSrcCbxNode::MotionCopy(float lowPass) {
    if (!m_motionCopyFilterReady) {
        if (m_motionCopyFilter.Init(m_buffer.channelMask, false) != SX_Success) return nullptr;
        m_motionCopyFilterReady = true;
    }
    const size_t count = static_cast<size_t>(m_buffer.Channels()) * m_buffer.maxFrames;
    try {
        m_motionCopySamples.assign(m_buffer.data, m_buffer.data + count);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    m_motionCopy = m_buffer;
    m_motionCopy.data = m_motionCopySamples.data();
    m_motionCopyFilter.SetValue(lowPass);
    m_motionCopyFilter.Execute(m_motionCopy);
    return &m_motionCopy;
}

}  // namespace SX
