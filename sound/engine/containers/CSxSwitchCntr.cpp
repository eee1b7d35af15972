#include "sound/engine/containers/CSxSwitchCntr.h"

#include <algorithm>

#include "sound/engine/SxInitSettings.h"
#include "sound/engine/audio/CSxAudioMgr.h"
#include "sound/engine/containers/SxContainerBase.h"
#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/playing/CSxPlayingMgr.h"
#include "sound/engine/registry/CSxRegistryMgr.h"
#include "sound/engine/rtpc/CSxRTPCMgr.h"
#include "sound/engine/states/CSxStateMgr.h"

namespace SX {

namespace {

CSxParameterNodeBase* FindNode(SxUniqueID id) {
    return static_cast<CSxParameterNodeBase*>(g_pObjectIndex ? g_pObjectIndex->GetPtrAndAddRef(SxIndex_Node, id)
                                                             : nullptr);
}

bool Contains(const std::vector<SxUniqueID>* list, SxUniqueID id) {
    return list && std::find(list->begin(), list->end(), id) != list->end();
}

}  // namespace

std::vector<CSxSwitchCntr*> CSxSwitchCntr::s_following;

CSxSwitchCntr* CSxSwitchCntr::Create(SxUniqueID id) {
    auto* node = SxNew<CSxSwitchCntr>(g_DefaultPoolId, id);
    if (node && g_pObjectIndex) g_pObjectIndex->AddToIndex(node);
    return node;
}

CSxSwitchCntr::~CSxSwitchCntr() {
    Unsubscribe();
    while (!m_followed.empty()) DropFollowed(m_followed.size() - 1);
}

// --- the bank block ---

SXRESULT CSxSwitchCntr::SetInitialValues(const uint8_t* body, uint32_t size) {
    SxReadCursor cursor(body, size);
    uint32_t id, groupID, groupType, defaultSwitch;
    uint8_t continuous;
    if (!cursor.U32(id)) return SX_Fail;
    SXRESULT result = SetNodeBaseParams(cursor, false);
    if (result != SX_Success) return result;
    if (!cursor.U32(groupID) || !cursor.U32(groupType) || !cursor.U32(defaultSwitch) || !cursor.U8(continuous))
        return SX_Fail;
    m_defaultSwitch = defaultSwitch;
    m_continuousValidation = continuous != 0;
    if (groupType > Group_State) return SX_Fail;
    if (!m_subscribed || groupID != m_groupID || groupType != m_groupType) {
        result = Subscribe(groupID, static_cast<GroupType>(groupType));
        if (result != SX_Success) return result;
    }
    result = SetChildren(cursor);
    uint32_t switchCount = 0;
    if (result == SX_Success && (!cursor.U32(switchCount) || !cursor.HasRoomFor(switchCount, 8))) result = SX_Fail;
    for (uint32_t s = 0; s < switchCount && result == SX_Success; ++s) {
        uint32_t switchID = 0, count = 0;
        if (!cursor.U32(switchID) || !cursor.U32(count) || !cursor.HasRoomFor(count, 4)) {
            result = SX_Fail;
            break;
        }
        if (!ChildrenOf(switchID)) m_switches.push_back({switchID, {}});
        for (uint32_t i = 0; i < count && result == SX_Success; ++i) {
            uint32_t nodeID = 0;
            cursor.U32(nodeID);
            result = AddToSwitch(switchID, nodeID);
        }
    }
    uint32_t paramCount = 0;
    if (result == SX_Success && (!cursor.U32(paramCount) || !cursor.HasRoomFor(paramCount, 18))) result = SX_Fail;
    for (uint32_t i = 0; i < paramCount && result == SX_Success; ++i) {
        ChildParams params{};
        uint8_t firstOnly = 0, continueAcross = 0;
        uint32_t behavior = 0;
        cursor.U32(params.nodeID);
        cursor.U8(firstOnly);
        cursor.U8(continueAcross);
        cursor.U32(behavior);
        cursor.U32(params.fadeOutMs);
        cursor.U32(params.fadeInMs);
        params.flags = static_cast<uint8_t>((behavior & kBehaviorMask) | (firstOnly ? kFirstOnly : 0) |
                                            (continueAcross ? kContinueAcrossSwitch : 0));
        auto existing = std::find_if(m_childParams.begin(), m_childParams.end(),
                                     [&](const ChildParams& p) { return p.nodeID == params.nodeID; });
        if (existing != m_childParams.end())
            *existing = params;
        else
            m_childParams.push_back(params);
    }
    // The children hold references to the container: a failed block lets them go so that the
    // reader's release destroys it.
    if (result != SX_Success) RemoveAllChildren();
    return result;
}

SXRESULT CSxSwitchCntr::AddToSwitch(uint32_t switchID, SxUniqueID nodeID) {
    if (nodeID == 0) return SX_InvalidParameter;
    for (SwitchList& list : m_switches) {
        if (list.switchID != switchID) continue;
        if (Contains(&list.children, nodeID)) return SX_SwitchNotFound;
        list.children.push_back(nodeID);
        return SX_Success;
    }
    return SX_SwitchNotFound;
}

SXRESULT CSxSwitchCntr::Subscribe(uint32_t groupID, GroupType type) {
    Unsubscribe();
    m_groupID = groupID;
    m_groupType = type;
    SXRESULT result = SX_Success;
    if (type == Group_Switch)
        result = g_pRTPCMgr ? g_pRTPCMgr->RegisterSwitchSubscriber(this, groupID) : SX_Fail;
    else
        result = g_pStateMgr ? g_pStateMgr->RegisterStateListener(this, groupID) : SX_Fail;
    m_subscribed = result == SX_Success;
    return result;
}

void CSxSwitchCntr::Unsubscribe() {
    if (!m_subscribed) return;
    if (m_groupType == Group_Switch) {
        if (g_pRTPCMgr) g_pRTPCMgr->UnregisterSwitchSubscriber(this);
    } else if (g_pStateMgr) {
        g_pStateMgr->UnregisterStateListener(this);
    }
    m_subscribed = false;
}

// --- lists ---

const std::vector<SxUniqueID>* CSxSwitchCntr::ChildrenOf(uint32_t switchID) const {
    for (const SwitchList& list : m_switches)
        if (list.switchID == switchID) return &list.children;
    return nullptr;
}

const CSxSwitchCntr::ChildParams* CSxSwitchCntr::ParamsOf(SxUniqueID childID) const {
    for (const ChildParams& params : m_childParams)
        if (params.nodeID == childID) return &params;
    return nullptr;
}

uint8_t CSxSwitchCntr::ChildFlags(SxUniqueID childID) const {
    const ChildParams* params = ParamsOf(childID);
    return params ? params->flags : 0;
}

const std::vector<SxUniqueID>* CSxSwitchCntr::ListFor(uint32_t& value) const {
    if (const std::vector<SxUniqueID>* list = ChildrenOf(value)) return list;
    value = m_defaultSwitch;
    return ChildrenOf(m_defaultSwitch);
}

uint32_t CSxSwitchCntr::CurrentValue(CSxRegisteredObj* gameObj) const {
    if (m_groupType == Group_State) return g_pStateMgr ? g_pStateMgr->GetState(m_groupID) : 0;
    return g_pRTPCMgr ? g_pRTPCMgr->GetSwitchValue(m_groupID, gameObj) : 0;
}

SXRESULT CSxSwitchCntr::CanAddChild(CSxParameterNodeBase* child) {
    const SXRESULT accepted = SxContainerCanAddChild(*this, child);
    return accepted == SX_Success ? CSxMultiPlayNode::CanAddChild(child) : accepted;
}

void CSxSwitchCntr::RemoveChild(CSxParameterNodeBase* child) {
    if (child->Parent() != this) return;
    const SxUniqueID id = child->ID();
    m_childParams.erase(std::remove_if(m_childParams.begin(), m_childParams.end(),
                                       [&](const ChildParams& p) { return p.nodeID == id; }),
                        m_childParams.end());
    CSxMultiPlayNode::RemoveChild(child);
}

// --- preparation ---

SXRESULT CSxSwitchCntr::PrepareData() {
    return g_bGameSyncPreparation ? PrepareByValue() : CSxParentNode::PrepareData();
}

void CSxSwitchCntr::UnPrepareData() {
    if (g_bGameSyncPreparation)
        UnPrepareByValue();
    else
        CSxParentNode::UnPrepareData();
}

std::vector<uint32_t> CSxSwitchCntr::PreparationValues() const {
    std::vector<uint32_t> values;
    for (const SwitchList& list : m_switches) values.push_back(list.switchID);
    return values;
}

std::vector<SxUniqueID> CSxSwitchCntr::PreparationNodes(uint32_t value) const {
    const std::vector<SxUniqueID>* children = ChildrenOf(value);
    return children ? *children : std::vector<SxUniqueID>();
}

// --- play ---

SXRESULT CSxSwitchCntr::Play(SxPBIParams& params) {
    if (m_continuousValidation) {
        Followed followed{params.gameObj, params.playingID, {}, params.sampleOffset, false};
        std::copy(std::begin(params.customData), std::end(params.customData), followed.customData);
        IncrementActivityCount();
        m_followed.push_back(followed);
        if (m_followed.size() == 1) s_following.push_back(this);
        if (params.gameObj) params.gameObj->AddRef();
        if (g_pPlayingMgr) g_pPlayingMgr->AddPendingCount(params.playingID);
    }
    SxContinueList* chain = TakeContinuationList(params);
    uint32_t value = CurrentValue(params.gameObj);
    const std::vector<SxUniqueID>* list = ListFor(value);
    if (!list) return chain ? EndContinuation(chain, false, params) : SX_Fail;
    uint32_t history[2];
    CSxRegisteredObj::FindSwitch(params.gameObj, ID(), history);
    if (history[0] != value || history[1] == 0) {
        history[0] = value;
        history[1] = 1;
    } else if (history[1] < UINT32_MAX) {
        ++history[1];
    }
    const bool firstPlay = history[1] == 1;
    CSxRegisteredObj::SetSwitch(params.gameObj, ID(), history);
    SXRESULT result = SX_Fail;
    bool started = false;
    // A child may leave the list while it plays: walk a copy.
    const std::vector<SxUniqueID> children = *list;
    for (SxUniqueID childID : children) {
        if (!firstPlay && (ChildFlags(childID) & kFirstOnly)) continue;
        // The chain's next item joins the end of the one before: a second child would take
        // that place as well and play over the first.
        if (params.continuousSequence && started) continue;
        CSxParameterNodeBase* child = FindNode(childID);
        if (!child) continue;
        // The one child of a sample-accurate item goes on with the chain itself, so that its
        // start schedules the next item.
        result = PlayChild(*child, params, children.size() > 1 && !params.continuousSequence);
        child->Release();
        started = started || result == SX_Success;
    }
    return chain ? EndContinuation(chain, started, params) : result;
}

// --- actions ---

void CSxSwitchCntr::DropFollowed(size_t index) {
    const Followed followed = m_followed[index];
    m_followed.erase(m_followed.begin() + static_cast<std::ptrdiff_t>(index));
    if (m_followed.empty()) s_following.erase(std::find(s_following.begin(), s_following.end(), this));
    DecrementActivityCount();
    if (g_pPlayingMgr) g_pPlayingMgr->RemovePendingCount(followed.playingID);
    if (followed.gameObj) followed.gameObj->Release();
}

SXRESULT CSxSwitchCntr::ExecuteAction(const SxActionParams& params) {
    ApplyToFollowed(params);
    return CSxMultiPlayNode::ExecuteAction(params);
}

void CSxSwitchCntr::ExecuteOnAllFollowed(const SxActionParams& params, const std::vector<SxUniqueID>& exceptions) {
    // Ending a followed play changes the list: walk a copy, each container held meanwhile.
    const std::vector<CSxSwitchCntr*> following = s_following;
    for (CSxSwitchCntr* container : following) container->AddRef();
    for (CSxSwitchCntr* container : following) {
        bool excepted = false;
        for (const CSxParameterNodeBase* node = container; node && !excepted; node = node->Parent())
            excepted = std::find(exceptions.begin(), exceptions.end(), node->ID()) != exceptions.end();
        if (!excepted) container->ApplyToFollowed(params);
    }
    for (CSxSwitchCntr* container : following) container->Release();
}

void CSxSwitchCntr::ApplyToFollowed(const SxActionParams& params) {
    const bool ends = params.kind == SxActionKind_Stop || params.kind == SxActionKind_Break;
    for (size_t i = m_followed.size(); i-- > 0;) {
        Followed& followed = m_followed[i];
        if (params.gameObj && followed.gameObj != params.gameObj) continue;
        if (params.playingID && followed.playingID != params.playingID) continue;
        if (ends) {
            CSxRegisteredObj* gameObj = followed.gameObj;
            if (gameObj) gameObj->AddRef();
            DropFollowed(i);
            if (gameObj) {
                gameObj->ClearSwitch(ID());
                gameObj->Release();
            }
        } else if (params.kind == SxActionKind_Pause) {
            followed.paused = true;
        } else if (params.kind == SxActionKind_Resume) {
            followed.paused = false;
        }
    }
}

// --- following the group ---

void CSxSwitchCntr::OnStateChanged(uint32_t stateID) { OnSwitchChange(stateID, nullptr); }

void CSxSwitchCntr::OnSwitchChange(uint32_t switchID, CSxRegisteredObj* gameObj) {
    if (!m_continuousValidation) return;
    if (gameObj) {
        SwitchChange(switchID, gameObj);
        return;
    }
    if (m_followed.empty()) {
        if (g_pRegistryMgr) g_pRegistryMgr->ClearSwitch(ID(), nullptr);
        return;
    }
    // A change for every object reaches each object with followed plays, once.
    std::vector<CSxRegisteredObj*> objects;
    for (const Followed& followed : m_followed)
        if (std::find(objects.begin(), objects.end(), followed.gameObj) == objects.end()) {
            objects.push_back(followed.gameObj);
            if (followed.gameObj) followed.gameObj->AddRef();
        }
    for (CSxRegisteredObj* object : objects) {
        SwitchChange(switchID, object);
        if (object) object->Release();
    }
}

SXRESULT CSxSwitchCntr::SwitchChange(uint32_t value, CSxRegisteredObj* gameObj) {
    uint32_t history[2];
    CSxRegisteredObj::FindSwitch(gameObj, ID(), history);
    if (history[1] != 0 && history[0] == value) return SX_Success;
    const std::vector<SxUniqueID>* oldList = history[1] != 0 ? ChildrenOf(history[0]) : nullptr;
    uint32_t used = value;
    const std::vector<SxUniqueID>* newList = ListFor(used);
    const std::vector<SxUniqueID> leaving = oldList ? *oldList : std::vector<SxUniqueID>();
    const std::vector<SxUniqueID> arriving = newList ? *newList : std::vector<SxUniqueID>();
    auto kept = [&](SxUniqueID id) {
        return (ChildFlags(id) & kContinueAcrossSwitch) && Contains(&leaving, id) && Contains(&arriving, id);
    };
    SXRESULT result = SX_Success;
    for (SxUniqueID childID : leaving) {
        if (kept(childID)) continue;
        if (g_pAudioMgr) {
            CSxAudioMgr::Selection selection;
            selection.targetID = childID;
            selection.gameObject = gameObj ? gameObj->ID() : SxAllGameObjects;
            g_pAudioMgr->StopPending(selection);
        }
        CSxParameterNodeBase* child = FindNode(childID);
        if (!child) continue;
        SxActionParams action;
        action.gameObj = gameObj;
        action.curve = SxCurve_Linear;
        action.targetID = ID();
        const ChildParams* params = ParamsOf(childID);
        if ((ChildFlags(childID) & kBehaviorMask) == 1) {
            action.kind = SxActionKind_Stop;
            action.transitionMs = params ? params->fadeOutMs : 0;
        } else {
            action.kind = SxActionKind_Break;
        }
        result = child->ExecuteAction(action);
        child->Release();
        if (result != SX_Success) break;
    }
    if (gameObj) gameObj->ClearSwitch(ID());
    history[0] = used;
    history[1] = 0;
    // The followed plays of the object start the children that arrive.
    for (size_t i = 0; i < m_followed.size(); ++i) {
        const Followed followed = m_followed[i];
        if (followed.gameObj != gameObj) continue;
        ++history[1];
        for (SxUniqueID childID : arriving) {
            if (kept(childID)) continue;
            CSxParameterNodeBase* child = FindNode(childID);
            if (!child) continue;
            SxPBIParams request;
            request.gameObj = gameObj;
            request.playingID = followed.playingID;
            std::copy(std::begin(followed.customData), std::end(followed.customData), request.customData);
            request.sampleOffset = followed.sampleOffset;
            const ChildParams* params = ParamsOf(childID);
            request.fade.timeMs = params ? params->fadeInMs : 0;
            request.fade.curve = SxCurve_Linear;
            request.firstPlay = 1;
            request.instigator = this;
            result = child->Play(request);
            child->Release();
        }
    }
    if (history[1]) CSxRegisteredObj::SetSwitch(gameObj, ID(), history);
    return result;
}

}  // namespace SX
