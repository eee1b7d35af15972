#pragma once
// The node after a voice's source: pulls the source's buffers and resamples them, at the
// instance's pitch, into the voice's planar output buffer. It drops the frames a seek left
// over, starts the voice behind the part of its start offset that falls in the first buffer,
// and moves on to the voice's next source inside the buffer where the current one ends.
#include <cstdint>

#include "sound/engine/voice/SxNodeBuffer.h"
#include "sound/engine/voice/VoiceResampler.h"

namespace SX {

class CSxPBI;
class CSxVPLSrcCbxNode;
class CSxVPLSrcNode;

class CSxVPLPitchNode {
public:
    static constexpr uint16_t kSourceRequest = 1024;

    // False when the source's format has no kernel.
    // voice (may be null) is asked for its next source when the source ends.
    bool Init(CSxVPLSrcNode* source, CSxPBI* instance, uint32_t outputRate, CSxVPLSrcCbxNode* voice = nullptr);
    // The voice's next source takes over from here (its frames follow the last one played).
    // False when its format has no kernel.
    bool ChangeSource(CSxVPLSrcNode* source, CSxPBI* instance);
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
    // Lets output frames of time pass without producing them: the increment takes the
    // instance's pitch at once, the frames convert to input frames, and the frames a seek left
    // over, then the input in hand, then the source's own skip use them up. frames comes back
    // as the output frames skipped. 45, 17 once the input ended and none is held, or the
    // source's failure.
    SXRESULT TimeSkip(uint32_t& frames);

    const VoiceResampler& Resampler() const { return m_resampler; }
    bool Ended() const { return m_ended; }

private:
    CSxVPLSrcNode* m_source = nullptr;
    CSxPBI* m_instance = nullptr;
    CSxVPLSrcCbxNode* m_voice = nullptr;
    VoiceResampler m_resampler;
    SxNodeBuffer m_input;
    uint32_t m_silence = 0;
    SXRESULT m_inputState = SX_DataReady;
    bool m_held = false;
    bool m_ended = false;
};

}  // namespace SX
