#include "sound/engine/voice/CSxVPLSrcCbxNode.h"

#include <algorithm>
#include <new>

#include "sound/engine/hierarchy/CSxSoundBase.h"
#include "sound/engine/listener/SxSpeakerVolumes.h"
#include "sound/engine/upper/CSxPBI.h"
#include "sound/engine/voice/CSxSrcBaseEx.h"
#include "sound/engine/voice/CSxSrcFactory.h"

namespace SX {

CSxVPLSrcCbxNode::~CSxVPLSrcCbxNode() {
    m_pitch.ReleaseBuffer();
    if (m_source) {
        m_source->StopSource();
        delete m_source;
    }
    delete m_notifier;
}

SXRESULT CSxVPLSrcCbxNode::AddSrc(CSxPBI* instance) {
    m_instance = instance;
    m_source = CreateVPLSrcNode(instance);
    if (!m_source) return SX_Fail;
    const SXRESULT result = m_source->StartSource();
    if (result != SX_Success && result != SX_NotReady) {
        delete m_source;
        m_source = nullptr;
        return result;
    }
    m_notifier = new (std::nothrow) CSxSrcNotifier(instance, true);
    if (!m_notifier) return SX_InsufficientMemory;
    m_startOffset = instance->SampleOffset();
    ReadVirtualBehavior();
    // An instance may begin inside its source (music clips joined mid-way).
    if (result == SX_Success && instance->SeekPosition() > 0) {
        const uint64_t frame = static_cast<uint64_t>(instance->SeekPosition()) * m_source->Format().sampleRate / m_outputRate;
        if (m_source->Seek(static_cast<uint32_t>(frame)) != SX_Success) return SX_Fail;
    }
    return result;
}

void CSxVPLSrcCbxNode::ReadVirtualBehavior() {
    // The nearest node, from the sound up, that sets its own; the top node's otherwise.
    const CSxParameterNodeBase* node = m_instance->Node();
    while (node && !(node->FlagsA() & CSxParameterNodeBase::kOverrideVirtual) && node->Parent()) node = node->Parent();
    if (!node) return;
    m_belowThreshold = node->BelowThresholdBehavior() <= kGoVirtual ? node->BelowThresholdBehavior()
                                                                     : static_cast<uint8_t>(kKeepPlaying);
    m_resume = node->VirtualQueueBehavior() <= kResume ? node->VirtualQueueBehavior() : static_cast<uint8_t>(kFromBeginning);
}

void CSxVPLSrcCbxNode::EnterVirtual() {
    // Resuming where it was keeps the source buffer in hand; the others start afresh.
    if (m_resume != kResume) m_pitch.Restart();
    m_virtual = true;
    m_instance->MarkVirtual();
}

void CSxVPLSrcCbxNode::LeaveVirtual() {
    if (m_resume == kFromBeginning && m_source->Seek(0) != SX_Success) Stop();
    if (m_resume != kResume) m_lowPass.ResetHistory();
    m_virtual = false;
    m_instance->UnmarkVirtual();
}

void CSxVPLSrcCbxNode::SkipVirtualFrame() {
    uint32_t remaining = m_pitch.Resampler().OutputToInputFrames(SxFrameLength);
    while (remaining) {
        uint32_t frames = remaining;
        const SXRESULT result = m_source->TimeSkip(frames);
        if (result == SX_NoMoreData) {
            Stop();
            return;
        }
        if (result != SX_DataReady || frames == 0) return;
        remaining -= std::min(frames, remaining);
    }
}

SXRESULT CSxVPLSrcCbxNode::IsReadyToPlay() {
    const SXRESULT result = m_source ? m_source->StartSource() : SX_Fail;
    if (result == SX_NotReady) return SX_NotReady;
    return result == SX_Success ? SX_Success : SX_Fail;
}

void CSxVPLSrcCbxNode::Start() {
    if (m_state == kCreated) {
        m_state = kPlaying;
        m_notifier->NotifyStart(static_cast<float>(m_source->GetDurationMs()));
    } else if (m_state != kStopped) {
        Stop();
    }
}

void CSxVPLSrcCbxNode::Stop() { m_state = kStopped; }

void CSxVPLSrcCbxNode::Pause() {
    if (m_state == kPlaying) {
        m_state = kPaused;
        m_notifier->NotifyPause();
    } else {
        Stop();
    }
}

void CSxVPLSrcCbxNode::Resume() {
    if (m_state == kPaused) {
        m_notifier->NotifyResume(m_pitch.Resampler().PitchRatio());
        m_state = kPlaying;
    } else if (m_state != kPlaying) {
        Stop();
    }
}

void CSxVPLSrcCbxNode::StopLooping() {
    if (!m_source || !m_source->IsStarted() || m_source->StopLooping() != SX_Success) Stop();
}

void CSxVPLSrcCbxNode::SeekVoice() {
    auto* source = dynamic_cast<CSxSrcBaseEx*>(m_source);
    if (!source || !source->IsStarted()) return;
    const uint32_t rate = m_source->Format().sampleRate;
    uint32_t frame;
    if (m_instance->SeekFraction() > 0.0f)
        frame = static_cast<uint32_t>(m_instance->SeekFraction() * source->TotalFrames());
    else
        frame = static_cast<uint32_t>(static_cast<uint64_t>(m_instance->SeekPosition()) * rate / m_outputRate);
    m_pitch.Restart();
    m_lowPass.ResetHistory();
    if (m_source->Seek(frame) != SX_Success) Stop();
}

SXRESULT CSxVPLSrcCbxNode::InitChain() {
    if (!m_pitch.Init(m_source, m_instance, m_outputRate)) return SX_UnsupportedChannelConfig;
    const uint32_t mask = m_source->Format().channelMask;
    const SXRESULT result = m_lowPass.Init(mask, false);
    if (result != SX_Success) return result;
    m_samples.assign(static_cast<size_t>(SxChannelCount(mask)) * SxFrameLength, 0.0f);
    m_buffer.data = m_samples.data();
    m_buffer.channelMask = mask;
    m_buffer.maxFrames = static_cast<uint16_t>(SxFrameLength);
    // The part of the start offset inside this frame plays as silence before the source.
    m_pitch.SetLeadingSilence(m_startOffset);
    m_startOffset = 0;
    m_chainBuilt = true;
    return SX_Success;
}

bool CSxVPLSrcCbxNode::PrepareFrame() {
    if (m_state != kPlaying) return false;
    if (m_startOffset >= SxFrameLength) {
        m_startOffset -= SxFrameLength;
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
    const bool audible = ComputeVolumes();
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
    m_instance->RefreshParameters();
    SxVoiceVolumeParams params;
    params.channelMask = m_buffer.channelMask;
    params.volumeDb = std::min(0.0f, m_instance->EffectiveVolume());
    params.lfeDb = m_instance->EffectiveLFE();
    params.hasLfe = (params.channelMask & SxChannelBitLFE) != 0;
    const SxPositioningValues& positioning = m_instance->Positioning();
    if (!positioning.is2D && m_instance->GameObj()) {
        params.positioned = true;
        params.positioningType = positioning.type;
        params.gameObject = m_instance->GameObj();
    }
    SxVoiceVolumes volumes;
    SxComputeSpeakerVolumes(params, volumes);
    SxNotifySpeakerVolumes(m_instance->PlayingID(), volumes, false);
    for (uint32_t c = 0; c < 6; ++c)
        for (uint32_t s = 0; s < 8; ++s) m_gains[c].current[s] = c < volumes.channels && s < 6 ? volumes.dry[c][s] : 0.0f;
    m_lowPass.SetValue(std::min(100.0f, std::max(0.0f, m_instance->LPF())));
    return !volumes.inaudible;
}

SXRESULT CSxVPLSrcCbxNode::Render() {
    m_buffer.maxFrames = static_cast<uint16_t>(SxFrameLength);
    const SXRESULT result = m_pitch.GetBuffer(m_buffer);
    if (result == SX_Fail) return result;
    m_lowPass.Execute(m_buffer);
    // An instance told to end inside this frame is silent from that sample on, and ends.
    const int32_t stopAt = m_instance->TakeStopOffset();
    if (stopAt < 0) return result;
    const uint32_t channels = SxChannelCount(m_buffer.channelMask);
    for (uint32_t c = 0; c < channels && static_cast<uint32_t>(stopAt) < m_buffer.validFrames; ++c)
        std::fill(m_buffer.Channel(c) + stopAt, m_buffer.Channel(c) + m_buffer.validFrames, 0.0f);
    return SX_NoMoreData;
}

void CSxVPLSrcCbxNode::FinishFrame() {
    for (SxSpeakerGains& gains : m_gains) std::copy(std::begin(gains.current), std::end(gains.current), gains.previous);
}

void CSxVPLSrcCbxNode::NotifyEnd() {
    if (m_ended) return;
    m_ended = true;
    m_state = kStopped;
    if (m_notifier)
        m_notifier->NotifyStop(false);
    else if (m_instance)
        m_instance->Destroy(0);
}

}  // namespace SX
