#pragma once
// A music object started by an event: the timeline of segment buckets it plays, what comes
// next (a lone segment, a playlist, or the child a switch or state selects) and the changes
// between them by the containers' transition rules. Stepped once per audio frame by the music
// renderer, on the audio thread under the global audio lock.
#include <cstdint>
#include <memory>
#include <vector>

#include "sound/engine/audio/SxExternalSources.h"
#include "sound/engine/rtpc/ISxRTPCSubscriber.h"
#include "sound/engine/states/ISxStateListeners.h"
#include "sound/music/CSxMusicNode.h"
#include "sound/music/CSxSegmentBucket.h"
#include "sound/music/SxPlaylistIterator.h"

namespace SX {

class CSxMusicNode;
class CSxMusicRanSeqCntr;
class CSxMusicSwitchCntr;
class CSxMusicTransAware;
class CSxRegisteredObj;
struct SxMusicTransitionRule;
struct SxSegmentInfo;

struct SxMusicPlayParams {
    CSxRegisteredObj* gameObj = nullptr;
    SxPlayingID playingID = 0;
    SxExternalSourceArray* externalSources = nullptr;
    uint32_t callbackFlags = 0;
    uint32_t sampleOffset = 0;  // into the first frame
};

class CSxMusicCtx final : public ISxTriggerAware {
public:
    // Null when the node cannot be played (a container without anything to play).
    static std::unique_ptr<CSxMusicCtx> Create(CSxMusicNode& node, const SxMusicPlayParams& params);
    ~CSxMusicCtx();
    CSxMusicCtx(const CSxMusicCtx&) = delete;
    CSxMusicCtx& operator=(const CSxMusicCtx&) = delete;

    // One audio frame: schedules what follows, plays every bucket's part of the frame, sends
    // the music callbacks at their samples, applies the deferred state changes that fall due.
    void Execute();
    // Nothing plays and nothing follows: the context may go.
    bool IsDone() const { return m_chain.empty() && m_ended; }

    // Fades every bucket out over fadeMs from now along the curve and plays nothing more.
    void Stop(uint32_t fadeMs, uint32_t curve = SxCurve_Linear);
    // Moves the segment heard now to a position (ms from its entry cue, or a fraction of its
    // active part), with snap to its nearest cue; what follows is scheduled anew. False when
    // nothing plays or the position lies outside the segment.
    bool Seek(float value, bool fraction, bool snap);
    // Pause counts; a resume-all ends every pause. The first pause fades the music out along the
    // curve over fadeMs while it runs on, then holds it; the resume that ends the last pause
    // fades it back in from where the fade-out was.
    void Pause(uint32_t fadeMs = 0, uint32_t curve = SxCurve_Linear);
    void Resume(bool all, uint32_t fadeMs = 0, uint32_t curve = SxCurve_Linear);
    bool IsPaused() const { return m_pauseCount > 0; }

    CSxMusicNode& Node() const { return *m_node; }
    CSxRegisteredObj* GameObj() const { return m_params.gameObj; }
    SxPlayingID PlayingID() const { return m_params.playingID; }
    uint32_t CallbackFlags() const { return m_params.callbackFlags; }
    void ClearCallbackFlags(uint32_t bits) { m_params.callbackFlags &= ~bits; }

    // Samples from now until the state group may change: a sync point of the group's sync types
    // (on the segment or its tracks) in the segment heard now before the next one starts, else
    // in the next one; false when the change need not wait.
    bool DelayToStateSync(uint32_t groupID, int64_t& delay) const;
    // The state change is applied by the frame that holds now + delay.
    void ScheduleStateChange(int64_t delay, uint32_t record);
    // Position and durations of the segment heard now; false without one.
    bool GetPlayingSegmentInfo(SxSegmentInfo& info) const;

    // A group of the switch tree (the played switch's, or one of a switch below it) changed value.
    void OnGroupChange(uint32_t groupType, uint32_t groupID, uint32_t value, CSxRegisteredObj* gameObj);
    // A trigger on the context's game object: the playing segment's stinger for it plays over
    // the music from the stinger's sync point.
    void Trigger(uint32_t triggerID) override;

private:
    // What comes next: a lone segment once, or a playlist's segments in turn.
    struct Feed {
        CSxMusicNode* node = nullptr;  // one reference held; null plays silence
        CSxMusicRanSeqCntr* sequence = nullptr;
        std::unique_ptr<SxPlaylistIterator> playlist;
        bool started = false;
        Feed() = default;
        Feed(Feed&& other) noexcept;
        Feed& operator=(Feed&& other) noexcept;
        ~Feed();
        void Reset();
        // The playlist's step states as the feed left them are kept, or put back (a change
        // that did not happen).
        void Keep(bool keep);
    };
    struct Next {
        CSxMusicSegment* segment = nullptr;  // one reference held
        uint32_t itemID = 0;
    };
    struct StateAction {
        int64_t time;
        uint32_t record;
    };

