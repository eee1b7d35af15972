#pragma once
// The node of the sound hierarchy: a reference-counted, indexed object with a parent, packed
// properties and their random ranges, subscriptions to state groups and game parameters, and
// an activity record that counts what plays below it. Property values combine along the
// parents when a playback instance asks for its parameters.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/TestProbe.h"
#include "sound/engine/index/CSxIndexable.h"
#include "sound/engine/hierarchy/SxPropBundle.h"
#include "sound/engine/hierarchy/SxReadCursor.h"
#include "sound/engine/rtpc/ISxRTPCSubscriber.h"
#include "sound/engine/states/SxStateGroupChunk.h"
#include "sound/engine/upper/SxPBIParams.h"

namespace SX {

class CSxPBI;
class CSxSIS;
class CSxSource;
class CSxState;
struct SxPriorityParams;

enum SxNodeCategory : uint32_t {
    SxNodeCategory_Bus = 0,
    SxNodeCategory_ActorMixer = 1,
    SxNodeCategory_RanSeq = 2,
    SxNodeCategory_Sound = 3,
    SxNodeCategory_Switch = 4,
    SxNodeCategory_Layer = 5,
    SxNodeCategory_FeedbackBus = 10,
    SxNodeCategory_FeedbackNode = 11,
};

// Game-parameter numbers that drive node values.
enum SxRTPCParam : uint32_t {
    SxRTPC_Volume = 0,
    SxRTPC_LFE = 1,
    SxRTPC_Pitch = 2,
    SxRTPC_LPF = 3,
    SxRTPC_Priority = 8,
    SxRTPC_MaxInstances = 9,
    SxRTPC_PositioningValue3 = 11,
    SxRTPC_ConeOutsideVolume = 13,   // the cone's values of a playing instance, otherwise its
    SxRTPC_ConeOutsideLowPass = 14,  // attenuation's
    SxRTPC_PositioningValue1 = 20,
    SxRTPC_PositioningValue2 = 21,
    SxRTPC_BypassFX0 = 24,  // to 27 the four effect slots, 28 all effects
};

// The buses an activity count reaches besides the node and the nodes above it.
enum SxActivityBuses : uint32_t {
    SxActivity_Bus = 1,          // the output bus
    SxActivity_FeedbackBus = 2,  // the motion bus the node's data names
    SxActivity_AllBuses = 3,
};

// The four sums a playback instance takes from the tree.
struct SxAudioSums {
    float volume = 0.0f;
    float lfe = 0.0f;
    float pitch = 0.0f;
    float lpf = 0.0f;
};

enum SxAudioParamMask : uint32_t {
    SxParamMask_Volume = 1,
    SxParamMask_Pitch = 2,
    SxParamMask_LPF = 4,
    SxParamMask_LFE = 8,
    SxParamMask_All = 15,
};

// The node's own copy of the positioning block.
struct SxPositioning {
    uint32_t type = 0;
    SxUniqueID attenuationID = 0;
    uint8_t flags3D = 0;  // bit 0 the block's flag, 3 follow the game object, 4 listener 0 only, 5 path looping
    uint32_t pathMode = 0;
    uint32_t pathTransitionMs = 0;
    struct Vertex {
        float x, y, z;
        uint32_t durationMs;
    };
    struct Item {
        uint32_t firstVertex, vertexCount;
        float rangeX, rangeZ;
    };
    std::vector<Vertex> vertices;
    std::vector<Item> items;
    // Where the automation stands between the node's sounds when each takes one path: the next
    // path and the paths played in the current cycle. Run-time state of the node's sounds.
    mutable uint16_t nextPath = 0;
    mutable std::vector<uint8_t> pathsPlayed;
};

// What a play hands up the tree while it is counted: the limiting node applies the instance
// limit once.
struct SxPlayCountRecord {
    float priority = 0.0f;
    CSxRegisteredObj* gameObj = nullptr;
    uint16_t kickCount = 0;
    bool limitApplied = false;
    // The same for the buses it plays through.
    uint16_t busKickCount = 0;
    bool busLimitApplied = false;
};

class CSxPBIAware : public CSxIndexable {
public:
    using CSxIndexable::CSxIndexable;
    // One new instance of the play request; null when memory runs out.
    virtual CSxPBI* CreatePBI(class CSxSoundBase* node, CSxSource* source, const SxPBIParams& params,
                              const SxPriorityParams& priority);
};

class CSxParameterNodeBase : public CSxPBIAware, public ISxRTPCSubscriber, public ISxStateNode {
public:
    // Flags A.
    static constexpr uint8_t kKillNewest = 1 << 0;
    static constexpr uint8_t kUseVirtualBehavior = 1 << 1;
    static constexpr uint8_t kOverrideVirtual = 1 << 2;
    static constexpr uint8_t kOverrideLimit = 1 << 3;
    static constexpr uint8_t kGlobalLimit = 1 << 4;
    static constexpr uint8_t kDistanceOffset = 1 << 5;
    static constexpr uint8_t kOverridePriority = 1 << 6;
    static constexpr uint8_t kUseStates = 1 << 7;
    // Flags B.
    static constexpr uint8_t kOverridePositioning = 1 << 1;
    static constexpr uint8_t kPositioning2D = 1 << 2;
    static constexpr uint8_t kOverrideEffects = 1 << 3;

