#pragma once
// The node after a voice's source: pulls the source's buffers and resamples them, at the
// instance's pitch, into the voice's planar output buffer. It drops the frames a seek left
// over and starts the voice behind the part of its start offset that falls in the first buffer.
#include <cstdint>

#include "sound/engine/voice/SxNodeBuffer.h"
#include "sound/engine/voice/VoiceResampler.h"

namespace SX {

class CSxPBI;
class CSxVPLSrcNode;

class CSxVPLPitchNode {
public:
    static constexpr uint16_t kSourceRequest = 1024;

    // False when the source's format has no kernel.
    bool Init(CSxVPLSrcNode* source, CSxPBI* instance, uint32_t outputRate);
    // Silence that precedes the first frame of the source (the start offset's remainder).
    void SetLeadingSilence(uint32_t frames) { m_silence = frames; }

    // Fills out (planar, out.maxFrames per channel): 45 full, 17 the source ended (valid frames
    // may be fewer), 2 failure. A source with nothing ready this time pads the buffer with
    // silence and answers 45.
    SXRESULT GetBuffer(SxNodeBuffer& out);
    // Gives back the source buffer in hand (a seek or a stop follows).
    void ReleaseBuffer();
    // After a seek: the resampler starts afresh from the new position.
    void Restart();

    const VoiceResampler& Resampler() const { return m_resampler; }
    bool Ended() const { return m_ended; }

private:
    CSxVPLSrcNode* m_source = nullptr;
    CSxPBI* m_instance = nullptr;
    VoiceResampler m_resampler;
    SxNodeBuffer m_input;
    uint32_t m_silence = 0;
    SXRESULT m_inputState = SX_DataReady;
    bool m_held = false;
    bool m_ended = false;
};

}  // namespace SX