    CSxMusicCtx(CSxMusicNode& node, const SxMusicPlayParams& params);
    SXRESULT Init();
    // The node's feed; a switch inside resolves to its current child (bounded depth).
    static SXRESULT MakeFeed(CSxMusicNode* node, CSxRegisteredObj* gameObj, Feed& out);
    // The next segment of a feed, or none; the playlist's step states change tentatively.
    static Next NextOf(Feed& feed);
    // A playlist feed started anew at its item; none when the feed has no such item.
    static Next NextAt(Feed& feed, uint32_t itemID);
    void ScheduleFirst(const Next& next);
    void ScheduleFollower(CSxSegmentBucket& last);
    // Places next after source as the rule plans it from base (source position basePosition);
    // false when the source has no sync point for it. sync gets the time the source is left.
    bool Schedule(CSxSegmentBucket& source, int64_t base, int32_t basePosition, const Next& next,
                  const SxMusicTransitionRule& rule, bool notifySync, int64_t& sync);
    // One leg of it: no transition segment.
    bool ScheduleLeg(CSxSegmentBucket& source, int64_t base, int32_t basePosition, const Next& next,
                     const SxMusicTransitionRule& rule, bool notifySync, int64_t& sync);
    // Subscribes to the groups of the switch and of every switch below it.
    void SubscribeGroups();
    uint32_t ValueOf(uint32_t groupType, uint32_t groupID) const;
    // The node the switch tree plays for the values known (0: silence); owner gets the deepest
    // switch of the group on the way down (null when no switch played there has that group).
    uint32_t Resolve(uint32_t groupID, const CSxMusicSwitchCntr*& owner) const;
    // Moves to the target by the owner's rules.
    void ChangeTarget(uint32_t targetID, const CSxMusicSwitchCntr& owner);
    // A change of a switch above owner is under way: owner's changes wait until it is heard.
    bool OuterChangePending(const CSxMusicSwitchCntr& owner) const;
    // The groups whose changes waited for an outer change, applied once it is heard.
    void ApplyDeferredChanges();
    // The music from cut on is replaced: stingers due from there stop and go (those that may
    // look one segment ahead are triggered again on the music now scheduled, with retrigger),
    // and deferred state changes due from there look for their sync point again.
    void MoveActionsFrom(int64_t cut, bool retrigger);
    // Places the stinger at its sync point in the segment heard now (or the next one, when it
    // may look ahead); false when neither has one before it ends.
    bool PlaceStinger(const SxStingerRecord& stinger);
    // The music a pending switch change leaves is still heard.
    bool UndoValid() const;
    // Plays the bucket's part of the frame; a bucket of the chain also gives its grid callbacks.
    void RunBucket(CSxSegmentBucket& bucket, bool ofChain);
    // The bucket heard now (the latest started), or null.
    CSxSegmentBucket* CurrentBucket() const;
    // Where the chain's bucket at index i gives way: the next bucket's sync point, or its stop.
    int64_t HandOverOf(size_t i) const;
    void Notify(int64_t time, uint32_t bit, const SxSegmentTiming& timing);
    // The pause fade's factor at time t.
    float PauseFactorAt(int64_t t) const;
    void PauseInstances();
    void ResumeInstances();

    CSxMusicNode* m_node;  // one reference held
    SxMusicPlayParams m_params;
    // Hears one group's changes for the context.
    class GroupListener final : public ISxStateListener, public ISxSwitchSubscriber {
    public:
        GroupListener(CSxMusicCtx& ctx, uint32_t groupType, uint32_t groupID)
            : m_ctx(ctx), m_type(groupType), m_group(groupID) {}
        ~GroupListener();
        GroupListener(const GroupListener&) = delete;
        GroupListener& operator=(const GroupListener&) = delete;
        bool Subscribe();
        void OnStateChanged(uint32_t stateID) override { m_ctx.OnGroupChange(m_type, m_group, stateID, nullptr); }
        void OnSwitchChange(uint32_t switchID, CSxRegisteredObj* gameObj) override {
            m_ctx.OnGroupChange(m_type, m_group, switchID, gameObj);
        }

    private:
        CSxMusicCtx& m_ctx;
        uint32_t m_type;
        uint32_t m_group;
        bool m_subscribed = false;
    };
    struct GroupValue {
        uint32_t type;
        uint32_t group;
        uint32_t value;
    };

    CSxMusicSwitchCntr* m_switch = nullptr;
    uint32_t m_switchTarget = 0;  // the node the switch tree plays now
    std::vector<GroupValue> m_groups;
    std::vector<std::unique_ptr<GroupListener>> m_listeners;
    Feed m_feed;
    // What a pending switch change replaced, until its source stops.
    struct Undo {
        bool active = false;
        Feed feed;
        uint32_t target = 0;
        CSxSegmentBucket* source = nullptr;
        SxBucketEnd end{};
        int64_t sync = CSxSegmentBucket::kNever;  // where the source was to be left
    };
    Undo m_undo;
    std::vector<std::unique_ptr<CSxSegmentBucket>> m_chain;
    std::vector<StateAction> m_stateActions;
    // The switch whose change is under way, heard from pendingSync; deeper switches' changes
    // meanwhile wait in m_deferredGroups.
    const CSxMusicSwitchCntr* m_pendingOwner = nullptr;
    int64_t m_pendingSync = CSxSegmentBucket::kNever;
    std::vector<uint32_t> m_deferredGroups;
    // Stingers play beside the chain; a trigger is not heard again before its don't-repeat end.
    struct StingerRecord {
        SxStingerRecord stinger;
        int64_t time;  // its sync point
        int64_t dontRepeatEnd;
    };
    std::vector<std::unique_ptr<CSxSegmentBucket>> m_stingers;
    std::vector<StingerRecord> m_stingerRecords;
    bool m_triggersRegistered = false;
    struct Pending {
        int64_t time;
        uint32_t bit;
        SxMusicGrid grid;
    };
    std::vector<Pending> m_notes;
    int64_t m_now = 0;
    uint32_t m_pauseCount = 0;
    // A pause or resume fade: the factor goes from one value to another along the curve.
    struct PauseFade {
        int64_t start = 0;
        int32_t length = 0;
        float from = 1.0f;
        float to = 1.0f;
        uint32_t curve = SxCurve_Linear;
    };
    PauseFade m_pauseFade;
    bool m_pausing = false;  // paused, but still fading out: the music runs on until the fade ends
    bool m_ended = false;
    bool m_stopping = false;
};

}  // namespace SX