    explicit CSxParameterNodeBase(SxUniqueID id);
    ~CSxParameterNodeBase() override;

    virtual SxNodeCategory NodeCategory() const = 0;
    virtual SXRESULT Play(SxPBIParams& params) = 0;
    virtual SXRESULT ExecuteAction(const SxActionParams& params) = 0;
    // Parents accept children; a plain node answers 0.
    virtual SXRESULT AddChild(SxUniqueID childID);
    virtual void RemoveChild(CSxParameterNodeBase* child);
    // The node's values changed: its instances recompute their parameters.
    virtual void RecalcNotification() {}
    // Loads the media the node plays ahead of play, counted: every success is undone by one
    // UnPrepareData. A node without media of its own has nothing to load.
    virtual SXRESULT PrepareData() { return SX_Success; }
    virtual void UnPrepareData() {}
    // The node of an ID prepared, keeping it loaded until it is unprepared (2 when it is not
    // loaded); unpreparing an ID that is not loaded does nothing. Under the global audio lock.
    static SXRESULT PrepareNodeData(SxUniqueID id);
    static void UnPrepareNodeData(SxUniqueID id);

    // Pauses (true) or resumes the node's running state transitions.
    void PauseTransitions(bool pause);
    // Whether the values of the node's state groups count; its instances recompute theirs.
    void SetUseState(bool use);

    // Reads the common node block; a partial read stops after the effects block.
    SXRESULT SetNodeBaseParams(SxReadCursor& cursor, bool partial);

    CSxParameterNodeBase* Parent() const { return m_parent; }
    void SetParent(CSxParameterNodeBase* parent) { m_parent = parent; }
    // True when this node is the given one or one of its ancestors is.
    bool IsSelfOrAncestor(const CSxParameterNodeBase* node) const;

    // The sums of the node and its ancestors for a game object; with drawRandom the random
    // ranges add one draw each into offsets. Mute ratios multiply volumeFactor.
    void GetAudioParameters(SxAudioSums& sums, uint32_t mask, CSxRegisteredObj* gameObj, bool drawRandom,
                            SxAudioSums& offsets, float& volumeFactor);
    // The same for this node alone.
    void GetOwnAudioParameters(SxAudioSums& sums, uint32_t mask, CSxRegisteredObj* gameObj, bool drawRandom,
                               SxAudioSums& offsets, float& volumeFactor) const;

