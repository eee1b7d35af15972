#include "sound/engine/buses/CSxFeedbackBus.h"

#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/memory/SxMemoryMgr.h"

namespace SX {

namespace {

CSxFeedbackBus* g_masterMotionBus = nullptr;

// The global is kept under the node table's lock, the lock a reference count is taken under
// and a bus is destroyed under, so that the two can never be taken in the other order.
template <typename Fn>
auto UnderNodeTableLock(Fn fn) {
    if (!g_pObjectIndex) return fn();
    platform::Lock lock(g_pObjectIndex->Table(SxIndex_Node).Lock());
    return fn();
}

}  // namespace

CSxFeedbackBus* CSxFeedbackBus::Create(SxUniqueID id) {
    auto* bus = SxNew<CSxFeedbackBus>(g_DefaultPoolId, id);
    if (!bus) return nullptr;
    if (g_pObjectIndex) g_pObjectIndex->AddToIndex(bus);
    UnderNodeTableLock([bus] {
        if (!g_masterMotionBus) g_masterMotionBus = bus;
    });
    return bus;
}

CSxFeedbackBus::~CSxFeedbackBus() {
    UnderNodeTableLock([this] {
        if (g_masterMotionBus == this) g_masterMotionBus = nullptr;
    });
}

CSxFeedbackBus* CSxFeedbackBus::GetMasterMotionBusAndAddRef() {
    return UnderNodeTableLock([] {
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
