#include "sound/engine/states/CSxPreparationAware.h"

#include <algorithm>

#include "sound/engine/hierarchy/CSxParameterNodeBase.h"

namespace SX {

// The nodes a preparation holds keep the container (their parent) alive: it goes prepared
// only when the engine frees every object at once, and then its nodes go too.
CSxPreparationAware::~CSxPreparationAware() { Unsubscribe(); }

SXRESULT CSxPreparationAware::PrepareValue(uint32_t value) {
    const std::vector<SxUniqueID> nodes = PreparationNodes(value);
    for (SxUniqueID node : nodes) {
        const SXRESULT result = CSxParameterNodeBase::PrepareNodeData(node);
        if (result != SX_Success) {
            UnPrepareValue(value);
            return result;
        }
        m_prepared.push_back({value, node});
    }
    return SX_Success;
}

void CSxPreparationAware::UnPrepareValue(uint32_t value) {
    // The latest first, as they were prepared.
    for (size_t i = m_prepared.size(); i-- > 0;) {
        if (m_prepared[i].value != value) continue;
        const SxUniqueID node = m_prepared[i].node;
        m_prepared.erase(m_prepared.begin() + static_cast<std::ptrdiff_t>(i));
        CSxParameterNodeBase::UnPrepareNodeData(node);
    }
}

SXRESULT CSxPreparationAware::PrepareByValue() {
    if (m_preparationCount > 0) {
        if (m_preparationCount < UINT32_MAX) ++m_preparationCount;
        return SX_Success;
    }
    if (!g_pStateMgr) return SX_Fail;
    const uint32_t group = PreparationGroup();
    const SxGroupType type = PreparationGroupType();
    const std::vector<uint32_t> prepared = g_pStateMgr->GetPreparedContent(group, type);
    std::vector<uint32_t> done;
    for (uint32_t value : PreparationValues()) {
        if (std::find(prepared.begin(), prepared.end(), value) == prepared.end()) continue;
        const SXRESULT result = PrepareValue(value);
        if (result != SX_Success) {
            for (auto it = done.rbegin(); it != done.rend(); ++it) UnPrepareValue(*it);
            return result;
        }
        done.push_back(value);
    }
    m_preparationCount = 1;
    const SXRESULT result = g_pStateMgr->SubscribePrepare(this, group, type);
    if (result != SX_Success) {
        UnPrepareByValue();
        return result;
    }
    m_subscribed = true;
    m_subscribedGroup = group;
    m_subscribedType = type;
    return SX_Success;
}

void CSxPreparationAware::UnPrepareByValue() {
    if (m_preparationCount == 0 || --m_preparationCount > 0) return;
    while (!m_prepared.empty()) UnPrepareValue(m_prepared.back().value);
    Unsubscribe();
}

void CSxPreparationAware::Unsubscribe() {
    if (!m_subscribed) return;
    if (g_pStateMgr) g_pStateMgr->UnsubscribePrepare(this, m_subscribedGroup, m_subscribedType);
    m_subscribed = false;
}

SXRESULT CSxPreparationAware::ModifyActiveState(uint32_t value, bool prepare) {
    if (m_preparationCount == 0) return SX_Success;
    if (!prepare) {
        UnPrepareValue(value);
        return SX_Success;
    }
    return PrepareValue(value);
}

}  // namespace SX
