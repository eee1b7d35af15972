#include "sound/engine/buses/CSxFeedbackBus.h"

#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/memory/SxMemoryMgr.h"

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

float CSxFeedbackBus::MotionVolumeDb() {
    CSxFeedbackBus* master = GetMasterMotionBusAndAddRef();
    float sum = 0.0f;
    for (const CSxBus* bus = master; bus; bus = bus->ParentBus()) sum += bus->OwnVolumeDb();
    if (master) master->Release();
    return sum;
}

}  // namespace SX
