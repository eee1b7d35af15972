#pragma once
// Types shared by every part of the sound engine: result codes, IDs and basic records.
#include <cstdint>

namespace SX {

// Result of every sound-engine call. The numbers are fixed: callers and data compare them.
enum SXRESULT : int32_t {
    SX_Success = 1,
    SX_Fail = 2,
    SX_Refused = 3,  // play refused by a limit; record not handled by a hook
    SX_WrongChildKind = 4,
    SX_ChildAlreadyPresent = 5,
    SX_InvalidFile = 7,         // not a bank or a broken chunk; invalid media file
    SX_MaxChildrenReached = 9,  // a parent already holds 65535 children
    SX_InvalidID = 14,          // zero ID or invalid pool
    SX_IDNotFound = 15,
    SX_AssociationNotFound = 16,  // association or state object not found
    SX_NoMoreData = 17,           // no next item; no more data
    SX_UnknownStateGroup = 20,
    SX_ChildAlreadyHasParent = 21,
    SX_LanguageNotLoaded = 22,  // package loaded without its language
    SX_CannotBeOwnParent = 23,
    SX_TransitionFinished = 24,
    SX_TooManyTransitionUsers = 27,
    SX_AlreadyTransitionUser = 28,
    SX_NotTransitionUser = 29,
    SX_InvalidParameter = 31,
    SX_DuplicateID = 35,  // duplicate ID in a play list
    SX_PathNotFound = 36,
    SX_PathNoVertices = 37,
    SX_PathNotRunning = 38,
    SX_PathNotPaused = 39,
    SX_PathNodeAlreadyInList = 40,
    SX_PathNodeNotInList = 41,
    SX_DataNeeded = 43,
    SX_DataReady = 45,
    SX_NoDataReady = 46,  // nothing produced this frame
    SX_InsufficientMemory = 52,
    SX_NoTransferPrepared = 53,
    SX_PartialRead = 56,  // fewer bytes than asked
    SX_SwitchNotFound = 57,
    SX_NotReady = 63,  // still buffering, or outside the look-ahead
    SX_WrongBankVersion = 64,
    SX_FileNotFound = 66,
    SX_NoSecondaryBuffer = 68,
    SX_BankAlreadyLoaded = 69,
    SX_MemoryMgrNotInitialized = 74,
    SX_StreamMgrNotInitialized = 75,
    SX_SSENotSupported = 76,
    SX_DeviceBusy = 77,  // pad busy
    SX_UnsupportedChannelConfig = 78,
    SX_MustBeVirtual = 80,
    SX_MessageTooLarge = 81,  // message larger than a queue chunk
};

using SxUniqueID = uint32_t;      // events, objects, banks, media; bit 31 set: made by the engine
using SxGameObjectID = uint32_t;  // the game's own IDs; SxAllGameObjects means every object
using SxPlayingID = uint32_t;
using SxBankID = uint32_t;
using SxStateGroupID = uint32_t;
using SxMemPoolId = int32_t;  // index into the memory manager's pool table

constexpr SxGameObjectID SxAllGameObjects = 0xFFFFFFFFu;
constexpr SxMemPoolId SxInvalidPoolId = -1;
constexpr SxUniqueID SxEngineMadeIDBit = 0x80000000u;

// The shape of every ramp and curve segment.
enum SxCurveInterpolation : uint32_t {
    SxCurve_Log3 = 0,  // cubic, fast rise
    SxCurve_Sine = 1,  // sine, fast rise
    SxCurve_Log1 = 2,  // power 1.41, fast rise
    SxCurve_SCurve = 3,
    SxCurve_Linear = 4,
    SxCurve_InvSCurve = 5,
    SxCurve_Exp1 = 6,       // power 1.41, slow rise
    SxCurve_SineRecip = 7,  // sine, slow rise
    SxCurve_Exp3 = 8,       // cubic, slow rise
    SxCurve_Constant = 9,
};

// How a new value combines with the one in force.
enum SxValueMeaning : uint32_t {
    SxValueMeaning_Default = 0,
    SxValueMeaning_Independent = 1,
    SxValueMeaning_Offset = 2,
};

struct SxVector {
    float x = 0.0f, y = 0.0f, z = 0.0f;
};

// One emitter position of a game object.
struct SxSoundPosition {
    SxVector position;
    SxVector orientation;
};

// One auxiliary send of a game object.
struct SxEnvironmentValue {
    SxUniqueID environmentID = 0;
    float value = 0.0f;
};

}  // namespace SX
