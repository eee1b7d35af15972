#include "sound/engine/paths/CSxPath.h"

#include <algorithm>
#include <cstring>

#include "platform/os/Random.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/transitions/SxTimingSettings.h"

namespace SX {

namespace {
// Maps the generator's 0..32767 onto -1..1.
constexpr float kRandToUnit = 6.103888e-5f;

bool SamePoint(const SxPathVertex& a, const SxPathVertex& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }
}  // namespace

SXRESULT CSxPath::SetPlayList(const SxPathListItem* list, uint16_t count, uint32_t mode, bool looping,
                              const SxPathState* saved) {
    if (m_state != State_Idle || !list || count == 0) return SX_Fail;
    if (m_ownsPlayed) MemoryMgr::Free(g_DefaultPoolId, m_played);
    m_played = nullptr;
    m_ownsPlayed = false;
    m_list = list;
    m_count = count;
    m_mode = mode;
    m_looping = looping;
    if (saved && saved->playedFlags) {
        RestoreState(*saved);
        return SX_Success;
    }
    m_played = static_cast<uint8_t*>(MemoryMgr::Malloc(g_DefaultPoolId, count));
    if (!m_played) return SX_Fail;
    m_ownsPlayed = true;
    ClearPlayedFlags();
    m_index = 0;
    m_current = m_list;
    if (m_mode & kModeRandom) {
        PickRandomPath();
        m_current = m_list + m_index;
    }
    return SX_Success;
}

void CSxPath::RestoreState(const SxPathState& saved) {
    if (!saved.playedFlags) return;
    if (m_ownsPlayed) MemoryMgr::Free(g_DefaultPoolId, m_played);
    m_ownsPlayed = false;
    m_played = saved.playedFlags;
    // A saved place past the end of this play list starts it over.
    m_index = saved.index < m_count ? saved.index : 0;
    m_current = m_list + m_index;
}

void CSxPath::ClearPlayedFlags() {
    if (m_played) std::memset(m_played, 0, m_count);
}

SxVector CSxPath::Jittered(const SxPathVertex& vertex) const {
    SxVector point{vertex.x, vertex.y, vertex.z};
    const float r1 = static_cast<float>(platform::crt_rand());
    const float r2 = static_cast<float>(platform::crt_rand());
    point.x += (r1 * kRandToUnit - 1.0f) * m_current->rangeX;
    point.z += (r2 * kRandToUnit - 1.0f) * m_current->rangeZ;
    return point;
}

void CSxPath::SetDuration(uint32_t durationMs) {
    m_duration = static_cast<int32_t>(std::max<uint32_t>(SxTimingSettings::MillisecondsToFrames(durationMs), 1));
    m_inverse = 1.0f / static_cast<float>(m_duration);
}

void CSxPath::BeginSegment(int32_t startFrame, const SxVector& target) {
    m_delta = SxVector{target.x - m_start.x, target.y - m_start.y, target.z - m_start.z};
    m_segmentStart = startFrame;
    m_segmentEnd = startFrame + m_duration;
    m_ratioOffset = -static_cast<float>(startFrame) * m_inverse;
}

SXRESULT CSxPath::Start(uint32_t now) {
    if (!m_current) return SX_Fail;
    m_started = true;
    const SxPathVertex* vertices = m_current->vertices;
    const uint32_t count = vertices ? m_current->vertexCount : 0;
    if (count == 0) return SX_PathNoVertices;
    m_vertex = 1;
    SetDuration(vertices[0].durationMs);
    SxVector target;
    if (count < 2) {
        m_start = SxVector{vertices[0].x, vertices[0].y, vertices[0].z};
        target = m_start;
    } else if (count < 3 && SamePoint(vertices[0], vertices[1])) {
        m_start = Jittered(vertices[0]);
        target = m_start;
    } else {
        m_start = Jittered(vertices[0]);
        target = Jittered(vertices[1]);
    }
    m_position = m_start;
    UpdateUsersPosition();
    BeginSegment(static_cast<int32_t>(now), target);
    m_state = State_Running;
    return SX_Success;
}

void CSxPath::UpdatePosition(uint32_t now) {
    if (m_state != State_Running) return;
    const float ratio = std::clamp(static_cast<float>(now) * m_inverse + m_ratioOffset, 0.0f, 1.0f);
    m_position = SxVector{m_start.x + m_delta.x * ratio, m_start.y + m_delta.y * ratio, m_start.z + m_delta.z * ratio};
    UpdateUsersPosition();
    if (static_cast<int32_t>(now) < m_segmentEnd) return;

    // The next segment starts where this one arrived.
    if (static_cast<uint32_t>(m_vertex) < m_current->vertexCount) {
        const SxPathVertex& from = m_current->vertices[m_vertex];
        m_start = Jittered(from);
        ++m_vertex;
        SetDuration(from.durationMs);
    }
    if (static_cast<uint32_t>(m_vertex) >= m_current->vertexCount) {
        if (GetNextPathInList() != SX_Success || !m_current->vertices || m_current->vertexCount == 0) {
            m_state = State_Idle;
            return;
        }
    }
    const SxPathVertex& to = m_current->vertices[m_vertex];
    BeginSegment(m_segmentEnd, Jittered(to));
}

SXRESULT CSxPath::Pause(uint32_t now) {
    if (m_state != State_Running) return SX_PathNotRunning;
    m_state = State_Paused;
    m_pauseFrame = static_cast<int32_t>(now);
    return SX_Success;
}

void CSxPath::Resume(uint32_t now) {
    const int32_t paused = static_cast<int32_t>(now) - m_pauseFrame;
    m_segmentStart += paused;
    m_segmentEnd += paused;
    m_ratioOffset = -static_cast<float>(m_segmentStart) * m_inverse;
    m_state = State_Running;
}

bool CSxPath::PickRandomPath() {
    bool restarted = true;
    for (uint16_t i = 0; i < m_count; ++i)
        if (!m_played[i]) restarted = false;
    if (restarted) ClearPlayedFlags();
    m_index = static_cast<uint16_t>(platform::crt_rand() % m_count);
    if (m_mode & kModeContinuous) m_current = m_list + m_index;
    m_played[m_index] = 1;
    return restarted;
}

SXRESULT CSxPath::GetNextPathInList() {
    if (!m_current) return SX_NoMoreData;
    bool wrapped = false;
    if (m_mode & kModeRandom) {
        wrapped = PickRandomPath();
    } else {
        if (++m_index >= m_count) {
            m_index = 0;
            wrapped = true;
        }
        if (m_mode & kModeContinuous) m_current = m_list + m_index;
    }
    if (!(m_mode & kModeContinuous)) return SX_NoMoreData;
    if (wrapped && !m_looping) return SX_NoMoreData;
    m_vertex = 0;
    return SX_Success;
}

void CSxPath::UpdateUsersPosition() {
    for (uint8_t i = 0; i < m_instanceCount; ++i) m_instances[i]->SetPathPosition(m_position);
}

SXRESULT CSxPath::AttachInstance(ISxPathUser* instance) {
    if (m_instanceCount >= kMaxInstances) return SX_Fail;
    for (uint8_t i = 0; i < m_instanceCount; ++i)
        if (m_instances[i] == instance) return SX_PathNodeAlreadyInList;
    m_instances[m_instanceCount++] = instance;
    return SX_Success;
}

SXRESULT CSxPath::DetachInstance(ISxPathUser* instance) {
    for (uint8_t i = 0; i < m_instanceCount; ++i) {
        if (m_instances[i] != instance) continue;
        m_instances[i] = m_instances[--m_instanceCount];
        return SX_Success;
    }
    return SX_PathNodeNotInList;
}

void CSxPath::Term() {
    m_instanceCount = 0;
    if (m_ownsPlayed) MemoryMgr::Free(g_DefaultPoolId, m_played);
    m_played = nullptr;
    m_ownsPlayed = false;
}

}  // namespace SX
