#include "sound/engine/containers/CSxLayer.h"

#include <algorithm>

#include "sound/engine/attenuations/SxRTPCList.h"
#include "sound/engine/containers/CSxLayerCntr.h"
#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/rtpc/CSxRTPCMgr.h"

namespace SX {

CSxLayer* CSxLayer::Create(SxUniqueID id) {
    auto* layer = SxNew<CSxLayer>(g_DefaultPoolId, id);
    if (layer && g_pObjectIndex) g_pObjectIndex->AddToIndex(layer);
    return layer;
}

CSxLayer::~CSxLayer() {
    if (g_pRTPCMgr) g_pRTPCMgr->UnSubscribeAll(this);
}

SXRESULT CSxLayer::SetInitialValues(SxReadCursor& cursor) {
    uint32_t id;
    uint16_t bindingCount;
    if (!cursor.U32(id) || !cursor.U16(bindingCount) || !cursor.HasRoomFor(bindingCount, 15)) return SX_Fail;
    std::vector<SxCurvePoint> points;
    for (uint16_t b = 0; b < bindingCount; ++b) {
        uint32_t gameParameter, param, curveID;
        uint8_t scaling;
        uint16_t pointCount;
        if (!cursor.U32(gameParameter) || !cursor.U32(param) || !cursor.U32(curveID) || !cursor.U8(scaling) ||
            !cursor.U16(pointCount) || !SxReadCurvePoints(cursor, pointCount, points))
            return SX_Fail;
        // A node parameter has a bit of its own: one past the mask is refused, not wrapped.
        if (param >= 64) return SX_Fail;
        m_rtpcBits |= uint64_t(1) << param;
        if (g_pRTPCMgr && pointCount) {
            const SXRESULT result = g_pRTPCMgr->SubscribeRTPC(this, param, nullptr, SxRTPCSubscriber_Layer,
                                                              gameParameter, points.data(), pointCount, scaling);
            if (result != SX_Success) return result;
        }
    }
    uint32_t associationCount;
    if (!cursor.U32(m_crossfade) || !cursor.U32(associationCount) || !cursor.HasRoomFor(associationCount, 8))
        return SX_Fail;
    for (uint32_t a = 0; a < associationCount; ++a) {
        uint32_t childID, pointCount;
        if (!cursor.U32(childID) || !cursor.U32(pointCount) || !SxReadCurvePoints(cursor, pointCount, points))
            return SX_Fail;
        const SXRESULT result = SetChildAssoc(childID, points.data(), pointCount);
        if (result != SX_Success) return result;
    }
    return SX_Success;
}

const CSxLayer::Association* CSxLayer::Find(SxUniqueID childID) const {
    for (const Association& association : m_associations)
        if (association.childID == childID) return &association;
    return nullptr;
}

bool CSxLayer::IsAssociated(SxUniqueID childID) const { return Find(childID) != nullptr; }

SXRESULT CSxLayer::SetChildAssoc(SxUniqueID childID, const SxCurvePoint* points, uint32_t count) {
    CSxIndexable* found = g_pObjectIndex ? g_pObjectIndex->GetPtrAndAddRef(SxIndex_Node, childID) : nullptr;
    auto* child = static_cast<CSxParameterNodeBase*>(found);
    // A child loaded under another parent cannot be one of this layer's.
    const bool elsewhere = child && m_owner && child->Parent() && child->Parent() != m_owner;
    if (found) found->Release();
    if (elsewhere) return SX_Fail;
    auto curve = std::make_unique<CSxConversionTable>();
    if (count) {
        const SXRESULT result = curve->Set(points, count, 0);
        if (result != SX_Success) return result;
    }
    for (Association& association : m_associations) {
        if (association.childID != childID) continue;
        association.curve = std::move(curve);
        NotifyChildren();
        return SX_Success;
    }
    m_associations.push_back({childID, std::move(curve)});
    NotifyChildren();
    return SX_Success;
}

SXRESULT CSxLayer::RemoveChildAssoc(SxUniqueID childID) {
    auto it = std::find_if(m_associations.begin(), m_associations.end(),
                           [&](const Association& a) { return a.childID == childID; });
    if (it == m_associations.end()) return SX_AssociationNotFound;
    m_associations.erase(it);
    return SX_Success;
}

void CSxLayer::AddParameters(SxUniqueID childID, SxAudioSums& sums, uint32_t mask, CSxRegisteredObj* gameObj,
                             float& volumeFactor) const {
    const Association* association = Find(childID);
    if (!association || !g_pRTPCMgr) return;
    auto* self = const_cast<CSxLayer*>(this);
    auto bound = [&](uint32_t param) {
        return (m_rtpcBits >> param) & 1 ? g_pRTPCMgr->GetRTPCConvertedValueForSubscriber(self, param, gameObj) : 0.0f;
    };
    if (mask & SxParamMask_Volume) sums.volume += bound(SxRTPC_Volume);
    if (mask & SxParamMask_LFE) sums.lfe += bound(SxRTPC_LFE);
    if (mask & SxParamMask_Pitch) sums.pitch += bound(SxRTPC_Pitch);
    if (mask & SxParamMask_LPF) sums.lpf += bound(SxRTPC_LPF);
    if (m_crossfade && association->curve->Count()) {
        const float dB = association->curve->Convert(g_pRTPCMgr->GetRTPCValue(m_crossfade, gameObj));
        volumeFactor *= std::clamp((dB + 96.3f) / 96.3f, 0.0f, 1.0f);
    }
}

void CSxLayer::NotifyChildren() {
    if (!g_pObjectIndex) return;
    for (const Association& association : m_associations) {
        CSxIndexable* found = g_pObjectIndex->GetPtrAndAddRef(SxIndex_Node, association.childID);
        if (!found) continue;
        auto* child = static_cast<CSxParameterNodeBase*>(found);
        if (child->IsPlaying()) child->RecalcNotification();
        found->Release();
    }
}

bool CSxLayer::IsActiveForRTPC() const {
    if (!g_pObjectIndex) return false;
    for (const Association& association : m_associations) {
        CSxIndexable* found = g_pObjectIndex->GetPtrAndAddRef(SxIndex_Node, association.childID);
        if (!found) continue;
        const bool playing = static_cast<CSxParameterNodeBase*>(found)->IsPlaying();
        found->Release();
        if (playing) return true;
    }
    return false;
}

void CSxLayer::SetRTPCValue(uint32_t, float, CSxRegisteredObj*) { NotifyChildren(); }

}  // namespace SX
