#pragma once
// Game parameters (floats set globally or per game object, moved by transitions), the
// current switch of each switch group, and the subscriptions through which a change reaches
// its subscribers through conversion curves. Used on the audio thread; the bank thread
// writes defaults and switch mappings under the global audio lock.
#include <cstdint>
#include <map>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/TestProbe.h"
#include "sound/engine/SxTypes.h"
#include "sound/engine/curves/CSxConversionTable.h"
#include "sound/engine/rtpc/ISxRTPCSubscriber.h"
#include "sound/engine/transitions/ITransitionable.h"

namespace SX {

class CSxRegisteredObj;
class CSxTransition;

enum SxRTPCSubscriberKind : uint32_t {
    SxRTPCSubscriber_PluginParam = 0,
    SxRTPCSubscriber_Bus = 1,
    SxRTPCSubscriber_Node = 2,
    SxRTPCSubscriber_Layer = 3,
    SxRTPCSubscriber_PBI = 4,
};

// Property 32 stands for every property of the subscriber.
constexpr uint32_t SxRTPCAllProperties = 32;

struct SxRTPCTransitionParams {
    uint32_t durationMs = 0;
    SxCurveInterpolation shape = SxCurve_Linear;
};

class CSxRTPCMgr {
public:
    CSxRTPCMgr() = default;
    ~CSxRTPCMgr() { Term(); }
    CSxRTPCMgr(const CSxRTPCMgr&) = delete;
    CSxRTPCMgr& operator=(const CSxRTPCMgr&) = delete;

    SXRESULT Init();
    void Term();

    // gameObj null: the global value. Offset meaning adds to the value in force.
    SXRESULT SetRTPCInternal(uint32_t paramID, float value, CSxRegisteredObj* gameObj,
                             const SxRTPCTransitionParams& transition,
                             SxValueMeaning meaning = SxValueMeaning_Independent);
    // An object's own value ramps to the global one (a global value to the default) and is
    // then removed.
    SXRESULT ResetRTPC(uint32_t paramID, CSxRegisteredObj* gameObj, const SxRTPCTransitionParams& transition);
    // The object's value, else the global value, else the default.
    float GetRTPCValue(uint32_t paramID, CSxRegisteredObj* gameObj) const;
    float GetGlobalRTPCValue(uint32_t paramID, bool* found) const;

    // Bank thread: game-parameter defaults and switch groups that follow a game parameter.
    SXRESULT SetDefaultValue(uint32_t paramID, float value);
    SXRESULT AddSwitchRTPC(uint32_t switchGroup, uint32_t paramID, const SxSwitchPoint* points, uint32_t count);

    // Adds or replaces the curve of a game parameter in the subscription of (subscriber,
    // property), then brings the subscriber up to date. No points removes that curve.
    SXRESULT SubscribeRTPC(ISxRTPCSubscriber* subscriber, uint32_t propertyID, CSxRegisteredObj* gameObj,
                           SxRTPCSubscriberKind kind, uint32_t paramID, const SxCurvePoint* points, uint32_t count,
                           uint32_t scaling);
    void UnSubscribeRTPC(ISxRTPCSubscriber* subscriber, uint32_t propertyID);
    void UnSubscribeAll(ISxRTPCSubscriber* subscriber);
    void UnSubscribeRTPCForObject(ISxRTPCSubscriber* subscriber, CSxRegisteredObj* gameObj);
    // Sum of the subscription's curve outputs; 0 without a subscription.
    float GetRTPCConvertedValueForSubscriber(ISxRTPCSubscriber* subscriber, uint32_t propertyID,
                                             CSxRegisteredObj* gameObj) const;

    SXRESULT SetSwitchInternal(uint32_t switchGroup, uint32_t switchID, CSxRegisteredObj* gameObj);
    // The object's switch, else the global one, else 0.
    uint32_t GetSwitchValue(uint32_t switchGroup, CSxRegisteredObj* gameObj) const;
    SXRESULT RegisterSwitchSubscriber(ISxSwitchSubscriber* subscriber, uint32_t switchGroup);
    void UnregisterSwitchSubscriber(ISxSwitchSubscriber* subscriber);

    // Drops the subscriptions, switches, values and running transitions of the object (called
    // when a registered object is destroyed).
    void UnregisterGameObject(CSxRegisteredObj* gameObj);

private:
    friend struct platform::TestProbe<CSxRTPCMgr>;

    class CSxRTPCTransition;
    struct ParamRecord {
        float defaultValue = 0.0f;
        std::map<CSxRegisteredObj*, float> values;  // null: the global value
        std::vector<CSxRTPCTransition*> transitions;
    };
    struct Curve {
        uint32_t paramID;
        std::unique_ptr<CSxConversionTable> table;
    };
    struct Subscription {
        ISxRTPCSubscriber* subscriber;
        uint32_t propertyID;
        CSxRegisteredObj* gameObj;  // null: every object
        SxRTPCSubscriberKind kind;
        std::vector<Curve> curves;
    };
    struct SwitchMapping {
        uint32_t switchGroup;
        uint32_t paramID;
        std::vector<SxSwitchPoint> points;
    };

    ParamRecord* FindRecord(uint32_t paramID);
    const ParamRecord* FindRecord(uint32_t paramID) const;
    static float ValueOf(const ParamRecord& record, CSxRegisteredObj* gameObj);
    float ConvertedValue(const Subscription& sub, CSxRegisteredObj* gameObj) const;
    static bool HasOwnValue(const ParamRecord& record, CSxRegisteredObj* gameObj);
    CSxRTPCTransition* FindTransition(ParamRecord& record, CSxRegisteredObj* gameObj);
    void StopTransition(ParamRecord& record, CSxRTPCTransition* transition);
    SXRESULT SetValue(uint32_t paramID, float value, CSxRegisteredObj* gameObj,
                      const SxRTPCTransitionParams& transition, SxValueMeaning meaning, bool reset);
    // Pushes the value to the subscribers and the switch mappings, then stores it (or
    // removes the object's entry when removeEntry).
    void ApplyValue(uint32_t paramID, float value, CSxRegisteredObj* gameObj, bool removeEntry);
    void Push(uint32_t paramID, CSxRegisteredObj* gameObj);
    static void Deliver(const Subscription& sub, float value, CSxRegisteredObj* gameObj, bool globalChange);
    void TransitionStep(CSxRTPCTransition* transition, float value, bool done);

    std::unordered_map<uint32_t, ParamRecord> m_params;
    std::vector<std::unique_ptr<Subscription>> m_subscriptions;
    std::map<std::pair<uint32_t, CSxRegisteredObj*>, uint32_t> m_switches;
    std::vector<std::pair<ISxSwitchSubscriber*, uint32_t>> m_switchSubscribers;
    std::vector<SwitchMapping> m_switchMappings;
};

extern CSxRTPCMgr* g_pRTPCMgr;

}  // namespace SX
