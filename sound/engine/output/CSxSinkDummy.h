#pragma once
// The silent sink: asks for buffers at the pace of the tick count and writes nothing. It
// stands in when the output device cannot be opened or fails.
#include "sound/engine/output/CSxSink.h"

namespace SX {

class CSxSinkDummy : public CSxSink {
public:
    CSxSinkDummy(uint32_t sampleRate, uint32_t waitTimeMs);

    SXRESULT Init() override { return SX_Success; }
    SXRESULT Play() override { return SX_Success; }
    void Term() override {}
    bool IsStarved() const override { return false; }
    void ResetStarved() override {}
    // Buffers due since the last query. The period (1024 frames at the rate) is kept exact and
    // the part of a period not yet due is carried to the next query, so over time the sink asks
    // for exactly the output rate.
    SXRESULT GetRefillSize(uint32_t& buffers) override;
    SXRESULT PassData(const SxAudioBuffer&) override { return SX_Success; }
    SXRESULT PassSilence(uint32_t) override { return SX_Success; }

private:
    uint32_t m_lastTick;
    uint32_t m_sampleRate;
    uint64_t m_carry = 0;  // elapsed ms x rate not yet turned into buffers
};

}  // namespace SX
