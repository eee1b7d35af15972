#pragma once
// One insert-effect slot of a mix node or of a voice: the parameter object, the in-place effect
// plug-in and its context, made from an effect of the hierarchy through the plug-in table.
#include <cstdint>

#include "sound/engine/bus/BusHandle.h"
#include "sound/engine/lower/MasterMixNode.h"
#include "sound/engine/plugin/CSxPluginContexts.h"

namespace SX {

class CSxBusFxSlot final : public ISxMasterEffect {
public:
    static constexpr uint32_t kEmpty = 0xFFFFFFFFu;

    CSxBusFxSlot() = default;
    ~CSxBusFxSlot() override { Drop(); }
    CSxBusFxSlot(const CSxBusFxSlot&) = delete;
    CSxBusFxSlot& operator=(const CSxBusFxSlot&) = delete;

    // Drops what the slot holds, then makes the effect described by fx (none: SX_Success with
    // an empty slot). A parameter object that fails its Init, a plug-in that is not an in-place
    // effect, or a failing Init or Reset leaves the slot empty and is returned.
    SXRESULT Create(const SxFxSlotInfo& fx, CSxMixBusNode* node, uint32_t slot, BusHandle bus, SxUniqueID environmentID,
                    const SxAudioFormat& format);
    // The same on a voice: the context is the instance's, and the parameters follow the game
    // object's values of the effect's game parameters.
    SXRESULT CreateOnVoice(const SxFxSlotInfo& fx, CSxPBI* instance, CSxRegisteredObj* gameObject, uint32_t slot,
                           const SxAudioFormat& format);
    void Drop();
    // A voice's effect follows the voice to its next instance.
    void SetInstance(CSxPBI* instance);

    // Runs the effect in place. An effect that leaves samples that are not finite numbers has
    // its output silenced and its state reset, so that the fault does not reach the speakers
    // or stay in its history.
    void Execute(SxAudioBuffer& buffer) override;
    void Reset() override;

    bool HasPlugin() const { return m_plugin != nullptr; }
    bool Holds(const ISxEffectObject* effect) const { return m_plugin && m_effect == effect; }
    uint32_t FxID() const { return m_fxID; }
    ISxInPlaceEffectPlugin* Plugin() const { return m_plugin; }
    ISxPluginParam* Params() const { return m_params; }
    // Bit 0 bypassed now, bit 1 in the previous frame.
    uint8_t& Flags() { return m_flags; }

private:
    template <typename MakeContext>
    SXRESULT Build(const SxFxSlotInfo& fx, CSxRegisteredObj* gameObject, const SxAudioFormat& format,
                   MakeContext makeContext);

    uint32_t m_fxID = kEmpty;
    ISxEffectObject* m_effect = nullptr;
    ISxPluginParam* m_params = nullptr;
    ISxInPlaceEffectPlugin* m_plugin = nullptr;
    CSxEffectContextBase* m_context = nullptr;
    uint8_t m_flags = 0;
};

}  // namespace SX
