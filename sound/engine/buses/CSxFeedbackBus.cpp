#include "sound/engine/buses/CSxFeedbackBus.h"

#include <mutex>

#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/memory/SxMemoryMgr.h"

namespace SX {

namespace {

std::mutex g_masterMotionLock;
CSxFeedbackBus* g_masterMotionBus = nullptr;

}  // namespace

CSxFeedbackBus* CSxFeedbackBus::Create(SxUniqueID id) {
    auto* bus = SxNew<CSxFeedbackBus>(g_DefaultPoolId, id);
    if (!bus) return nullptr;
    if (g_pObjectIndex) g_pObjectIndex->AddToIndex(bus);
    std::lock_guard<std::mutex> lock(g_masterMotionLock);
    if (!g_masterMotionBus) g_masterMotionBus = bus;
    return bus;
}

CSxFeedbackBus::~CSxFeedbackBus() {
    std::lock_guard<std::mutex> lock(g_masterMotionLock);
    if (g_masterMotionBus == this) g_masterMotionBus = nullptr;
}

CSxFeedbackBus* CSxFeedbackBus::GetMasterMotionBusAndAddRef() {
    std::lock_guard<std::mutex> lock(g_masterMotionLock);
    if (g_masterMotionBus) g_masterMotionBus->AddRef();
    return g_masterMotionBus;
}

float CSxFeedbackBus::MotionVolumeDb(CSxRegisteredObj* gameObj) {
    CSxFeedbackBus* master = GetMasterMotionBusAndAddRef();
    float sum = 0.0f;
    for (const CSxBus* bus = master; bus; bus = bus->ParentBus()) sum += bus->OwnVolumeDb(gameObj);
    if (master) master->Release();
    return sum;
}

}  // namespace SX
