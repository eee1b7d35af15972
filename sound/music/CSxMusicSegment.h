#pragma once
// A music segment: a length, cues (entry first, exit last, user cues between) and tracks as
// children; it plays on the grid of the nearest music node that defines one.
#include "sound/music/CSxMusicNode.h"
#include "sound/music/SxMusicSync.h"

namespace SX {

class CSxMusicSegment : public CSxMusicNode {
public:
    // Constructed and entered in the node table; null when memory fails.
    static CSxMusicSegment* Create(SxUniqueID id);
    using CSxMusicNode::CSxMusicNode;

    // The music node block, f64 duration (ms), u32 cue count, cues {u32 ID, f64 ms}. Cues out
    // of order or outside the segment are refused (SX_InvalidFile).
    SXRESULT SetInitialValues(const uint8_t* body, uint32_t size);
    SxNodeCategory NodeCategory() const override { return SxNodeCategory_MusicSegment; }

    // Length, cues and the grid in force, in samples.
    SxSegmentTiming Timing() const;

protected:
    SXRESULT CanAddChild(CSxParameterNodeBase* child) override;

private:
    int32_t m_duration = 0;
    std::vector<SxMusicMarker> m_cues{SxMusicMarker{}, SxMusicMarker{}};
};

}  // namespace SX
