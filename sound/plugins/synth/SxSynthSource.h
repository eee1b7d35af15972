#pragma once
// What the wind and whoosh sources share: the cycle they play (its duration drawn afresh each
// time, its loops counted, its time scaled), the channel layout they render, where a deflector
// sits between the speakers, and the random offsets each deflector draws as a source starts.
#include <cstdint>

#include "sound/engine/plugin/ISxPlugin.h"
#include "sound/plugins/synth/SxDeflectorBank.h"
#include "sound/plugins/synth/SxSynthParams.h"

namespace SX {

class CSxSynthSource : public ISxSourcePlugin {
public:
    SXRESULT GetPluginInfo(SxPluginInfo& info) override;
    float GetDuration() const override { return float(m_loops) * m_cycleDuration * 1000.0f; }
    SXRESULT StopLooping() override {
        m_loops = 1;
        return SX_Success;
    }
    SXRESULT Seek() override { return SX_Success; }
    SXRESULT TimeSkip(uint32_t& frames) override { return AdvanceTime(frames); }

protected:
    // The loops, rate and channel layout of a source starting with these parameters (which it
    // keeps); SX_InvalidParameter for a rate of 0.
    SXRESULT StartSource(ISxPluginMemAlloc* allocator, ISxSourcePluginContext* context, const SxSynthShape* shape,
                         SxAudioFormat& format);
    // A cycle's duration drawn within the shape's range, at least 0.1 s.
    void DrawCycleDuration(SxSynthRandom& random);
    // Moves the time on; at a cycle's end counts it and starts the next (NextCycle), unless the
    // loops are done (SX_NoMoreData).
    SXRESULT AdvanceTime(uint32_t frames);
    virtual SXRESULT NextCycle() = 0;
    // A buffer of silence, all of it valid; and the buffer's state once its frames are made.
    static void ClearBuffer(SxAudioBuffer* buffer);
    void FinishBuffer(SxAudioBuffer* buffer);

    ISxPluginMemAlloc* m_allocator = nullptr;
    const SxSynthShape* m_shape = nullptr;
    uint32_t m_rate = 0;
    uint32_t m_channels = 0;
    uint16_t m_loops = 1;
    uint32_t m_cycles = 0;
    float m_time = 0.0f;
    float m_cycleDuration = 10.0f;
};

// The speaker gains of a deflector at a distance (0 at the listener, 1 at the edge, taken to its
// sixth root) and an angle (radians, from the right towards the front): the first two in stereo,
// all four in 4.0.
void SxPlanePan(float distance, float angle, uint32_t channels, float pan[4]);

// The offsets a deflector draws as a source starts: pitch and Q in octaves, gain as a factor.
struct SxDeflectorDraw {
    float pitch, q, gain;
};
SxDeflectorDraw SxDrawDeflector(const SxSynthValue& pitch, const SxSynthValue& q, const SxSynthValue& gain,
                                SxSynthRandom& random);

}  // namespace SX
