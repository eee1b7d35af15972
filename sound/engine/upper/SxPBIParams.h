#pragma once
// The play request that actions and containers hand down the tree to a leaf, and the
// records of the actions that reach what already plays.
#include <cstdint>

#include "sound/engine/SxTypes.h"
#include "sound/engine/audio/SxExternalSources.h"

namespace SX {

class CSxPBIAware;
class CSxRegisteredObj;
class SxContinueList;

struct SxFadeParams {
    uint32_t timeMs = 0;
    SxCurveInterpolation curve = SxCurve_Linear;
};

struct SxPlayHistory {
    uint32_t count = 0;
    uint16_t positions[32] = {};
    uint32_t continuousMask = 0;
};

struct SxPBIParams {
    uint8_t continuous = 0;  // 1: a chain of continuous plays goes through the request
    CSxPBIAware* instigator = nullptr;
    CSxRegisteredObj* gameObj = nullptr;
    SxFadeParams fade;
    uint32_t customData[3] = {};
    SxExternalSourceArray* externalSources = nullptr;
    SxPlayingID playingID = 0;
    SxPlayHistory history;
    uint32_t playMode = 0;  // 1: start paused
    uint32_t sampleOffset = 0;
    uint8_t forFeedback = 0;
    uint8_t firstPlay = 0;
    SxContinueList* continueList = nullptr;  // the chain's list, borrowed (whoever keeps it adds a reference)
    uint32_t continuousSequence = 0;         // joined sample-accurately to the instance before; 0: none
    uint32_t pauseCount = 0;                 // pauses of a chain its next item starts under (paused when not 0)
};

// What stop, pause, resume, break and seek actions hand to a node.
enum SxActionKind : uint32_t {
    SxActionKind_Stop = 0,
    SxActionKind_Pause = 1,
    SxActionKind_Resume = 2,
    SxActionKind_Break = 3,
    SxActionKind_Seek = 4,
};

struct SxActionParams {
    SxActionKind kind = SxActionKind_Stop;
    CSxRegisteredObj* gameObj = nullptr;  // null: every game object
    SxPlayingID playingID = 0;            // 0: any
    uint32_t transitionMs = 0;
    SxCurveInterpolation curve = SxCurve_Linear;
    uint8_t flags[3] = {};    // [1]: also pause or resume the node's state transitions; [2]: master resume
    SxUniqueID targetID = 0;  // break: the element that asked
    float seekValue = 0.0f;   // seek: a fraction, or milliseconds
    uint8_t seekBits = 0;     // bit 0 fraction, bit 1 snap to a marker
};

}  // namespace SX
