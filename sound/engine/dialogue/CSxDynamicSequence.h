#pragma once
// A sequence of audio nodes the game fills at run time and plays on one game object, item
// after item: the game edits its playlist between LockPlaylist and UnlockPlaylist, the audio
// thread takes the next item when the one playing ends. It is indexed by its playing ID.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>

#include "platform/TestProbe.h"
#include "sound/engine/SxArray.h"
#include "sound/engine/hierarchy/CSxParameterNodeBase.h"
#include "sound/engine/playing/SxCallbackTypes.h"

namespace SX {

class CSxRegisteredObj;

struct SxDynSeqItem {
    SxUniqueID audioNodeID = 0;  // 0: no sound, only its end is reported
    uint32_t delayMs = 0;        // silence before the item starts
    void* customInfo = nullptr;  // handed back with the item's end
};

// The items still to play, oldest first.
class SxDynSeqPlaylist {
public:
    // False when memory fails.
    bool Enqueue(SxUniqueID audioNodeID, uint32_t delayMs = 0, void* customInfo = nullptr);
    void RemoveAll() { m_items.RemoveAll(); }
    uint32_t Length() const { return m_items.Length(); }
    const SxDynSeqItem& Item(uint32_t index) const { return m_items[index]; }
    SxDynSeqItem TakeFirst();

private:
    SxArray<SxDynSeqItem> m_items{8};
};

class CSxDynamicSequence : public CSxPBIAware {
public:
    enum State : uint32_t { State_Stopped = 0, State_Playing = 1, State_Waiting = 2 };
    enum Command : uint32_t {
        Command_Play = 0,
        Command_Pause = 1,
        Command_Resume = 2,
        Command_Close = 3,
        Command_Stop = 4,
        Command_Break = 5,
        Command_ResumeWaiting = 6,
    };

    // Constructed and entered in the dynamic-sequence table; null when memory fails.
    static CSxDynamicSequence* Create(SxPlayingID playingID, uint32_t type);
    CSxDynamicSequence(SxPlayingID playingID, uint32_t type);
    ~CSxDynamicSequence() override;

    // The items' instances are made here, so that their ends reach the sequence.
    CSxPBI* CreatePBI(CSxSoundBase* node, CSxSource* source, const SxPBIParams& params,
                      const SxPriorityParams& priority) override;

    // Game side: the playlist, locked for the calling thread, with a reference held for the
    // lock. Null when the sequence is closed.
    SxDynSeqPlaylist* LockPlaylist();
    // 2 (nothing changes) when the calling thread holds no lock; else the lock and its
    // reference go and waiting tells whether the sequence waits for items.
    SXRESULT UnlockPlaylist(bool& waiting);

    // Audio thread.
    void SetGameObject(CSxRegisteredObj* gameObj);
    void Execute(Command command, uint32_t transitionMs, SxCurveInterpolation curve);
    // Plays the next items from the stopped or waiting state, unless paused.
    SXRESULT Play(uint32_t transitionMs, SxCurveInterpolation curve);
    void Pause(uint32_t transitionMs, SxCurveInterpolation curve);
    void Resume(uint32_t transitionMs, SxCurveInterpolation curve);
    void Stop(uint32_t transitionMs, SxCurveInterpolation curve);
    // What plays finishes; nothing follows it.
    void Break();
    void Close();
    // Items arrived while the sequence waited: it goes on.
    void ResumeWaiting();
    // A stop, pause or resume action for a game object (null: all) reaches the sequences on
    // it: a stop plays no further item, a pause holds the next one, the last resume goes on.
    void ApplyActionKind(SxActionKind kind, CSxRegisteredObj* gameObj);
    static void ApplyActionKindToAll(SxActionKind kind, CSxRegisteredObj* gameObj);

    // Instances of the current item. The last one to end lets the next item play; one whose
    // start failed only leaves the count.
    void ItemInstanceStarted() { ++m_liveInstances; }
    void ItemInstanceEnded(bool startFailed);

    SxPlayingID PlayingID() const { return ID(); }
    uint32_t PauseCount() const { return m_pauseCount; }
    bool IsClosed() const { return m_closed.load(); }
    // Game side, before the close message is queued: no later call reaches the sequence.
    void MarkClosed() { m_closed = true; }
    const SxDynSeqItem& CurrentItem() const { return m_current; }
    uint32_t Type() const { return m_type; }

private:
    friend struct platform::TestProbe<CSxDynamicSequence>;

    // Under the playlist lock: the first item with a node, the items of no node before it
    // reported as ended. 0 (and the waiting state) when none is left.
    SxUniqueID GetNextToPlay(uint32_t& delayMs, void*& customInfo);
    SXRESULT PlayNext(uint32_t transitionMs, SxCurveInterpolation curve);
    // After the last resume.
    void GoOn(uint32_t transitionMs, SxCurveInterpolation curve);
    SXRESULT PlayItem(SxUniqueID node, uint32_t delayMs, uint32_t transitionMs, SxCurveInterpolation curve);
    void NotifyItemEnd(SxUniqueID node, void* customInfo);
    void ActOnCurrent(SxActionKind kind, uint32_t transitionMs, SxCurveInterpolation curve);

    SxDynSeqPlaylist m_playlist;
    std::recursive_mutex m_lock;
    std::mutex m_ownerLock;
    std::thread::id m_owner;  // the thread holding the playlist lock
    uint32_t m_lockDepth = 0;
    std::atomic<State> m_state{State_Stopped};  // read by the game thread at unlock
    CSxRegisteredObj* m_gameObj = nullptr;      // one reference held
    uint32_t m_type;
    SxDynSeqItem m_current;
    uint32_t m_pauseCount = 0;
    uint32_t m_liveInstances = 0;
    std::atomic<bool> m_closed{false};
};

namespace SoundEngine::DynamicSequence {
// A new sequence on the game object; its playing ID, or 0.
SxPlayingID Open(SxGameObjectID gameObject, uint32_t callbackFlags = 0, SxCallbackFunc callback = nullptr,
                 void* cookie = nullptr, uint32_t type = 0);
// 2 for an unknown or closed sequence.
SXRESULT Play(SxPlayingID id, int32_t transitionMs = 0, SxCurveInterpolation curve = SxCurve_Linear);
SXRESULT Pause(SxPlayingID id, int32_t transitionMs = 0, SxCurveInterpolation curve = SxCurve_Linear);
SXRESULT Resume(SxPlayingID id, int32_t transitionMs = 0, SxCurveInterpolation curve = SxCurve_Linear);
SXRESULT Stop(SxPlayingID id, int32_t transitionMs = 0, SxCurveInterpolation curve = SxCurve_Linear);
SXRESULT Break(SxPlayingID id);
// No call reaches the sequence afterwards; it goes once its last item has ended.
SXRESULT Close(SxPlayingID id);
// The playlist, locked for the calling thread until UnlockPlaylist; null for an unknown or
// closed sequence.
SxDynSeqPlaylist* LockPlaylist(SxPlayingID id);
// 2 for an unknown sequence or a thread that did not lock it.
SXRESULT UnlockPlaylist(SxPlayingID id);
}  // namespace SoundEngine::DynamicSequence

}  // namespace SX
