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

    // Where the next window begins, from the entry cue; clips already under way are joined there.
    void SetPosition(int32_t position);
    int32_t Position() const { return m_position; }

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
    void StartClip(CSxMusicTrack& track, uint32_t clipIndex, uint32_t frameOffset, int32_t into);

    CSxMusicSegment* m_segment;
    std::vector<Track> m_tracks;
    std::vector<Playing> m_playing;
    CSxRegisteredObj* m_gameObj;
    SxPlayingID m_playingID;
    SxExternalSourceArray* m_externalSources;
    int32_t m_preEntry = 0;
    int32_t m_position = 0;
    float m_volume = 1.0f;
    bool m_catchUp = true;
};

}  // namespace SX
