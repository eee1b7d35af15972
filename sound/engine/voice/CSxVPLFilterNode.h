#pragma once
// An insert effect of a voice: an in-place effect plug-in run on the voice's planar buffer after
// the pitch node. Once the source has ended the node keeps running the effect on silence, so
// that its tail is heard; the effect tells the end by leaving the buffer's state at 17.
#include <cstdint>

#include "sound/engine/bus/CSxBusFxSlot.h"

namespace SX {

class CSxPBI;

class CSxVPLFilterNode {
public:
    // The effect of the slot for the instance, in the voice's format. Anything but SX_Success
    // leaves the node empty and the voice plays on without it.
    SXRESULT Init(const SxFxSlotInfo& fx, uint32_t slot, CSxPBI* instance, const SxAudioFormat& format);
    void Term() { m_fx.Drop(); }

    // The buffer comes with the upstream result as its state (17 marks the node ended). Not
    // bypassed, the effect processes it and may change its state; entering bypass resets the
    // effect once.
    void Execute(SxAudioBuffer& buffer, bool bypassAll);
    // Advances the effect without output: 17 once ended, else the plug-in's answer.
    SXRESULT TimeSkip(uint32_t frames);
    // The voice restarts or seeks: the effect's history goes and it is no longer ended.
    void Reset();

    // The voice moved on to its next source: the effect now serves that instance.
    void SetInstance(CSxPBI* instance) { m_fx.SetInstance(instance); }
    void SetBypass(bool bypass) { m_bypass = bypass; }
    bool IsBypassed() const { return m_bypass; }
    bool IsEnded() const { return m_ended; }
    bool Holds(const ISxEffectObject* effect) const { return m_fx.Holds(effect); }
    bool HasEffect() const { return m_fx.HasPlugin(); }
    ISxInPlaceEffectPlugin* Plugin() const { return m_fx.Plugin(); }

private:
    CSxBusFxSlot m_fx;
    bool m_bypass = false;
    bool m_bypassedLast = false;
    bool m_ended = false;
};

}  // namespace SX
