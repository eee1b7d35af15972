#pragma once
// A running position path: a play list of paths, each a list of vertices with the time to
// travel to the next, walked frame by frame. The position it reaches is written into every
// playback instance attached to it.
#include <cstdint>

#include "sound/engine/SxTypes.h"

namespace SX {

struct SxPathVertex {
    float x = 0.0f, y = 0.0f, z = 0.0f;
    uint32_t durationMs = 0;  // time from this vertex to the next
};

struct SxPathListItem {
    const SxPathVertex* vertices = nullptr;
    uint32_t vertexCount = 0;
    float rangeX = 0.0f;  // random jitter of each vertex on x and z
    float rangeZ = 0.0f;
};

// Where a node's automation stands between its sounds: the next path to take and the paths
// already played in the current cycle (one byte per path).
struct SxPathState {
    uint16_t index = 0;
    uint8_t* playedFlags = nullptr;
};

// What a path moves: a playback instance's emitter position.
class ISxPathUser {
public:
    virtual void SetPathPosition(const SxVector& position) = 0;

protected:
    ~ISxPathUser() = default;
};

class CSxPath {
public:
    enum State : uint32_t { State_Idle = 0, State_Running = 1, State_Paused = 2 };
    static constexpr uint32_t kModeRandom = 1 << 0;      // else in sequence
    static constexpr uint32_t kModeContinuous = 1 << 1;  // else one path per sound
    static constexpr uint32_t kMaxInstances = 8;

    ~CSxPath() { Term(); }

    // Keeps a saved state that has played flags (an index past the list starts it over);
    // otherwise makes cleared flags of its own and, at random, picks a first path. 2 when
    // not idle or out of memory.
    SXRESULT SetPlayList(const SxPathListItem* list, uint16_t count, uint32_t mode, bool looping,
                         const SxPathState* saved);
    // Continues from a saved state's place in the play list.
    void RestoreState(const SxPathState& saved);
    // 2 without a current path, 37 for a path without vertices.
    SXRESULT Start(uint32_t now);
    void UpdatePosition(uint32_t now);
    // 38 unless running.
    SXRESULT Pause(uint32_t now);
    void Resume(uint32_t now);
    // Moves to the next path of the play list: 17 in step mode, at the end of a cycle that
    // does not loop, or without a current path.
    SXRESULT GetNextPathInList();
    // Picks a path at random, starting a new cycle when all are played; true when it did.
    bool PickRandomPath();
    void ClearPlayedFlags();
    void UpdateUsersPosition();
    // Forgets the instances and the flags it owns.
    void Term();

    bool IsIdle() const { return m_state == State_Idle; }
    State GetState() const { return m_state; }
    bool Started() const { return m_started; }
    uint32_t Mode() const { return m_mode; }
    void SetIsLooping(bool looping) { m_looping = looping; }
    uint16_t PathIndex() const { return m_index; }
    const uint8_t* PlayedFlags() const { return m_played; }
    SxVector Position() const { return m_position; }

    // Sounds using the path; held in 8 bits, so it saturates instead of wrapping.
    uint8_t UserCount() const { return m_userCount; }
    void AddUser() {
        if (m_userCount < UINT8_MAX) ++m_userCount;
    }
    void RemoveUser() {
        if (m_userCount > 0) --m_userCount;
    }
    uint8_t InstanceCount() const { return m_instanceCount; }
    // 2 when full, 40 when already attached; 41 when detaching what is not attached.
    SXRESULT AttachInstance(ISxPathUser* instance);
    SXRESULT DetachInstance(ISxPathUser* instance);

private:
    void BeginSegment(int32_t startFrame, const SxVector& target);
    SxVector Jittered(const SxPathVertex& vertex) const;
    void SetDuration(uint32_t durationMs);

    State m_state = State_Idle;
    const SxPathListItem* m_list = nullptr;
    uint8_t* m_played = nullptr;
    bool m_ownsPlayed = false;
    const SxPathListItem* m_current = nullptr;
    uint16_t m_index = 0;
    uint16_t m_count = 0;
    int32_t m_vertex = 0;
    uint32_t m_mode = 0;
    bool m_started = false;
    bool m_looping = false;
    ISxPathUser* m_instances[kMaxInstances] = {};
    uint8_t m_instanceCount = 0;
    uint8_t m_userCount = 0;
    int32_t m_segmentStart = 0;
    int32_t m_segmentEnd = 0;
    int32_t m_duration = 1;
    float m_inverse = 1.0f;
    float m_ratioOffset = 0.0f;
    int32_t m_pauseFrame = 0;
    SxVector m_start;
    SxVector m_delta;
    SxVector m_position;
};

}  // namespace SX