    // The values held for a game object (null: for all), made on first use; null when the game
    // object cannot record that the node holds values for it.
    CSxSIS* GetSIS(CSxRegisteredObj* gameObj);
    // Moves a property's offset on a game object's values (null: all objects): an offset
    // meaning adds to the current offset, an independent one sets the property to the value,
    // the default meaning takes the offset back to 0. With a time the offset ramps.
    void SetSxPropOnObject(uint32_t prop, CSxRegisteredObj* gameObj, SxValueMeaning meaning, float value,
                           SxCurveInterpolation curve, uint32_t timeMs);
    // Every game object's offset back to 0 at once, then the all-objects offset with the ramp.
    void ResetSxProp(uint32_t prop, SxCurveInterpolation curve, uint32_t timeMs);
    void Mute(CSxRegisteredObj* gameObj, SxCurveInterpolation curve, uint32_t timeMs);
    // The effect bypass bits under the mask for a game object, or for all (null: every set of
    // values takes them); the instances recompute. Reset takes the bits of the bank data.
    void SetBypass(uint8_t bits, uint8_t mask, CSxRegisteredObj* gameObj);
    void ResetBypass(uint8_t mask, CSxRegisteredObj* gameObj) { SetBypass(m_bypassBits, mask, gameObj); }
    // Slot 0-3 (4: all effects) bypassed for the game object: by its game parameter when one drives it, else
    // by the object's values, else by those for all objects, else by the bank data. A node
    // that does not override effects answers with its parent's.
    bool IsFXBypassed(uint32_t slot, CSxRegisteredObj* gameObj) const;
    // Slot 0-3 takes another effect (0: none); the voices playing below make it again.
    void SetEffect(uint32_t slot, SxUniqueID effectID, bool shareSet);
    // The all-objects set, then every game object's.
    void UnmuteAll(SxCurveInterpolation curve, uint32_t timeMs);
    // Only a set of values that exists is unmuted.
    void Unmute(CSxRegisteredObj* gameObj, SxCurveInterpolation curve, uint32_t timeMs);
    // The game object is going: its values go with it.
    virtual void UnregisterGameObject(CSxRegisteredObj* gameObj);
    // The nearest node with the priority override (or the top) decides.
    void GetPriority(CSxRegisteredObj* gameObj, float& priority, float& distanceOffset);
    // The node where the positioning walk stops: the nearest one that overrides it, or the top.
    CSxParameterNodeBase* PositioningNode();
    const SxPositioning* Positioning() const { return m_positioning.get(); }

    // Counts of what plays below the node, up to the top. The limiting node (the nearest that
    // overrides the playback limit, or the top) applies its instance limit, globally or per
    // game object: 1 passes, 2 refuses, 80 asks for the new instance to be virtual.
    SXRESULT IncrementPlayCount(SxPlayCountRecord& record);
    void DecrementPlayCount(SxPlayCountRecord& record);
    // The node that limits instances of this one.
    CSxParameterNodeBase* LimitingNode();
    // Its most instances (0: no limit), from game parameter 9 when a curve drives it.
    uint16_t InstanceLimit(CSxRegisteredObj* gameObj) const;
    bool IsPlaying() const { return m_playCount != 0; }
    // What keeps the node and those above it active while nothing plays below it (a switch
    // container following its group between plays), and with them, as the flags ask, the
    // node's output bus and the motion bus its data names, each with the buses above it. A
    // bus counts the buses above it only.
    void IncrementActivityCount(uint32_t buses = SxActivity_AllBuses);
    void DecrementActivityCount(uint32_t buses = SxActivity_AllBuses);
    uint32_t ActivityCount() const { return m_activityCount; }

    const SxPropBundle& Props() const { return m_props; }
    const SxRangeBundle& Ranges() const { return m_ranges; }
    uint8_t FlagsA() const { return m_flagsA; }
    uint8_t FlagsB() const { return m_flagsB; }
    uint16_t MaxInstances() const { return m_maxInstances; }
    uint8_t VirtualQueueBehavior() const { return m_virtualQueueBehavior; }
    uint8_t BelowThresholdBehavior() const { return m_belowThresholdBehavior; }
    bool IsRTPCSubscribed(uint32_t param) const { return (m_rtpcBits >> (param % 32)) & 1; }
    uint8_t EffectBypassBits() const { return m_bypassBits; }
    SxUniqueID EffectID(uint32_t slot) const { return slot < 4 ? m_effects[slot].id : 0; }
    bool EffectIsShareSet(uint32_t slot) const { return slot < 4 && m_effects[slot].shareSet != 0; }
    SxUniqueID OverrideBusID() const { return m_busID; }
    // The motion bus the node's bank data names (0: none).
    SxUniqueID FeedbackBusID() const { return m_feedbackBusID; }

    // Value of a game-parameter-driven node value for the object (0 when not subscribed).
    float RTPCValue(uint32_t param, CSxRegisteredObj* gameObj) const;

