#pragma once
// A music track: the leaf of a segment. Its clips place pieces of its sources on the
// segment's timeline; sub-tracks let it pick one set of clips per play.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/TestProbe.h"
#include "sound/engine/hierarchy/CSxSoundBase.h"
#include "sound/engine/upper/CSxSource.h"
#include "sound/music/CSxMusicNode.h"

namespace SX {

// A source of a music track, with the time it must be read ahead of being heard.
class CSxMusicSource : public CSxSource {
public:
    int32_t lookAhead = 0;  // samples
};

// One clip, in samples of segment time: 0 <= sourceOffset < sourceDuration.
struct SxTrackClip {
    uint32_t subTrack = 0;
    uint32_t sourceID = 0;
    int32_t start = 0;
    int32_t duration = 0;
    int32_t sourceDuration = 0;
    int32_t sourceOffset = 0;
};

enum SxMusicTrackType : uint32_t {
    SxMusicTrackType_Normal = 0,
    SxMusicTrackType_RandomSubTrack = 1,
    SxMusicTrackType_SequenceSubTrack = 2,
};

class CSxMusicTrack : public CSxSoundBase {
public:
    // Constructed and entered in the node table; null when memory fails.
    static CSxMusicTrack* Create(SxUniqueID id);
    using CSxSoundBase::CSxSoundBase;

    // u32 ID, sources, clips, sub-track count, node block, track type, look-ahead (ms). In
    // reload mode new sources are added, the clips replaced, and the record ends after a
    // partial node block.
    SXRESULT SetInitialValues(const uint8_t* body, uint32_t size, bool reload = false);

    SxNodeCategory NodeCategory() const override { return SxNodeCategory_MusicTrack; }
    // A track plays only through its segment.
    SXRESULT Play(SxPBIParams&) override { return static_cast<SXRESULT>(0); }
    SXRESULT AddChild(SxUniqueID) override { return static_cast<SXRESULT>(0); }
    SXRESULT ExecuteAction(const SxActionParams& params) override;
    // Every source's media; a failure unprepares those before it.
    SXRESULT PrepareData() override;
    void UnPrepareData() override;
    // A music instance when a segment context starts one of the track's clips.
    CSxPBI* CreatePBI(CSxSoundBase* node, CSxSource* source, const SxPBIParams& params,
                      const SxPriorityParams& priority) override;

    // Random: any sub-track; sequence: the next one, wrapping; normal: 0.
    uint32_t SelectSubTrack();

    const std::vector<SxTrackClip>& Clips() const { return m_clips; }
    uint32_t SubTrackCount() const { return m_subTrackCount; }
    uint32_t TrackType() const { return m_trackType; }
    int32_t LookAhead() const { return m_lookAhead; }
    // Null for a source the track does not hold.
    CSxMusicSource* Source(uint32_t sourceID) const;

private:
    friend struct platform::TestProbe<CSxMusicTrack>;

    std::vector<std::unique_ptr<CSxMusicSource>> m_sources;
    std::vector<SxTrackClip> m_clips;
    uint32_t m_subTrackCount = 0;
    uint32_t m_trackType = SxMusicTrackType_Normal;
    int32_t m_lookAhead = 0;
    int32_t m_lastSequenceIndex = -1;
};

}  // namespace SX
