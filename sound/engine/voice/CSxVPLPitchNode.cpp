#include "sound/engine/voice/CSxVPLPitchNode.h"

#include <algorithm>
#include <cstring>

#include "sound/engine/upper/CSxPBI.h"
#include "sound/engine/voice/CSxVPLSrcCbxNode.h"
#include "sound/engine/voice/CSxVPLSrcNode.h"

namespace SX {

bool CSxVPLPitchNode::Init(CSxVPLSrcNode* source, CSxPBI* instance, uint32_t outputRate, CSxVPLSrcCbxNode* voice) {
    m_source = source;
    m_instance = instance;
    m_voice = voice;
    m_held = false;
    m_ended = false;
    const SxAudioFormat& format = source->Format();
    return m_resampler.Init(format.bitsPerSample, format.channelMask, format.sampleRate, outputRate);
}

bool CSxVPLPitchNode::ChangeSource(CSxVPLSrcNode* source, CSxPBI* instance) {
    ReleaseBuffer();
    m_source = source;
    m_instance = instance;
    m_ended = false;
    const SxAudioFormat& format = source->Format();
    m_resampler.SetPitch(instance ? instance->Pitch() : 0.0f);
    return m_resampler.ChangeFormat(format.bitsPerSample, format.channelMask, format.sampleRate);
}

SXRESULT CSxVPLPitchNode::TimeSkip(uint32_t& frames) {
    m_resampler.SetPitch(m_instance ? m_instance->Pitch() : 0.0f, true);
    uint32_t remaining = m_resampler.OutputToInputFrames(frames);
    uint32_t skipped = 0;
    while (remaining) {
        if (m_held) {
            const uint32_t at = m_resampler.InputOffset();
            const uint32_t used = std::min<uint32_t>(m_input.validFrames - at, remaining);
            m_resampler.SetInputOffset(at + used);
            remaining -= used;
            skipped += used;
            if (at + used >= m_input.validFrames) {
                ReleaseBuffer();
                m_resampler.SetInputOffset(0);
                m_ended = m_inputState == SX_NoMoreData;
            }
            continue;
        }
        if (m_ended) break;
        // The frames a seek left over inside a block are skipped first, without counting.
        const uint32_t leftover = m_source->SkipFrames();
        uint32_t step = remaining + leftover;
        const SXRESULT result = m_source->TimeSkip(step);
        if (result == SX_NoMoreData)
            m_ended = true;
        else if (result != SX_DataReady)
            return result;
        const uint32_t dropped = std::min(leftover, step);
        m_source->SetSkipFrames(leftover - dropped);
        const uint32_t used = std::min(step - dropped, remaining);
        remaining -= used;
        skipped += used;
        if (step == 0 && !m_ended) break;
    }
    frames = m_resampler.InputToOutputFrames(skipped);
    return m_ended && !m_held ? SX_NoMoreData : SX_DataReady;
}

void CSxVPLPitchNode::ReleaseBuffer() {
    if (m_held) m_source->ReleaseBuffer();
    m_held = false;
}

void CSxVPLPitchNode::Restart() {
    ReleaseBuffer();
    m_resampler.Reset();
    m_ended = false;
}

SXRESULT CSxVPLPitchNode::GetBuffer(SxNodeBuffer& out) {
    const uint32_t channels = m_resampler.Channels();
    m_resampler.SetPitch(m_instance ? m_instance->Pitch() : 0.0f);
    out.validFrames = 0;
    out.markers.clear();
    out.playPosition = -1;
    m_resampler.SetOutputOffset(0);
    if (m_silence) {
        const uint32_t frames = std::min<uint32_t>(m_silence, out.maxFrames);
        for (uint32_t c = 0; c < channels; ++c) std::memset(out.Channel(c), 0, frames * sizeof(float));
        m_resampler.SetOutputOffset(frames);
        m_silence -= frames;
    }
    for (;;) {
        if (!m_held && m_ended) {
            // The voice's next source may carry on inside this buffer (or from its end).
            if (!m_voice) break;
            const SXRESULT joined = m_voice->JoinNextSource(out.maxFrames - m_resampler.OutputOffset());
            if (joined == SX_Fail) return SX_Fail;
            if (joined != SX_Success) break;
        }
        if (m_resampler.OutputOffset() >= out.maxFrames) break;
        if (!m_held) {
            m_input.maxFrames = kSourceRequest;
            m_source->GetBuffer(m_input);
            if (m_input.state == SX_Fail || m_input.state == SX_InsufficientMemory) return SX_Fail;
            if (m_input.state == SX_NoDataReady || m_input.validFrames == 0) {
                if (m_input.state == SX_NoMoreData) {
                    m_ended = true;
                    continue;
                }
                // Starved: this buffer ends in silence.
                const uint32_t at = m_resampler.OutputOffset();
                for (uint32_t c = 0; c < channels; ++c)
                    std::memset(out.Channel(c) + at, 0, (out.maxFrames - at) * sizeof(float));
                m_resampler.SetOutputOffset(out.maxFrames);
                break;
            }
            m_held = true;
            m_inputState = static_cast<SXRESULT>(m_input.state);
            // Frames a seek left over inside a block are dropped before anything plays.
            const uint32_t skip = m_source->SkipFrames();
            if (skip >= m_input.validFrames) {
                m_source->SetSkipFrames(skip - m_input.validFrames);
                ReleaseBuffer();
                m_ended = m_inputState == SX_NoMoreData;
                continue;
            }
            m_resampler.SetInputOffset(skip);
            m_source->SetSkipFrames(0);
            if (out.playPosition < 0 && m_input.playPosition >= 0) {
                out.playPosition = m_input.playPosition + static_cast<int32_t>(skip);
                out.sourceLength = m_input.sourceLength;
                out.sourceRate = m_input.sourceRate;
                out.rate = m_resampler.PitchRatio();
            }
            for (SxBufferMarker marker : m_input.markers) {
                marker.offset = 0;
                out.markers.push_back(marker);
            }
        }
        m_resampler.Process(m_input.frames, m_input.validFrames, out.data, out.maxFrames);
        if (m_resampler.InputUsedUp()) {
            ReleaseBuffer();
            m_ended = m_inputState == SX_NoMoreData;
        }
    }
    out.validFrames = static_cast<uint16_t>(m_resampler.OutputOffset());
    out.channelMask = m_source->Format().channelMask;
    out.state = m_ended && !m_held ? SX_NoMoreData : SX_DataReady;
    return static_cast<SXRESULT>(out.state);
}

}  // namespace SX
