#pragma once
// The music nodes of the hierarchy: they carry the common node block, children, a musical
// grid that children inherit, and stingers. Created only by the music engine's record hook.
#include <cstdint>
#include <vector>

#include "platform/TestProbe.h"
#include "sound/engine/hierarchy/CSxParentNode.h"
#include "sound/music/SxMusicGrid.h"

namespace SX {

// Node categories of the music nodes.
constexpr SxNodeCategory SxNodeCategory_MusicTrack = static_cast<SxNodeCategory>(6);
constexpr SxNodeCategory SxNodeCategory_MusicSegment = static_cast<SxNodeCategory>(7);
constexpr SxNodeCategory SxNodeCategory_MusicRanSeq = static_cast<SxNodeCategory>(8);
constexpr SxNodeCategory SxNodeCategory_MusicSwitch = static_cast<SxNodeCategory>(9);

struct SxStingerRecord {
    uint32_t triggerID = 0;
    uint32_t segmentID = 0;
    uint32_t syncType = 0;
    uint32_t dontRepeatMs = 0;
    uint32_t lookAheadCount = 0;
};

class CSxMusicNode : public CSxParentNode {
public:
    using CSxParentNode::CSxParentNode;

    // Music objects play through the music engine's contexts, not as sounds.
    SXRESULT Play(SxPBIParams& params) override;
    // Stop, pause and resume reach the node's playing music; the state transitions follow.
    SXRESULT ExecuteAction(const SxActionParams& params) override;

    // The node's own grid when it overrides; else the nearest overriding ancestor's; else
    // the topmost music ancestor's (zeros when none ever had one).
    SxMusicGrid GetMusicGrid() const;
    // The stingers in force here: the ancestors' first, a node's own replacing an inherited
    // one of the same trigger.
    std::vector<SxStingerRecord> GetStingers() const;
    // The segments the node may play besides its children (its musical dependencies), then
    // every child; a failure undoes what was done.
    SXRESULT PrepareData() override;
    void UnPrepareData() override;

protected:
    // The segments of the node's own stingers; a container adds those its transitions play.
    virtual std::vector<SxUniqueID> MusicalDependencies() const;
    SXRESULT PrepareMusicalDependencies();
    void UnPrepareMusicalDependencies();
    // u32 ID, node block, children, grid fields, stingers. An invalid grid is logged and
    // refused: the node inherits its grid.
    SXRESULT SetMusicNodeParams(SxReadCursor& cursor);
    // 9 at 65535 children, 4 for a child of another category, then the parent's checks.
    SXRESULT CanAddMusicChild(CSxParameterNodeBase* child, std::initializer_list<SxNodeCategory> allowed);

private:
    friend struct platform::TestProbe<CSxMusicNode>;

    SxMusicGrid m_grid;
    bool m_overrideGrid = false;
    std::vector<SxStingerRecord> m_stingers;
};

}  // namespace SX
