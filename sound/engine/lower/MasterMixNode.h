#pragma once
// The last stage of the frame: every bus mix is added into it, its insert effects run on the
// sum, the master volume and LFE level are applied, and the result is written interleaved into
// the output buffer for the sink.
#include <cstdint>

#include "sound/engine/lower/SxAudioBuffer.h"

namespace SX {

// An insert effect on the master mix, as the node drives it.
class ISxMasterEffect {
public:
    virtual ~ISxMasterEffect() = default;
    virtual void Execute(SxAudioBuffer& buffer) = 0;
    virtual void Reset() = 0;
};

class MasterMixNode {
public:
    static constexpr uint32_t kEffectSlots = 4;
    enum State : uint32_t { kActive = 1, kIdle = 2 };

    // SX_InsufficientMemory when the mix buffer cannot be had; SX_UnsupportedChannelConfig for
    // a mask other than stereo or 5.1.
    SXRESULT Init(uint32_t channelMask, SxMemPoolId pool);
    void Term();

    void ResetFrame();
    // Adds a bus's planar output, channel c ramped from previous[c] to current[c]. A bus
    // with fewer channels than the output adds each of its channels to the same speaker.
    SXRESULT MixBuffer(const SxAudioBuffer& busBuffer, const float* previous, const float* current);
    // Master bus volume and LFE level in dB.
    void SetVolumeDb(float db);
    void SetLfeDb(float db);
    // The master bus's levels at the start of its mix: no ramp from the former ones.
    void ReloadVolumes(float volumeDb, float lfeDb);
    float VolumeDb() const { return m_volumeDb; }
    float LfeDb() const { return m_lfeDb; }
    // Runs the effects and writes the mix, interleaved and ramped, into out.
    void ProcessFinalMix(SxAudioBuffer& out);

    // Installs an effect in a slot (null empties it); bypass bit 0 of the slot or of all.
    void SetEffect(uint32_t slot, ISxMasterEffect* effect);
    void SetBypass(uint32_t slot, bool bypass);
    void SetBypassAll(bool bypass);
    // Empties every slot (at termination, before the effects' owners go).
    void DropEffects();

    State GetState() const { return m_state; }
    bool HasData() const { return m_result == SX_DataReady; }
    uint32_t ChannelMask() const { return m_buffer.channelMask; }

private:
    struct Slot {
        ISxMasterEffect* effect = nullptr;
        uint8_t bypass = 0;  // bit 0 now, bit 1 last frame
    };

    float m_volume = 1.0f, m_previousVolume = 1.0f;
    float m_lfe = 1.0f, m_previousLfe = 1.0f;
    float m_volumeDb = 0.0f, m_lfeDb = 0.0f;
    SxAudioBuffer m_buffer;
    SxMemPoolId m_pool = SxInvalidPoolId;
    uint32_t m_result = SX_NoMoreData;
    Slot m_slots[kEffectSlots];
    uint8_t m_bypassAll = 0;
    State m_state = kIdle;
};

}  // namespace SX
