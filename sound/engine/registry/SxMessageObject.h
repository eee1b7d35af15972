#pragma once
// The registered object a queued message names, held with a reference for the life of the
// message's handling. An object ID of all objects means none (global); a message naming an
// object that is not registered is dropped.
#include "sound/engine/SxTypes.h"
#include "sound/engine/registry/CSxRegistryMgr.h"

namespace SX {

class SxMessageObject {
public:
    explicit SxMessageObject(SxGameObjectID id)
        : m_object(id != SxAllGameObjects && g_pRegistryMgr ? g_pRegistryMgr->GetObjAndAddref(id) : nullptr),
          m_dropped(id != SxAllGameObjects && !m_object) {}
    ~SxMessageObject() {
        if (m_object) m_object->Release();
    }
    SxMessageObject(const SxMessageObject&) = delete;
    SxMessageObject& operator=(const SxMessageObject&) = delete;
    bool Dropped() const { return m_dropped; }
    CSxRegisteredObj* Get() const { return m_object; }

private:
    CSxRegisteredObj* m_object;
    bool m_dropped;
};

}  // namespace SX
