#include "sound/engine/rtpc/CSxRTPCMgr.h"

#include <algorithm>

#include "sound/engine/SxAudioThread.h"
#include "sound/engine/registry/CSxRegisteredObj.h"
#include "sound/engine/transitions/CSxTransitionMgr.h"

namespace SX {

CSxRTPCMgr* g_pRTPCMgr = nullptr;

namespace {
constexpr int32_t kRTPCTargetID = 0x10000000;

bool BusTakesWhileInactive(uint32_t propertyID) {
    return propertyID == 0 || propertyID == 1 || (propertyID >= 24 && propertyID <= 28);
}
}  // namespace

// A ramp of one game parameter for one game object (or the global value).
class CSxRTPCMgr::CSxRTPCTransition final : public ITransitionable {
public:
    CSxRTPCTransition(CSxRTPCMgr* mgr, uint32_t paramID, CSxRegisteredObj* gameObj)
        : mgr(mgr), paramID(paramID), gameObj(gameObj) {}
    void TransUpdateValue(int32_t, float value, bool done) override { mgr->TransitionStep(this, value, done); }

    CSxRTPCMgr* mgr;
    uint32_t paramID;
    CSxRegisteredObj* gameObj;
    CSxTransition* transition = nullptr;
    bool removeEntry = false;  // a reset: the value leaves once the ramp ends
};

SXRESULT CSxRTPCMgr::Init() { return SX_Success; }

void CSxRTPCMgr::Term() {
    for (auto& entry : m_params) {
        for (CSxRTPCTransition* t : entry.second.transitions) {
            // Once the transition manager is gone, so are its transitions.
            if (g_pTransitionMgr) t->transition->RemoveTransitionUser(t);
            delete t;
        }
    }
    m_params.clear();
    m_subscriptions.clear();
    m_switches.clear();
    m_switchSubscribers.clear();
    m_switchMappings.clear();
}

CSxRTPCMgr::ParamRecord* CSxRTPCMgr::FindRecord(uint32_t paramID) {
    auto it = m_params.find(paramID);
    return it == m_params.end() ? nullptr : &it->second;
}

const CSxRTPCMgr::ParamRecord* CSxRTPCMgr::FindRecord(uint32_t paramID) const {
    auto it = m_params.find(paramID);
    return it == m_params.end() ? nullptr : &it->second;
}

bool CSxRTPCMgr::HasOwnValue(const ParamRecord& record, CSxRegisteredObj* gameObj) {
    return record.values.count(gameObj) != 0;
}

float CSxRTPCMgr::ValueOf(const ParamRecord& record, CSxRegisteredObj* gameObj) {
    auto it = gameObj ? record.values.find(gameObj) : record.values.end();
    if (it == record.values.end()) it = record.values.find(nullptr);
    return it == record.values.end() ? record.defaultValue : it->second;
}

float CSxRTPCMgr::GetRTPCValue(uint32_t paramID, CSxRegisteredObj* gameObj) const {
    const ParamRecord* record = FindRecord(paramID);
    return record ? ValueOf(*record, gameObj) : 0.0f;
}

float CSxRTPCMgr::GetGlobalRTPCValue(uint32_t paramID, bool* found) const {
    *found = false;
    const ParamRecord* record = FindRecord(paramID);
    if (!record) return 0.0f;
    auto it = record->values.find(nullptr);
    if (it == record->values.end()) return 0.0f;
    *found = true;
    return it->second;
}

float CSxRTPCMgr::ConvertedValue(const Subscription& sub, CSxRegisteredObj* gameObj) const {
    float sum = 0.0f;
    for (const Curve& curve : sub.curves) sum += curve.table->Convert(GetRTPCValue(curve.paramID, gameObj));
    return sum;
}

SXRESULT CSxRTPCMgr::SetDefaultValue(uint32_t paramID, float value) {
    // Banks load on their own thread while audio frames read the values.
    platform::Lock guard(g_csMain);
    m_params[paramID].defaultValue = value;
    return SX_Success;
}

SXRESULT CSxRTPCMgr::AddSwitchRTPC(uint32_t switchGroup, uint32_t paramID, const SxSwitchPoint* points,
                                   uint32_t count) {
    if (count && !points) return SX_InvalidParameter;
    platform::Lock guard(g_csMain);
    SwitchMapping mapping{switchGroup, paramID, std::vector<SxSwitchPoint>(points, points + count)};
    for (SwitchMapping& existing : m_switchMappings) {
        if (existing.switchGroup != switchGroup) continue;
        existing = std::move(mapping);
        return SX_Success;
    }
    m_switchMappings.push_back(std::move(mapping));
    return SX_Success;
}

SXRESULT CSxRTPCMgr::SetRTPCInternal(uint32_t paramID, float value, CSxRegisteredObj* gameObj,
                                     const SxRTPCTransitionParams& transition, SxValueMeaning meaning) {
    return SetValue(paramID, value, gameObj, transition, meaning, false);
}

SXRESULT CSxRTPCMgr::ResetRTPC(uint32_t paramID, CSxRegisteredObj* gameObj, const SxRTPCTransitionParams& transition) {
    ParamRecord* record = FindRecord(paramID);
    if (!record || !HasOwnValue(*record, gameObj)) return SX_Success;
    const float target = gameObj ? ValueOf(*record, nullptr) : record->defaultValue;
    return SetValue(paramID, target, gameObj, transition, SxValueMeaning_Independent, true);
}

CSxRTPCMgr::CSxRTPCTransition* CSxRTPCMgr::FindTransition(ParamRecord& record, CSxRegisteredObj* gameObj) {
    for (CSxRTPCTransition* t : record.transitions)
        if (t->gameObj == gameObj) return t;
    return nullptr;
}

void CSxRTPCMgr::StopTransition(ParamRecord& record, CSxRTPCTransition* transition) {
    // At termination the transition manager goes first, and its transitions with it; game
    // objects released after that still come here.
    if (g_pTransitionMgr) transition->transition->RemoveTransitionUser(transition);
    record.transitions.erase(std::find(record.transitions.begin(), record.transitions.end(), transition));
    delete transition;
}

SXRESULT CSxRTPCMgr::SetValue(uint32_t paramID, float value, CSxRegisteredObj* gameObj,
                              const SxRTPCTransitionParams& transition, SxValueMeaning meaning, bool reset) {
    ParamRecord& record = m_params[paramID];
    const float current = ValueOf(record, gameObj);
    if (meaning == SxValueMeaning_Offset) value += current;
    CSxRTPCTransition* running = FindTransition(record, gameObj);

    if (transition.durationMs > 0 && value != current && g_pTransitionMgr) {
        if (running) {
            g_pTransitionMgr->ChangeParameter(running->transition, kRTPCTargetID, value, transition.durationMs,
                                              transition.shape, SxValueMeaning_Independent);
            running->removeEntry = reset;
            return SX_Success;
        }
        auto ramp = std::make_unique<CSxRTPCTransition>(this, paramID, gameObj);
        ramp->removeEntry = reset;
        SxTransitionParams params;
        params.user = ramp.get();
        params.targetID = kRTPCTargetID;
        params.startValue = current;
        params.targetValue = value;
        params.durationMs = transition.durationMs;
        params.shape = transition.shape;
        ramp->transition = g_pTransitionMgr->AddTransitionToList(params, true, CSxTransitionMgr::kFadeList);
        if (ramp->transition) {
            record.transitions.push_back(ramp.release());
            return SX_Success;
        }
    } else {
        if (running) StopTransition(record, running);
        if (value == current) {
            if (reset) record.values.erase(gameObj);
            return SX_Success;
        }
    }
    ApplyValue(paramID, value, gameObj, reset);
    return SX_Success;
}

void CSxRTPCMgr::TransitionStep(CSxRTPCTransition* transition, float value, bool done) {
    const uint32_t paramID = transition->paramID;
    CSxRegisteredObj* gameObj = transition->gameObj;
    const bool removeEntry = done && transition->removeEntry;
    if (done) {
        // The transition manager frees the transition itself after this last step.
        ParamRecord& record = m_params[paramID];
        record.transitions.erase(std::find(record.transitions.begin(), record.transitions.end(), transition));
        delete transition;
    }
    ApplyValue(paramID, value, gameObj, removeEntry);
}

void CSxRTPCMgr::ApplyValue(uint32_t paramID, float value, CSxRegisteredObj* gameObj, bool removeEntry) {
    ParamRecord& record = m_params[paramID];
    record.values[gameObj] = value;
    Push(paramID, gameObj);
    if (removeEntry) record.values.erase(gameObj);
}

void CSxRTPCMgr::Push(uint32_t paramID, CSxRegisteredObj* gameObj) {
    const bool globalChange = gameObj == nullptr;
    const ParamRecord& record = m_params[paramID];
    // Index loop: a subscriber may unsubscribe while it is told.
    for (size_t i = 0; i < m_subscriptions.size(); ++i) {
        const Subscription& sub = *m_subscriptions[i];
        const bool uses =
            std::any_of(sub.curves.begin(), sub.curves.end(), [&](const Curve& c) { return c.paramID == paramID; });
        if (!uses) continue;
        CSxRegisteredObj* target = gameObj;
        if (globalChange) {
            // An object with its own value does not follow the global one.
            if (sub.gameObj && HasOwnValue(record, sub.gameObj)) continue;
            target = sub.gameObj;
        } else if (sub.gameObj && sub.gameObj != gameObj) {
            continue;
        }
        Deliver(sub, ConvertedValue(sub, target), target, globalChange);
    }
    for (size_t i = 0; i < m_switchMappings.size(); ++i) {
        const SwitchMapping& mapping = m_switchMappings[i];
        if (mapping.paramID != paramID) continue;
        const uint32_t switchID = SxEvaluateSwitchCurve(mapping.points.data(), uint32_t(mapping.points.size()),
                                                        GetRTPCValue(paramID, gameObj));
        SetSwitchInternal(mapping.switchGroup, switchID, gameObj);
    }
}

void CSxRTPCMgr::Deliver(const Subscription& sub, float value, CSxRegisteredObj* gameObj, bool globalChange) {
    switch (sub.kind) {
        case SxRTPCSubscriber_PluginParam:
            sub.subscriber->SetRTPCValue(uint16_t(sub.propertyID), value, gameObj);
            return;
        case SxRTPCSubscriber_PBI:
            break;
        case SxRTPCSubscriber_Layer:
        case SxRTPCSubscriber_Node:
            if (!sub.subscriber->IsActiveForRTPC()) return;
            break;
        case SxRTPCSubscriber_Bus:
            if (!globalChange) return;
            if (!sub.subscriber->IsActiveForRTPC() && !BusTakesWhileInactive(sub.propertyID)) return;
            break;
    }
    sub.subscriber->SetRTPCValue(sub.propertyID, value, gameObj);
}

SXRESULT CSxRTPCMgr::SubscribeRTPC(ISxRTPCSubscriber* subscriber, uint32_t propertyID, CSxRegisteredObj* gameObj,
                                   SxRTPCSubscriberKind kind, uint32_t paramID, const SxCurvePoint* points,
                                   uint32_t count, uint32_t scaling) {
    if (!subscriber) return SX_InvalidParameter;
    auto it = std::find_if(m_subscriptions.begin(), m_subscriptions.end(),
                           [&](const auto& s) { return s->subscriber == subscriber && s->propertyID == propertyID; });
    if (it == m_subscriptions.end()) {
        m_subscriptions.push_back(
            std::make_unique<Subscription>(Subscription{subscriber, propertyID, gameObj, kind, {}}));
        it = m_subscriptions.end() - 1;
    }
    Subscription& sub = **it;
    auto curve =
        std::find_if(sub.curves.begin(), sub.curves.end(), [&](const Curve& c) { return c.paramID == paramID; });
    SXRESULT result = SX_Success;
    if (count && points) {
        auto table = std::make_unique<CSxConversionTable>();
        result = table->Set(points, count, scaling);
        if (result == SX_Success) {
            if (curve != sub.curves.end())
                curve->table = std::move(table);
            else
                sub.curves.push_back(Curve{paramID, std::move(table)});
        }
    } else if (curve != sub.curves.end()) {
        sub.curves.erase(curve);
    }
    if (sub.curves.empty() && !(kind == SxRTPCSubscriber_Node && propertyID == SxRTPCAllProperties)) {
        m_subscriptions.erase(it);
        return result;
    }
    Deliver(sub, ConvertedValue(sub, sub.gameObj), sub.gameObj, sub.gameObj == nullptr);
    return result;
}

void CSxRTPCMgr::UnSubscribeRTPC(ISxRTPCSubscriber* subscriber, uint32_t propertyID) {
    m_subscriptions.erase(
        std::remove_if(m_subscriptions.begin(), m_subscriptions.end(),
                       [&](const auto& s) { return s->subscriber == subscriber && s->propertyID == propertyID; }),
        m_subscriptions.end());
}

void CSxRTPCMgr::UnSubscribeAll(ISxRTPCSubscriber* subscriber) {
    m_subscriptions.erase(std::remove_if(m_subscriptions.begin(), m_subscriptions.end(),
                                         [&](const auto& s) { return s->subscriber == subscriber; }),
                          m_subscriptions.end());
}

void CSxRTPCMgr::UnSubscribeRTPCForObject(ISxRTPCSubscriber* subscriber, CSxRegisteredObj* gameObj) {
    m_subscriptions.erase(
        std::remove_if(m_subscriptions.begin(), m_subscriptions.end(),
                       [&](const auto& s) { return s->subscriber == subscriber && s->gameObj == gameObj; }),
        m_subscriptions.end());
}

float CSxRTPCMgr::GetRTPCConvertedValueForSubscriber(ISxRTPCSubscriber* subscriber, uint32_t propertyID,
                                                     CSxRegisteredObj* gameObj) const {
    for (const auto& sub : m_subscriptions)
        if (sub->subscriber == subscriber && sub->propertyID == propertyID) return ConvertedValue(*sub, gameObj);
    return 0.0f;
}

SXRESULT CSxRTPCMgr::SetSwitchInternal(uint32_t switchGroup, uint32_t switchID, CSxRegisteredObj* gameObj) {
    m_switches[{switchGroup, gameObj}] = switchID;
    for (size_t i = 0; i < m_switchSubscribers.size(); ++i)
        if (m_switchSubscribers[i].second == switchGroup)
            m_switchSubscribers[i].first->OnSwitchChange(switchID, gameObj);
    return SX_Success;
}

uint32_t CSxRTPCMgr::GetSwitchValue(uint32_t switchGroup, CSxRegisteredObj* gameObj) const {
    auto it = m_switches.find({switchGroup, gameObj});
    if (it == m_switches.end()) it = m_switches.find({switchGroup, nullptr});
    return it == m_switches.end() ? 0 : it->second;
}

SXRESULT CSxRTPCMgr::RegisterSwitchSubscriber(ISxSwitchSubscriber* subscriber, uint32_t switchGroup) {
    if (!subscriber) return SX_InvalidParameter;
    m_switchSubscribers.emplace_back(subscriber, switchGroup);
    return SX_Success;
}

void CSxRTPCMgr::UnregisterSwitchSubscriber(ISxSwitchSubscriber* subscriber) {
    m_switchSubscribers.erase(std::remove_if(m_switchSubscribers.begin(), m_switchSubscribers.end(),
                                             [&](const auto& s) { return s.first == subscriber; }),
                              m_switchSubscribers.end());
}

void CSxRTPCMgr::UnregisterGameObject(CSxRegisteredObj* gameObj) {
    if (!gameObj) return;
    m_subscriptions.erase(std::remove_if(m_subscriptions.begin(), m_subscriptions.end(),
                                         [&](const auto& s) { return s->gameObj == gameObj; }),
                          m_subscriptions.end());
    for (auto it = m_switches.begin(); it != m_switches.end();)
        it = it->first.second == gameObj ? m_switches.erase(it) : std::next(it);
    for (auto& entry : m_params) {
        ParamRecord& record = entry.second;
        if (CSxRTPCTransition* running = FindTransition(record, gameObj)) StopTransition(record, running);
        record.values.erase(gameObj);
    }
}

}  // namespace SX
