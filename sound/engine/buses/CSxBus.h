#pragma once
// A bus of the mixing tree: the node sounds are routed to. It adds its volume, LFE, pitch and
// low-pass values to what plays through it and, while anything plays through it, ducks other
// buses, each by its own amount, fade times and curve, releasing them after a recovery time
// once it falls silent. The first bus made while there is none becomes the master bus.
#include <cstdint>
#include <vector>

#include "platform/TestProbe.h"
#include "sound/engine/buses/CSxBusMixView.h"
#include "sound/engine/hierarchy/CSxParentNode.h"
#include "sound/engine/transitions/ITransitionable.h"

namespace SX {

class CSxTransition;

class CSxBus : public CSxParentNode {
public:
    static constexpr uint32_t kMaxDuckEntries = 100;
    static constexpr float kNoDuckFloor = -96.3f;
    enum DuckState : uint8_t { Duck_Idle = 0, Duck_Ducking = 1, Duck_Recovering = 2 };

    // Constructed and entered in the node table; the master bus when there is none.
    static CSxBus* Create(SxUniqueID id);
    explicit CSxBus(SxUniqueID id);
    ~CSxBus() override;

    // u32 ID, u32 parent bus, the bus's properties and limits, the ducking, the effects, the
    // game-parameter curves and the state groups.
    SXRESULT SetInitialValues(const uint8_t* body, uint32_t size);
    SxNodeCategory NodeCategory() const override { return SxNodeCategory_Bus; }
    // A bus takes child buses; a node that names the bus as its own only routes to it (its
    // parent stays its own), so nothing is kept for it here.
    SXRESULT AddChild(SxUniqueID childID) override;
    // A bus only routes: it has nothing of its own to play.
    SXRESULT Play(SxPBIParams&) override { return SX_Fail; }

    bool IsMasterBus() const;
    // The master bus with a reference, or null.
    static CSxBus* GetMasterBusAndAddRef();
    static void ClearMasterBus();
    // The bus a node plays through: the nearest override bus up its parents, else the master
    // bus. With a reference, or null.
    static CSxBus* RoutingBusAndAddRef(const CSxParameterNodeBase* node);

    // A sound of the node starts or ends: every bus it plays through counts it; the first
    // sound of a bus starts its ducking and the last one releases it. The first bus from the
    // routing bus up that has its own instance limit, or the top bus, applies its limit once
    // per request: 1 passes, 2 refuses, 80 asks for the new instance to be virtual.
    // Without makeRoom the limit only counts the request.
    static SXRESULT CountPlay(const CSxParameterNodeBase* node, bool started, SxPlayCountRecord& record,
                              bool makeRoom = true);
    // Whether what the node plays is limited by the bus: the bus is its routing bus or one
    // above it, with no bus of its own limit in between.
    static bool IsInLimitChain(const CSxParameterNodeBase* node, SxUniqueID busID);
    // The bus whose limit counts what the node plays: the first from its routing bus up with
    // its own limit, else the top bus. With a reference, or null.
    static CSxBus* LimitingBusAndAddRef(const CSxParameterNodeBase* node);
    // Its most instances (0: no limit), from game parameter 9 when a curve drives it.
    uint16_t MaxInstances() const;
    bool KillsNewest() const { return m_killNewest; }
    bool UsesVirtual() const { return m_useVirtual; }
    // Adds what the node's buses give an instance of it to the sums: pitch and low-pass of every
    // bus up the chain, volume and LFE (with ducking and mute) only of the buses below the first
    // mix bus, whose node applies its own and those above. Buses take their global values.
    static void AddBusParameters(const CSxParameterNodeBase* node, SxAudioSums& sums, uint32_t mask,
                                 float& volumeFactor);

