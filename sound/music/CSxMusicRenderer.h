#pragma once
// The music engine's one object: the music contexts started by events, stepped once per audio
// frame; the hook through which banks create the music objects of their hierarchy records; the
// state hook that holds a state change back to a musical sync point; the segment positions
// kept for the game.
#include <cstdint>

#include "sound/engine/SxTypes.h"
#include "sound/engine/upper/SxPBIParams.h"

namespace SX {

class CSxIndexable;
class CSxMusicNode;
struct SxSegmentInfo;

class CSxMusicRenderer {
public:
    // Installs the frame step, the state hook and the record hook (again when already running).
    static SXRESULT Init(float lookAheadScale);
    // Stops every music context and waits, with a bound, until the audio thread released them;
    // what is left then is released here.
    static void Term();
    static bool IsInitialized();

    // The factor applied to each track's look-ahead as it loads (1.0 without Init).
    static float LookAheadScale();

    // Types 10 (segment), 11 (track), 12 (switch container) and 13 (random/sequence
    // container); 3 for any other type. A node already loaded is kept (a track is re-read
    // in reload mode); *object gets the node with a reference for the loading bank.
    static SXRESULT HircObjectHook(uint8_t type, const uint8_t* body, uint32_t size, SxBankID bank,
                                   CSxIndexable** object);

    // A play request that reached a music node: a top-level music context starts.
    static SXRESULT PlayNode(CSxMusicNode& node, const SxPBIParams& params);
    // Stop, pause and resume actions on the contexts of the node, for the game object (null:
    // all) and the playing ID (0: all).
    static SXRESULT ExecuteNodeAction(CSxMusicNode& node, const SxActionParams& params);

    // The audio frame's step (a behavioural extension of the sound engine).
    static void PerformFrame(bool lastCall);
    // True when the change of the group waits for a sync point of the music playing.
    static bool SetStateHook(uint32_t groupID, uint32_t stateID);
    // A deferred state change whose time came (or whose music went away).
    static void ExecutePendingStateChange(uint32_t record);
    // A deferred state change whose music was replaced before its time: it waits for the sync
    // point the music playing now gives the group, or is applied at once when none is ahead.
    static void RescheduleOrExecutePendingStateChange(uint32_t record);

    static SXRESULT GetPlayingSegmentInfo(SxPlayingID playingID, SxSegmentInfo& info, bool extrapolate);
    // The top-level contexts playing now.
    static uint32_t ContextCount();
};

}  // namespace SX
