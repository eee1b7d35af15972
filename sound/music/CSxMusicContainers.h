#pragma once
// The two music containers: the switch container picks its child by a state or switch, the
// random/sequence container plays its children by a playlist.
#include <cstdint>
#include <vector>

#include "sound/engine/states/CSxPreparationAware.h"
#include "sound/music/CSxMusicTransAware.h"
#include "sound/music/CSxPlaylist.h"

namespace SX {

// With game-sync preparation its media load per value: those of the nodes of the values
// prepared in the state manager.
class CSxMusicSwitchCntr : public CSxMusicTransAware, public CSxPreparationAware {
public:
    static CSxMusicSwitchCntr* Create(SxUniqueID id);
    using CSxMusicTransAware::CSxMusicTransAware;

    // Music node block, rules, u32 group type, u32 group ID, u32 default switch, u8 continue
    // playback, u32 pair count, pairs {u32 switch ID, u32 node ID}.
    SXRESULT SetInitialValues(const uint8_t* body, uint32_t size);
    SxNodeCategory NodeCategory() const override { return SxNodeCategory_MusicSwitch; }

    // The node of the switch, else of the default switch; 0 for none (silence).
    uint32_t NodeForSwitch(uint32_t switchID) const;
    uint32_t GroupType() const { return m_groupType; }
    uint32_t GroupID() const { return m_groupID; }
    bool ContinuePlayback() const { return m_continuePlayback; }
    // Without game-sync preparation every child; with it, the nodes of the group's prepared
    // values, following the values prepared and unprepared until the last UnPrepareData.
    SXRESULT PrepareData() override;
    void UnPrepareData() override;

protected:
    SXRESULT CanAddChild(CSxParameterNodeBase* child) override;
    // CSxPreparationAware
    std::vector<uint32_t> PreparationValues() const override;
    std::vector<SxUniqueID> PreparationNodes(uint32_t value) const override;
    uint32_t PreparationGroup() const override { return m_groupID; }
    SxGroupType PreparationGroupType() const override {
        return m_groupType == SxGroupType_State ? SxGroupType_State : SxGroupType_Switch;
    }

private:
    struct Pair {
        uint32_t switchID;
        uint32_t nodeID;
    };
    uint32_t m_groupType = 0;
    uint32_t m_groupID = 0;
    uint32_t m_defaultSwitch = 0;
    bool m_continuePlayback = false;
    std::vector<Pair> m_pairs;
};

class CSxMusicRanSeqCntr : public CSxMusicTransAware {
public:
    static CSxMusicRanSeqCntr* Create(SxUniqueID id);
    using CSxMusicTransAware::CSxMusicTransAware;

    // Music node block, rules, the playlist.
    SXRESULT SetInitialValues(const uint8_t* body, uint32_t size);
    SxNodeCategory NodeCategory() const override { return SxNodeCategory_MusicRanSeq; }

    CSxRSSub& Playlist() { return m_playlist; }

protected:
    SXRESULT CanAddChild(CSxParameterNodeBase* child) override;

private:
    CSxRSSub m_playlist;
};

}  // namespace SX
