#pragma once
// The playing of one segment's tracks: a clock in samples counted from the segment's entry cue,
// the clips it starts as music instances when the clock reaches them (each at its sample in the
// frame, from the right point of its source), their scheduled stops, and one volume factor that
// fades every instance. Audio thread only, under the global audio lock.
#include <cstdint>
#include <vector>

#include "sound/engine/SxTypes.h"
#include "sound/engine/audio/SxExternalSources.h"
#include "sound/music/SxMusicSync.h"

namespace SX {

class CSxMusicPBI;
class CSxMusicSegment;
class CSxMusicTrack;
class CSxRegisteredObj;

class CSxSegmentCtx {
public:
    // Takes references to the segment, its tracks and the game object; picks each track's
    // sub-track for this play.
    CSxSegmentCtx(CSxMusicSegment& segment, CSxRegisteredObj* gameObj, SxPlayingID playingID,
                  SxExternalSourceArray* externalSources);
    // Stops what still plays at once.
    ~CSxSegmentCtx();
    CSxSegmentCtx(const CSxSegmentCtx&) = delete;
    CSxSegmentCtx& operator=(const CSxSegmentCtx&) = delete;

    // The segment is heard from heardFrom (from the entry cue); clips already under way are
    // joined there. The context runs lead samples ahead of that, so that streamed clips can be
    // started early by their look-ahead: the next window begins at heardFrom - lead.
    void SetPosition(int32_t heardFrom, int32_t lead = 0);
    int32_t Position() const { return m_position; }
    // The samples a context heard from heardFrom must run ahead so that each streamed clip still
    // to be heard gets its look-ahead (all sub-tracks counted: the choice is made at creation).
    static int32_t LookAheadNeeded(const CSxMusicSegment& segment, int32_t heardFrom);

    // Plays the frame from sample offset to its end: starts the clips that begin in that window,
    // stops those that ended, advances the clock.
    void Execute(uint32_t offset);
    // Every instance stops now.
    void StopAll();
    // Every instance ends at that sample of the frame being rendered.
    void StopAt(uint32_t offset);
    void Pause();
    void Resume();
    // A factor of the engine's volume-modifier kind (1 full, 0 silent), applied to every instance.
    void SetVolume(float factor);

    uint32_t InstanceCount() const { return static_cast<uint32_t>(m_playing.size()); }
    const CSxMusicSegment& Segment() const { return *m_segment; }

    // From a music instance that ends.
    void OnInstanceGone(CSxMusicPBI* instance);

private:
    struct Track {
        CSxMusicTrack* track;
        uint32_t subTrack;
    };
    struct Playing {
        CSxMusicPBI* instance;
        int64_t end;  // entry-relative clip end
    };
    // The instance is created now and heard delay samples after the window's first sample,
    // into samples into the clip.
    void StartClip(CSxMusicTrack& track, uint32_t clipIndex, uint32_t delay, int32_t into);

    CSxMusicSegment* m_segment;
    std::vector<Track> m_tracks;
    std::vector<Playing> m_playing;
    CSxRegisteredObj* m_gameObj;
    SxPlayingID m_playingID;
    SxExternalSourceArray* m_externalSources;
    int32_t m_preEntry = 0;
    int32_t m_position = 0;
    int32_t m_heardFrom = 0;
    float m_volume = 1.0f;
    bool m_catchUp = true;
};

}  // namespace SX