    // A mix bus (an effect, or environmental) has its own node in the lower engine.
    bool HasEffect() const;
    bool IsEnvironmental() const { return m_environmental; }
    // The speakers the bus mixes to (a channel mask; 0: all).
    uint32_t Channels() const { return m_channels; }
    // Slot 0-3 (4: every effect) bypassed: by its game parameter when one drives it and the slot
    // holds an effect, else by the values set at run time, else by the bank data.
    bool IsBusFxBypassed(uint32_t slot) const;
    CSxBusMixView& MixView() { return m_mixView; }
    CSxBus* ParentBus() const { return static_cast<CSxBus*>(Parent()); }
    // The bus's own volume in dB: its ducking, its volume, its game-parameter and state values.
    float OwnVolumeDb() const;
    // The bus's own pitch (cents): its pitch, game-parameter and state values.
    float OwnPitch() const;
    // What a mix bus's node applies, in dB: the bus's own volume (or LFE) with those of the
    // plain buses above it up to the next mix bus, lowered by its mute.
    float MixVolumeDb() const { return MixLevelDb(SxParamMask_Volume); }
    float MixLfeDb() const { return MixLevelDb(SxParamMask_LFE); }
    // Values of the bus changed: its node takes its new levels, what plays through it
    // recomputes, and the buses below follow.
    void RecalcNotification() override;
    uint32_t BusPlayCount() const { return m_playCount; }
    // Active while anything plays through it or a mix node of the lower engine mixes on it or
    // on a bus below it (counted as activity).
    bool IsActiveForRTPC() const override { return m_playCount != 0 || ActivityCount() != 0; }
    // max(max duck volume, the sum of what every ducking bus applies now), dB.
    float TotalDuck() const;
    // The delayed release: a bus still recovering releases its targets.
    void EndRecovery();
    // Sets or replaces the ducking of one target; 2 when the list is full.
    SXRESULT AddDuckTarget(SxUniqueID busID, float volume, uint32_t fadeOutMs, uint32_t fadeInMs,
                           SxCurveInterpolation curve);

protected:
    // An effect or bypass change goes to the bus's mix nodes.
    void NotifyEffectChanged(uint32_t slot, bool effect) const override;

private:
    friend struct platform::TestProbe<CSxBus>;

    struct DuckTarget {
        SxUniqueID busID;
        float volume;
        uint32_t fadeOutMs, fadeInMs;
        SxCurveInterpolation curve;
    };
    // What one ducking bus applies to this one now.
    class DuckItem final : public ITransitionable {
    public:
        DuckItem(CSxBus& owner, SxUniqueID from) : m_owner(owner), m_from(from) {}
        ~DuckItem();
        void TransUpdateValue(int32_t targetID, float value, bool done) override;
        void Move(float target, uint32_t timeMs, SxCurveInterpolation curve);
        void Hold();
        SxUniqueID From() const { return m_from; }
        float Volume() const { return m_volume; }

    private:
        CSxBus& m_owner;
        SxUniqueID m_from;
        CSxTransition* m_transition = nullptr;
        float m_volume = 0.0f;
    };

    // One of volume or LFE (a mask bit): the bus's own sums, and the mute ratio into factor.
    void AddOwnLevels(SxAudioSums& sums, uint32_t mask, float& factor) const;
    float MixLevelDb(uint32_t mask) const;
    bool LimitsItsOwn() const { return m_ownInstanceLimit || !ParentBus(); }
    SXRESULT ApplyInstanceLimit(SxPlayCountRecord& record, bool makeRoom);
    void ChangeDuckState(DuckState state);
    SXRESULT ApplyDuckTargets();
    DuckItem* FindDuckItem(SxUniqueID from);
    bool ScheduleRelease();

    SxPropBundle m_busProps;
    std::vector<DuckTarget> m_targets;
    std::vector<DuckItem*> m_duckItems;
    uint32_t m_recoverySamples = 0;
    uint32_t m_playCount = 0;
    // What the bus's instance limit counts.
    uint32_t m_limiterCount = 0;
    float m_maxDuckVolume = kNoDuckFloor;
    CSxBusMixView m_mixView{*this};
    uint16_t m_maxInstances = 0;
    uint16_t m_channels = 63;
    bool m_killNewest = false;
    bool m_useVirtual = false;
    bool m_ownInstanceLimit = false;
    bool m_environmental = false;
    DuckState m_duckState = Duck_Idle;
};

}  // namespace SX
