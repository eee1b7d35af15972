#pragma once
// A running ramp from a start to a target value over a whole number of audio frames along a
// curve shape, handing each new value to its users. Only the audio thread touches it.
#include <cstdint>

#include "platform/TestProbe.h"
#include "sound/engine/SxArray.h"
#include "sound/engine/SxTypes.h"
#include "sound/engine/transitions/ITransitionable.h"

namespace SX {

// What a requester asks for.
struct SxTransitionParams {
    ITransitionable* user = nullptr;
    int32_t targetID = 0;
    float startValue = 0.0f;
    float targetValue = 0.0f;
    uint32_t durationMs = 0;
    SxCurveInterpolation shape = SxCurve_Linear;
    bool dB = false;           // values are decibels; the ramp runs in linear gain
    bool mirror = false;       // a decreasing ramp uses the mirrored shape
    uint32_t frameOffset = 0;  // whole frames before the ramp starts moving
};

class CSxTransition {
public:
    static constexpr uint32_t kMaxUsers = 255;

    enum State : uint32_t {
        Running = 1,
        PauseRequested = 2,
        Paused = 3,
        ResumeRequested = 4,
        Terminated = 5,
        ToBeRemoved = 6,  // its last user left
    };

    CSxTransition() = default;

    // SX_Success; SX_AlreadyTransitionUser; SX_TooManyTransitionUsers (255 users or no memory).
    SXRESULT AddTransitionUser(ITransitionable* user);
    // SX_Success or SX_NotTransitionUser; the last user leaving marks it for removal.
    SXRESULT RemoveTransitionUser(ITransitionable* user);
    void Pause();
    void Resume();
    bool IsTerminated() const { return m_state == Terminated; }

    State GetState() const { return m_state; }
    SxCurveInterpolation Shape() const { return m_shape; }
    int32_t TargetID() const { return m_targetID; }
    float Progress() const { return m_progress; }
    uint32_t UserCount() const { return m_userCount; }
    // The value last handed out (decibels for a dB ramp).
    float CurrentValue() const;

private:
    friend struct platform::TestProbe<CSxTransition>;

    friend class CSxTransitionMgr;
    // Computes the value at now and hands it to every user; true when it reached its target.
    bool Step(uint32_t now);
    void Clear();

    SxCurveInterpolation m_shape = SxCurve_Linear;
    float m_start = 0.0f;  // linear gains for a dB ramp
    float m_target = 0.0f;
    float m_current = 0.0f;
    int32_t m_targetID = 0;
    float m_startTime = 0.0f;  // frames
    float m_duration = 0.0f;   // frames
    float m_progress = 0.0f;
    uint32_t m_pauseStart = 0;
    SxArray<ITransitionable*> m_users{8};
    State m_state = Running;
    uint8_t m_flags = 0;  // kDb, kHasRun
    uint8_t m_userCount = 0;

    static constexpr uint8_t kDb = 1;
    static constexpr uint8_t kHasRun = 2;
};

}  // namespace SX