    // ISxRTPCSubscriber
    bool IsActiveForRTPC() const override { return m_playCount != 0 || m_activityCount != 0; }
    void SetRTPCValue(uint32_t propertyID, float value, CSxRegisteredObj* gameObj) override;
    // ISxStateNode
    bool GetStateValues(uint32_t groupID, uint32_t stateID, float values[4]) override;
    // The sync type of the node's use of a state group; false when the node does not use it.
    bool GetStateSyncType(uint32_t groupID, uint32_t& syncType) const;
    void OnStateTransitionStarted() override {}
    void RefreshStateParameters() override { RecalcNotification(); }

protected:
    void Destroy() override;
    // Tells the voices below that a slot's effect (or only its bypass) changed; 4: all slots.
    virtual void NotifyEffectChanged(uint32_t slot, bool effect) const;
    // The values set for every game object at once; null when none were set.
    const CSxSIS* AllObjectsSIS() const { return m_allObjectsSIS.get(); }
    // A slot's effect as the bank data gives it: nothing plays the node yet.
    void SetEffectSlot(uint32_t slot, SxUniqueID effectID, bool shareSet);
    // The bypass bits of the bank data, which a reset returns to.
    void SetBankBypassBits(uint8_t bits) { m_bypassBits = bits; }
    SXRESULT ReadEffects(SxReadCursor& cursor, bool partial);
    SXRESULT ReadPositioning(SxReadCursor& cursor);
    SXRESULT ReadAdvancedSettings(SxReadCursor& cursor);
    SXRESULT ReadStateGroups(SxReadCursor& cursor);
    SXRESULT ReadRTPCCurves(SxReadCursor& cursor);
    // The last field of a node record in a bank whose header says it carries feedback data.
    SXRESULT ReadFeedbackBus(SxReadCursor& cursor);

private:
    friend struct platform::TestProbe<CSxParameterNodeBase>;

    struct StateEntry {
        uint32_t stateID;
        CSxState* state;  // one reference held
    };
    struct StateGroup {
        SxStateGroupChunk* chunk;
        uint8_t syncType;
        std::vector<StateEntry> states;
    };
    struct Effect {
        SxUniqueID id = 0;
        uint8_t shareSet = 0;
        uint8_t rendered = 0;
    };
    void CountActivityOnBuses(uint32_t buses, bool increment);
    SXRESULT ApplyInstanceLimit(SxPlayCountRecord& record);
    CSxSIS* FindSIS(CSxRegisteredObj* gameObj) const;
    void MoveValue(CSxSIS& sis, uint32_t prop, float target, SxCurveInterpolation curve, uint32_t timeMs);
    StateGroup* FindStateGroup(uint32_t groupID);
    SXRESULT AddStateGroup(uint32_t groupID, uint8_t syncType, StateGroup*& out);
    void ReleaseStateGroups();

    CSxParameterNodeBase* m_parent = nullptr;
    SxUniqueID m_busID = 0;
    SxUniqueID m_feedbackBusID = 0;
    SxPropBundle m_props;
    SxRangeBundle m_ranges;
    std::vector<StateGroup> m_stateGroups;
    std::unique_ptr<SxPositioning> m_positioning;
    std::unique_ptr<CSxSIS> m_allObjectsSIS;
    std::vector<std::unique_ptr<CSxSIS>> m_objectSIS;
    Effect m_effects[4];
    uint32_t m_rtpcBits = 0;
    uint32_t m_playCount = 0;
    uint32_t m_activityCount = 0;
    // The limiter's counts of a global limit, and the per-object entries of a per-object one.
    uint32_t m_limiterPlayCount = 0;
    struct ObjectCount {
        CSxRegisteredObj* gameObj;
        uint32_t playCount;
    };
    std::vector<ObjectCount> m_objectCounts;
    uint16_t m_maxInstances = 0;
    uint8_t m_flagsA = kUseStates | kGlobalLimit;
    uint8_t m_flagsB = 0;
    uint8_t m_bypassBits = 0;
    uint8_t m_virtualQueueBehavior = 0;
    uint8_t m_belowThresholdBehavior = 0;
};

}  // namespace SX
