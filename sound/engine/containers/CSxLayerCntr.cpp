#include "sound/engine/containers/CSxLayerCntr.h"

#include "sound/engine/containers/CSxLayer.h"
#include "sound/engine/containers/SxContainerBase.h"
#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/memory/SxMemoryMgr.h"

namespace SX {

CSxLayerCntr* CSxLayerCntr::Create(SxUniqueID id) {
    auto* node = SxNew<CSxLayerCntr>(g_DefaultPoolId, id);
    if (node && g_pObjectIndex) g_pObjectIndex->AddToIndex(node);
    return node;
}

CSxLayerCntr::~CSxLayerCntr() {
    for (CSxLayer* layer : m_layers) {
        layer->SetOwner(nullptr);
        layer->Release();
    }
}

SXRESULT CSxLayerCntr::SetInitialValues(const uint8_t* body, uint32_t size) {
    SxReadCursor cursor(body, size);
    uint32_t id, layerCount = 0;
    if (!cursor.U32(id)) return SX_Fail;
    SXRESULT result = SetNodeBaseParams(cursor, false);
    if (result != SX_Success) return result;
    result = SetChildren(cursor);
    // Each layer body holds at least its ID and three counts.
    if (result == SX_Success && (!cursor.U32(layerCount) || !cursor.HasRoomFor(layerCount, 14))) result = SX_Fail;
    for (uint32_t i = 0; i < layerCount && result == SX_Success; ++i) {
        uint32_t layerID;
        SxReadCursor peek = cursor;
        if (!peek.U32(layerID)) {
            result = SX_Fail;
            break;
        }
        CSxLayer* layer = CSxLayer::Create(layerID);
        if (!layer) {
            result = SX_Fail;
            break;
        }
        layer->SetOwner(this);
        result = layer->SetInitialValues(cursor);
        if (result != SX_Success) {
            layer->SetOwner(nullptr);
            layer->Release();
            break;
        }
        m_layers.push_back(layer);
    }
    // The children hold references to the container: a failed block lets them go so that the
    // reader's release destroys it.
    if (result != SX_Success) RemoveAllChildren();
    return result;
}

SXRESULT CSxLayerCntr::CanAddChild(CSxParameterNodeBase* child) {
    const SXRESULT accepted = SxContainerCanAddChild(*this, child);
    return accepted == SX_Success ? CSxMultiPlayNode::CanAddChild(child) : accepted;
}

void CSxLayerCntr::RemoveChild(CSxParameterNodeBase* child) {
    for (CSxLayer* layer : m_layers) layer->RemoveChildAssoc(child->ID());
    CSxMultiPlayNode::RemoveChild(child);
}

SXRESULT CSxLayerCntr::Play(SxPBIParams& params) {
    // A child may leave the container while it plays: walk a copy.
    std::vector<CSxParameterNodeBase*> children;
    for (uint32_t i = 0; i < ChildCount(); ++i) children.push_back(Child(i));
    SxContinueList* chain = TakeContinuationList(params);
    SXRESULT result = SX_Success;
    bool started = false;
    for (CSxParameterNodeBase* child : children) {
        child->AddRef();
        result = PlayChild(*child, params, children.size() > 1);
        child->Release();
        if (result != SX_Success) break;
        started = true;
    }
    return chain ? EndContinuation(chain, started, params) : result;
}

void CSxLayerCntr::AddLayerParameters(const CSxParameterNodeBase* node, SxAudioSums& sums, uint32_t mask,
                                      CSxRegisteredObj* gameObj, float& volumeFactor) {
    for (const CSxParameterNodeBase* child = node; child && child->Parent(); child = child->Parent()) {
        if (child->Parent()->NodeCategory() != SxNodeCategory_Layer) continue;
        const auto* container = static_cast<const CSxLayerCntr*>(child->Parent());
        for (const CSxLayer* layer : container->m_layers)
            layer->AddParameters(child->ID(), sums, mask, gameObj, volumeFactor);
    }
}

}  // namespace SX
