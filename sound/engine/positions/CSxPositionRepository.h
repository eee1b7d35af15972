#pragma once
// Play positions of the sources, per playing ID, stamped with the time of the audio frame
// that reported them, so that game threads can ask where a sound is between frames.
#include <cstdint>
#include <vector>

#include "platform/os/Threads.h"
#include "sound/engine/SxTypes.h"

namespace SX {

struct SxPositionInfo {
    uint32_t position = 0xFFFFFFFFu;  // in samples; unknown until the source reports
    float rate = 1.0f;                // 0 while paused
    uint32_t duration = 0xFFFFFFFFu;  // in samples
    uint32_t sampleRate = 1;
};

class CSxPositionRepository {
public:
    SXRESULT Init();
    void Term();

    // Audio thread (the voices, the playing manager, the music engine).
    void AddSource(uint32_t playingID, const void* owner);
    void UpdatePosition(uint32_t playingID, const SxPositionInfo& info, const void* owner);
    void SetRate(uint32_t playingID, float rate);
    void RemoveSource(uint32_t playingID, const void* owner);
    void RemovePlayingID(uint32_t playingID);
    // Start of each audio frame: the performance counter becomes the frame's stamp.
    void SetFrameTimeStamp();
    bool HasEntries();

    // Any thread. 1 with the position in ms; 2 with 0 ms when the playing ID has no
    // known position.
    SXRESULT GetCurrPosition(uint32_t playingID, int32_t* outMs, bool extrapolate);

private:
    struct Entry {
        uint32_t playingID;
        SxPositionInfo info;
        int64_t timeStamp;
        const void* owner;
    };
    Entry* Find(uint32_t playingID);
    void Remove(uint32_t playingID, const void* owner, bool anyOwner);

    std::vector<Entry> m_entries;
    platform::CriticalSection m_lock;
    int64_t m_frameTimeStamp = 0;
};

extern CSxPositionRepository* g_pPositionRepository;

}  // namespace SX
