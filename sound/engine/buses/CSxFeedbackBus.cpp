#include "sound/engine/buses/CSxFeedbackBus.h"

#include "sound/engine/hierarchy/CSxSoundBase.h"
#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/upper/CSxPBI.h"
#include "sound/engine/upper/CSxURenderer.h"

namespace SX {

namespace {

CSxFeedbackBus* g_masterMotionBus = nullptr;

}  // namespace

CSxFeedbackBus* CSxFeedbackBus::Create(SxUniqueID id) {
    auto* bus = SxNew<CSxFeedbackBus>(g_DefaultPoolId, id);
    if (!bus) return nullptr;
    if (g_pObjectIndex) g_pObjectIndex->AddToIndex(bus);
    SxUnderTableLock(SxIndex_Node, [bus] {
        if (!g_masterMotionBus) g_masterMotionBus = bus;
    });
    return bus;
}

CSxFeedbackBus::~CSxFeedbackBus() {
    SxUnderTableLock(SxIndex_Node, [this] {
        if (g_masterMotionBus == this) g_masterMotionBus = nullptr;
    });
}

CSxFeedbackBus* CSxFeedbackBus::GetMasterMotionBusAndAddRef() {
    return SxUnderTableLock(SxIndex_Node, [] {
        if (g_masterMotionBus) g_masterMotionBus->AddRef();
        return g_masterMotionBus;
    });
}

CSxFeedbackBus* CSxFeedbackBus::NamedOfNodeAndAddRef(const CSxParameterNodeBase* node) {
    for (const CSxParameterNodeBase* n = node; n && g_pObjectIndex; n = n->Parent()) {
        if (!n->FeedbackBusID()) continue;
        CSxIndexable* found = g_pObjectIndex->GetPtrAndAddRef(SxIndex_Node, n->FeedbackBusID());
        if (found && static_cast<CSxParameterNodeBase*>(found)->NodeCategory() == SxNodeCategory_FeedbackBus)
            return static_cast<CSxFeedbackBus*>(found);
        // A bus unloaded since: the nodes above decide.
        if (found) found->Release();
    }
    return nullptr;
}

CSxFeedbackBus* CSxFeedbackBus::OfNodeAndAddRef(const CSxParameterNodeBase* node) {
    CSxFeedbackBus* named = NamedOfNodeAndAddRef(node);
    return named ? named : GetMasterMotionBusAndAddRef();
}

CSxFeedbackBus::Levels CSxFeedbackBus::ChainLevels(const CSxBus* bus) {
    Levels levels;
    for (; bus; bus = bus->ParentBus()) {
        levels.volumeDb += bus->OwnVolumeDb();
        levels.pitch += bus->OwnPitch();
    }
    return levels;
}

void CSxFeedbackBus::RecalcNotification() {
    // Their level is read every frame; their pitch when they refresh.
    for (CSxPBI* instance = CSxURenderer::FirstActive(); instance; instance = CSxURenderer::NextActive(instance)) {
        if (!instance->IsMotion()) continue;
        CSxFeedbackBus* route = OfNodeAndAddRef(instance->Node());
        for (const CSxBus* bus = route; bus; bus = bus->ParentBus())
            if (bus == this) instance->InvalidateParameters();
        if (route) route->Release();
    }
    CSxParentNode::RecalcNotification();
}

}  // namespace SX
