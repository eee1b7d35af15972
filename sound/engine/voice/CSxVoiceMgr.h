#pragma once
// The voices of the lower engine: makes one for each play command (or, for the next instance
// of a continuous sequence, queues it behind the voice of the one before), hands it the
// instance's transport commands, and each frame renders every playing voice into its bus (the
// node of the instance's own bus when the hierarchy hands it down, else the master bus's node,
// or a node of the voices' own that feeds the master when the hierarchy gives no master bus)
// and into the environments of its game object when that bus feeds them.
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/TestProbe.h"
#include "sound/engine/bus/CSxMixBusNode.h"
#include "sound/engine/upper/CSxLEngineCmds.h"

namespace SX {

class CSxParameterNodeBase;
class CSxVPLSrcCbxNode;

class CSxVoiceMgr final : public ISxVoiceLayer {
public:
    // Installs the voices in the lower engine: the command queue's voice layer, the
    // instance hooks and the per-frame render. Remove takes them out and frees every voice.
    static void Install();
    static void Remove();
    static CSxVoiceMgr* Get();

    bool StartVoice(CSxPBI& instance, bool paused) override;
    void Command(CSxPBI& instance, SxLowerCommand command) override;
    void EffectChanged(const CSxParameterNodeBase& node, uint32_t slot, bool effect) override;

    // One frame of every voice, mixed into the buses.
    void RenderVoices();

    // Insert effects of the voices of a node and of the nodes below it: slot bypass bits where
    // the mask says (bit 4 every effect), one slot's bypass read again from the hierarchy, or
    // one slot's effect made again from it.
    void BypassFx(const CSxParameterNodeBase* node, uint32_t bits, uint32_t mask);
    void RefreshFxBypass(const CSxParameterNodeBase* node, uint32_t slot);
    void SetFx(const CSxParameterNodeBase* node, uint32_t slot);

private:
    friend struct platform::TestProbe<CSxVoiceMgr>;

    CSxVoiceMgr() = default;
    ~CSxVoiceMgr();
    void DestroyVoice(size_t index);
    // The mix node the voice is mixed into this frame.
    CSxMixBusNode* Target(const CSxVPLSrcCbxNode& voice);
    CSxMixBusNode* FindTarget(const CSxParameterNodeBase* from);
    // What the voice gives the players' motion devices: a motion voice its frames, an audio voice
    // with a feedback send a low-passed copy, at each reached player's level.
    void MixIntoMotion(CSxVPLSrcCbxNode& voice);
    // The voice whose current source is the one before the instance in its continuous sequence.
    CSxVPLSrcCbxNode* SequenceVoice(const CSxPBI& instance) const;
    template <typename Fn>
    void ForVoicesOf(const CSxParameterNodeBase* node, Fn fn);

    std::vector<CSxVPLSrcCbxNode*> m_voices;
    std::vector<bool> m_startPaused;
    // The start batches this frame with a voice whose source is not ready yet.
    std::vector<uint32_t> m_waitingBatches;
    CSxMixBusNode* m_direct = nullptr;
    // The mix node found this frame for each hierarchy node with a voice: finding it takes the
    // object index's lock several times, and many voices often play below one node.
    std::vector<std::pair<const CSxParameterNodeBase*, CSxMixBusNode*>> m_targets;
};

}  // namespace SX
