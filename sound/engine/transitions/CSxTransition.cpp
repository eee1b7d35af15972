#include "sound/engine/transitions/CSxTransition.h"

#include <algorithm>

#include "sound/engine/curves/SxCurveTable.h"

namespace SX {

SXRESULT CSxTransition::AddTransitionUser(ITransitionable* user) {
    if (m_users.Find(user) >= 0) return SX_AlreadyTransitionUser;
    if (m_userCount >= kMaxUsers || !m_users.AddLast(user)) return SX_TooManyTransitionUsers;
    ++m_userCount;
    return SX_Success;
}

SXRESULT CSxTransition::RemoveTransitionUser(ITransitionable* user) {
    int32_t index = m_users.Find(user);
    if (index < 0) return SX_NotTransitionUser;
    m_users.Erase(static_cast<uint32_t>(index));
    if (--m_userCount == 0) m_state = ToBeRemoved;
    return SX_Success;
}

void CSxTransition::Pause() {
    if (m_state == Running)
        m_state = PauseRequested;
    else if (m_state == ResumeRequested)
        m_state = Paused;
}

void CSxTransition::Resume() {
    if (m_state == Paused)
        m_state = ResumeRequested;
    else if (m_state == PauseRequested)
        m_state = Running;
}

float CSxTransition::CurrentValue() const { return (m_flags & kDb) ? SxMath::LinearToDB(m_current) : m_current; }

bool CSxTransition::Step(uint32_t now) {
    const float elapsed = static_cast<float>(now) - m_startTime;
    bool done = m_duration == 0.0f || elapsed / m_duration >= 1.0f;
    if (done) {
        m_current = m_target;
        m_progress = 1.0f;
    } else {
        m_progress = std::max(0.0f, elapsed / m_duration);
        m_current = SxMath::InterpolateCurve(m_progress, m_start, m_target, m_shape);
    }
    m_flags |= kHasRun;
    const float value = CurrentValue();
    // A user may leave while it is being called; the next one then sits at the same index.
    for (uint32_t i = 0; i < m_users.Length();) {
        ITransitionable* user = m_users[i];
        user->TransUpdateValue(m_targetID, value, done);
        if (i < m_users.Length() && m_users[i] == user) ++i;
    }
    if (done) m_state = Terminated;
    return done;
}

void CSxTransition::Clear() {
    m_users.RemoveAll();
    m_userCount = 0;
    m_flags = 0;
    m_progress = 0.0f;
    m_pauseStart = 0;
    m_state = Running;
}

}  // namespace SX
