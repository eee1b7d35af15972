#include "sound/engine/containers/CSxMultiPlayNode.h"

#include "sound/engine/containers/CSxActionPlayAndContinue.h"
#include "sound/engine/containers/SxContinueList.h"

namespace SX {

CSxMultiPlayNode::~CSxMultiPlayNode() {
    for (const Registration& registration : m_registrations) registration.list->Release();
}

int32_t CSxMultiPlayNode::Find(const SxContinueList* list) const {
    for (size_t i = 0; i < m_registrations.size(); ++i)
        if (m_registrations[i].list == list) return static_cast<int32_t>(i);
    return -1;
}

void CSxMultiPlayNode::AddContinuationList(SxContinueList* list) {
    const int32_t at = Find(list);
    if (at >= 0) {
        ++m_registrations[static_cast<size_t>(at)].uses;
        return;
    }
    list->AddRef();
    m_registrations.push_back({list, 1});
}

SxContinueList* CSxMultiPlayNode::RemoveContinuationList(SxContinueList* list) {
    const int32_t at = Find(list);
    if (at < 0) return nullptr;
    Registration& registration = m_registrations[static_cast<size_t>(at)];
    if (registration.uses > 1) {
        --registration.uses;
        return nullptr;
    }
    m_registrations.erase(m_registrations.begin() + at);
    if (!IsContinuousValidation()) return list;
    list->Release();
    return nullptr;
}

void CSxMultiPlayNode::UnregisterContinuationList(SxContinueList* list) {
    const int32_t at = Find(list);
    if (at < 0) return;
    Registration& registration = m_registrations[static_cast<size_t>(at)];
    if (registration.uses > 1) {
        --registration.uses;
        return;
    }
    m_registrations.erase(m_registrations.begin() + at);
    list->Release();
}

SxContinueList* CSxMultiPlayNode::TakeContinuationList(const SxPBIParams& params) {
    if (params.continuous != 1 || !params.continueList) return nullptr;
    params.continueList->AddRef();
    AddContinuationList(params.continueList);
    return params.continueList;
}

SXRESULT CSxMultiPlayNode::PlayChild(CSxParameterNodeBase& child, const SxPBIParams& params, bool amongSeveral) {
    SxPBIParams copy = params;
    SxContinueList* own = nullptr;
    if (amongSeveral && params.continuous == 1 && params.continueList) {
        own = SxContinueList::Create();
        if (!own) return SX_InsufficientMemory;
        if (!own->AppendMultiPlay(this, params.continueList)) {
            own->Release();
            return SX_InsufficientMemory;
        }
        copy.continueList = own;
    }
    const SXRESULT result = child.Play(copy);
    // The child's instances hold the chain they go on with.
    if (own) own->Release();
    return result;
}

SXRESULT CSxMultiPlayNode::EndContinuation(SxContinueList* list, bool started, SxPBIParams& params) {
    SXRESULT result = SX_Success;
    if (started || IsContinuousValidation()) {
        UnregisterContinuationList(list);
    } else if (SxContinueList* handed = RemoveContinuationList(list)) {
        // Nothing of the container plays: the chain goes on with its next item.
        SxPBIParams next = params;
        next.continueList = handed;
        result = SxPlayNextAlternative(next);
        handed->Release();
    }
    list->Release();
    return result;
}

}  // namespace SX
