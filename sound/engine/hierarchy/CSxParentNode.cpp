#include "sound/engine/hierarchy/CSxParentNode.h"

#include <algorithm>

#include "sound/engine/hierarchy/SxPrepareAll.h"
#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/memory/SxMemoryMgr.h"

namespace SX {

CSxParentNode::~CSxParentNode() {
    for (CSxParameterNodeBase* child : m_children) child->SetParent(nullptr);
}

SXRESULT CSxParentNode::CanAddChild(CSxParameterNodeBase* child) {
    if (child->Parent()) return SX_ChildAlreadyHasParent;
    if (std::find(m_children.begin(), m_children.end(), child) != m_children.end()) return SX_ChildAlreadyPresent;
    if (IsSelfOrAncestor(child)) return SX_CannotBeOwnParent;
    return SX_Success;
}

SXRESULT CSxParentNode::AddChild(SxUniqueID childID) {
    if (childID == 0) return SX_InvalidID;
    CSxIndexable* found = g_pObjectIndex ? g_pObjectIndex->GetPtrAndAddRef(SxIndex_Node, childID) : nullptr;
    if (!found) return SX_IDNotFound;
    auto* child = static_cast<CSxParameterNodeBase*>(found);
    SXRESULT result = CanAddChild(child);
    if (result == SX_Success) {
        auto at = std::lower_bound(m_children.begin(), m_children.end(), childID,
                                   [](const CSxParameterNodeBase* n, SxUniqueID id) { return n->ID() < id; });
        m_children.insert(at, child);
        child->SetParent(this);
        AddRef();
    }
    found->Release();
    return result;
}

void CSxParentNode::RemoveChild(CSxParameterNodeBase* child) {
    if (child->Parent() != this) return;
    auto it = std::find(m_children.begin(), m_children.end(), child);
    if (it == m_children.end()) return;
    m_children.erase(it);
    child->SetParent(nullptr);
    Release();
}

SXRESULT CSxParentNode::SetChildren(SxReadCursor& cursor) {
    uint32_t count;
    if (!cursor.U32(count) || !cursor.HasRoomFor(count, 4)) return SX_Fail;
    m_children.reserve(m_children.size() + count);
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t childID = 0;
        cursor.U32(childID);
        const SXRESULT result = AddChild(childID);
        if (result != SX_Success) return result;
    }
    return SX_Success;
}

void CSxParentNode::RemoveAllChildren() {
    while (!m_children.empty()) RemoveChild(m_children.back());
}

SXRESULT CSxParentNode::ExecuteAction(const SxActionParams& params) {
    if (params.flags[1]) PauseTransitions(params.kind == SxActionKind_Pause);
    SXRESULT result = SX_Success;
    // A child may leave the list while the action runs on it: walk a copy.
    const std::vector<CSxParameterNodeBase*> children = m_children;
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        const SXRESULT r = (*it)->ExecuteAction(params);
        if (r != SX_Success) result = r;
    }
    return result;
}

void CSxParentNode::RecalcNotification() {
    for (CSxParameterNodeBase* child : m_children) child->RecalcNotification();
}

SXRESULT CSxParentNode::PrepareData() {
    return SxPrepareAll(
        m_children, [](CSxParameterNodeBase* child) { return child->PrepareData(); },
        [](CSxParameterNodeBase* child) { child->UnPrepareData(); });
}

void CSxParentNode::UnPrepareData() {
    for (CSxParameterNodeBase* child : m_children) child->UnPrepareData();
}

CSxActorMixer* CSxActorMixer::Create(SxUniqueID id) {
    auto* node = SxNew<CSxActorMixer>(g_DefaultPoolId, id);
    if (node && g_pObjectIndex) g_pObjectIndex->AddToIndex(node);
    return node;
}

SXRESULT CSxActorMixer::SetInitialValues(const uint8_t* body, uint32_t size) {
    SxReadCursor cursor(body, size);
    uint32_t id;
    if (!cursor.U32(id)) return SX_Fail;
    SXRESULT result = SetNodeBaseParams(cursor, false);
    if (result == SX_Success) result = SetChildren(cursor);
    if (result != SX_Success) RemoveAllChildren();
    return result;
}

SXRESULT CSxActorMixer::CanAddChild(CSxParameterNodeBase* child) {
    if (child->NodeCategory() == SxNodeCategory_Bus) return SX_WrongChildKind;
    return CSxParentNode::CanAddChild(child);
}

}  // namespace SX
