#include "sound/engine/hierarchy/CSxSIS.h"

#include "sound/engine/hierarchy/CSxParameterNodeBase.h"
#include "sound/engine/transitions/CSxTransitionMgr.h"

namespace SX {

CSxSIS::~CSxSIS() {
    for (Entry& e : m_entries)
        if (e.transition && g_pTransitionMgr) e.transition->RemoveTransitionUser(this);
}

const CSxSIS::Entry* CSxSIS::Find(uint32_t prop) const {
    for (const Entry& e : m_entries)
        if (e.prop == prop) return &e;
    return nullptr;
}

CSxSIS::Entry* CSxSIS::Find(uint32_t prop) {
    for (Entry& e : m_entries)
        if (e.prop == prop) return &e;
    return nullptr;
}

CSxSIS::Entry& CSxSIS::FindOrAdd(uint32_t prop) {
    if (Entry* e = Find(prop)) return *e;
    m_entries.push_back(Entry{static_cast<uint8_t>(prop), prop == SxProp_MuteRatio ? 1.0f : 0.0f, nullptr});
    return m_entries.back();
}

float CSxSIS::Value(uint32_t prop) const {
    const Entry* e = Find(prop);
    return e ? e->value : (prop == SxProp_MuteRatio ? 1.0f : 0.0f);
}

CSxTransition* CSxSIS::Transition(uint32_t prop) const {
    const Entry* e = Find(prop);
    return e ? e->transition : nullptr;
}

void CSxSIS::SetTransition(uint32_t prop, CSxTransition* transition) { FindOrAdd(prop).transition = transition; }

void CSxSIS::Store(uint32_t prop, float value) { FindOrAdd(prop).value = value; }

void CSxSIS::TransUpdateValue(int32_t prop, float value, bool done) {
    if (prop < 0 || prop >= SxProp_Count) return;
    Entry& e = FindOrAdd(static_cast<uint32_t>(prop));
    e.value = prop == SxProp_MuteRatio ? (value + 96.3f) / 96.3f : value;
    if (done) e.transition = nullptr;
    m_node->RecalcNotification();
}

}  // namespace SX
