#pragma once
// The voices of the lower engine: makes one for each play command, hands it the instance's
// transport commands, and each frame renders every playing voice into its bus (the master
// bus's node, or a node of the voices' own that feeds the master when the hierarchy gives no
// master bus).
#include <cstdint>
#include <vector>

#include "sound/engine/bus/CSxMixBusNode.h"
#include "sound/engine/upper/CSxLEngineCmds.h"

namespace SX {

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

    // One frame of every voice, mixed into the buses.
    void RenderVoices();
    uint32_t VoiceCount() const { return static_cast<uint32_t>(m_voices.size()); }

private:
    CSxVoiceMgr() = default;
    ~CSxVoiceMgr();
    void DestroyVoice(size_t index);
    CSxMixBusNode* Target();

    std::vector<CSxVPLSrcCbxNode*> m_voices;
    std::vector<bool> m_startPaused;
    CSxMixBusNode* m_direct = nullptr;
};

}  // namespace SX
