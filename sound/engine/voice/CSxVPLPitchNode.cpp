#include "sound/engine/voice/CSxVPLPitchNode.h"

#include <algorithm>
#include <cstring>

#include "sound/engine/upper/CSxPBI.h"
#include "sound/engine/voice/CSxVPLSrcNode.h"

namespace SX {

bool CSxVPLPitchNode::Init(CSxVPLSrcNode* source, CSxPBI* instance, uint32_t outputRate) {
    m_source = source;
    m_instance = instance;
    m_held = false;
    m_ended = false;
    const SxAudioFormat& format = source->Format();
    return m_resampler.Init(format.bitsPerSample, format.channelMask, format.sampleRate, outputRate);
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
    while (m_resampler.OutputOffset() < out.maxFrames) {
        if (!m_held) {
            if (m_ended) break;
            m_input.maxFrames = kSourceRequest;
            m_source->GetBuffer(m_input);
            if (m_input.state == SX_Fail || m_input.state == SX_InsufficientMemory) return SX_Fail;
            if (m_input.state == SX_NoDataReady || m_input.validFrames == 0) {
                if (m_input.state == SX_NoMoreData) {
                    m_ended = true;
                    break;
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
