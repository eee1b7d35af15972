#pragma once
// Turns play requests that reach a leaf node into playback instances and keeps the
// engine-wide view of what plays: the active list in start order, the voice limit, and the
// commands the lower engine posts back about its voices. Audio thread only, under the
// engine's global audio lock.
#include <cstdint>
#include <vector>

#include "platform/Seam.h"
#include "platform/TestProbe.h"
#include "sound/engine/upper/CSxPBI.h"

namespace SX {

class CSxSoundBase;
class CSxSource;

// What plays beside the nodes (the music engine's contexts) and follows stop, pause, resume and
// seek over everything, leaving out what lies under one of the exceptions.
class ISxExecuteOnAllListener {
public:
    virtual void ExecuteOnAll(const SxActionParams& params, const std::vector<SxUniqueID>& exceptions) = 0;

protected:
    ~ISxExecuteOnAllListener() = default;
};

class CSxURenderer {
public:
    // The memory thresholds: above this fraction of its pool in use, the default pool (or the
    // lower engine's) makes a new instance evict a weaker one or be refused; 1.0 or more: off.
    static SXRESULT Init(float defaultPoolThreshold = 1.0f, float lowerEngineThreshold = 1.0f);
    static void SetMemoryThresholds(float defaultPoolThreshold, float lowerEngineThreshold);
    // Ends every instance, without telling a voice layer (the lower engine goes first).
    static void Term();
    // While Term ends the instances: nothing new is to start.
    static bool IsTerminating() { return s_terminating; }

    // 1 played; 3 refused by the voice limit with a kill behaviour; 2 when the instance cannot
    // be made or initialised or an external source cannot be resolved.
    static SXRESULT Play(CSxSoundBase* node, CSxSource* source, SxPBIParams& params);
    // On every active instance of the node matching the game object (null: any) and the
    // playing ID (0: any).
    static SXRESULT Stop(CSxSoundBase* node, CSxRegisteredObj* gameObj, const SxFadeParams& fade,
                         SxPlayingID playingID);
    static SXRESULT Pause(CSxSoundBase* node, CSxRegisteredObj* gameObj, const SxFadeParams& fade,
                          SxPlayingID playingID);
    static SXRESULT Resume(CSxSoundBase* node, CSxRegisteredObj* gameObj, const SxFadeParams& fade, bool masterResume,
                           SxPlayingID playingID);
    // Stop, pause, resume or seek over every node (what plays under the master bus), leaving out
    // instances whose node or one of its ancestors is among the exceptions.
    static void ExecuteOnAll(const SxActionParams& params, const std::vector<SxUniqueID>& exceptions);
    // Told of every such action first (the music engine's contexts follow it too); a seam: the
    // first installed stays, null: no one.
    static void SetExecuteOnAllHook(ISxExecuteOnAllListener* listener) { s_executeOnAllListener.Install(listener); }
    static void RemoveExecuteOnAllHook(ISxExecuteOnAllListener* listener) { s_executeOnAllListener.Remove(listener); }

    // Makes room for a new instance of priority P under the node (0: anywhere) for a game
    // object (null: any): the weakest candidate, the earliest-started among equals (the
    // latest-started with allowEqual), is stopped by the limit. 2 (or 80 with useVirtual) when
    // none is weaker; with useVirtual only a victim whose behaviour is kill is stopped.
    // With busLimit, nodeID is a bus that limits what plays through it (up to a bus below it
    // with its own limit).
    static SXRESULT KickOut(float priority, CSxRegisteredObj* gameObj, SxUniqueID nodeID, bool allowEqual,
                            bool useVirtual, bool busLimit = false);

    // Once per frame, after the lower engine rendered: starts and ends reported by voices.
    static void ProcessCommands();
    // Posted by an instance for the lower engine's notifications 3 (started) and 4 (ended).
    static void PostStarted(CSxPBI& instance, float timeLeftMs);
    static void PostDestroyed(CSxPBI& instance, uint32_t argument);

    // Once per frame, before the lower engine renders: the voice limit over every instance and
    // each limiting node's limit over its instances (per game object for a per-object limit),
    // in priority order; the instances past a limit are stopped, or sent virtual when the
    // limit uses the virtual behaviour and theirs says so.
    static void ProcessLimiters();

    static CSxPBI* FirstActive() { return s_head; }
    static CSxPBI* NextActive(const CSxPBI* instance) { return instance->m_nextActive; }
    static uint32_t NextSequenceNumber() { return s_sequence++; }

private:
    friend struct platform::TestProbe<CSxURenderer>;

    static void AddAndStartPBI(CSxPBI* instance, const SxFadeParams& fade, uint32_t playMode);
    static void Unlink(CSxPBI* instance);
    static void DestroyInstance(CSxPBI* instance);
    static SXRESULT CheckMaxVoices(float priority);
    static bool CheckMemoryThreshold(float priority);
    static SXRESULT ResolveExternalSource(const CSxSource& source, const SxPBIParams& params, CSxSource*& out);
    static void Post(CSxPBI::RendererEntry& entry);
    static void Enforce(std::vector<CSxPBI*>& instances, uint32_t max, bool killNewest, bool useVirtual,
                        uint32_t reason);
    friend class CSxPBI;

    static bool s_terminating;
    static CSxPBI* s_head;
    static CSxPBI* s_tail;
    static uint32_t s_activeCount;
    static uint32_t s_virtualCount;
    static uint32_t s_sequence;
    static float s_defaultPoolThreshold;
    static float s_lowerEngineThreshold;
    static CSxPBI::RendererEntry* s_cmdHead;
    static CSxPBI::RendererEntry* s_cmdTail;
    static platform::Seam<ISxExecuteOnAllListener> s_executeOnAllListener;
};

}  // namespace SX
