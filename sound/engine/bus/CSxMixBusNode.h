#pragma once
// A mix node below the master: the sum of the voices of one bus (or of the sends to one
// environment), run through up to four insert effects and handed on with the bus's volume
// and LFE level.
#include <cstdint>

#include "sound/engine/bus/BusHandle.h"
#include "sound/engine/bus/CSxBusFxSlot.h"
#include "sound/engine/lower/SxAudioBuffer.h"
#include "sound/engine/lower/SxMixKernels.h"

namespace SX {

class CSxMixBusNode {
public:
    static constexpr uint32_t kEffectSlots = 4;
    enum State : uint32_t { kActive = 1, kDestroying = 2, kIdle = 4 };

    CSxMixBusNode() = default;
    ~CSxMixBusNode() { Term(); }
    CSxMixBusNode(const CSxMixBusNode&) = delete;
    CSxMixBusNode& operator=(const CSxMixBusNode&) = delete;

    // References the bus and tells it a mix node is active; SX_Fail when it refuses,
    // SX_InsufficientMemory without sample memory.
    SXRESULT Init(uint32_t channelMask, uint16_t maxFrames, BusHandle bus);
    void Term();

    // A voice or a child node attaches: an inactive node reloads its volumes first.
    void Connect();
    void Release();
    // A voice channel by channel: gains[c] are the speaker gains of the voice's channel c.
    void MixVoice(SxAudioBuffer& voice, const SxSpeakerGains* gains, uint32_t panningRule);
    // A child node's output, channel by channel of the child's mask, ramped by its gains.
    void MixNode(const SxAudioBuffer& child, const float* previous, const float* current);

    // Runs the effects on an active node and computes the output gains of this frame.
    void ProcessEffects();
    // This frame's output and its per-channel gains (previous and current frame).
    const SxAudioBuffer& GetOutput() const { return m_buffer; }
    const float* PreviousGains() const { return m_gains; }
    const float* CurrentGains() const { return m_gains + 8; }
    void Clear();

    SXRESULT SetInsertFx(uint32_t slot, SxUniqueID environmentID);
    SXRESULT SetupFx(SxUniqueID environmentID);
    // Slot i takes bit i of bits where mask bit i is set; bit 4 is the all-effects flag.
    void BypassFx(uint32_t bits, uint32_t mask);
    void DropFx();
    bool HoldsFx(const ISxEffectObject* effect) const;
    CSxBusFxSlot& FxSlot(uint32_t slot) { return m_slots[slot]; }

    // Both levels at once, with no ramp from the former ones.
    void SetLevels(float volumeDb, float lfeDb);
    // The master bus's own node: what plays on the master bus gathers here at unity and its
    // environmental sends leave from here; the master node applies the master bus's effects
    // and levels.
    void SetPassThrough() { m_passThrough = true; }
    bool IsPassThrough() const { return m_passThrough; }
    float VolumeDb() const { return m_volumeDb; }
    float LfeDb() const { return m_lfeDb; }
    void SetVolumeDb(float db);
    void IncrVolumeDb(float db) { SetVolumeDb(m_volumeDb + db); }
    void SetLfeDb(float db);
    void IncrLfeDb(float db) { SetLfeDb(m_lfeDb + db); }
    float Volume() const { return m_volume; }
    float Lfe() const { return m_lfe; }

    State GetState() const { return m_state; }
    void SetState(State state) { m_state = state; }
    uint32_t RefCount() const { return m_refCount; }
    BusHandle Bus() const { return m_bus; }
    SxUniqueID EnvironmentID() const { return m_environmentID; }
    uint32_t ChannelMask() const { return m_buffer.channelMask; }

private:
    void ReloadVolumes();
    void HoldData();
    void MixIntoSpeakers(const float* src, uint32_t frames, const SxSpeakerGains& gains);

    float m_volume = 1.0f, m_previousVolume = 1.0f;
    float m_previousLfe = 1.0f, m_lfe = 1.0f;
    float m_volumeDb = 0.0f, m_lfeDb = 0.0f;
    SxAudioBuffer m_buffer;
    float m_gains[16] = {};  // previous frame's, then this frame's, per channel
    uint32_t m_dataBytes = 0;
    CSxBusFxSlot m_slots[kEffectSlots];
    uint8_t m_flags = 0;  // bit 0 all effects bypassed, bit 1 the same last frame
    BusHandle m_bus;
    State m_state = kIdle;
    float m_previousSpeakers[6] = {1, 1, 1, 1, 1, 1};
    SxUniqueID m_environmentID = 0;
    uint32_t m_refCount = 0;
    bool m_passThrough = false;
};

}  // namespace SX
